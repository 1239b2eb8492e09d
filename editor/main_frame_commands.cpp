// The commands the main frame handles itself: files, dialogs, frame navigation with the
// panels, bars, tools, previews.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "edit/cut_editing.h"
#include "edit/open_path.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/editor_settings_file.h"
#include "editor/main_frame.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "export/frame_bitmap.h"
#include "files/film.h"
#include "files/layer_file.h"
#include "io/safe_save.h"
#include "model/cut.h"
#include "raster/effects.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"

namespace {

constexpr wchar_t kCutFilters[] = L"Cut Files (*.cut)\0*.cut\0All Files (*.*)\0*.*\0";
constexpr wchar_t kBitmapFilters[] = L"Bitmap Files (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";

}  // namespace

bool MainFrame::RunFrameCommand(int id) {
  switch (id) {
    case ID_FRAME_ADD:
    case ID_FRAME_INSERT:
    case ID_FRAME_PREVIOUS:
    case ID_FRAME_NEXT:
    case ID_FRAME_NEXT_KEYFRAME:
    case ID_FRAME_PREVIOUS_KEYFRAME:
      OnFrameNavigation(id);
      return true;
    case ID_FRAME_ALL_KEYFRAMES:
      OnAllKeyframes();
      return true;
    case ID_FRAME_ADD_SEVERAL:
      OnAddFrames(false);
      return true;
    case ID_FRAME_DELETE_SEVERAL:
      OnAddFrames(true);
      return true;
    case ID_FRAME_BRIGHTNESS_RUN:
    case ID_FRAME_POSITION_RUN:
    case ID_LAYER_POSITION_RUN:
      OnRun(id);
      return true;
    case ID_FRAME_SIZE:
      OnFrameSize();
      return true;
    case ID_ANIMATION_STOP:
      StopAnimation();
      return true;
    case ID_TOOL_GRID:
      OnGrid();
      return true;
    case ID_TOOL_MASK:
      OnMask();
      return true;
    case ID_TOOL_FONT:
      OnFont();
      return true;
    case ID_TOOL_SQUARE_PEN:
      OnSquarePen();
      return true;
    case ID_TOOL_EXPLAIN:
      OnExplainTool();
      return true;
    case ID_CELL_RANDOM_DOTS:
      OnRandomDots();
      return true;
    case ID_CELL_DRAW_GRID:
      OnDrawGrid();
      return true;
    case ID_CUT_OPEN:
      OnOpenCut();
      return true;
    case ID_CUT_SAVE_AS:
      OnSaveCutAs();
      return true;
    case ID_CUT_OVERWRITE:
      OnOverwriteCut();
      return true;
    case ID_CUT_PROPERTIES:
      OnCutProperties();
      return true;
    case ID_FRAME_EXPORT_BITMAP:
      OnExportBitmap();
      return true;
    case ID_VIEW_STATUS_BAR:
      OnToggleBar(kStatusBarShown, statusBar_);
      return true;
    case ID_VIEW_TOOLBAR:
      OnToggleBar(kToolbarShown, toolbar_);
      return true;
    case ID_CLIPBOARD_TRANSPARENT:
      OnClipboardColor();
      return true;
    case ID_APP_ABOUT:
      OnAbout();
      return true;
  }
  return RunLayerCommand(id) || RunFilmCommand(id);
}

void MainFrame::OnFrameNavigation(int id) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  CommitPanels(cut);
  Cut& c = cut->TheCut();
  bool moved = false;
  switch (id) {
    case ID_FRAME_ADD:
      moved = AddFrameCopy(c);
      break;
    case ID_FRAME_INSERT:
      moved = InsertFrameCopy(c);
      break;
    case ID_FRAME_PREVIOUS:
      moved = c.GoPrevFrame();
      break;
    case ID_FRAME_NEXT:
      moved = c.GoNextFrame();
      break;
    case ID_FRAME_NEXT_KEYFRAME:
      moved = c.GoNextKeyframe();
      break;
    case ID_FRAME_PREVIOUS_KEYFRAME:
      moved = c.GoPrevKeyframe();
      break;
  }
  if (!moved) return;
  cut->FullRepaint();
  RefreshPanels(cut);
}

