// Arbitrary bytes as a picture file to import, read from memory through the same loaders
// and conversions as a file: refused with a reason, or a picture whose every strip reads
// as grey (or fails with a reason). Only small pictures are read (16384 pixels); the
// decoding itself is the image libraries', which are not instrumented: the target guards
// our choice of loaders, the conversions and the strip reading around them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "picture/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);  // exact-size copy for the sanitizer
  std::string why;
  const std::unique_ptr<PictureFile> picture = OpenPictureBytes(bytes.data(), bytes.size(), &why);
  if (!picture) {
    if (why.empty()) std::abort();
    return 0;
  }
  const int32_t width = picture->Width(), height = picture->Height();
  if (width < 1 || height < 1) std::abort();
  if (int64_t(width) * height > 16384) return 0;
  // Strips of up to 16 rows, top to bottom, as the clean-up reads.
  std::vector<uint16_t> strip(size_t(width) * 16);
  for (int32_t y = 0; y < height; y += 16) {
    const int32_t rows = height - y < 16 ? height - y : 16;
    if (!picture->Read(Rect{0, y, width, rows}, strip.data())) {
      if (picture->Error().empty()) std::abort();
      return 0;
    }
  }
  return 0;
}
