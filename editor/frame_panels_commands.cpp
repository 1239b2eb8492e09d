// The panels' commands: the table of the frame and layer commands, the notifications of the
// panel controls with their help texts, and the focus cycle through the panels.
#include <windows.h>
// imm.h needs the types of windows.h.
#include <imm.h>

#include "edit/cut_editing.h"
#include "editor/cut_window.h"
#include "editor/frame_panels.h"
#include "editor/resource.h"
#include "model/cut.h"

namespace {

// The focus cycle's stops, in forward order.
enum Stop {
  kCutView,
  kFrameTime,
  kKeyframe,
  kLoop,
  kBrightness,
  kLayerList,
  kCutList,
  kComment,
  kStops
};

void SwapImeState(HWND window, bool& remembered) {
  HIMC context = ImmGetContext(window);
  if (!context) return;
  const bool open = ImmGetOpenStatus(context) != FALSE;
  ImmSetOpenStatus(context, remembered ? TRUE : FALSE);
  remembered = open;
  ImmReleaseContext(window, context);
}

bool PreviousFrame(Cut& cut) {
  return cut.GoPrevFrame();
}
bool NextFrame(Cut& cut) {
  return cut.GoNextFrame();
}
bool PreviousKeyframe(Cut& cut) {
  return cut.GoPrevKeyframe();
}
bool NextKeyframe(Cut& cut) {
  return cut.GoNextKeyframe();
}

}  // namespace

const Command<FramePanels> FramePanels::kCommands[] = {
    {ID_FRAME_ADD, [](FramePanels& p, int) { p.StepFrame(AddFrameCopy); }},
    {ID_FRAME_INSERT, [](FramePanels& p, int) { p.StepFrame(InsertFrameCopy); }},
    {ID_FRAME_PREVIOUS, [](FramePanels& p, int) { p.StepFrame(PreviousFrame); }},
    {ID_FRAME_NEXT, [](FramePanels& p, int) { p.StepFrame(NextFrame); }},
    {ID_FRAME_NEXT_KEYFRAME, [](FramePanels& p, int) { p.StepFrame(NextKeyframe); }},
    {ID_FRAME_PREVIOUS_KEYFRAME, [](FramePanels& p, int) { p.StepFrame(PreviousKeyframe); }},
    {ID_FRAME_ALL_KEYFRAMES, [](FramePanels& p, int) { p.OnAllKeyframes(); }},
    {ID_FRAME_ADD_SEVERAL, [](FramePanels& p, int) { p.OnAddFrames(false); }},
    {ID_FRAME_DELETE_SEVERAL, [](FramePanels& p, int) { p.OnAddFrames(true); }},
    // The brightness run stores the panels before its dialog, the position runs after it.
    {ID_FRAME_BRIGHTNESS_RUN,
     [](FramePanels& p, int) { p.OnRun(IDD_BRIGHTNESS_RUN, true, BrightnessRun); }},
    {ID_FRAME_POSITION_RUN,
     [](FramePanels& p, int) { p.OnRun(IDD_FRAME_RUN, false, FramePositionRun); }},
    {ID_LAYER_POSITION_RUN,
     [](FramePanels& p, int) { p.OnRun(IDD_LAYER_RUN, false, LayerPositionRun); }},
    {ID_FRAME_SIZE, [](FramePanels& p, int) { p.OnFrameSize(); }},
    {ID_LAYER_ADD, [](FramePanels& p, int) { p.OnAddLayer(false); }},
    {ID_LAYER_INSERT, [](FramePanels& p, int) { p.OnAddLayer(true); }},
    {ID_LAYER_DELETE, [](FramePanels& p, int) { p.OnDeleteLayer(); }},
    {ID_LAYER_UP, [](FramePanels& p, int) { p.OnMoveLayer(true); }},
    {ID_LAYER_DOWN, [](FramePanels& p, int) { p.OnMoveLayer(false); }},
    {ID_LAYER_PROPERTIES, [](FramePanels& p, int) { p.OnLayerProperties(); }},
    {ID_LAYER_SAVE, [](FramePanels& p, int) { p.OnSaveLayer(); }},
    {ID_LAYER_OPEN, [](FramePanels& p, int) { p.OnOpenLayer(false); }},
    {ID_LAYER_OVERWRITE, [](FramePanels& p, int) { p.OnOpenLayer(true); }},
    {ID_FOCUS_NEXT, [](FramePanels& p, int) { p.OnFocusCycle(true); }},
    {ID_FOCUS_PREVIOUS, [](FramePanels& p, int) { p.OnFocusCycle(false); }},
    // The controls' notifications.
    {IDC_FRAME_TIME, [](FramePanels& p, int code) { p.OnTimeField(code); }},
    {IDC_LOOP, [](FramePanels& p, int code) { p.OnNumberField(p.controls_.loop, IDC_LOOP, code); }},
    {IDC_BRIGHTNESS,
     [](FramePanels& p, int code) {
       p.OnNumberField(p.controls_.brightness, IDC_BRIGHTNESS, code);
     }},
    {IDC_COMMENT, [](FramePanels& p, int code) { p.OnComment(code); }},
    {IDC_KEYFRAME, [](FramePanels& p, int code) { p.OnKeyframe(code); }},
    {IDC_LAYER_LIST, [](FramePanels& p, int code) { p.OnLayerList(code); }},
};

