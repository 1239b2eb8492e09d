// A full film export without caches: 3 cuts × 48 frames of 960 × 720 at anti-aliasing 1/4,
// four layers of drawn cells that move and change cells, composed, reduced, coded and
// joined into one OV image. x_zlib is its time over the time zlib level 1 takes to
// compress the same 144 composed 8-bit canvases: the least a picture-sequence export of
// the frames would spend. ov_bytes and zlib_tone_bytes compare the OV size with the tone
// images compressed by zlib.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <memory>
#include <vector>

#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "bench/bench_util.h"
#include "export/compile_cache.h"
#include "io/block_stream.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

constexpr int32_t kWidth = kBenchFilmWidth, kHeight = kBenchFilmHeight;
constexpr int kFrames = kBenchFilmFrames, kCuts = kBenchFilmCuts;

struct BenchFilm {
  std::vector<std::unique_ptr<Cut>> cuts;
  std::vector<std::vector<uint8_t>> canvases;  // every frame composed, for zlib
  std::vector<std::vector<uint8_t>> tones;     // every frame's tone image, for its size
  BenchFilm() {
    FrameSurface view;
    view.Create(kWidth, kHeight, 0);
    FrameBuffer fb;
    fb.Create(kWidth / 4, kHeight / 4);
    for (int c = 0; c < kCuts; ++c) {
      cuts.push_back(MakeBenchFilmCut(uint32_t(c + 1)));
      for (int k = 0; k < kFrames; ++k) {
        view.Clear(0);
        Compose(*cuts.back()->FrameAt(k), view, 0, 0, kWidth, kHeight, 0, nullptr);
        canvases.emplace_back(view.Bits(), view.Bits() + view.ByteSize());
        fb.Reduce(view, nullptr, 4, nullptr);
        std::vector<uint8_t> t(size_t(fb.Width()) * size_t(fb.Height()));
        for (int32_t y = 0; y < fb.Height(); ++y)
          for (int32_t x = 0; x < fb.Width(); ++x) t[size_t(y) * size_t(fb.Width()) + size_t(x)] = uint8_t(fb.GetPixel(x, y));
        tones.push_back(std::move(t));
      }
    }
  }
};

const BenchFilm& Film() {
  static const BenchFilm film;
  return film;
}

size_t ZlibLevel1(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& out) {
  uLongf n = compressBound(uLong(bytes.size()));
  out.resize(n);
  compress2(out.data(), &n, bytes.data(), uLong(bytes.size()), 1);
  return n;
}

void BM_FilmExport(benchmark::State& state) {
  const BenchFilm& film = Film();
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream tl, ovFile;
  std::vector<uint8_t> scratch;
  double exportSeconds = 0, zlibSeconds = 0;
  size_t ovBytes = 0, zlibTone = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    ovFile.Close();
    ov::OvWriter ov(ovFile);
    ov.Begin("bench", "bench", 640, 480, kCuts);
    for (int c = 0; c < kCuts; ++c) {
      tl.Close();
      CompileCut(*film.cuts[size_t(c)], buffer, work, tl);
      ov.BeginCut(c);
      ov.AppendTl(tl);
    }
    ov.Finish();
    auto t1 = std::chrono::steady_clock::now();
    for (const auto& canvas : film.canvases) benchmark::DoNotOptimize(ZlibLevel1(canvas, scratch));
    auto t2 = std::chrono::steady_clock::now();
    exportSeconds += std::chrono::duration<double>(t1 - t0).count();
    zlibSeconds += std::chrono::duration<double>(t2 - t1).count();
    ovBytes = size_t(ovFile.Length());
  }
  zlibTone = 0;
  for (const auto& t : film.tones) zlibTone += ZlibLevel1(t, scratch);
  const double n = double(state.iterations());
  state.counters["fps"] = double(kCuts * kFrames) * n / exportSeconds;
  state.counters["x_zlib"] = exportSeconds / zlibSeconds;
  state.counters["ov_bytes"] = double(ovBytes);
  state.counters["zlib_tone_bytes"] = double(zlibTone);
}
BENCHMARK(BM_FilmExport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
