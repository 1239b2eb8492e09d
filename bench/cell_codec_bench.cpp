// Encode and decode of a drawn 1920 × 1080 cell through memory streams.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_util.h"
#include "files/layer_record.h"
#include "io/field_io.h"
#include "io/memory_stream.h"
#include "model/cell_surface.h"
#include "model/layer.h"

namespace {

struct Sample {
  Layer layer{1920, 1080, std::string("bench"), nullptr, false};
  std::vector<uint8_t> record;
  Sample() {
    layer.InsertCellAfter(0, 0);
    DrawLineArt(*layer.CellAt(0), 42);
    record.resize(8u << 20);
    MemoryStream out(record.data(), int32_t(record.size()));
    WriteLayerRecord(layer, out);
    record.resize(size_t(out.Length()));
  }
  size_t CellBytes() { return layer.CellAt(0)->ByteSize(); }
};

Sample& TheSample() {
  static Sample sample;
  return sample;
}

void BM_CellEncode(benchmark::State& state) {
  Sample& s = TheSample();
  std::vector<uint8_t> block(8u << 20);
  RunAgainstMemcpy(state, s.CellBytes(), [&] {
    MemoryStream out(block.data(), int32_t(block.size()));
    WriteLayerRecord(s.layer, out);
    benchmark::DoNotOptimize(block.data());
  });
  state.counters["bytes"] = double(s.record.size());
}

void BM_CellDecode(benchmark::State& state) {
  Sample& s = TheSample();
  Layer target(0, 0, std::nullopt, nullptr, false);
  RunAgainstMemcpy(state, s.CellBytes(), [&] {
    MemoryStream in(s.record.data(), int32_t(s.record.size()), int32_t(s.record.size()));
    FieldReader reader(in);
    ReadLayerRecord(target, reader, nullptr);
    benchmark::DoNotOptimize(target.CellAt(0)->Bits());
  });
  if (std::memcmp(target.CellAt(0)->Bits(), s.layer.CellAt(0)->Bits(), s.CellBytes()) != 0)
    state.SkipWithError("decoded cell differs");
}

void BM_MemcpyCell(benchmark::State& state) {
  Sample& s = TheSample();
  std::vector<uint8_t> copy(s.CellBytes());
  RunAgainstMemcpy(state, s.CellBytes(), [&] {
    std::memcpy(copy.data(), s.layer.CellAt(0)->Bits(), copy.size());
    benchmark::DoNotOptimize(copy.data());
  });
}

BENCHMARK(BM_MemcpyCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CellEncode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CellDecode)->Unit(benchmark::kMicrosecond);

}  // namespace
