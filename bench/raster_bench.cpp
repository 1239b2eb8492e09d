// The raster engine on a 1920 × 1080 cell. x_memcpy is the time per call over one memcpy of
// the cell's bytes. Fill and border restore the drawn cell first (one more copy per call).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_util.h"
#include "model/cell_surface.h"
#include "raster/fill.h"
#include "raster/stroke.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

// Line art with shadow-boundary dots and short strokes of 9 on the paper, for absorption.
const CellSurface& DrawnCell() {
  static CellSurface cell;
  static bool drawn = false;
  if (!drawn) {
    cell.Create(kWidth, kHeight, 0);
    DrawLineArt(cell, 7, 15);
    std::mt19937 rng(3);
    for (int i = 0; i < 4000; ++i) {
      const int32_t x = int32_t(rng() % kWidth), y = int32_t(rng() % kHeight);
      if (cell.GetPixel(x, y) != 0) continue;
      const int len = 1 + int(rng() % 6);
      for (int k = 0; k < len && x + k < kWidth; ++k)
        if (cell.GetPixel(x + k, y) == 0) cell.SetPixel(x + k, y, 9);
    }
    drawn = true;
  }
  return cell;
}

void BM_ToneStroke(benchmark::State& state) {
  CellSurface cell;
  cell.Create(kWidth, kHeight, 0);
  // 1000 segments of about 20 pixels, a random walk.
  std::mt19937 rng(1);
  std::vector<Point> points{{kWidth / 2, kHeight / 2}};
  for (int i = 0; i < 1000; ++i) {
    const Point& p = points.back();
    int32_t dx = int32_t(rng() % 29) - 14, dy = int32_t(rng() % 29) - 14;
    if (std::abs(dx) + std::abs(dy) < 16) dx = dx < 0 ? -14 : 14;
    points.push_back({std::clamp(p.x + dx, 0, kWidth - 1), std::clamp(p.y + dy, 0, kHeight - 1)});
  }
  const Pen pen{14, 8, 2, 3};
  RunAgainstMemcpy(state, cell.ByteSize(), [&] {
    for (size_t i = 1; i < points.size(); ++i)
      DrawLine(cell, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, pen, 0, nullptr);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_ToneStroke)->Unit(benchmark::kMicrosecond);

// Open line art: strokes of line pixels with two-pixel pens, small closed loops and short
// shadow-boundary dashes, on paper that stays one large area.
const CellSurface& OpenLineArt() {
  static CellSurface cell;
  static bool drawn = false;
  if (!drawn) {
    cell.Create(kWidth, kHeight, 0);
    std::mt19937 rng(5);
    const Pen line{6, 0, 0, 1};
    for (int stroke = 0; stroke < 400; ++stroke) {
      Point p{int32_t(rng() % kWidth), int32_t(rng() % kHeight)};
      for (int seg = 0; seg < 12; ++seg) {
        const Point q{std::clamp(p.x + int32_t(rng() % 61) - 30, 0, kWidth - 1),
                      std::clamp(p.y + int32_t(rng() % 61) - 30, 0, kHeight - 1)};
        DrawLine(cell, p.x, p.y, q.x, q.y, line, 0, nullptr);
        p = q;
      }
    }
    for (int loop = 0; loop < 300; ++loop) {
      const int32_t x = int32_t(rng() % (kWidth - 40)), y = int32_t(rng() % (kHeight - 40));
      cell.FrameRect(x, y, 5 + int32_t(rng() % 30), 5 + int32_t(rng() % 30), line, 0, nullptr);
    }
    for (int dash = 0; dash < 3000; ++dash) {
      const int32_t x = int32_t(rng() % (kWidth - 8)), y = int32_t(rng() % kHeight);
      DrawLine(cell, x, y, x + int32_t(rng() % 6), y, Pen{7, 0, 0, 9}, ~MaskBit(0), nullptr);
    }
    drawn = true;
  }
  return cell;
}

void FillLineArtArea(benchmark::State& state, const Pen& pen) {
  const CellSurface& drawn = OpenLineArt();
  CellSurface cell;
  cell.Create(kWidth, kHeight, 0);
  int32_t sx = kWidth / 2, sy = kHeight / 2;
  while (drawn.GetPixel(sx, sy) != 0) ++sx;
  int64_t painted = 0;
  RunAgainstMemcpy(state, cell.ByteSize(), [&] {
    std::memcpy(cell.Bits(), drawn.Bits(), drawn.ByteSize());
    Rect dirty;
    cell.FloodFill(sx, sy, pen, 0, &dirty);
    benchmark::DoNotOptimize(dirty);
  });
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) painted += cell.GetPixel(x, y) != drawn.GetPixel(x, y);
  state.counters["painted"] = double(painted);
}
// White paints in the marking pass; a tone with transparent in it needs both passes.
void BM_FillLineArtArea(benchmark::State& state) { FillLineArtArea(state, Pen{0, 0, 0, 4}); }
void BM_FillLineArtAreaTwoPasses(benchmark::State& state) {
  FillLineArtArea(state, Pen{0, 8, 0, 4});
}
BENCHMARK(BM_FillLineArtAreaTwoPasses)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillLineArtArea)->Unit(benchmark::kMicrosecond);

void BM_Border8(benchmark::State& state) {
  const CellSurface& drawn = DrawnCell();
  CellSurface cell;
  cell.Create(kWidth, kHeight, 0);
  RunAgainstMemcpy(state, cell.ByteSize(), [&] {
    std::memcpy(cell.Bits(), drawn.Bits(), drawn.ByteSize());
    cell.Border(0, 0, kWidth, kHeight, Pen{14, 0, 0, 3}, 0);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_Border8)->Unit(benchmark::kMicrosecond);

}  // namespace
