#include "model/frame_surface.h"

void FrameSurface::Clear(int value) {
  if (pixels_) std::memset(pixels_, value & 0xFF, ByteSize());
}

std::unique_ptr<RasterSurface> FrameSurface::CloneEmpty() const {
  auto clone = std::make_unique<FrameSurface>();
  clone->Create(width_, height_, 0);
  return clone;
}

bool FrameSurface::Create(int32_t width, int32_t height, int fill) {
  if (width < 0 || height < 0) return false;
  const int32_t stride = StrideFor(width);
  auto fresh = CreatePixelBuffer(width, height, stride, nullptr, 0);
  if (!fresh) return false;
  buffer_ = std::move(fresh);
  pixels_ = buffer_->Bits();
  width_ = width;
  height_ = height;
  stride_ = stride;
  Clear(fill);
  return true;
}
