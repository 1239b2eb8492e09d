// Arbitrary bytes as a cut's compile cache: the whole-stream check and the timing-only
// patch must stay inside the bytes, and a patch is either refused leaving every byte as it
// was or keeps the stream whole with the cut's timing written in.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "export/compile_cache.h"
#include "io/memory_stream.h"
#include "model/cut.h"
#include "model/frame.h"
#include "model/layer.h"

namespace {

Cut& SmallCut(int frames) {
  static Cut* cuts[4] = {};
  Cut*& cut = cuts[frames];
  if (!cut) {
    cut = new Cut(16, 8, 12, "cut", AntiAlias::kFull);
    Layer* layer = cut->AddLayer(std::nullopt, 16, 8, nullptr);
    for (int k = 0; k < frames; ++k) {
      Frame* f = cut->AddFrame();
      f->InsertEntryAfter(layer, 0, k, 0);
      f->SetTime(k - 1);
    }
  }
  return *cut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  const int32_t frames = WholeTlFrameCount(stream);
  Cut& cut = SmallCut(frames >= 1 && frames <= 3 ? frames : 1);
  const std::vector<uint8_t> before = bytes;
  if (!PatchCacheTiming(cut, stream)) {
    if (bytes != before) std::abort();
  } else if (bytes.size() != before.size() || WholeTlFrameCount(stream) != cut.FrameCount()) {
    std::abort();
  }
  return 0;
}
