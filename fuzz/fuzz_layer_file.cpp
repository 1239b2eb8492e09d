// Arbitrary bytes as a layer file, read into a cut that shows a layer and into one without
// layers: reading fails cleanly or gives a layer that writes and reads back to the same
// bytes. An odd first byte puts the tag in front, so the record itself gets the attention.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/layer_file.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"

namespace {

std::vector<uint8_t> Written(Cut& cut) {
  BlockStream s;
  if (!WriteLayerFile(cut, s)) std::abort();
  std::vector<uint8_t> bytes(size_t(s.Length()));
  s.CopyTo(bytes.data());
  return bytes;
}

bool Read(Cut& cut, std::vector<uint8_t>& bytes) {
  MemoryStream in(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  return ReadLayerFile(cut, in);
}

void Check(Cut& cut, std::vector<uint8_t>& bytes) {
  if (!Read(cut, bytes)) return;
  // Large layers, cheap to describe when their cells are empty, only make the round trip slow.
  const Layer* read = cut.LayerAt(0);
  if (read && int64_t(read->Width()) * read->Height() * read->CellCount() > (1 << 14)) return;
  for (int32_t i = 0; i < cut.FrameCount(); ++i) {
    Frame* f = cut.FrameAt(i);
    for (int32_t e = 0; e < f->EntryCount(); ++e) f->ResolveEntry(e);
  }
  std::vector<uint8_t> first = Written(cut);
  Cut again(8, 8, 24, "", AntiAlias::kFull);
  again.AddFrame();
  if (!Read(again, first)) std::abort();
  if (Written(again) != first) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes;
  if (size > 0 && (data[0] & 1)) {
    bytes.assign(kLayerTag, kLayerTag + sizeof kLayerTag);
    bytes.insert(bytes.end(), data + 1, data + size);
  } else {
    bytes.assign(data, data + size);
  }

  Cut shown(16, 16, 24, "", AntiAlias::kFull);
  Layer* layer = shown.AddLayer(std::string("L"), 4, 4, nullptr);
  layer->InsertCellAfter(0, 3);
  shown.AddFrame()->InsertEntryAfter(layer, 1, 0, 0);
  shown.AddFrame()->InsertEntryAfter(layer, 5, 2, 2);
  Check(shown, bytes);

  Cut bare(16, 16, 24, "", AntiAlias::kFull);
  bare.AddFrame();
  bare.AddFrame();
  Check(bare, bytes);
  return 0;
}
