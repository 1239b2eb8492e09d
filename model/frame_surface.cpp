#include "model/frame_surface.h"

#include <algorithm>

void FrameSurface::Clear(int value) {
  touched_ = true;
  if (pixels_) std::memset(pixels_, value & 0xFF, ByteSize());
}

std::unique_ptr<RasterSurface> FrameSurface::CloneEmpty() const {
  auto clone = std::make_unique<FrameSurface>();
  clone->palette_ = palette_;
  clone->Create(width_, height_, 0);
  return clone;
}

bool FrameSurface::Create(int32_t width, int32_t height, int fill) {
  if (width < 0 || height < 0) return false;
  const int32_t stride = StrideFor(width);
  uint32_t colors[256] = {};
  std::copy(palette_.begin(), palette_.begin() + kFrameImageColors, colors);
  auto fresh = CreatePixelBuffer(width, height, stride, colors, kFrameImageColors);
  if (!fresh) return false;
  std::copy(colors, colors + 256, colors_);
  colorsUsed_ = kFrameImageColors;
  buffer_ = std::move(fresh);
  pixels_ = buffer_->Bits();
  width_ = width;
  height_ = height;
  stride_ = stride;
  Clear(fill);
  return true;
}

void FrameSurface::SetColor(int index, uint32_t color) {
  if (index < 0 || index > 255) return;
  colors_[index] = color;
  if (buffer_) buffer_->SetColors(index, 1, &color);
}

void FrameSurface::SetPalette(const FramePalette& palette) {
  palette_ = palette;
  std::copy(palette.begin(), palette.begin() + kFrameImageColors, colors_);
  if (buffer_) buffer_->SetColors(0, kFrameImageColors, colors_);
}
