#include <windows.h>

#include <algorithm>
#include <memory>

#include "model/pixel_buffer.h"
#include "win32/dib_pixel_buffer.h"

namespace {

// A top-down 8-bit DIB section. Its colour table always has 256 entries, so the frame
// buffer can load all its combined colours into it.
class DibPixelBuffer : public PixelBuffer {
 public:
  DibPixelBuffer(HBITMAP bitmap, uint8_t* bits) : bitmap_(bitmap), bits_(bits) {}
  ~DibPixelBuffer() override { DeleteObject(bitmap_); }
  uint8_t* Bits() override { return bits_; }
  void* Handle() override { return bitmap_; }
  void SetColors(int first, int count, const uint32_t* colors) override {
    if (first < 0 || count < 1 || first >= 256) return;
    count = std::min(count, 256 - first);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, bitmap_);
    // 0x00RRGGBB is blue, green, red, reserved in memory: an RGBQUAD.
    SetDIBColorTable(dc, UINT(first), UINT(count), reinterpret_cast<const RGBQUAD*>(colors));
    SelectObject(dc, old);
    DeleteDC(dc);
  }

 private:
  HBITMAP bitmap_;
  uint8_t* bits_;
};

// An empty surface has no bitmap, only a byte to point at.
class EmptyPixelBuffer : public PixelBuffer {
 public:
  uint8_t* Bits() override { return &byte_; }

 private:
  uint8_t byte_ = 0;
};

std::unique_ptr<PixelBuffer> CreateDib(int32_t width, int32_t height, int32_t stride,
                                       const uint32_t* colors, int colorCount) {
  if (width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return std::make_unique<EmptyPixelBuffer>();
  // The DIB's rows are its width rounded up to 4 bytes; they must be the stride asked for.
  if (((width + 3) & ~3) != stride) return nullptr;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD table[256];
  } info = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -height;  // top-down
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = 256;
  const int n = colors ? std::clamp(colorCount, 0, 256) : 0;
  std::copy(colors, colors + n, reinterpret_cast<uint32_t*>(info.table));
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  return std::make_unique<DibPixelBuffer>(bitmap, static_cast<uint8_t*>(bits));
}

}  // namespace

void UseDibSections() { SetPixelBufferFactory(CreateDib); }
