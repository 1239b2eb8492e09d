#include "model/dirty_region.h"

#include <algorithm>

#include "model/frame.h"
#include "model/raster_surface.h"

Rect DirtyRegion::ContentOf(const RasterSurface& cell) {
  const auto found = content_.find(&cell);
  if (found != content_.end()) return found->second;
  const int32_t w = cell.Width();
  int32_t x0 = w, x1 = 0, y0 = -1, y1 = 0;
  for (int32_t y = 0; y < cell.Height() && w > 0; ++y) {
    const int32_t first = cell.ScanRow(0, y, w, true);
    if (first >= w) continue;
    const int32_t last = cell.ScanRow(w - 1, y, first - 1, false);
    x0 = std::min(x0, first);
    x1 = std::max(x1, last + 1);
    if (y0 < 0) y0 = y;
    y1 = y + 1;
  }
  const Rect r = y0 < 0 ? Rect{} : Rect{x0, y0, x1 - x0, y1 - y0};
  content_.emplace(&cell, r);
  return r;
}

Rect DirtyRegion::EntryArea(Frame& frame, int32_t index) {
  const auto e = frame.ResolveEntry(index);
  if (!e) return Rect{};
  Rect r = ContentOf(*e->cell);
  if (r.IsEmpty()) return Rect{};
  // Cell positions are not bounded; the canvas is, so far-off areas clip to nothing.
  const int64_t x = int64_t(r.x) + e->x, y = int64_t(r.y) + e->y;
  const int64_t lo = INT32_MIN / 2, hi = INT32_MAX / 2;
  const int64_t cx = std::clamp<int64_t>(x, lo, hi), cy = std::clamp<int64_t>(y, lo, hi);
  const int64_t right = std::clamp<int64_t>(x + r.width, lo, hi);
  const int64_t bottom = std::clamp<int64_t>(y + r.height, lo, hi);
  return Rect{int32_t(cx), int32_t(cy), int32_t(right - cx), int32_t(bottom - cy)};
}

Rect DirtyRegion::Between(Frame& a, Frame& b, bool currentCellOnly) {
  auto differ = [&](int32_t ia, int32_t ib) {
    const auto ea = a.ResolveEntry(ia), eb = b.ResolveEntry(ib);
    if (!ea && !eb) return false;
    return !ea || !eb || ea->cell != eb->cell || ea->x != eb->x || ea->y != eb->y;
  };
  Rect region;
  if (currentCellOnly) {
    if (differ(a.CurrentLayer(), b.CurrentLayer()))
      region = UnionRect(EntryArea(a, a.CurrentLayer()), EntryArea(b, b.CurrentLayer()));
    return region;
  }
  const int32_t n = std::max(a.EntryCount(), b.EntryCount());
  for (int32_t i = 0; i < n; ++i) {
    if (differ(i, i)) region = UnionRect(region, UnionRect(EntryArea(a, i), EntryArea(b, i)));
  }
  return region;
}

bool SamePicture(Frame& a, Frame& b, bool currentCellOnly) {
  return a.SameImageAs(b) && (!currentCellOnly || a.CurrentLayer() == b.CurrentLayer());
}
