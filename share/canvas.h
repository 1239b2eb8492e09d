#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/rect.h"

// One shown picture: width × height opaque colours 0xFFRRGGBB, rows top to bottom. The
// alpha byte is always 0xFF, so a pixel row is the ARGB row picture encoders take.
struct Canvas {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> px;

  static constexpr uint32_t kOpaque = 0xFF000000u;
  static constexpr uint32_t kBlack = kOpaque;

  // Black, or nothing for a size below 1 each way.
  void Resize(int32_t w, int32_t h);
  uint32_t* Row(int32_t y) { return px.data() + size_t(y) * size_t(width); }
  const uint32_t* Row(int32_t y) const { return px.data() + size_t(y) * size_t(width); }
  uint32_t At(int32_t x, int32_t y) const { return Row(y)[x]; }
  Rect Whole() const { return Rect{0, 0, width, height}; }
  bool operator==(const Canvas&) const = default;
};

// The bounding box of the pixels inside `within` (clipped to both) where the two canvases
// of one size differ; empty when none do.
Rect DiffRect(const Canvas& a, const Canvas& b, const Rect& within);

// The pixels of `rect` (clipped to both) from `from` into `to`, canvases of one size.
void CopyRect(Canvas& to, const Canvas& from, const Rect& rect);

// `r` clipped to the canvas; empty when nothing is left.
Rect ClipToCanvas(const Canvas& c, const Rect& r);

// The n values of `in` each repeated `scale` times into `out` (n × scale values).
template <typename T>
void RepeatEach(const T* in, int32_t n, int scale, T* out) {
  if (scale == 1) {
    std::copy(in, in + n, out);
    return;
  }
  for (int32_t i = 0; i < n; ++i, out += scale) std::fill(out, out + scale, in[i]);
}
