#include "raster/region_move.h"

#include <new>

#include "raster/stroke.h"

void MoveRegion(RasterSurface& surface, Rect source, Point to, ProtectMask mask) {
  const Rect r = IntersectRect(source, Rect{0, 0, surface.Width(), surface.Height()});
  if (r.IsEmpty()) return;
  const int64_t dx = int64_t(to.x) - source.x, dy = int64_t(to.y) - source.y;
  // No lifted copy: pixels are taken up starting from the side the move goes to, so every
  // destination inside the rectangle has been taken up before anything lands on it, as if
  // all were lifted first. A move of any size needs no memory.
  const bool bottomUp = dy > 0, rightToLeft = dy == 0 && dx > 0;
  for (int32_t row = 0; row < r.height; ++row) {
    const int32_t y = bottomUp ? r.Bottom() - 1 - row : r.y + row;
    for (int32_t column = 0; column < r.width; ++column) {
      const int32_t x = rightToLeft ? r.Right() - 1 - column : r.x + column;
      const int v = surface.GetPixel(x, y);
      if (v < 1 || IsProtected(mask, v)) continue;
      surface.SetPixel(x, y, 0);
      const int64_t tx = x + dx, ty = y + dy;
      if (tx < 0 || ty < 0 || tx >= surface.Width() || ty >= surface.Height()) continue;
      if (IsProtected(mask, surface.GetPixel(int32_t(tx), int32_t(ty)))) continue;
      surface.SetPixel(int32_t(tx), int32_t(ty), v);
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
