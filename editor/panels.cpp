// The frame and layer panels: filled from the active cut's current frame, written back into
// it, their notifications and help texts, and the focus cycle through them.
#include <windows.h>
// imm.h needs the types of windows.h.
#include <imm.h>

#include <vector>

#include "edit/cut_editing.h"
#include "edit/frame_panel.h"
#include "editor/cut_window.h"
#include "editor/main_frame.h"
#include "editor/modal_dialog.h"
#include "editor/resource.h"
#include "model/cut.h"
#include "win32/text_convert.h"

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

std::wstring WindowText(HWND control) {
  const int n = GetWindowTextLengthW(control);
  std::vector<wchar_t> text(size_t(n > 0 ? n : 0) + 1, L'\0');
  if (n > 0) GetWindowTextW(control, text.data(), n + 1);
  return text.data();
}

// A number field's text as the panels read it back: its first `chars` characters.
std::string FieldText(HWND control, size_t chars) {
  return AnsiTextLossy(WindowText(control).substr(0, chars));
}

void SetNumber(HWND control, long long value) {
  wchar_t text[32];
  swprintf(text, 32, L"%lld", value);
  SetWindowTextW(control, text);
  if (GetFocus() == control) SendMessageW(control, EM_SETSEL, 0, -1);
}

void SetRow(HWND list, int row, const std::string& text, bool replace) {
  if (replace) SendMessageW(list, LB_DELETESTRING, WPARAM(row), 0);
  SendMessageW(list, LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void SwapImeState(HWND window, bool& remembered) {
  HIMC context = ImmGetContext(window);
  if (!context) return;
  const bool open = ImmGetOpenStatus(context) != FALSE;
  ImmSetOpenStatus(context, remembered ? TRUE : FALSE);
  remembered = open;
  ImmReleaseContext(window, context);
}

}  // namespace

void MainFrame::FillLayerRows(Cut& cut) {
  SendMessageW(layerList_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(layerList_, LB_RESETCONTENT, 0, 0);
  if (Frame* frame = cut.CurrentFrameObject()) {
    for (int32_t i = 0; i < frame->EntryCount(); ++i)
      SetRow(layerList_, i, LayerRowText(*frame->EntryAt(i)), false);
    SendMessageW(layerList_, LB_SETCURSEL, WPARAM(frame->CurrentLayer()), 0);
  }
  SendMessageW(layerList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(layerList_, nullptr, TRUE);
}

void MainFrame::ClearPanels() {
  panelWindow_ = nullptr;
  SendMessageW(layerList_, LB_RESETCONTENT, 0, 0);
  for (HWND field : {frameTime_, loopField_, brightness_, comment_, keyframeButton_})
    SetWindowTextW(field, L"");
  SendMessageW(frameTime_, EM_SETREADONLY, FALSE, 0);
  SendMessageW(keyframeButton_, BM_SETCHECK, BST_UNCHECKED, 0);
}

void MainFrame::RefreshPanels(CutWindow* window) {
  Cut* cut = window ? &window->TheCut() : nullptr;
  Frame* frame = cut ? cut->CurrentFrameObject() : nullptr;
  if (!frame) {
    ClearPanels();
    return;
  }
  panelWindow_ = window->Window();
  FillLayerRows(*cut);
  SetNumber(frameTime_, cut->EffectiveTime(cut->CurrentFrame()));
  SendMessageW(frameTime_, EM_SETREADONLY, frame->IsKeyframe() ? TRUE : FALSE, 0);
  SetNumber(loopField_, frame->Loop());
  SetNumber(brightness_, frame->Brightness());
  SetWindowTextW(keyframeButton_, Widen(KeyframeCaption(*cut)).c_str());
  SendMessageW(keyframeButton_, BM_SETCHECK, frame->IsKeyframe() ? BST_CHECKED : BST_UNCHECKED, 0);
  SetWindowTextW(comment_, Widen(frame->Comment()).c_str());
}

void MainFrame::CommitPanels(CutWindow* window) {
  // The panels hold the frame of the cut they were filled from, and only that one.
  if (!window || window->Window() != panelWindow_) return;
  Cut& cut = window->TheCut();
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return;
  PanelTexts texts;
  texts.time = FieldText(frameTime_, kTimeChars);
  texts.loop = FieldText(loopField_, kLoopChars);
  texts.brightness = FieldText(brightness_, kBrightnessChars);
  // An untouched comment keeps its bytes, also those the code page cannot show.
  const std::wstring comment = WindowText(comment_);
  texts.comment = comment == Widen(frame->Comment()) ? frame->Comment() : AnsiTextLossy(comment);
  texts.keyframe = SendMessageW(keyframeButton_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  ApplyFrameProperties(cut, CommittedProperties(*frame, texts));
}

void MainFrame::UpdateLayerRow(CutWindow* window) {
  if (!window || window != ActiveCutWindow() || window->Window() != panelWindow_) return;
  Frame* frame = window->TheCut().CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  const LRESULT row = SendMessageW(layerList_, LB_GETCURSEL, 0, 0);
  if (!entry || row == LB_ERR) return;
  SetRow(layerList_, int(row), LayerRowText(*entry), true);
  SendMessageW(layerList_, LB_SETCURSEL, WPARAM(row), 0);
}

void MainFrame::OnPanelNotify(int code, int id, HWND control) {
  ControlHelp(statusBar_, instance_, code, id, control);
  CutWindow* cut = ActiveCutWindow();
  switch (id) {
    case IDC_FRAME_TIME:
    case IDC_LOOP:
    case IDC_BRIGHTNESS:
      if (code == EN_SETFOCUS) SendMessageW(control, EM_SETSEL, 0, -1);
      // Leaving the time field stores the panels; the other two wait for the next commit.
      if (id == IDC_FRAME_TIME && code == EN_KILLFOCUS && cut) {
        Frame* frame = cut->TheCut().CurrentFrameObject();
        const int32_t before = frame ? frame->Time() : 0;
        CommitPanels(cut);
        if (frame && frame->Time() != before) RefreshPanels(cut);
      }
      break;
    case IDC_COMMENT:
      if (code == EN_SETFOCUS || code == EN_KILLFOCUS) SwapImeState(frame_, commentImeOpen_);
      break;
    case IDC_KEYFRAME:
      if (code == BN_CLICKED && cut) {
        CommitPanels(cut);
        RefreshPanels(cut);
      }
      break;
    case IDC_LAYER_LIST:
      if (code == LBN_SELCHANGE && cut && cut->Window() == panelWindow_) {
        Frame* frame = cut->TheCut().CurrentFrameObject();
        const LRESULT row = SendMessageW(layerList_, LB_GETCURSEL, 0, 0);
        // The view marks the current layer only under these display options.
        if (frame && row != LB_ERR && frame->SetCurrentLayer(int32_t(row)) &&
            (cut->TheCut().DisplayFlags() &
             (kShowPreviousCell | kShowNextCell | kCurrentCellOnly | kOtherLayersPale)))
          cut->FullRepaint();
      }
      if (code == LBN_DBLCLK) OnLayerProperties();
      break;
  }
}

void MainFrame::OnFocusCycle(bool forward) {
  CutWindow* cut = ActiveCutWindow();
  const HWND stops[kStops] = {cut ? cut->Window() : nullptr,
                              frameTime_,
                              keyframeButton_,
                              loopField_,
                              brightness_,
                              layerList_,
                              cutList_,
                              comment_};
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
