// Repainting the cut view of a 1920 × 1080 cut with 8 layers: the whole display bitmap, a
// 9 × 9 rectangle (what a pen dab repaints), and one memcpy of the 8-bit frame as the
// baseline. x_memcpy is the time per call over that memcpy; x_full is the time per call
// over one whole repaint of the same cut, measured in the same process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_util.h"
#include "edit/view_repaint.h"
#include "model/cell_surface.h"
#include "model/cut.h"
#include "model/cut_flags.h"
#include "model/frame_surface.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080, kLayers = 8;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight;

// A painted background (mostly ink) under seven layers of line art with wide transparent
// areas, each placed a little off the canvas origin.
Cut& ViewCut() {
  static Cut* cut = [] {
    auto* c = new Cut(kWidth, kHeight, 24, "", AntiAlias::kFull);
    Frame* frame = c->AddFrame();
    const int inked[] = {85, 15, 35};
    std::vector<CellSurface> art(3);
    for (size_t i = 0; i < art.size(); ++i) {
      art[i].Create(kWidth, kHeight, 0);
      DrawLineArt(art[i], uint32_t(7 + i), inked[i]);
    }
    for (int32_t l = 0; l < kLayers; ++l) {
      Layer* layer = c->AddLayer(std::nullopt, kWidth, kHeight, nullptr);
      const CellSurface& from = art[l == 0 ? 0 : size_t(1 + l % 2)];
      RasterSurface* cell = layer->CellAt(0);
      std::memcpy(cell->Bits(), from.Bits(), from.ByteSize());
      frame->InsertEntryAfter(layer, 0, l == 0 ? 0 : -16 * l, l == 0 ? 0 : 9 * l);
    }
    return c;
  }();
  return *cut;
}

FrameSurface& Display() {
  static FrameSurface display;
  if (display.Width() != kWidth) display.Create(kWidth, kHeight, 0);
  return display;
}

double FullRepaintSeconds() {
  static const double best = [] {
    double seconds = 1e9;
    for (int round = 0; round < 20; ++round) {
      const auto start = std::chrono::steady_clock::now();
      RepaintRect(ViewCut(), Display(), {0, 0, kWidth, kHeight});
      benchmark::ClobberMemory();
      seconds = std::min(
          seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return seconds;
  }();
  return best;
}

// Reports x_full beside x_memcpy.
template <typename F>
void RunAgainstFullRepaint(benchmark::State& state, F&& body) {
  ViewCut().SetDisplayFlags(0);
  const double full = FullRepaintSeconds();
  MemcpySeconds(kFrameBytes);  // measured before the clock starts
  const auto start = std::chrono::steady_clock::now();
  RunAgainstMemcpy(state, kFrameBytes, body);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["x_full"] = seconds / double(state.iterations()) / full;
}

void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes, 2);
  RunAgainstMemcpy(state, kFrameBytes, [&] {
    std::memcpy(b.data(), a.data(), kFrameBytes);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

// Argument: the display flags (0, or onion skins with the other layers pale).
void BM_RepaintWhole(benchmark::State& state) {
  Cut& cut = ViewCut();
  FrameSurface& display = Display();
  cut.SetDisplayFlags(uint32_t(state.range(0)));
  RunAgainstMemcpy(state, kFrameBytes, [&] {
    RepaintRect(cut, display, {0, 0, kWidth, kHeight});
    benchmark::ClobberMemory();
  });
  cut.SetDisplayFlags(0);
}
BENCHMARK(BM_RepaintWhole)
    ->Arg(0)
    ->Arg(kShowPreviousCell | kShowNextCell | kOtherLayersPale)
    ->Unit(benchmark::kMicrosecond);

// A 9 × 9 rectangle at places spread over the canvas.
void BM_Repaint9x9(benchmark::State& state) {
  Cut& cut = ViewCut();
  FrameSurface& display = Display();
  int32_t k = 0;
  RunAgainstFullRepaint(state, [&] {
    k = (k + 1) % 997;
    const int32_t x = (k * 389) % (kWidth - 9), y = (k * 211) % (kHeight - 9);
    RepaintRect(cut, display, {x, y, 9, 9});
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_Repaint9x9)->Unit(benchmark::kMicrosecond);

}  // namespace
