#include "raster/effects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// Eight bytes at a time: 0x80 in every byte of v that equals the byte b.
constexpr uint64_t kHigh = 0x8080808080808080ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
inline uint64_t Load8(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint64_t EqualBytes(uint64_t v, uint64_t bb) {
  const uint64_t x = v ^ bb;
  return ~(((x & kLow7) + kLow7) | x) & kHigh;
}

// The rectangle with a one-pixel frame of its neighbours, one byte per pixel; neighbours
// outside the surface hold the ground colour, which never counts as an edge. After the
// first pass only pixels next to what the last pass changed can change.
class BorderGrid {
 public:
  bool Load(const RasterSurface& s, const Rect& r, int ground) {
    r_ = r;
    pitch_ = size_t(r.width) + 2;
    // + 8: the last word load. A grid beyond the address space falls back to the slow way.
    const uint64_t wanted = (uint64_t(r.width) + 2) * (uint64_t(r.height) + 2) + 8;
    if (wanted > uint64_t(SIZE_MAX / 2)) return false;
    const size_t size = size_t(wanted);
    cells_.reset(new (std::nothrow) uint8_t[size]);
    seen_.reset(new (std::nothrow) uint8_t[size]);
    if (!cells_ || !seen_) return false;
    std::memset(cells_.get(), ground, size);
    // Frame cells are never candidates: they carry a stamp above every pass.
    std::memset(seen_.get(), 0xFF, size);
    const bool packed = s.ColorCount() == 16 && s.Bits();
    for (int32_t gy = 0; gy < r.height + 2; ++gy) {
      const int32_t y = r.y - 1 + gy;
      if (y < 0 || y >= s.Height()) continue;
      uint8_t* row = Row(gy);
      if (gy >= 1 && gy <= r.height) std::memset(seen_.get() + size_t(gy) * pitch_ + 1, 0, size_t(r.width));
      const int32_t x0 = std::max(r.x - 1, 0), x1 = std::min(r.x + r.width, s.Width() - 1);
      uint8_t* out = row + (x0 - (r.x - 1));
      if (!packed) {
        for (int32_t x = x0; x <= x1; ++x) *out++ = uint8_t(s.GetPixel(x, y));
        continue;
      }
      const uint8_t* in = s.Row(y);
      int32_t x = x0;
      if (x & 1) *out++ = in[x >> 1] & 15, ++x;
      for (; x + 1 <= x1; x += 2) {
        const uint8_t b = in[x >> 1];
        out[0] = b >> 4;
        out[1] = b & 15;
        out += 2;
      }
      if (x == x1) *out = in[x >> 1] >> 4;
    }
    return true;
  }

  void Run(int ground, int passes, const PenTile& tile) {
    const uint8_t g = uint8_t(ground);
    bool paintsEdges = g != kPixelMarker;
    for (const auto& row : tile.color)
      for (int16_t c : row) paintsEdges = paintsEdges && c != g && c != kPixelMarker;
    if (paintsEdges) {
      RunByDistance(g, passes, tile);
      return;
    }
    changed_.reserve(size_t(r_.width) * 4);
    // The first pass walks everything; rows are painted one row behind the marking, once
    // no later row reads them.
    for (int32_t gy = 1; gy <= r_.height + 1; ++gy) {
      if (gy <= r_.height) MarkRow(gy, g);
      if (gy >= 2) PaintRow(gy - 1, tile);
    }
    for (int pass = 2; pass <= passes && !changed_.empty(); ++pass) {
      candidates_.clear();
      const uint8_t stamp = uint8_t(pass);
      for (const Spot spot : changed_) {
        const size_t i = spot.index;
        const uint8_t col = spot.phase & 3, row = spot.phase & 12;
        const Spot around[5] = {spot,
                                {i - 1, uint8_t(row | ((col + 3) & 3))},
                                {i + 1, uint8_t(row | ((col + 1) & 3))},
                                {i - pitch_, uint8_t(((row + 12) & 12) | col)},
                                {i + pitch_, uint8_t(((row + 4) & 12) | col)}};
        for (const Spot& n : around) {
          if (cells_[n.index] != g || seen_[n.index] >= stamp) continue;
          seen_[n.index] = stamp;
          candidates_.push_back(n);
        }
      }
      marked_.clear();
      for (const Spot n : candidates_) {
        const size_t i = n.index;
        if (IsEdge(cells_[i - 1], g) || IsEdge(cells_[i + 1], g) ||
            IsEdge(cells_[i - pitch_], g) || IsEdge(cells_[i + pitch_], g))
          marked_.push_back(n);
      }
      changed_.clear();
      for (const Spot n : marked_) {
        const uint8_t c = uint8_t(tile.color[n.phase >> 2][n.phase & 3]);
        cells_[n.index] = c;
        if (c != kPixelMarker) changed_.push_back(n);
      }
    }
  }

  // When every pen colour is an edge, pass k paints exactly the ground pixels at city-block
  // distance k from the nearest edge (a marker in the rectangle turns at pass 1, so it
  // starts at 1); a rectangle needs no detours, so two sweeps find the distances.
  void RunByDistance(uint8_t g, int passes, const PenTile& tile) {
    constexpr uint8_t kFar = 100;
    uint8_t* d = seen_.get();
    const int32_t w = r_.width, h = r_.height;
    // Edges 0, a marker inside the rectangle 1, ground and outside markers far.
    auto init = [&](int32_t gy) {
      const uint8_t* row = Row(gy);
      uint8_t* dist = d + size_t(gy) * pitch_;
      for (int32_t gx = 0; gx < w + 2; ++gx) {
        const uint8_t v = row[gx];
        dist[gx] = v == g || v == kPixelMarker ? kFar : 0;
      }
      if (gy < 1 || gy > h) return;
      for (int32_t gx = 1; gx <= w; ++gx)
        if (row[gx] == kPixelMarker) dist[gx] = 1;
    };
    init(0);
    init(h + 1);
    for (int32_t gy = 1; gy <= h; ++gy) {
      init(gy);
      const uint8_t* row = Row(gy);
      uint8_t* dist = d + size_t(gy) * pitch_;
      const uint8_t* up = dist - pitch_;
      for (int32_t gx = 1; gx <= w; ++gx) {
        const uint8_t near = uint8_t(std::min(dist[gx - 1], up[gx]) + 1);
        const uint8_t cur = dist[gx];
        dist[gx] = row[gx] == g && near < cur ? near : cur;
      }
    }
    const uint8_t reach = uint8_t(std::min(passes, int(kFar) - 1));
    for (int32_t gy = h; gy >= 1; --gy) {
      uint8_t* row = Row(gy);
      uint8_t* dist = d + size_t(gy) * pitch_;
      const uint8_t* down = dist + pitch_;
      const int16_t* colors = tile.color[(r_.y + gy - 1) & 3];
      for (int32_t gx = w; gx >= 1; --gx) {
        const uint8_t v = row[gx];
        const uint8_t near = uint8_t(std::min(dist[gx + 1], down[gx]) + 1);
        const bool ground = v == g;
        const uint8_t cur = ground && near < dist[gx] ? near : dist[gx];
        dist[gx] = cur;
        const bool paint = (ground && cur <= reach) || v == kPixelMarker;
        row[gx] = paint ? uint8_t(colors[(r_.x + gx - 1) & 3]) : v;
      }
    }
  }

  void Store(RasterSurface& s) const {
    const bool packed = s.ColorCount() == 16 && s.Bits();
    for (int32_t gy = 1; gy <= r_.height; ++gy) {
      const uint8_t* in = Row(gy) + 1;
      const int32_t y = r_.y + gy - 1;
      const int32_t x1 = r_.x + r_.width - 1;
      if (!packed) {
        for (int32_t x = r_.x; x <= x1; ++x, ++in)
          if (s.GetPixel(x, y) != *in) s.SetPixel(x, y, *in);
        continue;
      }
      uint8_t* out = s.Row(y);
      int32_t x = r_.x;
      if (x & 1) out[x >> 1] = uint8_t((out[x >> 1] & 0xF0) | *in++), ++x;
      for (; x + 1 <= x1; x += 2, in += 2) out[x >> 1] = uint8_t(in[0] << 4 | in[1]);
      if (x == x1) out[x >> 1] = uint8_t((out[x >> 1] & 0x0F) | (*in << 4));
    }
  }

 private:
  // A grid index with the place of its pixel in the pen's tile: row << 2 | column.
  struct Spot {
    size_t index;
    uint8_t phase;
  };

  void MarkRow(int32_t gy, uint8_t g) {
    uint8_t* row = Row(gy);
    const uint8_t* up = Row(gy - 1);
    const uint8_t* down = Row(gy + 1);
    const uint64_t gg = 0x0101010101010101ull * g, ff = 0x0101010101010101ull * kPixelMarker;
    auto edges = [&](uint64_t v) { return ~(EqualBytes(v, gg) | EqualBytes(v, ff)) & kHigh; };
    const int32_t n = r_.width;
    int32_t x = 1;
    for (; x + 8 <= n + 1; x += 8) {
      const uint64_t c = Load8(row + x);
      const uint64_t ground = EqualBytes(c, gg);
      if (!ground) continue;
      // A marked left neighbour was ground, so marking in place changes no test.
      const uint64_t m = ground & (edges(Load8(row + x - 1)) | edges(Load8(row + x + 1)) |
                                   edges(Load8(up + x)) | edges(Load8(down + x)));
      if (!m) continue;
      const uint64_t bytes = (m >> 7) * 0xFF;
      const uint64_t v = (c & ~bytes) | (ff & bytes);
      std::memcpy(row + x, &v, 8);
    }
    for (; x <= n; ++x) {
      if (row[x] != g) continue;
      if (IsEdge(row[x - 1], g) || IsEdge(row[x + 1], g) || IsEdge(up[x], g) ||
          IsEdge(down[x], g))
        row[x] = kPixelMarker;
    }
  }

  // Every marker of the row takes the pen's colour; what changed is remembered.
  void PaintRow(int32_t gy, const PenTile& tile) {
    uint8_t* row = Row(gy);
    const int32_t y = r_.y + gy - 1;
    const int rowPhase = y & 3;
    const uint64_t ff = 0x0101010101010101ull * kPixelMarker;
    const size_t base = size_t(gy) * pitch_;
    const int32_t n = r_.width;
    auto paint = [&](int32_t x) {
      if (row[x] != kPixelMarker) return;
      const int col = (r_.x + x - 1) & 3;
      const uint8_t v = uint8_t(tile.color[rowPhase][col]);
      row[x] = v;
      if (v != kPixelMarker) changed_.push_back(Spot{base + size_t(x), uint8_t(rowPhase << 2 | col)});
    };
    int32_t x = 1;
    for (; x + 8 <= n + 1; x += 8) {
      if (!EqualBytes(Load8(row + x), ff)) continue;
      for (int k = 0; k < 8; ++k) paint(x + k);
    }
    for (; x <= n; ++x) paint(x);
  }

  uint8_t* Row(int32_t gy) { return cells_.get() + size_t(gy) * pitch_; }
  const uint8_t* Row(int32_t gy) const { return cells_.get() + size_t(gy) * pitch_; }

  Rect r_;
  size_t pitch_ = 0;
  std::unique_ptr<uint8_t[]> cells_;
  std::unique_ptr<uint8_t[]> seen_;  // the pass that last took a pixel as a candidate
  std::vector<Spot> changed_, candidates_, marked_;
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
