// Sharing the film of the film-export benchmark (3 cuts × 48 frames of 960 × 720 at
// anti-aliasing 1/4, on a 640 × 480 view area) as an animated GIF and WebP, in memory, and
// as MP4.
// x_decode is the export's time over the time one pass of the decoder over the same OV
// takes in the same run (what `orvina decode` does), both as the thread's processor time so
// that other work on the machine does not count; bytes_per_ov_byte compares the sizes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "bench/bench_util.h"
#include "export/compile_cache.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "io/safe_save.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "share/film_recorder.h"
#include "share/picture_sequence.h"
#include "share/picture_writers.h"
#include "share/video_writer.h"

namespace {

const std::vector<uint8_t>& FilmOv() {
  static const std::vector<uint8_t> bytes = [] {
    FrameBuffer buffer;
    FrameSurface work;
    BlockStream tl, film;
    ov::OvWriter ov(film);
    ov.Begin("bench", "bench", 640, 480, kBenchFilmCuts);
    for (int c = 0; c < kBenchFilmCuts; ++c) {
      auto cut = MakeBenchFilmCut(uint32_t(c + 1));
      tl.Close();
      CompileCut(*cut, buffer, work, tl);
      ov.BeginCut(c);
      ov.AppendTl(tl);
    }
    ov.Finish();
    std::vector<uint8_t> out(size_t(film.Length()));
    film.Seek(0, kSeekSet);
    film.Read(out.data(), int32_t(out.size()));
    return out;
  }();
  return bytes;
}

// One pass of the decoder, as `orvina decode` plays it.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

int DecodePass(const std::vector<uint8_t>& ov) {
  MemoryStream stream(const_cast<uint8_t*>(ov.data()), int32_t(ov.size()), int32_t(ov.size()));
  FrameBuffer buffer;
  Decoder decoder(buffer);
  if (!decoder.Open(stream)) return 0;
  int frames = 0;
  do {
    decoder.NextFrame();
    ++frames;
  } while (!decoder.AtEnd());
  return frames;
}

template <typename MakeWriter>
void RunShare(benchmark::State& state, MakeWriter make) {
  const std::vector<uint8_t>& ov = FilmOv();
  double exportSeconds = 0, decodeSeconds = 0;
  size_t bytes = 0;
  int64_t pictures = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    benchmark::DoNotOptimize(DecodePass(ov));
    const double t1 = ThreadSeconds();
    BlockStream out;
    std::unique_ptr<PictureWriter> writer = make(out);
    PictureSequence sequence(*writer);
    MemoryStream stream(const_cast<uint8_t*>(ov.data()), int32_t(ov.size()), int32_t(ov.size()));
    if (!RecordFilm(stream, RecordOptions{}, sequence, nullptr)) state.SkipWithError("export failed");
    const double t2 = ThreadSeconds();
    decodeSeconds += t1 - t0;
    exportSeconds += t2 - t1;
    bytes = size_t(out.Length());
    pictures = sequence.Stored();
  }
  const double n = double(state.iterations());
  state.counters["export_ms"] = 1000 * exportSeconds / n;
  state.counters["decode_ms"] = 1000 * decodeSeconds / n;
  state.counters["x_decode"] = exportSeconds / decodeSeconds;
  state.counters["pictures"] = double(pictures);
  state.counters["bytes"] = double(bytes);
  state.counters["ov_bytes"] = double(ov.size());
  state.counters["bytes_per_ov_byte"] = double(bytes) / double(ov.size());
}

void BM_ShareGif(benchmark::State& state) {
  RunShare(state, [](ByteStream& out) { return NewGifWriter(WriterOptions{}, out); });
}
BENCHMARK(BM_ShareGif)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ShareWebp(benchmark::State& state) {
  RunShare(state, [](ByteStream& out) { return NewWebpWriter(WriterOptions{}, out); });
}
BENCHMARK(BM_ShareWebp)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same film as MP4 at the default quality, written to a file. The encoder works on
// threads of its own: export_cpu_ms counts all of them, x_decode compares that with the
// decoder's pass; x_realtime is how many times faster than the film plays the export runs
// (film_s over the export's wall time), x_realtime_cpu the same over its processor time (as
// on one core).
double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_ShareMp4(benchmark::State& state) {
  const std::vector<uint8_t>& ov = FilmOv();
  const std::string path = "/tmp/orvina_bench_" + std::to_string(getpid()) + ".mp4";
  double wallSeconds = 0, cpuSeconds = 0, decodeSeconds = 0, filmSeconds = 0;
  for (auto _ : state) {
    const double t0 = ProcessSeconds();
    benchmark::DoNotOptimize(DecodePass(ov));
    const double t1 = ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    VideoOptions video;
    video.rate = 24;
    int64_t end = 0;
    const bool saved = SaveFileSafely(
        path,
        [&](ByteStream& out) {
          std::unique_ptr<PictureWriter> writer = NewVideoWriter(WriterOptions{}, video, out);
          PictureSequence sequence(*writer);
          MemoryStream stream(const_cast<uint8_t*>(ov.data()), int32_t(ov.size()), int32_t(ov.size()));
          const bool recorded = RecordFilm(stream, RecordOptions{}, sequence, nullptr);
          end = sequence.EndTime();
          return recorded;
        },
        nullptr);
    if (!saved) state.SkipWithError("export failed");
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpuSeconds += ProcessSeconds() - t1;
    decodeSeconds += t1 - t0;
    filmSeconds = double(end) / video.rate;
  }
  const double n = double(state.iterations());
  std::error_code ec;
  const double bytes = double(std::filesystem::file_size(path, ec));
  std::filesystem::remove(path, ec);
  state.counters["export_ms"] = 1000 * wallSeconds / n;
  state.counters["export_cpu_ms"] = 1000 * cpuSeconds / n;
  state.counters["decode_ms"] = 1000 * decodeSeconds / n;
  state.counters["x_decode"] = cpuSeconds / decodeSeconds;
  state.counters["film_s"] = filmSeconds;
  state.counters["x_realtime"] = filmSeconds * n / wallSeconds;
  state.counters["x_realtime_cpu"] = filmSeconds * n / cpuSeconds;
  state.counters["bytes"] = bytes;
  state.counters["bytes_per_ov_byte"] = bytes / double(ov.size());
}
BENCHMARK(BM_ShareMp4)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
