#include "files/palette_file.h"

#include <cstdio>

#include "io/little_endian.h"

namespace {

constexpr size_t kHeaderBytes = 54;
constexpr size_t kNeededBytes = kHeaderBytes + 4 * kFramePaletteSize;

}  // namespace

bool ParsePaletteFile(const uint8_t* data, size_t size, uint32_t colors[kFramePaletteSize]) {
  if (!data || size < kNeededBytes) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  if (LoadU16Le(data + 28) != 8 || LoadU32Le(data + 30) != 0 || LoadU32Le(data + 46) < kFramePaletteSize)
    return false;
  for (int i = 0; i < kFramePaletteSize; ++i) {
    const uint8_t* e = data + kHeaderBytes + 4 * size_t(i);
    colors[i] = PackColor(e[2], e[1], e[0]);
  }
  return true;
}

bool LoadPaletteFile(const std::string& path, FramePalette& palette) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  uint8_t bytes[kNeededBytes];
  const size_t n = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  return ParsePaletteFile(bytes, n, palette.data());
}
