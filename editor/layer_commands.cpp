// The layer commands of the layer panel: add, insert, delete, move, properties, and layer
// files.
#include <windows.h>

#include "edit/cut_editing.h"
#include "edit/frame_panel.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/main_frame.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "files/layer_file.h"
#include "model/cut.h"
#include "model/undo.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"

namespace {

constexpr wchar_t kLayerFilters[] = L"Layer Files (*.lyr)\0*.lyr\0All Files (*.*)\0*.*\0";
constexpr char kUntitled[] = "UNTITLED";

}  // namespace

bool MainFrame::RunLayerCommand(int id) {
  switch (id) {
    case ID_LAYER_ADD:
    case ID_LAYER_INSERT:
      OnAddLayer(id == ID_LAYER_INSERT);
      return true;
    case ID_LAYER_DELETE:
      OnDeleteLayer();
      return true;
    case ID_LAYER_UP:
    case ID_LAYER_DOWN:
      OnMoveLayer(id == ID_LAYER_UP);
      return true;
    case ID_LAYER_PROPERTIES:
      OnLayerProperties();
      return true;
    case ID_LAYER_SAVE:
      OnSaveLayer();
      return true;
    case ID_LAYER_OPEN:
    case ID_LAYER_OVERWRITE:
      OnOpenLayer(id == ID_LAYER_OVERWRITE);
      return true;
    case ID_FOCUS_NEXT:
    case ID_FOCUS_PREVIOUS:
      OnFocusCycle(id == ID_FOCUS_NEXT);
      return true;
  }
  return false;
}

void MainFrame::OnAddLayer(bool insert) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  const std::optional<Rect> selection = cut->SelectionOnCanvas();
  LayerDialog dialog(statusBar_);
  dialog.width = selection ? selection->width : c.CanvasWidth();
  dialog.height = selection ? selection->height : c.CanvasHeight();
  if (!dialog.Run(instance_, frame_)) return;
  // Without a selection the layer is centred on the canvas.
  std::optional<std::pair<int32_t, int32_t>> at;
  if (selection) at = std::make_pair(selection->x, selection->y);
  if (!AddLayerToFrames(c, dialog.name, dialog.width, dialog.height, at, nullptr, insert)) return;
  cut->FullRepaint();
  RefreshPanels(cut);
}

void MainFrame::OnDeleteLayer() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut || !RemoveCurrentLayer(cut->TheCut())) return;
  cut->FullRepaint();
  FillLayerRows(cut->TheCut());
}

void MainFrame::OnMoveLayer(bool up) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  if (!(up ? MoveLayerUp(c) : MoveLayerDown(c))) return;
  cut->FullRepaint();
  Frame* frame = c.CurrentFrameObject();
  const LRESULT row = SendMessageW(layerList_, LB_GETCURSEL, 0, 0);
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  if (!entry || row == LB_ERR) {
    FillLayerRows(c);
    return;
  }
  const WPARAM to = WPARAM(up ? row + 1 : row - 1);
  SendMessageW(layerList_, LB_DELETESTRING, WPARAM(row), 0);
  SendMessageW(layerList_, LB_INSERTSTRING, to,
               reinterpret_cast<LPARAM>(Widen(LayerRowText(*entry)).c_str()));
  SendMessageW(layerList_, LB_SETCURSEL, to, 0);
}

void MainFrame::OnLayerProperties() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  Frame* frame = c.CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  Layer* layer = entry ? entry->layer : nullptr;
  if (!layer) return;
  const std::string shownName = layer->Name() ? *layer->Name() : std::string(kUntitled);
  LayerDialog dialog(statusBar_);
  dialog.name = shownName;
  dialog.width = layer->Width();
  dialog.height = layer->Height();
  dialog.followFrame = layer->FollowFrame();
  if (!dialog.Run(instance_, frame_)) return;
  const bool renamed = dialog.name != shownName;
  LayerProperties properties;
  properties.name = layer->Name();
  if (renamed)
    properties.name = dialog.name.empty() ? std::nullopt : std::optional<std::string>(dialog.name);
  properties.width = dialog.width;
  properties.height = dialog.height;
  properties.followFrame = dialog.followFrame;
  if (!ApplyLayerProperties(c, properties)) return;
  if (renamed) FillLayerRows(c);
  cut->FullRepaint();
}

void MainFrame::OnSaveLayer() {
  CutWindow* cut = ActiveCutWindow();
  Frame* frame = cut ? cut->TheCut().CurrentFrameObject() : nullptr;
  if (!frame || !frame->CurrentEntry()) return;
  SaveToChosenFile(frame_, kLayerFilters, L"lyr", {}, [&](const std::string& path, std::string* why) {
    return SaveLayerFile(cut->TheCut(), path, why);
  });
}

void MainFrame::OnOpenLayer(bool overwrite) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return;
  // Overwriting needs a current layer; opening makes one in a cut without layers.
  Frame* frame = cut->TheCut().CurrentFrameObject();
  if (overwrite && (!frame || !frame->CurrentEntry())) return;
  const std::string path = ChooseFileToOpen(frame_, kLayerFilters);
  if (!path.empty() && !OpenLayerFile(*cut, path)) MessageBeep(MB_ICONASTERISK);
}

bool MainFrame::OpenLayerFile(CutWindow& cut, const std::string& path) {
  {
    WaitCursor wait;
    if (!LoadLayerFile(cut.TheCut(), path)) return false;
  }
  cut.FullRepaint();
  RefreshPanels(&cut);
  return true;
}
