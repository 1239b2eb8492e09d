// Copy, cut and paste of the cut window through the program's paste buffer, and the whole
// cell out to and pictures in from the Windows clipboard.
#include "edit/clipboard_dib.h"
#include "edit/clipboard_image.h"
#include "editor/cut_window.h"
#include "editor/editor_tools.h"
#include "editor/program_state.h"
#include "model/cell_surface.h"
#include "model/cut.h"

namespace {

constexpr DWORD kCopy = 0x00CC0020;  // SRCCOPY

// The picture of a device bitmap in the editor's tones, or null when it is empty or its
// pixels do not fit in memory. Its size is the clip box of a device context holding it.
std::unique_ptr<CellSurface> ReadPicture(HBITMAP bitmap) {
  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HGDIOBJ oldSource = SelectObject(source, bitmap);
  RECT box{};
  GetClipBox(source, &box);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kPictureTile;
  info.bmiHeader.biHeight = -kPictureTile;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP tile = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC tileDc = CreateCompatibleDC(screen);
  std::unique_ptr<CellSurface> picture;
  if (tile && tileDc) {
    HGDIOBJ oldTile = SelectObject(tileDc, tile);
    constexpr int kRowBytes = (kPictureTile * 3 + 3) & ~3;
    auto read = [&](int32_t x, int32_t y, uint32_t* pixels) {
      BitBlt(tileDc, 0, 0, kPictureTile, kPictureTile, source, x, y, kCopy);
      GdiFlush();
      for (int32_t row = 0; row < kPictureTile; ++row) {
        const uint8_t* bgr = static_cast<const uint8_t*>(bits) + size_t(row) * kRowBytes;
        for (int32_t column = 0; column < kPictureTile; ++column, bgr += 3)
          *pixels++ = uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
      }
    };
    const ProgramState& p = Program();
    picture =
        PictureCell(box.right, box.bottom, read, p.clipTransparent, p.clipColor, p.protectMask);
    SelectObject(tileDc, oldTile);
  }
  if (tileDc) DeleteDC(tileDc);
  if (tile) DeleteObject(tile);
  SelectObject(source, oldSource);
  DeleteDC(source);
  ReleaseDC(nullptr, screen);
  return picture;
}

// The clipboard's device-independent bitmap through our own reader, or null when there is
// none or it is not one the reader takes (the device bitmap is read then).
std::unique_ptr<CellSurface> ReadDibPicture() {
  HANDLE data = GetClipboardData(CF_DIB);
  if (!data) return nullptr;
  const void* bytes = GlobalLock(data);
  if (!bytes) return nullptr;
  const ProgramState& p = Program();
  std::unique_ptr<CellSurface> picture = DibPictureCell(static_cast<const uint8_t*>(bytes), GlobalSize(data),
                                                        p.clipTransparent, p.clipColor, p.protectMask);
  GlobalUnlock(data);
  return picture;
}

}  // namespace

void CutWindow::OnCopy(bool cut) {
  if (cut) {
    CutSelection(*this, EditorTools().paste);
  } else {
    CopySelection(*this, EditorTools().paste);
  }
}

void CutWindow::OnPaste() {
  PasteInto(*this, EditorTools().paste, EditorTools().select);
}

void CutWindow::OnClipboardCopy() {
  const auto target = TargetOf(*this);
  if (!target) return;
  const size_t size = CellDibSize(*target->cell);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (!memory) return;
  void* bytes = GlobalLock(memory);
  if (!bytes) {
    GlobalFree(memory);
    return;
  }
  WriteCellDib(*target->cell, static_cast<uint8_t*>(bytes));
  GlobalUnlock(memory);
  if (!OpenClipboard(window_)) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  // Once set, the memory belongs to the clipboard.
  if (!SetClipboardData(CF_DIB, memory)) GlobalFree(memory);
  CloseClipboard();
}

void CutWindow::OnClipboardPaste() {
  if (!TargetOf(*this) || !IsClipboardFormatAvailable(CF_BITMAP)) return;
  if (!OpenClipboard(window_)) return;
  ShowWaitCursor(true);
  std::unique_ptr<CellSurface> picture = ReadDibPicture();
  if (!picture) {
    if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) picture = ReadPicture(bitmap);
  }
  // A picture too large for memory leaves the paste buffer and the cell as they were.
  if (picture) {
    PasteBuffer& paste = EditorTools().paste;
    paste.pixels = std::move(picture);
    paste.source = nullptr;
    paste.canvas = Point{};
    PasteInto(*this, paste, EditorTools().select);
  }
  ShowWaitCursor(false);
  CloseClipboard();
}
