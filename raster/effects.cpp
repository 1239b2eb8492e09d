#include "raster/effects.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "model/raster_surface.h"
#include "raster/stroke.h"

void EraseUnderdrawingRect(RasterSurface& surface, Rect r, int replacement) {
  if (!ClipRect(surface, r)) return;
  for (int32_t y = r.y; y < r.Bottom(); ++y)
    for (int32_t x = r.x; x < r.Right(); ++x) {
      const int v = surface.GetPixel(x, y);
      const int e = EraseUnderdrawing(v, replacement);
      if (e != v) surface.SetPixel(x, y, e);
    }
}

bool FillRectangle(RasterSurface& surface, Rect r, int colour) {
  if (!ClipRect(surface, r)) return false;
  if (r.width == surface.Width() && r.height == surface.Height()) {
    surface.Clear(colour);
    return true;
  }
  for (int32_t y = r.y; y < r.Bottom(); ++y)
    for (int32_t x = r.x; x < r.Right(); ++x) surface.SetPixel(x, y, colour);
  return true;
}

namespace {

// A neighbour that makes a ground pixel a border pixel.
inline bool IsEdge(int v, int ground) { return v != ground && v != kPixelMarker; }

// In place, through the surface's get and set. Marking ground pixels with 15 changes no
// pixel's test in the same pass (neither value is an edge), so the order does not matter.
void BorderInPlace(RasterSurface& s, const Rect& r, int ground, int passes, const PenTile& tile) {
  const int32_t w = s.Width(), h = s.Height();
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t x = r.x; x < r.Right(); ++x) {
      for (int32_t y = r.y; y < r.Bottom(); ++y) {
        if (s.GetPixel(x, y) != ground) continue;
        if ((x > 0 && IsEdge(s.GetPixel(x - 1, y), ground)) ||
            (y > 0 && IsEdge(s.GetPixel(x, y - 1), ground)) ||
            (x < w - 1 && IsEdge(s.GetPixel(x + 1, y), ground)) ||
            (y < h - 1 && IsEdge(s.GetPixel(x, y + 1), ground)))
          s.SetPixel(x, y, kPixelMarker);
      }
    }
    for (int32_t x = r.x; x < r.Right(); ++x)
      for (int32_t y = r.y; y < r.Bottom(); ++y)
        if (s.GetPixel(x, y) == kPixelMarker) s.SetPixel(x, y, tile.At(x, y));
  }
}

// The rectangle with a one-pixel frame of its neighbours, one byte per pixel; neighbours
// outside the surface hold the ground colour, which never counts as an edge.
class BorderGrid {
 public:
  bool Load(const RasterSurface& s, const Rect& r, int ground) {
    r_ = r;
    pitch_ = size_t(r.width) + 2;
    const size_t size = pitch_ * (size_t(r.height) + 2);
    cells_.reset(new (std::nothrow) uint8_t[size]);
    if (!cells_) return false;
    for (int32_t gy = 0; gy < r.height + 2; ++gy) {
      const int32_t y = r.y - 1 + gy;
      uint8_t* row = Row(gy);
      for (int32_t gx = 0; gx < r.width + 2; ++gx) {
        const int32_t x = r.x - 1 + gx;
        row[gx] = uint8_t(s.Contains(x, y) ? s.GetPixel(x, y) : ground);
      }
    }
    return true;
  }

  void Run(int ground, int passes, const PenTile& tile) {
    const uint8_t g = uint8_t(ground);
    std::vector<uint8_t> marks(size_t(r_.width));
    for (int pass = 0; pass < passes; ++pass) {
      // Rows are painted one row behind the marking, once no later row reads them.
      for (int32_t gy = 1; gy <= r_.height + 1; ++gy) {
        if (gy <= r_.height) MarkRow(gy, g, marks.data());
        if (gy >= 2) PaintRow(gy - 1, tile);
      }
    }
  }

  void Store(RasterSurface& s) const {
    for (int32_t gy = 1; gy <= r_.height; ++gy) {
      const uint8_t* row = Row(gy) + 1;
      const int32_t y = r_.y + gy - 1;
      for (int32_t i = 0; i < r_.width; ++i) {
        if (s.GetPixel(r_.x + i, y) != row[i]) s.SetPixel(r_.x + i, y, row[i]);
      }
    }
  }

 private:
  void MarkRow(int32_t gy, uint8_t g, uint8_t* marks) {
    uint8_t* row = Row(gy);
    const uint8_t* up = Row(gy - 1);
    const uint8_t* down = Row(gy + 1);
    const int32_t n = r_.width;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t x = i + 1;
      const uint8_t l = row[x - 1], c = row[x], rr = row[x + 1], u = up[x], d = down[x];
      const bool edge = (l != g && l != kPixelMarker) | (rr != g && rr != kPixelMarker) |
                        (u != g && u != kPixelMarker) | (d != g && d != kPixelMarker);
      marks[i] = uint8_t(c == g && edge);
    }
    for (int32_t i = 0; i < n; ++i) row[i + 1] = marks[i] ? uint8_t(kPixelMarker) : row[i + 1];
  }

  void PaintRow(int32_t gy, const PenTile& tile) {
    uint8_t* row = Row(gy) + 1;
    const int32_t y = r_.y + gy - 1;
    uint8_t c[4];
    for (int k = 0; k < 4; ++k) c[k] = uint8_t(tile.color[y & 3][k]);
    for (int32_t i = 0; i < r_.width; ++i) {
      if (row[i] == kPixelMarker) row[i] = c[(r_.x + i) & 3];
    }
  }

  uint8_t* Row(int32_t gy) { return cells_.get() + size_t(gy) * pitch_; }
  const uint8_t* Row(int32_t gy) const { return cells_.get() + size_t(gy) * pitch_; }

  Rect r_;
  size_t pitch_ = 0;
  std::unique_ptr<uint8_t[]> cells_;
};

