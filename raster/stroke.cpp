#include "raster/stroke.h"

#include <algorithm>
#include <cstdlib>

#include "model/raster_surface.h"

namespace {

bool IsPackedCell(const RasterSurface& s) { return s.ColorCount() == 16 && s.Bits(); }

void SetNibble(uint8_t* line, int32_t x, int v) {
  uint8_t& b = line[x >> 1];
  b = (x & 1) ? uint8_t((b & 0xF0) | (v & 15)) : uint8_t((b & 0x0F) | ((v & 15) << 4));
}

// Without a mask every pixel of a shape row's run takes the pattern: whole bytes at a time.
void PaintRun(uint8_t* line, int32_t x0, int32_t x1, const int16_t* c) {
  const uint8_t pair[2] = {uint8_t((c[0] & 15) << 4 | (c[1] & 15)),
                           uint8_t((c[2] & 15) << 4 | (c[3] & 15))};
  int32_t x = x0;
  if (x & 1) SetNibble(line, x, c[x & 3]), ++x;
  for (; x + 1 <= x1; x += 2) line[x >> 1] = pair[(x >> 1) & 1];
  if (x == x1) SetNibble(line, x, c[x & 3]);
}

void StampPacked(RasterSurface& s, int32_t x, int32_t y, const Brush& brush, ProtectMask mask) {
  const int32_t w = s.Width(), h = s.Height();
  if (!mask && brush.contiguous) {
    for (int row = 0; row < 8; ++row) {
      const int32_t ty = y - 4 + row;
      if (!brush.rows[row] || ty < 0 || ty >= h) continue;
      const int32_t x0 = std::max(x - 4 + brush.first[row], 0);
      const int32_t x1 = std::min(x - 4 + brush.last[row], w - 1);
      if (x0 <= x1) PaintRun(s.Row(ty), x0, x1, brush.tile.color[ty & 3]);
    }
    return;
  }
  for (int row = 0; row < 8; ++row) {
    const uint8_t bits = brush.rows[row];
    const int32_t ty = y - 4 + row;
    if (!bits || ty < 0 || ty >= h) continue;
    uint8_t* line = s.Row(ty);
    const int16_t* colors = brush.tile.color[ty & 3];
    for (int col = 0; col < 8; ++col) {
      if (!(bits & (0x80 >> col))) continue;
      const int32_t tx = x - 4 + col;
      if (tx < 0 || tx >= w) continue;
      uint8_t& b = line[tx >> 1];
      const int v = (tx & 1) ? (b & 0x0F) : (b >> 4);
      if ((mask >> v) & 1) continue;
      const uint8_t c = uint8_t(colors[tx & 3] & 0x0F);
      b = (tx & 1) ? uint8_t((b & 0xF0) | c) : uint8_t((b & 0x0F) | (c << 4));
    }
  }
}

}  // namespace

Brush::Brush(const Pen& pen) : rows(PenShapeRows(pen.shape)), tile(pen) {
  for (int row = 0; row < 8; ++row) {
    const uint32_t bits = rows[row];
    first[row] = last[row] = 0;
    if (!bits) continue;
    first[row] = int8_t(__builtin_clz(bits) - 24);
    last[row] = int8_t(7 - __builtin_ctz(bits));
    const uint32_t run = (0xFFu >> first[row]) & (0xFFu << (7 - last[row]));
    contiguous = contiguous && (run & 0xFFu) == bits;
  }
}

void StampBrush(RasterSurface& surface, int32_t x, int32_t y, const Brush& brush,
                ProtectMask mask) {
  if (IsPackedCell(surface)) {
    StampPacked(surface, x, y, brush, mask);
    return;
  }
  for (int row = 0; row < 8; ++row) {
    for (int col = 0; col < 8; ++col) {
      if (!(brush.rows[row] & (0x80 >> col))) continue;
      const int32_t tx = x - 4 + col, ty = y - 4 + row;
      if (!surface.Contains(tx, ty)) continue;  // reads -1, and is never written
      if (IsProtected(mask, surface.GetPixel(tx, ty))) continue;
      surface.SetPixel(tx, ty, brush.tile.At(tx, ty));
    }
  }
}

