#pragma once

#include <windows.h>

#include "edit/drawing_settings.h"
#include "editor/bound_window.h"
#include "model/frame_surface.h"

// The pop-up that picks the pen's colour, tone and size at the mouse: 230 × 62 pixels,
// never activated, closed by a left click on it (the right button chooses and leaves it
// open). One object for the whole run; its window is owned by the main frame.
class PenChooser : public BoundWindow {
 public:
  bool Create(HINSTANCE instance, HWND owner);
  // Shows the chooser at a screen point, kept on the screen, editing `settings`.
  void ShowAt(int32_t x, int32_t y, DrawingSettings& settings);
  void Hide();

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCreate();
  void OnPaint();
  void OnButton(int32_t x, int32_t y);

  DrawingSettings* settings_ = nullptr;
  FrameSurface image_;
};

PenChooser& ThePenChooser();
