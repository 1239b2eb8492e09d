// Arbitrary bytes as an OV or TL file, shared as a GIF as `orvina export` does: the engine on
// its clock, the picture sequence, the palettes and the LZW coder must never crash or hang,
// and a GIF that is made ends with its trailer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "anim/ov_layout.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "share/film_recorder.h"
#include "share/picture_sequence.h"
#include "share/picture_writers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  ov::FileHeader header;
  if (!ov::ReadFileHeader(stream, header)) return 0;
  // Large pictures only make runs slow; the code paths are the same.
  if (int64_t(header.largestWidth) * header.largestHeight > 128 * 128) return 0;
  if (int64_t(header.screenWidth) * header.screenHeight > 160 * 160) return 0;

  const uint8_t steer = size > 0 ? data[size - 1] : 0;
  RecordOptions record;
  record.cut = steer % 4 == 0 ? int32_t(steer / 4 % 3) : -1;
  record.highlight = steer % 3 == 0 ? 0x000000u : 0xFF80FFu;
  record.longestSeconds = 20;
  WriterOptions options;
  options.scale = 1 + steer % 2;
  options.loopCount = steer % 3;
  BlockStream gif;
  auto writer = NewGifWriter(options, gif);
  PictureSequence sequence(*writer, 300);
  std::string error;
  if (!RecordFilm(stream, record, sequence, &error)) return 0;
  uint8_t last = 0;
  if (gif.Length() < 14 || !gif.Seek(-1, kSeekEnd) || gif.Read(&last, 1) != 1 || last != ';') std::abort();
  return 0;
}
