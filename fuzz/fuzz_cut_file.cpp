// Arbitrary bytes as a cut file: reading must fail cleanly or give a cut that writes and
// reads back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/cut_file.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream in(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  Cut cut(0, 0, 0, "", AntiAlias::kFull);
  if (!ReadCut(cut, in, nullptr)) return 0;
  for (int32_t i = 0; i < cut.FrameCount(); ++i) {
    Frame* f = cut.FrameAt(i);
    for (int32_t e = 0; e < f->EntryCount(); ++e) f->ResolveEntry(e);
    cut.EffectiveTime(i);
  }
  BlockStream first;
  if (!WriteCut(cut, first)) return 0;
  std::vector<uint8_t> written(size_t(first.Length()));
  first.CopyTo(written.data());
  MemoryStream again(written.data(), int32_t(written.size()), int32_t(written.size()));
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  if (!ReadCut(back, again, nullptr)) std::abort();
  BlockStream second;
  if (!WriteCut(back, second) || second.Length() != first.Length()) std::abort();
  std::vector<uint8_t> rewritten(size_t(second.Length()));
  second.CopyTo(rewritten.data());
  if (rewritten != written) std::abort();
  return 0;
}
