#include "model/raster_surface.h"

#include <algorithm>

bool ClipBlit(BlitRect& r, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
              int32_t targetHeight) {
  // 64-bit arithmetic: hostile positions must not overflow.
  int64_t dstX = r.dstX, dstY = r.dstY, srcX = r.srcX, srcY = r.srcY;
  int64_t w = std::min<int64_t>(r.width, int64_t(sourceWidth) - srcX);
  int64_t h = std::min<int64_t>(r.height, int64_t(sourceHeight) - srcY);
  if (srcX < 0) { dstX -= srcX; w += srcX; srcX = 0; }
  if (srcY < 0) { dstY -= srcY; h += srcY; srcY = 0; }
  if (dstX < 0) { srcX -= dstX; w += dstX; dstX = 0; }
  if (dstY < 0) { srcY -= dstY; h += dstY; dstY = 0; }
  w = std::min<int64_t>(w, int64_t(targetWidth) - dstX);
  h = std::min<int64_t>(h, int64_t(targetHeight) - dstY);
  if (w < 1 || h < 1) return false;
  r = BlitRect{int32_t(dstX), int32_t(dstY), int32_t(srcX), int32_t(srcY), int32_t(w),
               int32_t(h)};
  return true;
}

void RasterSurface::SwapRect(int32_t dstX, int32_t dstY, RasterSurface& source, int32_t srcX,
                             int32_t srcY, int32_t width, int32_t height) {
  BlitRect r{dstX, dstY, srcX, srcY, width, height};
  if (!ClipBlit(r, source.Width(), source.Height(), width_, height_)) return;
  for (int32_t row = 0; row < r.height; ++row) {
    for (int32_t col = 0; col < r.width; ++col) {
      const int d = GetPixel(r.dstX + col, r.dstY + row);
      const int s = source.GetPixel(r.srcX + col, r.srcY + row);
      if (d != s) {
        SetPixel(r.dstX + col, r.dstY + row, s);
        source.SetPixel(r.srcX + col, r.srcY + row, d);
      }
    }
  }
}