int Darkness(int v) {
  if (v >= 1 && v <= 3) return v - 1;
  if (v >= 8 && v <= 10) return v - 8;
  return 3;
}

}  // namespace

bool BorderArea(RasterSurface& surface, Rect r, const Pen& pen, ProtectMask mask) {
  if (!ClipRect(surface, r)) return false;
  const int ground = surface.GetPixel(r.x, r.y);
  if (IsProtected(mask, ground)) return false;
  const int passes = PenSize(pen.shape);
  const PenTile tile(pen);
  // The byte grid holds the surface's own values only.
  bool ownValues = ground >= 0 && ground < 256;
  for (const auto& row : tile.color)
    for (int16_t c : row) ownValues = ownValues && c >= 0 && c < surface.ColorCount();
  BorderGrid grid;
  if (ownValues && grid.Load(surface, r, ground)) {
    grid.Run(ground, passes, tile);
    grid.Store(surface);
  } else {
    BorderInPlace(surface, r, ground, passes, tile);
  }
  return true;
}

bool MosaicBlock(RasterSurface& surface, Rect r) {
  if (!ClipRect(surface, r)) return false;
  const int64_t area = int64_t(r.width) * r.height;
  if (area < 16) return false;
  int64_t sum = 0;
  for (int32_t y = r.y; y < r.Bottom(); ++y)
    for (int32_t x = r.x; x < r.Right(); ++x) sum += Darkness(surface.GetPixel(x, y));
  const int64_t level = std::clamp<int64_t>(sum / (area / 16), 0, kToneLevels - 1);
  surface.FillRect(r.x, r.y, r.width, r.height, ToneScalePen(int(level)), 0, nullptr);
  return true;
}

DotSequence& ProgramDotSequence() {
  static DotSequence sequence;
  return sequence;
}

bool RandomDots(RasterSurface& surface, Rect r, int32_t interval, const Pen& pen,
                ProtectMask mask, DotSequence& sequence) {
  if (interval < 1 || !ClipRect(surface, r)) return false;
  const int64_t square = int64_t(interval) * interval;
  const Brush brush(pen);
  for (int32_t x = r.x; x < r.Right(); ++x)
    for (int32_t y = r.y; y < r.Bottom(); ++y)
      if (sequence.Next() % square == 0) StampBrush(surface, x, y, brush, mask);
  return true;
}

bool GridLines(RasterSurface& surface, Rect r, int32_t gridWidth, int32_t gridHeight,
               const Pen& pen, ProtectMask mask) {
  if (gridWidth < 1 || gridHeight < 1 || !ClipRect(surface, r)) return false;
  const int32_t right = r.Right(), bottom = r.Bottom();
  for (int64_t gx = r.x; gx < right; gx += gridWidth)
    DrawGuideLine(surface, int32_t(gx), r.y, int32_t(gx), bottom, pen, mask, nullptr);
  for (int64_t gy = r.y; gy < bottom; gy += gridHeight)
    DrawGuideLine(surface, r.x, int32_t(gy), right, int32_t(gy), pen, mask, nullptr);
  return true;
}

void EraseSquare(RasterSurface& surface, int32_t x, int32_t y, int32_t size, ProtectMask mask,
                 Rect* bounds) {
  const Rect square{x - size / 2, y - size / 2, size + 1, size + 1};
  if (bounds) *bounds = square;
  surface.ToUnderdrawing(square.x, square.y, square.width, square.height, kPixelTransparent,
                         mask);
}

bool FlipRect(RasterSurface& surface, Rect r, bool horizontal, ProtectMask mask) {
  if (!ClipRect(surface, r)) return false;
  // Exchanges the pixels at a and b; a protected value stays where it is.
  auto exchange = [&](int32_t ax, int32_t ay, int32_t bx, int32_t by) {
    const int p = surface.GetPixel(ax, ay), q = surface.GetPixel(bx, by);
    if (!IsProtected(mask, p)) surface.SetPixel(ax, ay, q);
    if (!IsProtected(mask, q)) surface.SetPixel(bx, by, p);
  };
  if (horizontal) {
    for (int32_t c = 0; c < r.width / 2; ++c)
      for (int32_t y = r.y; y < r.Bottom(); ++y)
        exchange(r.x + c, y, r.x + r.width - 1 - c, y);
  } else {
    for (int32_t row = 0; row < r.height / 2; ++row)
      for (int32_t x = r.x; x < r.Right(); ++x)
        exchange(x, r.y + row, x, r.y + r.height - 1 - row);
  }
  return true;
}
