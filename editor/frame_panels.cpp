// The frame and layer panels filled from the active cut's current frame and written back
// into it.
#include "editor/frame_panels.h"

#include <vector>

#include "edit/cut_editing.h"
#include "edit/frame_panel.h"
#include "editor/cut_window.h"
#include "model/cut.h"
#include "win32/text_convert.h"

namespace {

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

}  // namespace

void FramePanels::Attach(const Controls& controls, HWND mdiClient, const DialogOwner& owner) {
  controls_ = controls;
  mdiClient_ = mdiClient;
  owner_ = owner;
}

CutWindow* FramePanels::ActiveWindow() const {
  return CutWindow::Active(mdiClient_);
}

void FramePanels::FillLayerRows(Cut& cut) {
  HWND list = controls_.layerList;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  if (Frame* frame = cut.CurrentFrameObject()) {
    for (int32_t i = 0; i < frame->EntryCount(); ++i)
      SetRow(list, i, LayerRowText(*frame->EntryAt(i)), false);
    SendMessageW(list, LB_SETCURSEL, WPARAM(frame->CurrentLayer()), 0);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void FramePanels::Clear() {
  const Controls& c = controls_;
  filledFrom_ = nullptr;
  SendMessageW(c.layerList, LB_RESETCONTENT, 0, 0);
  for (HWND field : {c.frameTime, c.loop, c.brightness, c.comment, c.keyframe})
    SetWindowTextW(field, L"");
  SendMessageW(c.frameTime, EM_SETREADONLY, FALSE, 0);
  SendMessageW(c.keyframe, BM_SETCHECK, BST_UNCHECKED, 0);
}

void FramePanels::Refresh(CutWindow* window) {
  Cut* cut = window ? &window->TheCut() : nullptr;
  Frame* frame = cut ? cut->CurrentFrameObject() : nullptr;
  if (!frame) {
    Clear();
    return;
  }
  const Controls& c = controls_;
  filledFrom_ = window->Window();
  FillLayerRows(*cut);
  SetNumber(c.frameTime, cut->EffectiveTime(cut->CurrentFrame()));
  SendMessageW(c.frameTime, EM_SETREADONLY, frame->IsKeyframe() ? TRUE : FALSE, 0);
  SetNumber(c.loop, frame->Loop());
  SetNumber(c.brightness, frame->Brightness());
  SetWindowTextW(c.keyframe, Widen(KeyframeCaption(*cut)).c_str());
  SendMessageW(c.keyframe, BM_SETCHECK, frame->IsKeyframe() ? BST_CHECKED : BST_UNCHECKED, 0);
  SetWindowTextW(c.comment, Widen(frame->Comment()).c_str());
}

void FramePanels::Commit(CutWindow* window) {
  // The panels hold the frame of the cut they were filled from, and only that one.
  if (!window || window->Window() != filledFrom_) return;
  Cut& cut = window->TheCut();
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return;
  const Controls& c = controls_;
  PanelTexts texts;
  texts.time = FieldText(c.frameTime, kTimeChars);
  texts.loop = FieldText(c.loop, kLoopChars);
  texts.brightness = FieldText(c.brightness, kBrightnessChars);
  // An untouched comment keeps its bytes, also those the code page cannot show.
  const std::wstring comment = WindowText(c.comment);
  texts.comment = comment == Widen(frame->Comment()) ? frame->Comment() : AnsiTextLossy(comment);
  texts.keyframe = SendMessageW(c.keyframe, BM_GETCHECK, 0, 0) == BST_CHECKED;
  ApplyFrameProperties(cut, CommittedProperties(*frame, texts));
}

void FramePanels::UpdateLayerRow(CutWindow& window) {
  if (&window != ActiveWindow() || window.Window() != filledFrom_) return;
  Frame* frame = window.TheCut().CurrentFrameObject();
  const LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  const LRESULT row = SendMessageW(controls_.layerList, LB_GETCURSEL, 0, 0);
  if (!entry || row == LB_ERR) return;
  SetRow(controls_.layerList, int(row), LayerRowText(*entry), true);
  SendMessageW(controls_.layerList, LB_SETCURSEL, WPARAM(row), 0);
}
