#include "share/canvas.h"

#include <algorithm>
#include <cstring>

void Canvas::Resize(int32_t w, int32_t h) {
  if (w < 1 || h < 1) w = h = 0;
  width = w, height = h;
  px.assign(size_t(w) * size_t(h), kBlack);
}

Rect ClipToCanvas(const Canvas& c, const Rect& r) {
  const int32_t x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int32_t x1 = std::min<int64_t>(int64_t(r.x) + std::max(r.width, 0), c.width);
  const int32_t y1 = std::min<int64_t>(int64_t(r.y) + std::max(r.height, 0), c.height);
  if (x0 >= x1 || y0 >= y1) return Rect{};
  return Rect{x0, y0, x1 - x0, y1 - y0};
}

Rect DiffRect(const Canvas& a, const Canvas& b, const Rect& within) {
  if (a.width != b.width || a.height != b.height) return Rect{};
  const Rect r = ClipToCanvas(a, within);
  int32_t x0 = r.Right(), x1 = r.x - 1, y0 = -1, y1 = -1;
  for (int32_t y = r.y; y < r.Bottom(); ++y) {
    const uint32_t* pa = a.Row(y) + r.x;
    const uint32_t* pb = b.Row(y) + r.x;
    if (std::memcmp(pa, pb, size_t(r.width) * sizeof(uint32_t)) == 0) continue;
    int32_t first = 0, last = r.width - 1;
    while (pa[first] == pb[first]) ++first;
    while (pa[last] == pb[last]) --last;
    x0 = std::min(x0, r.x + first), x1 = std::max(x1, r.x + last);
    if (y0 < 0) y0 = y;
    y1 = y;
  }
  if (y0 < 0) return Rect{};
  return Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

void CopyRect(Canvas& to, const Canvas& from, const Rect& rect) {
  if (to.width != from.width || to.height != from.height) return;
  const Rect r = ClipToCanvas(to, rect);
  for (int32_t y = r.y; y < r.Bottom(); ++y)
    std::memcpy(to.Row(y) + r.x, from.Row(y) + r.x, size_t(r.width) * sizeof(uint32_t));
}
