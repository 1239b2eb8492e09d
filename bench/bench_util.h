#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>

#include "model/cut_flags.h"

class Cut;
class RasterSurface;

// Seconds one memcpy of `bytes` takes on this machine (best of many runs, cached per size).
double MemcpySeconds(size_t bytes);

// Times the benchmark loop body and reports counter `x_memcpy`: seconds per iteration over
// the memcpy time of `baselineBytes`; and `x_memcpy_best`, the fastest iteration over it,
// which other work on a busy machine disturbs less.
template <typename F>
void RunAgainstMemcpy(benchmark::State& state, size_t baselineBytes, F&& body) {
  const double base = MemcpySeconds(baselineBytes);
  const auto start = std::chrono::steady_clock::now();
  auto last = start;
  double best = 1e30;
  for (auto _ : state) {
    body();
    const auto now = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double>(now - last).count());
    last = now;
  }
  const double seconds = std::chrono::duration<double>(last - start).count();
  state.counters["x_memcpy"] = seconds / double(state.iterations()) / base;
  state.counters["x_memcpy_best"] = best / base;
}

// A drawn cell: pen strokes (line value 1), closed regions filled with greys, patches of
// tone pattern, and mostly transparent paper. About `inkedPercent` of the pixels are inked.
void DrawLineArt(RasterSurface& cell, uint32_t seed, int inkedPercent = 15);

// The film of the film-export benchmark: cuts of 48 frames of 960 × 720 at anti-aliasing 1/4,
// two ticks each at 24 fps; four layers of drawn cells: a background held and panning
// slowly, characters that walk, cycling their cells on twos. Each seed draws other cells.
// Another canvas size scales the layers and their moves with it.
inline constexpr int32_t kBenchFilmWidth = 960, kBenchFilmHeight = 720;
inline constexpr int kBenchFilmFrames = 48, kBenchFilmCuts = 3;
std::unique_ptr<Cut> MakeBenchFilmCut(uint32_t seed, int32_t width = kBenchFilmWidth,
                                      int32_t height = kBenchFilmHeight,
                                      AntiAlias antiAlias = AntiAlias::kQuarter);
