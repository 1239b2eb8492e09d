// Arbitrary bytes as an OV or TL stream, played as the player plays it: open, many frames,
// cut jumps and extraction must never read outside the stream, write outside the frame
// buffer or hang; the decoder never stands past the stream's end.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "io/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  ov::FileHeader header;
  if (!ov::ReadFileHeader(stream, header)) return 0;
  // Large images and long runs only make inputs slow; the code paths are the same: 32 × 24
  // pixels give every row length modulo the 8 pixels the decoder works in, and 16 frames run
  // the short films the fuzzer makes to their end and round again.
  if (int64_t(header.largestWidth) * header.largestHeight > 32 * 24) return 0;

  FrameBuffer buffer;
  Decoder decoder(buffer);
  if (!decoder.Open(stream)) return 0;
  const uint8_t steer = size > 0 ? data[size - 1] : 0;
  for (int i = 0; i < 16; ++i) {
    decoder.NextFrame();
    if (stream.Tell() > decoder.StreamLength()) std::abort();
    if (i % 4 == 3) {
      switch ((steer + i / 4) % 4) {
        case 0: decoder.NextCut(); break;
        case 1: decoder.PreviousCut(); break;
        case 2: decoder.GotoCut(steer % (decoder.CutCount() + 1)); break;
        default: decoder.SetNextCutIndex(steer % 5 - 1); break;
      }
    }
  }

  for (int32_t k = 0; k < decoder.CutCount() && k < 8; ++k) {
    std::vector<uint8_t> out(bytes.size() + 6);
    MemoryStream tl(out.data(), int32_t(out.size()));
    if (!ov::ExtractCut(stream, decoder.CutOffsets(), decoder.StreamLength(), k, tl)) continue;
    const uint32_t stored = out[2] | out[3] << 8 | out[4] << 16 | uint32_t(out[5]) << 24;
    if (stored != uint32_t(tl.Length())) std::abort();
    bool cutShort = false;
    ov::CountFrames(tl, 6, tl.Length(), &cutShort);
  }
  return 0;
}