void DrawLine(RasterSurface& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
              const Pen& pen, ProtectMask mask, Rect* dirty) {
  Pen linePen = pen;
  if (linePen.density == 0 && linePen.colorB == kPixelBlack) linePen.colorB = kPixelLine;
  const Brush brush(linePen);
  if (dirty) {
    GrowDirty(*dirty, x0, y0);
    GrowDirty(*dirty, x1, y1);
  }
  StampBrush(surface, x0, y0, brush, mask);
  // Bresenham walk; 64-bit error terms so wild coordinates cannot overflow.
  const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
  const int32_t sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
  const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  int32_t x = x0, y = y0;
  if (ay < ax) {
    int64_t error = -ax;
    for (int64_t i = 0; i < ax; ++i) {
      x += sx;
      error += 2 * ay;
      if (error >= 0) {
        y += sy;
        error -= 2 * ax;
      }
      StampBrush(surface, x, y, brush, mask);
    }
  } else {
    int64_t error = -ay;
    for (int64_t i = 0; i < ay; ++i) {
      y += sy;
      error += 2 * ax;
      if (error >= 0) {
        x += sx;
        error -= 2 * ay;
      }
      StampBrush(surface, x, y, brush, mask);
    }
  }
}

void NormaliseRect(Rect& r) {
  if (r.width < 0) {
    r.x += r.width + 1;
    r.width = -r.width;
  }
  if (r.height < 0) {
    r.y += r.height + 1;
    r.height = -r.height;
  }
}

bool ClipRect(const RasterSurface& surface, Rect& r) {
  const int64_t right = int64_t(r.x) + r.width, bottom = int64_t(r.y) + r.height;
  if (r.x >= surface.Width() || r.y >= surface.Height() || right < 1 || bottom < 1) return false;
  const int32_t x = r.x < 0 ? 0 : r.x, y = r.y < 0 ? 0 : r.y;
  const int64_t w = std::min<int64_t>(surface.Width(), right) - x;
  const int64_t h = std::min<int64_t>(surface.Height(), bottom) - y;
  if (w < 1 || h < 1) return false;
  r = Rect{x, y, int32_t(w), int32_t(h)};
  return true;
}

namespace {

// Truncates towards zero and adds 1 when the remainder is 0.5 or more.
int32_t RoundCoordinate(float v) {
  constexpr float kLimit = 1073741824.0f;  // keeps the conversion defined
  if (!(v > -kLimit)) v = -kLimit;
  if (v > kLimit) v = kLimit;
  int32_t i = int32_t(v);
  if (v - float(i) >= 0.5f) ++i;
  return i;
}

}  // namespace

void DrawCurveSegment(RasterSurface& surface, const Point p[4], const Pen& pen, ProtectMask mask,
                      Rect* dirty) {
  constexpr float kSixth = 1.0f / 6.0f;
  constexpr float kHalf = 1.0f / 2.0f;
  const int64_t spanX = std::llabs(int64_t(p[1].x) - p[2].x);
  const int64_t spanY = std::llabs(int64_t(p[1].y) - p[2].y);
  const int64_t n = std::max(spanX, spanY) / 2;
  Point prev = p[1];
  if (n > 0) {
    const float step = 1.0f / float(n);
    for (float t = step; t < 1.0f; t += step) {
      const float w0 = -t * (t - 1.0f) * (t - 2.0f) * kSixth;
      const float w1 = (t + 1.0f) * (t - 1.0f) * (t - 2.0f) * kHalf;
      const float w2 = -(t + 1.0f) * t * (t - 2.0f) * kHalf;
      const float w3 = (t + 1.0f) * t * (t - 1.0f) * kSixth;
      const float x = w0 * float(p[0].x) + w1 * float(p[1].x) + w2 * float(p[2].x) +
                      w3 * float(p[3].x);
      const float y = w0 * float(p[0].y) + w1 * float(p[1].y) + w2 * float(p[2].y) +
                      w3 * float(p[3].y);
      const Point next{RoundCoordinate(x), RoundCoordinate(y)};
      DrawLine(surface, prev.x, prev.y, next.x, next.y, pen, mask, dirty);
      prev = next;
    }
  }
  DrawLine(surface, prev.x, prev.y, p[2].x, p[2].y, pen, mask, dirty);
}

void DrawGuideLine(RasterSurface& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   const Pen& pen, ProtectMask extraMask, Rect* dirty) {
  Pen guide = pen;
  guide.colorA = UnderdrawingShade(pen.colorA);
  guide.colorB = UnderdrawingShade(pen.colorB);
  DrawLine(surface, x0, y0, x1, y1, guide, extraMask | kGuideLineMask, dirty);
}
