#include "editor/bound_window.h"

bool BoundWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kClassName, &existing)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = sizeof(BoundWindow*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

LRESULT CALLBACK BoundWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<BoundWindow*>(GetWindowLongPtrW(window, 0));
  if (!self) {
    if (message != WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
    self = static_cast<BoundWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    // Without an object, or without room to keep it, the window is not made.
    if (!self || GetClassLongPtrW(window, GCL_CBWNDEXTRA) < LONG_PTR(sizeof(BoundWindow*)))
      return FALSE;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, 0, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}
