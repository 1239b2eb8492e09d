#include "model/cell_surface.h"

#include <algorithm>
#include <new>

void CellSurface::Clear(int value) {
  touched_ = true;
  if (pixels_) std::memset(pixels_, (value & 0x0F) * 17, ByteSize());
}

std::unique_ptr<RasterSurface> CellSurface::CloneEmpty() const {
  auto clone = std::make_unique<CellSurface>();
  clone->Create(width_, height_, 0);
  return clone;
}

bool CellSurface::Create(int32_t width, int32_t height, int fill) {
  if (width < 0 || height < 0) return false;
  const int32_t stride = StrideFor(width);
  const size_t size = size_t(stride) * size_t(height);
  std::unique_ptr<uint8_t[]> fresh(new (std::nothrow) uint8_t[size ? size : 1]);
  if (!fresh) return false;
  std::memset(fresh.get(), (fill & 0x0F) * 17, size);
  if (pixels_) {
    // Resizing keeps the top-left content.
    const int32_t rows = std::min(height_, height);
    const int32_t bytes = std::min(stride_, stride);
    for (int32_t y = 0; y < rows; ++y) {
      uint8_t* row = fresh.get() + size_t(y) * stride;
      std::memcpy(row, Row(y), size_t(bytes));
      // Pixels past the new width are not kept, not even in the row padding.
      for (int32_t x = width; x < stride * 2; ++x) {
        uint8_t& b = row[x >> 1];
        const uint8_t f = uint8_t(fill & 0x0F);
        b = (x & 1) ? uint8_t((b & 0xF0) | f) : uint8_t((b & 0x0F) | (f << 4));
      }
    }
  }
  storage_ = std::move(fresh);
  pixels_ = storage_.get();
  width_ = width;
  height_ = height;
  stride_ = stride;
  touched_ = true;
  return true;
}
