// The window thread's part of a recovery copy: the snapshot of a 1920 × 1080 cut with 8
// layers of 25 cells each (200 cells of line art), after one cell changed and after every
// cell changed (whole, and the 16 MiB share the editor takes in one tick). The writer thread's part
// (coding the changed cells and writing the file) is timed too, for one changed cell. x_memcpy is
// the time over one memcpy of the bytes the snapshot has to copy (one cell, or all 200).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_util.h"
#include "files/cut_snapshot.h"
#include "io/block_stream.h"
#include "model/cell_surface.h"
#include "model/cut.h"

namespace {

constexpr int32_t kWidth = 1920, kHeight = 1080, kLayers = 8, kCellsPerLayer = 25;

Cut& SnapshotCut() {
  static Cut* cut = [] {
    auto* c = new Cut(kWidth, kHeight, 24, "", AntiAlias::kFull);
    std::vector<CellSurface> art(4);
    for (size_t i = 0; i < art.size(); ++i) {
      art[i].Create(kWidth, kHeight, 0);
      DrawLineArt(art[i], uint32_t(11 + i), i == 0 ? 85 : 15);
    }
    for (int32_t l = 0; l < kLayers; ++l) {
      Layer* layer = c->AddLayer(std::nullopt, kWidth, kHeight, nullptr);
      for (int32_t k = 0; k < kCellsPerLayer; ++k) {
        if (k > 0) layer->InsertCellAfter(k - 1, 0);
        const CellSurface& from = art[l == 0 ? 0 : size_t(1 + (l + k) % 3)];
        std::memcpy(layer->CellAt(k)->Bits(), from.Bits(), from.ByteSize());
      }
    }
    for (int32_t f = 0; f < kCellsPerLayer; ++f) {
      Frame* frame = c->AddFrame();
      for (int32_t l = 0; l < kLayers; ++l)
        frame->InsertEntryAfter(c->LayerAt(l), f, -8 * l, 5 * l);
    }
    return c;
  }();
  return *cut;
}

size_t CellBytes() {
  return SnapshotCut().LayerAt(0)->CellByteSize();
}

// Times `body` alone, after an untimed `setup`, and reports x_memcpy against `baselineBytes`.
template <typename Setup, typename Body>
void TimeAgainstMemcpy(benchmark::State& state, size_t baselineBytes, Setup&& setup, Body&& body) {
  const double base = MemcpySeconds(baselineBytes);
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    setup();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    body();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["x_memcpy"] = seconds / double(state.iterations()) / base;
}

// The snapshot every later one follows, written once so that its cells are coded.
std::shared_ptr<CutSnapshot>& Base() {
  static std::shared_ptr<CutSnapshot> base = [] {
    auto s = CutSnapshot::Take(SnapshotCut(), nullptr);
    BlockStream out;
    s->Write(out);
    return s;
  }();
  return base;
}

void BM_SnapshotOneCellChanged(benchmark::State& state) {
  Cut& cut = SnapshotCut();
  std::shared_ptr<CutSnapshot> previous = Base();
  RasterSurface& cell = *cut.LayerAt(3)->CellAt(7);
  int value = 0;
  TimeAgainstMemcpy(
      state, CellBytes(), [&] { cell.SetPixel(100, 100, ++value & 15); },
      [&] {
        previous = CutSnapshot::Take(cut, previous.get());
        benchmark::DoNotOptimize(previous.get());
      });
  state.counters["copied_bytes"] = double(previous->CopiedBytes());
}
BENCHMARK(BM_SnapshotOneCellChanged)->Unit(benchmark::kMillisecond);

void BM_SnapshotAllCellsChanged(benchmark::State& state) {
  Cut& cut = SnapshotCut();
  Base();
  std::shared_ptr<CutSnapshot> taken;
  TimeAgainstMemcpy(
      state, CellBytes() * kLayers * kCellsPerLayer,
      [&] {
        taken.reset();
        for (int32_t l = 0; l < kLayers; ++l)
          cut.LayerAt(l)->Cells().ForEach([](RasterSurface* cell) { cell->Bits(); });
      },
      [&] {
        taken = CutSnapshot::Take(cut, nullptr);
        benchmark::DoNotOptimize(taken.get());
      });
  state.counters["copied_bytes"] = double(taken->CopiedBytes());
}
BENCHMARK(BM_SnapshotAllCellsChanged)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the editor takes in one tick when every cell changed: 16 MiB of them.
void BM_SnapshotAllCellsChangedOneTick(benchmark::State& state) {
  Cut& cut = SnapshotCut();
  Base();
  std::shared_ptr<CutSnapshot> taken;
  TimeAgainstMemcpy(
      state, size_t(16) << 20,
      [&] {
        taken.reset();
        for (int32_t l = 0; l < kLayers; ++l)
          cut.LayerAt(l)->Cells().ForEach([](RasterSurface* cell) { cell->Bits(); });
      },
      [&] {
        taken = CutSnapshot::Take(cut, nullptr, nullptr, size_t(16) << 20);
        benchmark::DoNotOptimize(taken.get());
      });
  state.counters["copied_bytes"] = double(taken->CopiedBytes());
}
BENCHMARK(BM_SnapshotAllCellsChangedOneTick)->Unit(benchmark::kMillisecond)->Iterations(10);

// On the writer thread: the changed cell coded, the whole file written to memory.
void BM_CopyWrittenOneCellChanged(benchmark::State& state) {
  Cut& cut = SnapshotCut();
  std::shared_ptr<CutSnapshot> previous = Base();
  RasterSurface& cell = *cut.LayerAt(5)->CellAt(3);
  int value = 0;
  int32_t bytes = 0;
  TimeAgainstMemcpy(
      state, CellBytes(),
      [&] {
        cell.SetPixel(200, 200, ++value & 15);
        previous = CutSnapshot::Take(cut, previous.get());
      },
      [&] {
        BlockStream out;
        previous->Write(out);
        bytes = out.Length();
      });
  state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_CopyWrittenOneCellChanged)->Unit(benchmark::kMillisecond);

}  // namespace
