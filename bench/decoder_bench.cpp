// Decoding 640 × 480 frames at 13 levels: a full-change drawn frame, the same frame coded
// as nothing but literals, and a change of about 10 % of the image. x_memcpy is the time
// per frame over one memcpy of the frame buffer's bytes.
#include <benchmark/benchmark.h>

#include <vector>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "bench/bench_util.h"
#include "io/memory_stream.h"
#include "model/frame_surface.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

constexpr int16_t kWidth = 640, kHeight = 480;

// A drawn frame: line art at twice the size reduced by 2 into 13 levels, as the editor
// compiles a cut with anti-aliasing 1/2.
ovtest::Picture DrawnFrame(uint32_t seed) {
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

const ovtest::Picture& Drawn() {
  static const ovtest::Picture p = DrawnFrame(42);
  return p;
}

struct Film {
  std::vector<uint8_t> bytes;
  MemoryStream stream;
  FrameBuffer buffer;
  Decoder decoder{buffer};
  explicit Film(std::vector<uint8_t> file) : bytes(std::move(file)) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    decoder.Open(stream);
  }
};

// One full-change frame: every call decodes it again after the restart.
void FullFrame(benchmark::State& state, ovtest::Policy policy) {
  Film film(ovtest::BuildTl(ovtest::Header(kWidth, kHeight, 13), [&](ovtest::CutCoder& c) {
    c.Frame(ovtest::Fields(1), Drawn(), policy);
  }));
  RunAgainstMemcpy(state, film.buffer.ImageSize(), [&] {
    benchmark::DoNotOptimize(film.decoder.NextFrame());
  });
  state.counters["bytes"] = double(film.bytes.size());
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      if (film.buffer.GetPixel(x, y) != Drawn().At(x, y)) return state.SkipWithError("decoded frame differs");
}

void BM_DecodeFullDrawnFrame(benchmark::State& state) { FullFrame(state, ovtest::Policy::kGreedy); }
void BM_DecodeFullLiteralFrame(benchmark::State& state) { FullFrame(state, ovtest::Policy::kLiterals); }

// A 200 × 154 figure (10 % of the image) of another drawing sliding to and fro over the
// same background, 4 pixels a frame.
void BM_DecodeTenPercentChange(benchmark::State& state) {
  const ovtest::Picture other = DrawnFrame(7);
  std::vector<ovtest::Picture> frames;
  for (int i = 0; i < 16; ++i) {
    ovtest::Picture p = Drawn();
    const int32_t x0 = 40 + 4 * (i < 8 ? i : 16 - i), y0 = 100;
    for (int32_t y = 0; y < 154; ++y)
      for (int32_t x = 0; x < 200; ++x) p.Set(x0 + x, y0 + y, other.At(x0 + x, y0 + y));
    frames.push_back(std::move(p));
  }
  int64_t changed = 0;
  Film film(ovtest::BuildTl(ovtest::Header(kWidth, kHeight, 13), [&](ovtest::CutCoder& c) {
    c.Frame(ovtest::Fields(1), Drawn());
    for (int pass = 0; pass < 8; ++pass)
      for (const ovtest::Picture& p : frames) c.Frame(ovtest::Fields(1), p);
  }));
  int64_t decoded = 0;
  RunAgainstMemcpy(state, film.buffer.ImageSize(), [&] {
    if (film.decoder.AtEnd()) {
      state.PauseTiming();  // the full first frame of the next pass is not timed
      film.decoder.NextFrame();
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(film.decoder.NextFrame());
    changed += int64_t(film.decoder.ChangedRect().width) * film.decoder.ChangedRect().height;
    ++decoded;
  });
  state.counters["changed_%"] = 100.0 * double(changed) / double(decoded) / (kWidth * kHeight);
}

BENCHMARK(BM_DecodeFullDrawnFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeFullLiteralFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeTenPercentChange)->Unit(benchmark::kMicrosecond);

}  // namespace
