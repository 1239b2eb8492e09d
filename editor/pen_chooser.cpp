#include "editor/pen_chooser.h"

#include "edit/pen_chooser_layout.h"
#include "editor/program_state.h"

namespace {

constexpr DWORD kCopy = 0x00CC0020;  // SRCCOPY

}  // namespace

PenChooser& ThePenChooser() {
  static PenChooser chooser;
  return chooser;
}

bool PenChooser::Create(HINSTANCE instance, HWND owner) {
  settings_ = &Program().drawing;
  if (!RegisterWindowClass(instance)) return false;
  CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, kChooserWidth, kChooserHeight, owner, nullptr,
                  instance, static_cast<BoundWindow*>(this));
  return window_ != nullptr;
}

void PenChooser::ShowAt(int32_t x, int32_t y, DrawingSettings& settings) {
  settings_ = &settings;
  if (!window_) return;
  const int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int32_t left = x + kChooserWidth - 2 > screenWidth ? screenWidth - kChooserWidth : x - 2;
  const int32_t top = y + kChooserHeight - 2 > screenHeight ? screenHeight - kChooserHeight : y - 2;
  MoveWindow(window_, left, top, kChooserWidth, kChooserHeight, FALSE);
  InvalidateRect(window_, nullptr, FALSE);
  ShowWindow(window_, SW_SHOWNA);
}

void PenChooser::Hide() {
  if (window_) ShowWindow(window_, SW_HIDE);
}

LRESULT PenChooser::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OnButton(short(LOWORD(lParam)), short(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
      Hide();
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void PenChooser::OnCreate() {
  image_.SetPalette(Program().framePalette);
  if (image_.Create(kChooserImageWidth, kChooserImageHeight, 0)) DrawChooserSwatches(image_);
}

void PenChooser::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (settings_ && image_.Buffer() && image_.Buffer()->Handle()) {
    DrawSizeSamples(image_, *settings_);
    HPALETTE palette = SelectEditorPalette(dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, static_cast<HBITMAP>(image_.Buffer()->Handle()));
    BitBlt(dc, 2, 2, kChooserWidth - 2, kChooserHeight - 2, memory, 2, 2, kCopy);
    SelectObject(memory, old);
    DeleteDC(memory);
    RECT all{0, 0, kChooserWidth, kChooserHeight};
    DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
    for (int row = 0; row < kChooserRows; ++row) {
      for (int column = 0; column < kChooserColumns; ++column) {
        const Swatch swatch{row, column};
        const Rect f = SwatchFrame(swatch);
        RECT frame{f.x, f.y, f.Right(), f.Bottom()};
        const bool current = IsCurrentChoice(swatch, settings_->pen);
        DrawEdge(dc, &frame, current ? EDGE_SUNKEN : EDGE_ETCHED, BF_RECT);
      }
    }
    if (palette) SelectPalette(dc, palette, FALSE);
  }
  EndPaint(window_, &ps);
}

void PenChooser::OnButton(int32_t x, int32_t y) {
  if (const std::optional<Swatch> swatch = SwatchAt(x, y); swatch && settings_)
    ChooseSwatch(*swatch, *settings_);
  InvalidateRect(window_, nullptr, FALSE);
}
