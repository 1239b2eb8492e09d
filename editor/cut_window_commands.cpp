// The commands the main frame passes on to the active cut window: cell, frame and layer
// editing of the cut, the display options and the previews.
#include "edit/cut_editing.h"
#include "edit/view_repaint.h"
#include "editor/cut_window.h"
#include "editor/main_frame.h"
#include "editor/program_state.h"
#include "editor/recovery_copies.h"
#include "editor/resource.h"
#include "export/cut_preview.h"
#include "export/frame_bitmap.h"
#include "files/cut_file.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/undo.h"
#include "raster/effects.h"

namespace {

// The canvas rectangle of a cell rectangle of the current entry.
Rect CanvasRectOf(Cut& cut, const Rect& cellRect) {
  const auto current = CurrentCell(cut);
  if (!current) return cellRect;
  return Rect{cellRect.x + current->x, cellRect.y + current->y, cellRect.width, cellRect.height};
}

// The whole current cell, or null without one.
std::optional<Rect> WholeCell(Cut& cut) {
  const auto current = CurrentCell(cut);
  if (!current) return std::nullopt;
  return Rect{0, 0, current->cell->Width(), current->cell->Height()};
}

}  // namespace

bool CutWindow::CurrentCellIsEmpty() {
  Frame* frame = cut_->CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  return entry && entry->cell < 0;
}

bool CutWindow::OnCommand(int, int id, HWND) {
  switch (id) {
    case ID_CELL_UNDO:
      OnUndo();
      return true;
    case ID_CELL_ADD:
    case ID_CELL_INSERT:
    case ID_CELL_DELETE:
    case ID_CELL_PREVIOUS:
    case ID_CELL_NEXT:
    case ID_CELL_FIRST:
    case ID_CELL_LAST:
    case ID_CELL_TO_UNDERDRAWING:
    case ID_CELL_ERASE_UNDERDRAWING:
    case ID_CELL_ERASE:
    case ID_CELL_EMPTY:
    case ID_CELL_ALL_EMPTY:
    case ID_CELL_MIRROR:
    case ID_CELL_FLIP:
    case ID_LAYER_ERASE_UNDERDRAWING:
    case ID_LAYER_COPY_DOWN:
    case ID_FRAME_DELETE:
    case ID_FRAME_FIRST:
    case ID_FRAME_LAST:
      OnCellEdit(id);
      return true;
    case ID_CELL_SHOW_PREVIOUS:
      OnToggleDisplayFlag(kShowPreviousCell);
      return true;
    case ID_CELL_SHOW_NEXT:
      OnToggleDisplayFlag(kShowNextCell);
      return true;
    case ID_CUT_CURRENT_CELL_ONLY:
      OnToggleDisplayFlag(kCurrentCellOnly);
      return true;
    case ID_CUT_PALE_LAYERS:
      OnToggleDisplayFlag(kOtherLayersPale);
      return true;
    case ID_TOOL_SMOOTHING_SKIP:
      Program().drawing.smoothingSkip = !Program().drawing.smoothingSkip;
      return true;
    case ID_TOOL_EMPHASIZE_LINES:
      OnEmphasizeLines();
      return true;
    case ID_CUT_ANIMATION:
      OnPlayCut();
      return true;
    case ID_FRAME_SHOW:
      OnShowFrame();
      return true;
    case ID_CELL_COPY:
    case ID_CELL_CUT:
      OnCopy(id == ID_CELL_CUT);
      return true;
    case ID_CELL_PASTE:
      OnPaste();
      return true;
    case ID_CLIPBOARD_COPY:
      OnClipboardCopy();
      return true;
    case ID_CLIPBOARD_PASTE:
      OnClipboardPaste();
      return true;
  }
  return false;
}

// After an edit of the current cell: the cut is changed, the stroke bounds are what
// changed, and that part of the view is composed again.
void CutWindow::AfterCellEdit(const Rect* bounds) {
  cut_->MarkChanged(kChangeContent);
  strokeBounds_ = bounds ? *bounds : Rect{};
  ShowCellChange(strokeBounds_);
}

void CutWindow::OnUndo() {
  const auto current = CurrentCell(*cut_);
  const bool shown = current && current->cell == cut_->UndoCell();
  if (!Undo(*cut_)) return;
  // The stroke bounds when they lie in the cell on screen, else everything.
  ShowCellChange(shown ? strokeBounds_ : Rect{});
}

void CutWindow::ShowCellChange(Rect cells) {
  if (cells.IsEmpty()) {
    FullRepaint();
  } else {
    // The tools' feedback goes before the repaint and comes back after it.
    SendMessageW(window_, kCancelMessage, 0, 0);
    PartialRepaint(CanvasRectOf(*cut_, cells), true);
    SendMessageW(window_, kCancelMessage, 0, 0);
  }
  frame_.UpdateLayerRow(this);
}

