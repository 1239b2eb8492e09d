#include "bench/bench_util.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "model/cut.h"
#include "model/frame.h"
#include "model/layer.h"
#include "model/raster_surface.h"

double MemcpySeconds(size_t bytes) {
  static std::map<size_t, double> cache;
  auto it = cache.find(bytes);
  if (it != cache.end()) return it->second;
  std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
  double best = 1e9;
  for (int round = 0; round < 200; ++round) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    a[size_t(round) % bytes] ^= 1;
  }
  cache[bytes] = best;
  return best;
}

namespace {

void Disc(RasterSurface& s, int cx, int cy, int r, int v) {
  for (int y = std::max(0, cy - r); y <= std::min(s.Height() - 1, cy + r); ++y)
    for (int x = std::max(0, cx - r); x <= std::min(s.Width() - 1, cx + r); ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) s.SetPixel(x, y, v);
}

}  // namespace

void DrawLineArt(RasterSurface& cell, uint32_t seed, int inkedPercent) {
  std::mt19937 rng(seed);
  cell.Clear(0);
  const int w = cell.Width(), h = cell.Height();
  const long target = long(w) * h * inkedPercent / 100;
  long inked = 0;
  auto count = [&] {
    long n = 0;
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = cell.Row(y);
      if (cell.ColorCount() != 16) {
        for (int x = 0; x < w; ++x) n += row[x] != 0;
        continue;
      }
      for (int x = 0; x + 1 < w; x += 2) n += (row[x / 2] >> 4 != 0) + ((row[x / 2] & 15) != 0);
      if (w & 1) n += row[w / 2] >> 4 != 0;
    }
    return n;
  };
  while (inked < target) {
    // A filled region: an ellipse of a grey or underdrawing shade with a line around it.
    const int cx = int(rng() % uint32_t(w)), cy = int(rng() % uint32_t(h));
    const int rx = 20 + int(rng() % 120), ry = 20 + int(rng() % 90);
    const int fill = 2 + int(rng() % 3);
    const bool tone = rng() % 3 == 0;
    for (int y = std::max(0, cy - ry); y <= std::min(h - 1, cy + ry); ++y) {
      for (int x = std::max(0, cx - rx); x <= std::min(w - 1, cx + rx); ++x) {
        const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
        const double d = dx * dx + dy * dy;
        if (d > 1.0) continue;
        if (d > 0.93) cell.SetPixel(x, y, 1);
        else if (tone) cell.SetPixel(x, y, ((x / 2 + y / 2) & 1) ? 3 : 0);
        else cell.SetPixel(x, y, fill);
      }
    }
    // A few pen strokes: random walks with a round pen of radius 1-2.
    for (int s = 0; s < 3; ++s) {
      double x = rng() % uint32_t(w), y = rng() % uint32_t(h), a = (rng() % 628) / 100.0;
      const int r = 1 + int(rng() % 2);
      for (int step = 0; step < 300; ++step) {
        Disc(cell, int(x), int(y), r, 1);
        a += ((int(rng() % 200) - 100) / 1000.0);
        x += 2 * std::cos(a);
        y += 2 * std::sin(a);
      }
    }
    inked = count();
  }
}

std::unique_ptr<Cut> MakeBenchFilmCut(uint32_t seed, int32_t width, int32_t height, AntiAlias antiAlias) {
  auto cut = std::make_unique<Cut>(width, height, 24, "bench", antiAlias);
  auto sx = [width](int32_t v) { return int32_t(int64_t(v) * width / kBenchFilmWidth); };
  auto sy = [height](int32_t v) { return int32_t(int64_t(v) * height / kBenchFilmHeight); };
  struct Shape { int32_t w, h, cells; };
  const Shape shapes[4] = {{width, height, 2}, {sx(420), sy(560), 4}, {sx(360), sy(480), 4}, {sx(240), sy(300), 3}};
  for (int l = 0; l < 4; ++l) {
    Layer* layer = cut->AddLayer(std::nullopt, shapes[l].w, shapes[l].h, nullptr);
    for (int c = 1; c < shapes[l].cells; ++c) layer->InsertCellAfter(layer->CellCount() - 1, 0);
    for (int c = 0; c < shapes[l].cells; ++c)
      DrawLineArt(*layer->CellAt(c), seed * 31 + uint32_t(l * 7 + c), l == 0 ? 10 : 18);
  }
  for (int k = 0; k < kBenchFilmFrames; ++k) {
    Frame* f = cut->AddFrame();
    f->InsertEntryAfter(cut->LayerAt(0), (k / 24) % 2, -sx(k / 6), 0);
    f->InsertEntryAfter(cut->LayerAt(1), (k / 2) % 4, sx(60 + 5 * k), sy(120 + (k % 4)));
    f->InsertEntryAfter(cut->LayerAt(2), (k / 3) % 4, sx(700 - 7 * k), sy(200));
    f->InsertEntryAfter(cut->LayerAt(3), k % 3, sx(400), sy(380 - 2 * (k % 8)));
    f->SetTime(2);
  }
  return cut;
}
