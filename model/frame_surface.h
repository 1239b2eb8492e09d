#pragma once

#include <memory>

#include "model/pixel_buffer.h"
#include "model/pixel_class.h"
#include "model/raster_surface.h"

// 8 bits per pixel, top-down, stride = width rounded up to a multiple of 4. The pixels live
// in a PixelBuffer (a DIB section in the Windows programs). Create does not keep the old
// content. Create makes the colour table a copy of the surface's frame palette's entries
// 0..24: the default palette's until SetPalette.
class FrameSurface : public RasterSurface {
 public:
  FrameSurface() : RasterSurface(256), palette_(DefaultFramePalette()) {}

  static int32_t StrideFor(int32_t width) { return (width + 3) & ~3; }

  uint16_t GetUnit(int32_t x, int32_t y) const override { return LoadUnit(Row(y) + x); }
  void SetUnit(int32_t x, int32_t y, uint16_t bits) override { StoreUnit(Row(y) + x, bits); }
  void Clear(int value) override;
  int GetPixel(int32_t x, int32_t y) const override { return Row(y)[x]; }
  void SetPixel(int32_t x, int32_t y, int value) override { Row(y)[x] = uint8_t(value); }
  std::unique_ptr<RasterSurface> CloneEmpty() const override;
  bool Create(int32_t width, int32_t height, int fill) override;

  PixelBuffer* Buffer() { return buffer_.get(); }

  // Colour table entries (0x00RRGGBB); ColorsUsed() of them are declared in use.
  const uint32_t* Colors() const { return colors_; }
  int ColorsUsed() const { return colorsUsed_; }
  // Replaces one entry, also in the platform bitmap; other indexes are ignored.
  void SetColor(int index, uint32_t color);
  // The frame palette from now on; entries 0..24 of the colour table become its own.
  void SetPalette(const FramePalette& palette);

 private:
  std::unique_ptr<PixelBuffer> buffer_;
  FramePalette palette_;
  uint32_t colors_[256] = {};
  int colorsUsed_ = 0;
};
