#include "model/pixel_class.h"

#include <algorithm>

#include "model/frame_surface.h"

const uint32_t kDefaultFramePalette[kFramePaletteSize] = {
    0xE1FFFF, 0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF, 0x8F8FBF, 0xADADD9,
    0xCECEF2, 0x000000, 0x555555, 0xAAAAAA, 0xFFFF66, 0xD0D053, 0x70702D,
    0x40401A, 0xFF0000, 0x8FBFBF, 0xADD9D9, 0xCEF2F2, 0x8FBF8F, 0xADD9AD,
    0xCEF2CE, 0xBF8F8F, 0xD9ADAD, 0xF2CECE, 0x000000,
};

FramePalette DefaultFramePalette() {
  FramePalette palette;
  std::copy(kDefaultFramePalette, kDefaultFramePalette + kFramePaletteSize, palette.begin());
  return palette;
}

void UnderdrawingTable(int whiteReplacement, ProtectMask mask, uint8_t table[16]) {
  for (int v = 0; v < 16; ++v)
    table[v] = uint8_t(IsProtected(mask, v) ? v : ToUnderdrawing(v, whiteReplacement) & 0x0F);
}

void SetLineEmphasis(FrameSurface& surface, bool on) {
  static constexpr uint32_t kEmphasis[3] = {0x0000FF, 0xFF0000, 0x00FF00};
  static constexpr uint32_t kPlain[3] = {0x000000, 0x555555, 0xAAAAAA};
  for (int i = 0; i < 3; ++i) surface.SetColor(kPixelLine + i, on ? kEmphasis[i] : kPlain[i]);
}
