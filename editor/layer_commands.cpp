// The layer commands of the layer panel: add, insert, delete, move, properties, and layer
// files.
#include <windows.h>

#include "edit/cut_editing.h"
#include "edit/frame_panel.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/frame_panels.h"
#include "editor/resource.h"
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

void FramePanels::AddLayer() {
  OnAddLayer(false);
}

void FramePanels::OnAddLayer(bool insert) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  const std::optional<Rect> selection = cut->SelectionOnCanvas();
  LayerDialog dialog(owner_.statusBar);
  dialog.width = selection ? selection->width : c.CanvasWidth();
  dialog.height = selection ? selection->height : c.CanvasHeight();
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  // Without a selection the layer is centred on the canvas.
  std::optional<std::pair<int32_t, int32_t>> at;
  if (selection) at = std::make_pair(selection->x, selection->y);
  if (!AddLayerToFrames(c, dialog.name, dialog.width, dialog.height, at, nullptr, insert)) return;
  cut->FullRepaint();
  Refresh(cut);
}

void FramePanels::OnDeleteLayer() {
  CutWindow* cut = ActiveWindow();
  if (!cut || !RemoveCurrentLayer(cut->TheCut())) return;
  cut->FullRepaint();
  FillLayerRows(cut->TheCut());
}

void FramePanels::OnMoveLayer(bool up) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  if (!(up ? MoveLayerUp(c) : MoveLayerDown(c))) return;
  cut->FullRepaint();
  Frame* frame = c.CurrentFrameObject();
  const LRESULT row = SendMessageW(controls_.layerList, LB_GETCURSEL, 0, 0);
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  if (!entry || row == LB_ERR) {
    FillLayerRows(c);
    return;
  }
  const WPARAM to = WPARAM(up ? row + 1 : row - 1);
  SendMessageW(controls_.layerList, LB_DELETESTRING, WPARAM(row), 0);
  SendMessageW(controls_.layerList, LB_INSERTSTRING, to,
               reinterpret_cast<LPARAM>(Widen(LayerRowText(*entry)).c_str()));
  SendMessageW(controls_.layerList, LB_SETCURSEL, to, 0);
}

void FramePanels::OnLayerProperties() {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  Frame* frame = c.CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  Layer* layer = entry ? entry->layer : nullptr;
  if (!layer) return;
  const std::string shownName = layer->Name() ? *layer->Name() : std::string(kUntitled);
  LayerDialog dialog(owner_.statusBar);
  dialog.name = shownName;
  dialog.width = layer->Width();
  dialog.height = layer->Height();
  dialog.followFrame = layer->FollowFrame();
  if (!dialog.Run(owner_.instance, owner_.window)) return;
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

void FramePanels::OnSaveLayer() {
  CutWindow* cut = ActiveWindow();
  Frame* frame = cut ? cut->TheCut().CurrentFrameObject() : nullptr;
  if (!frame || !frame->CurrentEntry()) return;
  SaveToChosenFile(owner_.window, kLayerFilters, L"lyr", {},
                   [&](const std::string& path, std::string* why) {
                     return SaveLayerFile(cut->TheCut(), path, why);
                   });
}

void FramePanels::OnOpenLayer(bool overwrite) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  // Overwriting needs a current layer; opening makes one in a cut without layers.
  Frame* frame = cut->TheCut().CurrentFrameObject();
  if (overwrite && (!frame || !frame->CurrentEntry())) return;
  const std::string path = ChooseFileToOpen(owner_.window, kLayerFilters);
  if (!path.empty() && !OpenLayerFile(*cut, path)) MessageBeep(MB_ICONASTERISK);
}

bool FramePanels::OpenLayerFile(CutWindow& cut, const std::string& path) {
  {
    WaitCursor wait;
    if (!LoadLayerFile(cut.TheCut(), path)) return false;
  }
  cut.FullRepaint();
  Refresh(&cut);
  return true;
}
