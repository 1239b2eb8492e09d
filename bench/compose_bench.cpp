// The compositor's blit of a drawn 1920 × 1080 cell onto a frame (transparent mode) and the
// tone reduction of a 1920 × 1080 frame at factor 4. x_memcpy is the time per call over one
// memcpy of the 8-bit frame's bytes.
#include <benchmark/benchmark.h>

#include "anim/frame_buffer.h"
#include "bench/bench_util.h"
#include "model/cell_surface.h"
#include "model/frame_surface.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080;

const CellSurface& DrawnCell() {
  static CellSurface cell;
  static bool drawn = false;
  if (!drawn) {
    cell.Create(kWidth, kHeight, 0);
    DrawLineArt(cell, 7, 15);
    drawn = true;
  }
  return cell;
}

void BM_BlitTransparent(benchmark::State& state) {
  const CellSurface& cell = DrawnCell();
  FrameSurface frame;
  frame.Create(kWidth, kHeight, 0);
  RunAgainstMemcpy(state, frame.ByteSize(), [&] {
    frame.Blit(0, 0, cell, 0, 0, kWidth, kHeight, kBlitTransparent, 0, 0, nullptr);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_BlitTransparent)->Unit(benchmark::kMicrosecond);

void BM_BlitTransparentWithBounds(benchmark::State& state) {
  const CellSurface& cell = DrawnCell();
  FrameSurface frame;
  frame.Create(kWidth, kHeight, 0);
  Rect bounds;
  RunAgainstMemcpy(state, frame.ByteSize(), [&] {
    frame.Blit(0, 0, cell, 0, 0, kWidth, kHeight, kBlitTransparent, 0, 0, &bounds);
    benchmark::DoNotOptimize(bounds);
  });
}
BENCHMARK(BM_BlitTransparentWithBounds)->Unit(benchmark::kMicrosecond);

void BM_ReduceQuarter(benchmark::State& state) {
  FrameSurface frame;
  frame.Create(kWidth, kHeight, 0);
  frame.Blit(0, 0, DrawnCell(), 0, 0, kWidth, kHeight, kBlitTransparent, 0, 0, nullptr);
  FrameBuffer tones;
  tones.Create(kWidth / 4, kHeight / 4);
  RunAgainstMemcpy(state, frame.ByteSize(), [&] {
    tones.Reduce(frame, nullptr, 4, nullptr);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_ReduceQuarter)->Unit(benchmark::kMicrosecond);

void BM_ReduceHalfCompared(benchmark::State& state) {
  FrameSurface frame;
  frame.Create(kWidth, kHeight, 0);
  frame.Blit(0, 0, DrawnCell(), 0, 0, kWidth, kHeight, kBlitTransparent, 0, 0, nullptr);
  FrameBuffer tones;
  tones.Create(kWidth / 2, kHeight / 2);
  Rect changed;
  RunAgainstMemcpy(state, frame.ByteSize(), [&] {
    tones.Reduce(frame, &changed, 2, nullptr);
    benchmark::DoNotOptimize(changed);
  });
}
BENCHMARK(BM_ReduceHalfCompared)->Unit(benchmark::kMicrosecond);

}  // namespace
