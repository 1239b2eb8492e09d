#pragma once

#include <memory>

#include "model/raster_surface.h"

// 4 bits per pixel: pixel x of a row is in byte x/2, an even x in the high nibble, an odd x
// in the low nibble. Stride = ceil(width / 2) rounded up to a multiple of 4.
class CellSurface : public RasterSurface {
 public:
  CellSurface() : RasterSurface(16) {}

  static int32_t StrideFor(int32_t width) { return ((width + 1) / 2 + 3) & ~3; }

  uint16_t GetUnit(int32_t x, int32_t y) const override { return LoadUnit(Row(y) + x / 2); }
  void SetUnit(int32_t x, int32_t y, uint16_t bits) override { StoreUnit(Row(y) + x / 2, bits); }
  void Clear(int value) override;
  int GetPixel(int32_t x, int32_t y) const override {
    const uint8_t b = Row(y)[x >> 1];
    return (x & 1) ? (b & 0x0F) : (b >> 4);
  }
  void SetPixel(int32_t x, int32_t y, int value) override {
    uint8_t& b = Row(y)[x >> 1];
    b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | (value << 4));
  }
  std::unique_ptr<RasterSurface> CloneEmpty() const override;
  bool Create(int32_t width, int32_t height, int fill) override;

 private:
  std::unique_ptr<uint8_t[]> storage_;
};
