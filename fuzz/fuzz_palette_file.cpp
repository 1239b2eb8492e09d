// Arbitrary bytes as a palette file: accepted only with the right headers, never read past
// the bytes given.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/palette_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);  // exact-size copy for the sanitizer
  uint32_t colors[kFramePaletteSize] = {};
  const bool ok = ParsePaletteFile(bytes.data(), bytes.size(), colors);
  if (ok && (size < 158 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 8)) std::abort();
  return 0;
}
