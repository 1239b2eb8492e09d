// Arbitrary bytes as the device-independent bitmap another program put on the clipboard,
// pasted as the editor pastes it: refused, or a cell of the picture's size holding only the
// editor's greys and, where the key colour was, transparent pixels. The last byte steers
// the key and the protect mask.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "edit/clipboard_dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);  // exact-size copy for the sanitizer
  // Large pictures only make runs slow; run coding makes them cheap to ask for.
  DibPicture picture;
  if (!picture.Open(bytes.data(), bytes.size(), 64 * 64)) return 0;
  const uint8_t steer = size > 0 ? data[size - 1] : 0;
  const bool keyOn = steer & 1;
  const uint32_t key = picture.Pixel(0, 0);
  const ProtectMask mask = steer & 2 ? 0x1Eu : 0u;
  auto cell = DibPictureCell(bytes.data(), bytes.size(), keyOn, key, mask);
  if (!cell || cell->Width() != picture.Width() || cell->Height() != picture.Height()) std::abort();
  for (int32_t y = 0; y < cell->Height(); ++y)
    for (int32_t x = 0; x < cell->Width(); ++x) {
      const int v = cell->GetPixel(x, y);
      if (v < 0 || v > 4 || (v == 0 && !keyOn)) std::abort();
    }
  return 0;
}
