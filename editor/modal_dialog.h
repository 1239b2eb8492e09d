#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The base of the editor's dialogs: one modal dialog from a resource template at a time,
// centred on its owner. The kind's object carries the values in and out: LoadControls fills
// the controls at the start, StoreControls reads them back on OK.
class ModalDialog {
 public:
  ModalDialog(HWND statusBar, int resourceId) : statusBar_(statusBar), resourceId_(uint16_t(resourceId)) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // True when the user pressed OK (the object then holds the new values).
  bool Run(HINSTANCE instance, HWND owner);

 protected:
  // Virtual operations in their fixed order.
  virtual void StoreControls(HWND dialog) = 0;
  virtual void LoadControls(HWND dialog) = 0;
  // Every other command of the dialog; the base shows the focused control's help.
  virtual INT_PTR OnCommand(HWND dialog, int code, int id, HWND control);

  HWND statusBar_;
  uint16_t resourceId_;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  HINSTANCE instance_ = nullptr;
};

// Where an area of the frame shows its dialogs and messages: the program, the frame window
// that owns them and the status bar that shows the help of their controls.
struct DialogOwner {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HWND statusBar = nullptr;
};

// While a control has the focus the status bar shows the string whose id is the control's
// (edits, list boxes and buttons); losing the focus clears it. A control without a string
// leaves the status bar as it was. True when the notification was one of these.
bool ControlHelp(HWND statusBar, HINSTANCE instance, int code, int id, HWND control);

// Controls of the dialog kinds.
// An up-down control: its range and position.
void SetSpin(HWND dialog, int spin, int32_t low, int32_t high, int32_t position);
// The position of an up-down control read back whole (widths and heights) or as a signed
// 16-bit number (end frames, counts, spacings).
int32_t SpinValue(HWND dialog, int spin);
int32_t SpinValue16(HWND dialog, int spin);
// Document text (code page bytes) in an edit, and back, cut at `limit` bytes.
void SetDocumentText(HWND dialog, int control, const std::string& text);
std::string DocumentText(HWND dialog, int control, size_t limit);
void SetCheck(HWND dialog, int control, bool on);
bool Checked(HWND dialog, int control);
