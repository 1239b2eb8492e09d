#pragma once

#include <algorithm>
#include <cstdint>

// A rectangle (x, y, width, height); empty when width or height is below 1.
struct Rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  bool IsEmpty() const { return width < 1 || height < 1; }
  int32_t Right() const { return x + width; }
  int32_t Bottom() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

// Bounding box of both; an empty rectangle adds nothing.
inline Rect UnionRect(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  const int32_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int32_t x1 = std::max(a.Right(), b.Right()), y1 = std::max(a.Bottom(), b.Bottom());
  return Rect{x0, y0, x1 - x0, y1 - y0};
}

// The common part of both; empty (all zero) when they do not overlap.
inline Rect IntersectRect(const Rect& a, const Rect& b) {
  const int64_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int64_t x1 = std::min(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
  const int64_t y1 = std::min(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
  if (x1 <= x0 || y1 <= y0) return Rect{};
  return Rect{int32_t(x0), int32_t(y0), int32_t(x1 - x0), int32_t(y1 - y0)};
}
