#include "raster/mosaic_tool.h"

#include <algorithm>

#include "model/compositor.h"
#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/effects.h"

Rect MosaicDragRect(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int32_t block) {
  if (block < 1) return Rect{};
  const int32_t x0 = fromX - fromX % block, y0 = fromY - fromY % block;
  const int32_t x1 = toX - toX % block, y1 = toY - toY % block;
  if (x1 < x0 || y1 < y0) return Rect{};
  return Rect{x0, y0, x1 - x0 + block, y1 - y0 + block};
}

bool MosaicCurrentCell(Cut& cut, RasterSurface& view, Rect r, int32_t block) {
  const auto current = CurrentCell(cut);
  Frame* frame = cut.CurrentFrameObject();
  if (!current || !frame || block < 1 || r.IsEmpty()) return false;
  const Rect canvas{r.x + current->x, r.y + current->y, r.width, r.height};
  FillRectangle(view, canvas, kPixelTransparent);
  // Only the layer limit: the layers from the bottom up to and including the current one.
  const uint32_t limit = uint32_t(std::clamp(frame->CurrentLayer() + 1, 1, 63));
  Compose(*frame, view, canvas.x, canvas.y, canvas.width, canvas.height,
          limit << kLayerLimitShift, nullptr);
  for (int64_t by = canvas.y; by < canvas.Bottom(); by += block)
    for (int64_t bx = canvas.x; bx < canvas.Right(); bx += block)
      MosaicBlock(view, Rect{int32_t(bx), int32_t(by), block, block});
  return current->cell->Blit(r.x, r.y, view, canvas.x, canvas.y, r.width, r.height, 0, 0, 0,
                             nullptr);
}