void MainFrame::OnAllKeyframes() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  MakeAllKeyframes(cut->TheCut());
  RefreshPanels(cut);
}

void MainFrame::OnAddFrames(bool remove) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  CommitPanels(cut);
  NumberDialog dialog(statusBar_, IDD_FRAME_COUNT, 1);
  if (!dialog.Run(instance_, frame_) || dialog.value < 1) return;
  const int32_t done = remove ? RemoveFrames(cut->TheCut(), dialog.value)
                              : AddFrames(cut->TheCut(), dialog.value);
  if (done == 0) return;
  cut->FullRepaint();
  RefreshPanels(cut);
}

void MainFrame::OnRun(int id) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  const int resource = id == ID_FRAME_BRIGHTNESS_RUN ? IDD_BRIGHTNESS_RUN
                       : id == ID_FRAME_POSITION_RUN ? IDD_FRAME_RUN
                                                     : IDD_LAYER_RUN;
  Cut& c = cut->TheCut();
  // The brightness run stores the panels before its dialog, the position runs after it.
  if (id == ID_FRAME_BRIGHTNESS_RUN) CommitPanels(cut);
  EndFrameDialog dialog(statusBar_, resource, c.FrameCount());
  if (!dialog.Run(instance_, frame_)) return;
  if (id != ID_FRAME_BRIGHTNESS_RUN) CommitPanels(cut);
  const int32_t end = dialog.endFrame - 1;
  const bool done = id == ID_FRAME_BRIGHTNESS_RUN ? BrightnessRun(c, end)
                    : id == ID_FRAME_POSITION_RUN ? FramePositionRun(c, end)
                                                  : LayerPositionRun(c, end);
  if (!done) return;
  cut->FullRepaint();
  RefreshPanels(cut);
}

void MainFrame::OnFrameSize() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  SizeDialog dialog(statusBar_, IDD_FRAME_SIZE);
  dialog.width = c.FrameWidth();
  dialog.height = c.FrameHeight();
  if (!dialog.Run(instance_, frame_)) return;
  if (dialog.width == c.FrameWidth() && dialog.height == c.FrameHeight()) return;
  c.SetFrameSize(dialog.width, dialog.height);
  c.MarkChanged(kChangeContent);
}

void MainFrame::OnGrid() {
  SizeDialog dialog(statusBar_, IDD_GRID);
  dialog.width = Program().gridWidth;
  dialog.height = Program().gridHeight;
  if (!dialog.Run(instance_, frame_)) return;
  Program().gridWidth = dialog.width;
  Program().gridHeight = dialog.height;
}

void MainFrame::OnMask() {
  MaskDialog dialog(statusBar_);
  dialog.mask = Program().protectMask;
  if (dialog.Run(instance_, frame_)) Program().protectMask = dialog.mask;
}

void MainFrame::OnFont() {
  const TextFont& font = Program().font;
  FontDialog dialog(statusBar_);
  dialog.face = font.face;
  dialog.size = font.size;
  dialog.lineSpacing = font.lineSpacing;
  dialog.weight = font.weight;
  if (dialog.Run(instance_, frame_)) SetTextFont(dialog.face, dialog.size, dialog.lineSpacing, dialog.weight);
}

void MainFrame::OnRandomDots() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  static int32_t spacing = 100;
  NumberDialog dialog(statusBar_, IDD_RANDOM_DOTS, spacing);
  if (!dialog.Run(instance_, frame_) || dialog.value < 1) return;
  spacing = dialog.value;
  cut->DrawRandomDots(spacing);
}

void MainFrame::OnDrawGrid() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  SizeDialog dialog(statusBar_, IDD_GRID);
  dialog.width = Program().gridWidth;
  dialog.height = Program().gridHeight;
  if (dialog.Run(instance_, frame_)) cut->DrawGrid(dialog.width, dialog.height);
}

void MainFrame::OnCutProperties() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  CutDialog dialog(statusBar_, NewCutValues{c.CanvasWidth(), c.CanvasHeight(), c.Fps(),
                                            int32_t(c.GetAntiAlias()), c.Credit()});
  if (!dialog.Run(instance_, frame_)) return;
  const NewCutValues& v = dialog.values;
  cut->ApplyProperties(v.width, v.height, v.fps, v.credit, v.antiAlias);
}

