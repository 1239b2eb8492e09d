#pragma once

#include <windows.h>

// The pop-up that picks the pen's colour, tone and size at the mouse. One object for the
// whole run; its window is owned by the main frame.
class PenChooser {
 public:
  bool Create(HINSTANCE instance, HWND owner);
  void Hide();
  HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

PenChooser& ThePenChooser();
