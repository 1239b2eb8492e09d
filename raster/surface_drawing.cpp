// The drawing operations of RasterSurface; they work through GetPixel and SetPixel, with
// packed fast paths for cells.
#include "model/raster_surface.h"
#include "raster/effects.h"
#include "raster/fill.h"
#include "raster/stroke.h"

void RasterSurface::Stamp(int32_t x, int32_t y, const Pen& pen, uint32_t mask, Rect* dirty) {
  if (dirty) GrowDirty(*dirty, x, y);
  StampBrush(*this, x, y, Brush(pen), mask);
}

bool RasterSurface::FrameRect(int32_t x, int32_t y, int32_t width, int32_t height,
                              const Pen& pen, uint32_t mask, Rect* dirty) {
  Rect r{x, y, width, height};
  NormaliseRect(r);
  if (!ClipRect(*this, r)) return false;
  const int32_t right = r.x + r.width, bottom = r.y + r.height;
  DrawLine(*this, r.x, r.y, right, r.y, pen, mask, dirty);
  DrawLine(*this, right, r.y, right, bottom, pen, mask, dirty);
  DrawLine(*this, right, bottom, r.x, bottom, pen, mask, dirty);
  DrawLine(*this, r.x, bottom, r.x, r.y, pen, mask, dirty);
  return true;
}

bool RasterSurface::FillRect(int32_t x, int32_t y, int32_t width, int32_t height,
                             const Pen& pen, uint32_t mask, Rect* bounds) {
  Rect r{x, y, width, height};
  NormaliseRect(r);
  if (!ClipRect(*this, r)) return false;
  if (bounds) *bounds = r;
  const PenTile tile(pen);
  for (int32_t py = r.y; py < r.y + r.height; ++py) {
    for (int32_t px = r.x; px < r.x + r.width; ++px) {
      if (!IsProtected(mask, GetPixel(px, py))) SetPixel(px, py, tile.At(px, py));
    }
  }
  return true;
}

void RasterSurface::ToUnderdrawing(int32_t x, int32_t y, int32_t width, int32_t height,
                                   int whiteReplacement, uint32_t mask) {
  Rect r{x, y, width, height};
  if (!ClipRect(*this, r)) return;
  for (int32_t py = r.y; py < r.y + r.height; ++py) {
    for (int32_t px = r.x; px < r.x + r.width; ++px) {
      const int v = GetPixel(px, py);
      if (IsProtected(mask, v)) continue;
      const int u = ::ToUnderdrawing(v, whiteReplacement);
      if (u != v) SetPixel(px, py, u);
    }
  }
}

bool RasterSurface::FloodFill(int32_t x, int32_t y, const Pen& pen, uint32_t mask, Rect* dirty) {
  return FloodFillArea(*this, x, y, pen, mask, dirty);
}

bool RasterSurface::Border(int32_t x, int32_t y, int32_t width, int32_t height, const Pen& pen,
                           uint32_t mask) {
  return BorderArea(*this, Rect{x, y, width, height}, pen, mask);
}
