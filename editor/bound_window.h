#pragma once

#include <windows.h>

// A window of the class "ORVINADE", bound to an object from its creation on: the object is
// the creation parameter, kept in the window's extra data, and from WM_NCCREATE every
// message goes to the object's handler.
class BoundWindow {
 public:
  virtual ~BoundWindow() = default;
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND Window() const { return window_; }

  // Registers the class once; true when it exists.
  static bool RegisterWindowClass(HINSTANCE instance);
  static constexpr wchar_t kClassName[] = L"ORVINADE";

 protected:
  HWND window_ = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