void MainFrame::OnClipboardColor() {
  ProgramState& p = Program();
  if (p.clipTransparent) {
    p.clipTransparent = false;
    WriteClipboardFlag(false);
    return;
  }
  COLORREF custom[16] = {};
  CHOOSECOLORW choose = {};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = frame_;
  choose.rgbResult = RGB(RedOf(p.clipColor), GreenOf(p.clipColor), BlueOf(p.clipColor));
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT;
  if (!ChooseColorW(&choose)) return;
  p.clipColor = PackColor(GetRValue(choose.rgbResult), GetGValue(choose.rgbResult),
                          GetBValue(choose.rgbResult));
  p.clipTransparent = true;
  WriteClipboardColor(p.clipColor);
  WriteClipboardFlag(true);
}

bool MainFrame::OpenByExtension(const std::string& path) {
  switch (OpenKindOf(path)) {
    case OpenKind::kCut:
      return OpenCutFile(path);
    case OpenKind::kLayer: {
      CutWindow* cut = ActiveCutWindow();
      return cut && OpenLayerFile(*cut, path);
    }
    case OpenKind::kFilm:
      // A dropped film asks about the changed one first, as the open command does.
      return AskSaveFilm() && OpenFilm(path);
    case OpenKind::kNothing:
      break;
  }
  return false;
}

bool MainFrame::OpenCutFile(const std::string& path) {
  WaitCursor wait;
  std::string why;
  CutWindow* window = CutWindow::Open(*this, path, &why);
  if (!window) {
    ShowFileFailure(frame_, path, why);
    return false;
  }
  film_->AttachCut(&window->TheCut());
  RefreshPanels(window);
  return true;
}

void MainFrame::OnOpenCut() {
  const std::string path = ChooseFileToOpen(frame_, kCutFilters);
  if (!path.empty()) OpenCutFile(path);
}

void MainFrame::OnSaveCutAs() {
  if (CutWindow* cut = ActiveCutWindow()) SaveCutAs(*cut);
}

void MainFrame::OnOverwriteCut() {
  if (CutWindow* cut = ActiveCutWindow()) SaveCut(*cut);
}

bool MainFrame::SaveCut(CutWindow& cut) {
  CommitPanels(&cut);
  if (cut.TheCut().Path().empty()) return SaveCutAs(cut);
  std::string why;
  {
    WaitCursor wait;
    if (cut.WriteToPath(cut.TheCut().Path(), &why)) return true;
  }
  ShowFileFailure(frame_, cut.TheCut().Path(), why);
  return SaveCutAs(cut);
}

bool MainFrame::SaveCutAs(CutWindow& cut) {
  CommitPanels(&cut);
  // After a failure the cut keeps its old path; the user may pick another place.
  ChosenSave saved;
  do {
    saved = SaveToChosenFile(frame_, kCutFilters, L"cut", cut.TheCut().Path(),
                             [&](const std::string& path, std::string* why) {
                               return cut.WriteToPath(path, why);
                             });
  } while (saved == ChosenSave::kFailed);
  return saved == ChosenSave::kSaved;
}

bool MainFrame::ConfirmCloseCut(CutWindow& cut) {
  Cut& c = cut.TheCut();
  if (!(c.StateFlags() & kStateUnsaved)) return true;
  if (!(layoutFlags_ & kSaveAllAnswer)) {
    if (!AskYesNo(frame_, instance_, IDS_ASK_SAVE, SaveQuestionName(c.Path()))) return true;
  }
  return SaveCut(cut);
}

void MainFrame::OnExportBitmap() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  const auto write = [&](const std::string& path, std::string*) {
    std::vector<uint8_t> bytes;
    return cut->ExportCurrentFrame(bytes) &&
           SaveFileSafely(path, [&](ByteStream& s) {
             return s.Write(bytes.data(), int32_t(bytes.size())) == 1;
           }, nullptr);
  };
  SaveToChosenFile(frame_, kBitmapFilters, L"bmp", {}, write, L"ビットマップを書き出せませんでした。");
}
