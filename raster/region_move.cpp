#include "raster/region_move.h"

#include <new>
#include <vector>

#include "raster/stroke.h"

void MoveRegion(RasterSurface& surface, Rect source, Point to, ProtectMask mask) {
  const Rect r = IntersectRect(source, Rect{0, 0, surface.Width(), surface.Height()});
  if (r.IsEmpty()) return;
  const int64_t dx = int64_t(to.x) - source.x, dy = int64_t(to.y) - source.y;
  // Lifting everything before putting anything down lets source and destination overlap.
  std::vector<uint8_t> lifted(size_t(r.width) * size_t(r.height));
  size_t i = 0;
  for (int32_t y = r.y; y < r.Bottom(); ++y) {
    for (int32_t x = r.x; x < r.Right(); ++x, ++i) {
      const int v = surface.GetPixel(x, y);
      if (v < 1 || IsProtected(mask, v)) continue;
      lifted[i] = uint8_t(v);
      surface.SetPixel(x, y, 0);
    }
  }
  i = 0;
  for (int32_t y = r.y; y < r.Bottom(); ++y) {
    for (int32_t x = r.x; x < r.Right(); ++x, ++i) {
      if (!lifted[i]) continue;
      const int64_t tx = x + dx, ty = y + dy;
      if (tx < 0 || ty < 0 || tx >= surface.Width() || ty >= surface.Height()) continue;
      if (IsProtected(mask, surface.GetPixel(int32_t(tx), int32_t(ty)))) continue;
      surface.SetPixel(int32_t(tx), int32_t(ty), lifted[i]);
    }
  }
}

std::unique_ptr<CellSurface> CopyRegion(const RasterSurface& surface, Rect r, ProtectMask mask) {
  r = IntersectRect(r, Rect{0, 0, surface.Width(), surface.Height()});
  if (r.IsEmpty()) return nullptr;
  auto copy = std::unique_ptr<CellSurface>(new (std::nothrow) CellSurface);
  if (!copy || !copy->Create(r.width, r.height, 0)) return nullptr;
  copy->Blit(0, 0, surface, r.x, r.y, r.width, r.height, 0, 0, mask, nullptr);
  return copy;
}
