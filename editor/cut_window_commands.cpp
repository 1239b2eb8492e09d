// The cut window's commands, which the frame passes on while the window is the active one:
// cell, frame and layer editing of the cut, the display options and the previews.
#include "edit/cut_editing.h"
#include "edit/view_repaint.h"
#include "editor/animation_preview.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/program_state.h"
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

// The edits of the table in the forms its handlers take.
template <CellStep kStep>
bool Step(Cut& cut) {
  return StepCell(cut, kStep);
}
bool EraseUnderdrawing(Cut& cut, const Rect* selected, ProtectMask) {
  return EraseCellUnderdrawing(cut, selected);
}
bool Erase(Cut& cut, const Rect* selected, ProtectMask) { return ClearCell(cut, selected); }
bool CopyDown(Cut& cut) { return CopyToLayerBelow(cut, Program().protectMask); }
bool FirstFrame(Cut& cut) { return cut.GoFirstFrame(); }
bool LastFrame(Cut& cut) { return cut.GoLastFrame(); }

}  // namespace

bool CutWindow::CurrentCellIsEmpty() {
  Frame* frame = cut_->CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  return entry && entry->cell < 0;
}

const Command<CutWindow> CutWindow::kCommands[] = {
    {ID_CELL_UNDO, [](CutWindow& w, int) { w.OnUndo(); }},
    {ID_CELL_ADD, [](CutWindow& w, int) { w.EditCut(AddCellAfter); }},
    {ID_CELL_INSERT, [](CutWindow& w, int) { w.EditCut(InsertCellBefore); }},
    {ID_CELL_DELETE, [](CutWindow& w, int) { w.EditCut(RemoveCell); }},
    {ID_CELL_PREVIOUS, [](CutWindow& w, int) { w.EditCut(Step<CellStep::kPrevious>); }},
    {ID_CELL_NEXT, [](CutWindow& w, int) { w.EditCut(Step<CellStep::kNext>); }},
    {ID_CELL_FIRST, [](CutWindow& w, int) { w.EditCut(Step<CellStep::kFirst>); }},
    {ID_CELL_LAST, [](CutWindow& w, int) { w.EditCut(Step<CellStep::kLast>); }},
    {ID_CELL_TO_UNDERDRAWING, [](CutWindow& w, int) { w.EditCellArea(ConvertCellToUnderdrawing); }},
    {ID_CELL_ERASE_UNDERDRAWING, [](CutWindow& w, int) { w.EditCellArea(EraseUnderdrawing); }},
    {ID_CELL_ERASE, [](CutWindow& w, int) { w.EditCellArea(Erase); }},
    {ID_CELL_EMPTY, [](CutWindow& w, int) { w.EditCut(ToggleEmptyCell); }},
    {ID_CELL_ALL_EMPTY, [](CutWindow& w, int) { w.EditCut(ToggleEmptyAllFrames); }},
    {ID_CELL_MIRROR, [](CutWindow& w, int) { w.OnFlip(true); }},
    {ID_CELL_FLIP, [](CutWindow& w, int) { w.OnFlip(false); }},
    {ID_LAYER_ERASE_UNDERDRAWING, [](CutWindow& w, int) { w.EditCut(EraseLayerUnderdrawing); }},
    {ID_LAYER_COPY_DOWN, [](CutWindow& w, int) { w.EditCut(CopyDown); }},
    {ID_FRAME_DELETE, [](CutWindow& w, int) { w.GoToFrame(RemoveCurrentFrame); }},
    {ID_FRAME_FIRST, [](CutWindow& w, int) { w.GoToFrame(FirstFrame); }},
    {ID_FRAME_LAST, [](CutWindow& w, int) { w.GoToFrame(LastFrame); }},
    {ID_CELL_SHOW_PREVIOUS, [](CutWindow& w, int) { w.OnToggleDisplayFlag(kShowPreviousCell); }},
    {ID_CELL_SHOW_NEXT, [](CutWindow& w, int) { w.OnToggleDisplayFlag(kShowNextCell); }},
    {ID_CUT_CURRENT_CELL_ONLY, [](CutWindow& w, int) { w.OnToggleDisplayFlag(kCurrentCellOnly); }},
    {ID_CUT_PALE_LAYERS, [](CutWindow& w, int) { w.OnToggleDisplayFlag(kOtherLayersPale); }},
    {ID_TOOL_SMOOTHING_SKIP,
     [](CutWindow&, int) { Program().drawing.smoothingSkip = !Program().drawing.smoothingSkip; }},
    {ID_TOOL_EMPHASIZE_LINES, [](CutWindow& w, int) { w.OnEmphasizeLines(); }},
    {ID_CUT_ANIMATION, [](CutWindow& w, int) { w.OnPlayCut(); }},
    {ID_FRAME_SHOW, [](CutWindow& w, int) { w.OnShowFrame(); }},
    {ID_CELL_COPY, [](CutWindow& w, int) { w.OnCopy(false); }},
    {ID_CELL_CUT, [](CutWindow& w, int) { w.OnCopy(true); }},
    {ID_CELL_PASTE, [](CutWindow& w, int) { w.OnPaste(); }},
    {ID_CLIPBOARD_COPY, [](CutWindow& w, int) { w.OnClipboardCopy(); }},
    {ID_CLIPBOARD_PASTE, [](CutWindow& w, int) { w.OnClipboardPaste(); }},
};

bool CutWindow::RunCommand(int id, int code) {
  return ::RunCommand(kCommands, *this, id, code);
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
  host_.updateLayerRow(*this);
}

void CutWindow::EditCut(bool (*edit)(Cut& cut)) {
  if (edit(*cut_)) AfterCellEdit(nullptr);
}

void CutWindow::EditCellArea(bool (*edit)(Cut& cut, const Rect* selected, ProtectMask mask)) {
  // Underdrawing and erase act on the selection only while the region-select tool is current.
  const Rect* selected = host_.currentTool() == ID_TOOL_SELECT ? Selection() : nullptr;
  const Rect area = selected ? *selected : WholeCell(*cut_).value_or(Rect{});
  if (edit(*cut_, selected, Program().protectMask)) AfterCellEdit(&area);
}

void CutWindow::OnFlip(bool mirror) {
  // The flips act on any selection.
  Rect bounds;
  if (FlipCell(*cut_, Selection(), mirror, Program().protectMask, &bounds)) AfterCellEdit(&bounds);
}

void CutWindow::GoToFrame(bool (*go)(Cut& cut)) {
  host_.commitPanels(*this);
  if (!go(*cut_)) return;
  FullRepaint();
  host_.refreshPanels(*this);
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
  TakePath(path);
  return true;
}

bool CutWindow::ExportCurrentFrame(std::vector<uint8_t>& bytes) {
  const bool made = ExportFrameBitmap(*cut_, cut_->CurrentFrame(), display_, bytes);
  // The export composed into the view's bitmap: show the frame again.
  FullRepaint();
  return made;
}

void CutWindow::OnPlayCut() {
  AnimationPreview& preview = *host_.preview;
  preview.StopAndHide();
  BlockStream tl;
  CacheUse use;
  std::string why;
  const bool made = CompileCutPreview(*cut_, preview.Buffer(), display_, tl, &use, &why);
  FullRepaint();
  if (!made) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  preview.Play(tl);
}

void CutWindow::OnShowFrame() {
  AnimationPreview& preview = *host_.preview;
  preview.StopAndHide();
  BlockStream tl;
  const bool made = CompileFramePreview(*cut_, preview.Buffer(), display_, tl);
  FullRepaint();
  if (!made) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  preview.Play(tl);
}
