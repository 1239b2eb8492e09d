// Extracting the 49 000-byte Clip.OV of the archive fixtures (made by jlha and zip): the
// LZH decoder per method against zlib's inflate of the same member. x_memcpy is the time
// per extraction over one memcpy of the member's bytes.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_library.h"
#include "bench/bench_util.h"
#include "io/memory_stream.h"

namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
  std::string dir = __FILE__;
  dir.resize(dir.rfind('/') + 1);
  std::ifstream in(dir + "../tests/data/archive/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Extract(benchmark::State& state, const char* archive, ArchiveFormat format) {
  std::vector<uint8_t> bytes = Fixture(archive);
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  std::unique_ptr<ArchiveReader> reader = NewArchiveReader(format);
  if (!reader->Open(stream) || reader->Members().size() < 3) {
    state.SkipWithError("fixture missing");
    return;
  }
  const uint32_t size = reader->Members()[2].originalSize;
  std::vector<uint8_t> out(size);
  RunAgainstMemcpy(state, size, [&] {
    if (reader->Extract(2, out.data(), size) != ArchiveError::None) state.SkipWithError("failed");
    benchmark::DoNotOptimize(out.data());
  });
  state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

void BM_ExtractLh5(benchmark::State& s) { Extract(s, "lh5.lzh", ArchiveFormat::Lzh); }
void BM_ExtractLh7(benchmark::State& s) { Extract(s, "lh7.lzh", ArchiveFormat::Lzh); }
void BM_ExtractDeflate(benchmark::State& s) { Extract(s, "deflate.zip", ArchiveFormat::Zip); }
void BM_ExtractStored(benchmark::State& s) { Extract(s, "stored.zip", ArchiveFormat::Zip); }
BENCHMARK(BM_ExtractLh5);
BENCHMARK(BM_ExtractLh7);
BENCHMARK(BM_ExtractDeflate);
BENCHMARK(BM_ExtractStored);

}  // namespace