bool FramePanels::RunCommand(int id, int code) {
  return ::RunCommand(kCommands, *this, id, code);
}

void FramePanels::OnNumberField(HWND field, int id, int code) {
  ControlHelp(owner_.statusBar, owner_.instance, code, id, field);
  if (code == EN_SETFOCUS) SendMessageW(field, EM_SETSEL, 0, -1);
}

// Leaving the time field stores the panels; the loop and brightness fields wait for the next
// commit.
void FramePanels::OnTimeField(int code) {
  OnNumberField(controls_.frameTime, IDC_FRAME_TIME, code);
  CutWindow* cut = ActiveWindow();
  if (code != EN_KILLFOCUS || !cut) return;
  Frame* frame = cut->TheCut().CurrentFrameObject();
  const int32_t before = frame ? frame->Time() : 0;
  Commit(cut);
  if (frame && frame->Time() != before) Refresh(cut);
}

void FramePanels::OnComment(int code) {
  ControlHelp(owner_.statusBar, owner_.instance, code, IDC_COMMENT, controls_.comment);
  if (code == EN_SETFOCUS || code == EN_KILLFOCUS) SwapImeState(owner_.window, commentImeOpen_);
}

void FramePanels::OnKeyframe(int code) {
  ControlHelp(owner_.statusBar, owner_.instance, code, IDC_KEYFRAME, controls_.keyframe);
  CutWindow* cut = ActiveWindow();
  if (code != BN_CLICKED || !cut) return;
  Commit(cut);
  Refresh(cut);
}

void FramePanels::OnLayerList(int code) {
  ControlHelp(owner_.statusBar, owner_.instance, code, IDC_LAYER_LIST, controls_.layerList);
  CutWindow* cut = ActiveWindow();
  if (code == LBN_SELCHANGE && cut && cut->Window() == filledFrom_) {
    Frame* frame = cut->TheCut().CurrentFrameObject();
    const LRESULT row = SendMessageW(controls_.layerList, LB_GETCURSEL, 0, 0);
    // The view marks the current layer only under these display options.
    if (frame && row != LB_ERR && frame->SetCurrentLayer(int32_t(row)) &&
        (cut->TheCut().DisplayFlags() &
         (kShowPreviousCell | kShowNextCell | kCurrentCellOnly | kOtherLayersPale)))
      cut->FullRepaint();
  }
  if (code == LBN_DBLCLK) OnLayerProperties();
}

void FramePanels::OnFocusCycle(bool forward) {
  CutWindow* cut = ActiveWindow();
  const Controls& c = controls_;
  const HWND stops[kStops] = {cut ? cut->Window() : nullptr,
                              c.frameTime,
                              c.keyframe,
                              c.loop,
                              c.brightness,
                              c.layerList,
                              c.cutList,
                              c.comment};
  const HWND focus = GetFocus();
  int at = 0;
  while (at < kStops && (!stops[at] || stops[at] != focus)) ++at;
  if (at == kStops) return;
  // Without a cut window the cycle skips the cut view.
  int to = at;
  do {
    to = (to + (forward ? 1 : kStops - 1)) % kStops;
  } while (!stops[to]);
  SetFocus(stops[to]);
}
