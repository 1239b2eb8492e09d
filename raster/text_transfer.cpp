#include "raster/text_transfer.h"

#include "model/raster_surface.h"

bool TransferText(RasterSurface& cell, int32_t dstX, int32_t dstY, const RasterSurface& source,
                  int32_t srcX, int32_t srcY, int32_t width, int32_t height, const Pen& pen,
                  ProtectMask mask) {
  BlitRect r{dstX, dstY, srcX, srcY, width, height};
  if (!ClipBlit(r, source.Width(), source.Height(), cell.Width(), cell.Height())) return false;
  const PenTile tile(pen);
  for (int32_t row = 0; row < r.height; ++row) {
    for (int32_t col = 0; col < r.width; ++col) {
      const int s = source.GetPixel(r.srcX + col, r.srcY + row);
      if (s == 0 || IsProtected(mask, s)) continue;
      const int32_t x = r.dstX + col, y = r.dstY + row;
      if (IsProtected(mask, cell.GetPixel(x, y))) continue;
      cell.SetPixel(x, y, tile.At(x, y));
    }
  }
  return true;
}