void CutWindow::OnCellEdit(int id) {
  Cut& cut = *cut_;
  // The flips act on any selection; underdrawing and erase only while the region-select
  // tool is current.
  const Rect* selection = Selection();
  const Rect* selected = frame_.CurrentTool() == ID_TOOL_SELECT ? selection : nullptr;
  const ProtectMask mask = Program().protectMask;
  const std::optional<Rect> whole = WholeCell(cut);
  const Rect area = selected ? *selected : whole.value_or(Rect{});
  bool done = false;
  bool wholeView = true;
  switch (id) {
    case ID_CELL_ADD:
      done = AddCellAfter(cut);
      break;
    case ID_CELL_INSERT:
      done = InsertCellBefore(cut);
      break;
    case ID_CELL_DELETE:
      done = RemoveCell(cut);
      break;
    case ID_CELL_PREVIOUS:
      done = StepCell(cut, CellStep::kPrevious);
      break;
    case ID_CELL_NEXT:
      done = StepCell(cut, CellStep::kNext);
      break;
    case ID_CELL_FIRST:
      done = StepCell(cut, CellStep::kFirst);
      break;
    case ID_CELL_LAST:
      done = StepCell(cut, CellStep::kLast);
      break;
    case ID_CELL_TO_UNDERDRAWING:
      done = ConvertCellToUnderdrawing(cut, selected, mask);
      wholeView = false;
      break;
    case ID_CELL_ERASE_UNDERDRAWING:
      done = EraseCellUnderdrawing(cut, selected);
      wholeView = false;
      break;
    case ID_CELL_ERASE:
      done = ClearCell(cut, selected);
      wholeView = false;
      break;
    case ID_CELL_EMPTY:
      done = ToggleEmptyCell(cut);
      break;
    case ID_CELL_ALL_EMPTY:
      done = ToggleEmptyAllFrames(cut);
      break;
    case ID_CELL_MIRROR:
    case ID_CELL_FLIP: {
      Rect bounds;
      done = FlipCell(cut, selection, id == ID_CELL_MIRROR, mask, &bounds);
      if (done) {
        AfterCellEdit(&bounds);
        return;
      }
      break;
    }
    case ID_LAYER_ERASE_UNDERDRAWING:
      done = EraseLayerUnderdrawing(cut);
      break;
    case ID_LAYER_COPY_DOWN:
      done = CopyToLayerBelow(cut, mask);
      break;
    case ID_FRAME_DELETE:
      frame_.CommitPanels(this);
      done = RemoveCurrentFrame(cut);
      if (done) {
        FullRepaint();
        frame_.RefreshPanels(this);
      }
      return;
    case ID_FRAME_FIRST:
    case ID_FRAME_LAST:
      frame_.CommitPanels(this);
      done = id == ID_FRAME_FIRST ? cut.GoFirstFrame() : cut.GoLastFrame();
      if (done) {
        FullRepaint();
        frame_.RefreshPanels(this);
      }
      return;
  }
  if (!done) return;
  AfterCellEdit(wholeView ? nullptr : &area);
}

void CutWindow::OnToggleDisplayFlag(uint32_t flag) {
  cut_->SetDisplayFlags(cut_->DisplayFlags() ^ flag);
  // Showing the current cell alone changes what a preview compiles.
  if (flag == kCurrentCellOnly) cut_->MarkChanged(kStateContentChanged);
  FullRepaint();
}

void CutWindow::OnEmphasizeLines() {
  emphasize_ = !emphasize_;
  SetLineEmphasis(display_, emphasize_);
  FullRepaint();
}

void CutWindow::DrawRandomDots(int32_t spacing) {
  const auto current = CurrentCell(*cut_);
  if (!current) return;
  const Rect area = Selection() ? *Selection() : Rect{0, 0, current->cell->Width(), current->cell->Height()};
  if (!SaveUndo(*cut_)) return;
  if (RandomDots(*current->cell, area, spacing, Program().drawing.pen, Program().protectMask))
    AfterCellEdit(&area);
}

void CutWindow::DrawGrid(int32_t width, int32_t height) {
  const auto current = CurrentCell(*cut_);
  if (!current) return;
  const Rect area = Selection() ? *Selection() : Rect{0, 0, current->cell->Width(), current->cell->Height()};
  if (!SaveUndo(*cut_)) return;
  if (GridLines(*current->cell, area, width, height, Program().drawing.pen, Program().protectMask))
    AfterCellEdit(&area);
}

void CutWindow::ApplyProperties(int32_t width, int32_t height, int32_t fps,
                                const std::string& credit, int32_t antiAlias) {
  Cut& cut = *cut_;
  const bool resized = width != cut.CanvasWidth() || height != cut.CanvasHeight();
  cut.SetCanvasSize(width, height);
  cut.SetFps(fps);
  cut.SetCredit(credit);
  cut.SetAntiAlias(AntiAlias(antiAlias));
  cut.MarkChanged(kChangeContent);
  if (resized) {
    CutSizeChanged();
  } else {
    FullRepaint();
  }
}

bool CutWindow::WriteToPath(const std::string& path, std::string* why) {
  RemoveUnusedLayers(*cut_);
  if (!SaveCut(*cut_, path, why)) return false;
  ChangePath(path);
  frame_.Recovery().ForgetSaved();
  return true;
}

bool CutWindow::ExportCurrentFrame(std::vector<uint8_t>& bytes) {
  const bool made = ExportFrameBitmap(*cut_, cut_->CurrentFrame(), display_, bytes);
  // The export composed into the view's bitmap: show the frame again.
  FullRepaint();
  return made;
}

void CutWindow::OnPlayCut() {
  frame_.StopAnimation();
  BlockStream tl;
  CacheUse use;
  std::string why;
  const bool made = CompileCutPreview(*cut_, frame_.Animation().Buffer(), display_, tl, &use, &why);
  FullRepaint();
  if (!made) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  frame_.PlayCompiled(tl);
}

void CutWindow::OnShowFrame() {
  frame_.StopAnimation();
  BlockStream tl;
  const bool made = CompileFramePreview(*cut_, frame_.Animation().Buffer(), display_, tl);
  FullRepaint();
  if (!made) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  frame_.PlayCompiled(tl);
}
