#include "editor/pen_chooser.h"

PenChooser& ThePenChooser() {
  static PenChooser chooser;
  return chooser;
}

bool PenChooser::Create(HINSTANCE, HWND) {
  // The chooser's window, palette image and hit testing come with the drawing tools.
  return true;
}

void PenChooser::Hide() {
  if (window_) ShowWindow(window_, SW_HIDE);
}
