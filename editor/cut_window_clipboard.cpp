// Copy, cut and paste of the cut window through the program's paste buffer, and the whole
// cell out to and pictures in from the Windows clipboard.
#include <algorithm>
#include <new>

#include "edit/clipboard_image.h"
#include "editor/cut_window.h"
#include "editor/editor_tools.h"
#include "editor/program_state.h"
#include "model/cell_surface.h"
#include "model/cut.h"

namespace {

constexpr int kTile = 200;
constexpr DWORD kCopy = 0x00CC0020;  // SRCCOPY

// The picture of a device bitmap in the editor's tones, or null when it is empty or its
// pixels do not fit in memory.
std::unique_ptr<CellSurface> ReadPicture(HBITMAP bitmap) {
  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HGDIOBJ oldSource = SelectObject(source, bitmap);
  RECT box{};
  GetClipBox(source, &box);
  std::unique_ptr<CellSurface> picture(new (std::nothrow) CellSurface);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kTile;
  info.bmiHeader.biHeight = -kTile;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP tile = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC tileDc = CreateCompatibleDC(screen);
  const int32_t width = box.right, height = box.bottom;
  const bool ready = picture && tile && tileDc && width > 0 && height > 0 &&
                     picture->Create(width, height, 0);
  if (ready) {
    HGDIOBJ oldTile = SelectObject(tileDc, tile);
    const ProtectMask mask = Program().protectMask;
    const bool keyOn = Program().clipTransparent;
    const uint32_t key = Program().clipColor;
    constexpr int kRowBytes = (kTile * 3 + 3) & ~3;
    for (int32_t ty = 0; ty < height; ty += kTile) {
      for (int32_t tx = 0; tx < width; tx += kTile) {
        BitBlt(tileDc, 0, 0, kTile, kTile, source, tx, ty, kCopy);
        GdiFlush();
        const int32_t rows = std::min(kTile, height - ty), columns = std::min(kTile, width - tx);
        for (int32_t y = 0; y < rows; ++y) {
          const uint8_t* bgr = static_cast<const uint8_t*>(bits) + size_t(y) * kRowBytes;
          for (int32_t x = 0; x < columns; ++x, bgr += 3) {
            const int32_t px = tx + x, py = ty + y;
            if (IsProtected(mask, picture->GetPixel(px, py))) continue;
            const uint32_t rgb = uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
            picture->SetPixel(px, py, PicturePixel(rgb, px, py, keyOn, key));
          }
        }
      }
    }
    SelectObject(tileDc, oldTile);
  }
  if (tileDc) DeleteDC(tileDc);
  if (tile) DeleteObject(tile);
  SelectObject(source, oldSource);
  DeleteDC(source);
  ReleaseDC(nullptr, screen);
  if (!ready) return nullptr;
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

void CutWindow::OnPaste() { PasteInto(*this, EditorTools().paste, EditorTools().select); }

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
  if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    ShowWaitCursor(true);
    // A picture too large for memory leaves the paste buffer and the cell as they were.
    if (std::unique_ptr<CellSurface> picture = ReadPicture(bitmap)) {
      PasteBuffer& paste = EditorTools().paste;
      paste.pixels = std::move(picture);
      paste.source = nullptr;
      paste.canvas = Point{};
      PasteInto(*this, paste, EditorTools().select);
    }
    ShowWaitCursor(false);
  }
  CloseClipboard();
}
