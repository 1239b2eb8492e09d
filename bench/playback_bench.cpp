// One tick of the playback engine on a 640 × 480 film of 13 levels, without the window:
// a frame switch with the next frame decoded ahead (every frame one tick, each a new
// drawing), and the steps of a dissolve (colour table and view only). x_memcpy is the time
// per tick over one memcpy of the frame buffer's bytes. Painting is measured under Wine by
// anim_window_test --measure.
#include <benchmark/benchmark.h>

#include <vector>

#include "anim/clocked_playback.h"
#include "bench/bench_util.h"
#include "io/memory_stream.h"
#include "model/frame_surface.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

constexpr int16_t kWidth = 640, kHeight = 480;

ovtest::Picture Drawing(uint32_t seed) {
  FrameSurface work;
  work.Create(2 * kWidth, 2 * kHeight, 0);
  DrawLineArt(work, seed, 20);
  FrameBuffer fb;
  fb.Create(kWidth, kHeight);
  fb.Reduce(work, nullptr, 2, nullptr);
  ovtest::Picture p(kWidth, kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) p.Set(x, y, uint8_t(fb.GetPixel(x, y)));
  return p;
}

// The benchmark is the clock: it calls Tick.
class Bench : public ClockedPlayback {
 public:
  explicit Bench(std::vector<uint8_t> file) : bytes(std::move(file)) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    opened = Open(stream);
  }
  std::vector<uint8_t> bytes;
  MemoryStream stream;
  bool opened = false;
};

std::vector<uint8_t> Film(int duration) {
  const ovtest::Picture a = Drawing(3), b = Drawing(9);
  return ovtest::BuildTl(ovtest::Header(kWidth, kHeight, 13, 24), [&](ovtest::CutCoder& c) {
    c.Frame(ovtest::Fields(1, 1), a);
    for (int i = 0; i < 3; ++i) {
      c.Frame(ovtest::Fields(int16_t(duration)), b);
      c.Frame(ovtest::Fields(int16_t(duration)), a);
    }
  });
}

void BM_PlaybackTickSwitchAndDecode(benchmark::State& state) {
  Bench p(Film(1));
  if (!p.opened) return state.SkipWithError("cannot open");
  RunAgainstMemcpy(state, p.Buffer().ImageSize(), [&] { p.Tick(); });
}

void BM_PlaybackTickDissolveStep(benchmark::State& state) {
  Bench p(Film(-30));
  if (!p.opened) return state.SkipWithError("cannot open");
  int64_t dissolving = 0, ticks = 0;
  RunAgainstMemcpy(state, p.Buffer().ImageSize(), [&] {
    p.Tick();
    dissolving += p.TicksLeft() < 0;
    ++ticks;
  });
  state.counters["dissolving_%"] = 100.0 * double(dissolving) / double(ticks);
}

BENCHMARK(BM_PlaybackTickSwitchAndDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaybackTickDissolveStep)->Unit(benchmark::kMicrosecond);

}  // namespace
