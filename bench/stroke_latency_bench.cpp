// One free-pen mouse move as the editor handles it, without the window: a 5-pixel segment
// drawn with an 8-pixel tone pen into the top layer of a 1920 × 1080 cut with 8 layers, and
// the segment's rectangle composed again into the view's bitmap. x_memcpy is the time per
// move over a memcpy of that rectangle's bytes; median_us and worst_us are taken over one
// stroke of 200 moves.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_util.h"
#include "edit/cut_view.h"
#include "edit/view_repaint.h"
#include "model/cell_surface.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "raster/stroke.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080, kLayers = 8, kStep = 5, kMoves = 200;
const Pen kTonePen{14, 6, 2, 3};

struct Scene {
  Cut cut{kWidth, kHeight, 24, "", AntiAlias::kFull};
  FrameSurface display;
  RasterSurface* top = nullptr;
  Point offset;

  Scene() {
    Frame* frame = cut.AddFrame();
    for (int32_t l = 0; l < kLayers; ++l) {
      Layer* layer = cut.AddLayer(std::nullopt, kWidth, kHeight, nullptr);
      DrawLineArt(*layer->CellAt(0), uint32_t(11 + l), l == 0 ? 85 : 15);
      frame->InsertEntryAfter(layer, 0, -16 * l, 9 * l);
    }
    const auto current = frame->ResolveEntry(-1);
    top = current->cell;
    offset = Point{current->x, current->y};
    display.Create(kWidth, kHeight, 0);
    RepaintRect(cut, display, Rect{0, 0, kWidth, kHeight});
  }

  // The move from `from` to `to` (cell coordinates), as the free pen handles it.
  void Move(Point from, Point to) {
    DrawLine(*top, from.x, from.y, to.x, to.y, kTonePen, 0, nullptr);
    const Rect r = SegmentBounds(from, to);
    RepaintRect(cut, display, Rect{r.x + offset.x, r.y + offset.y, r.width, r.height});
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

// The stroke's points: rightwards in steps of 5 pixels, with a zigzag.
Point StrokePoint(int i) {
  return Point{300 + kStep * (i % 300), 400 + (i % 40 < 20 ? i % 20 : 20 - i % 20)};
}

void BM_FreePenMove(benchmark::State& state) {
  Scene& scene = TheScene();
  const size_t rectangleBytes = size_t(kStep + 9) * 9;
  std::vector<double> micros;
  for (int i = 0; i < kMoves; ++i) {
    const auto start = std::chrono::steady_clock::now();
    scene.Move(StrokePoint(i), StrokePoint(i + 1));
    micros.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(micros.begin(), micros.end());
  int i = 0;
  RunAgainstMemcpy(state, rectangleBytes, [&] {
    scene.Move(StrokePoint(i), StrokePoint(i + 1));
    ++i;
    benchmark::ClobberMemory();
  });
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["worst_us"] = micros.back();
}
BENCHMARK(BM_FreePenMove);

}  // namespace
