#include "edit/clipboard_image.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "model/raster_surface.h"
#include "raster/pen.h"

namespace {

constexpr size_t kHeaderSize = 40;
constexpr size_t kTableSize = 16 * 4;

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

}  // namespace

const uint32_t kClipboardColors[16] = {0xE1FFFF, 0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF, 0x8F8FBF,
                                       0xADADD9, 0xCECEF2, 0x000000, 0x555555, 0xAAAAAA, 0xFFFF66,
                                       0xD0D053, 0x70702D, 0x40401A, 0xFF0000};

size_t CellDibSize(const RasterSurface& cell) {
  return kHeaderSize + kTableSize + cell.ByteSize();
}

void WriteCellDib(const RasterSurface& cell, uint8_t* out) {
  std::memset(out, 0, kHeaderSize);
  Put32(out, kHeaderSize);
  Put32(out + 4, uint32_t(cell.Width()));
  Put32(out + 8, uint32_t(cell.Height()));  // positive: rows bottom-up
  Put16(out + 12, 1);                       // planes
  Put16(out + 14, 4);                       // bits per pixel
  Put32(out + 20, uint32_t(cell.ByteSize()));
  Put32(out + 32, 16);  // colours used
  uint8_t* table = out + kHeaderSize;
  for (int i = 0; i < 16; ++i) {
    const uint32_t c = kClipboardColors[i];
    table[4 * i] = uint8_t(c);            // blue
    table[4 * i + 1] = uint8_t(c >> 8);   // green
    table[4 * i + 2] = uint8_t(c >> 16);  // red
    table[4 * i + 3] = 0;
  }
  uint8_t* rows = table + kTableSize;
  const size_t stride = size_t(cell.Stride());
  for (int32_t y = 0; y < cell.Height(); ++y)
    std::memcpy(rows + size_t(cell.Height() - 1 - y) * stride, cell.Row(y), stride);
}

int PicturePixel(uint32_t rgb, int32_t x, int32_t y, bool keyOn, uint32_t key) {
  if (keyOn && (rgb & 0xFFFFFF) == (key & 0xFFFFFF)) return 0;
  const int r = int((rgb >> 16) & 0xFF), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
  const int grey = (b + 2 * (r + 2 * g)) / 7;
  return PatternColor(ToneScalePen(grey * kToneLevels / 256), x, y);
}

std::unique_ptr<CellSurface> PictureCell(int32_t width, int32_t height,
                                         const PictureTileReader& read, bool keyOn, uint32_t key,
                                         ProtectMask mask) {
  // No cell is larger: a cut stores sizes in 16 bits.
  constexpr int32_t kLargest = 65535;
  if (width < 1 || height < 1 || width > kLargest || height > kLargest) return nullptr;
  std::unique_ptr<CellSurface> cell(new (std::nothrow) CellSurface);
  if (!cell || !cell->Create(width, height, 0)) return nullptr;
  std::vector<uint32_t> tile(size_t(kPictureTile) * kPictureTile);
  for (int32_t ty = 0; ty < height; ty += kPictureTile) {
    for (int32_t tx = 0; tx < width; tx += kPictureTile) {
      read(tx, ty, tile.data());
      const int32_t rows = std::min(kPictureTile, height - ty);
      const int32_t columns = std::min(kPictureTile, width - tx);
      for (int32_t y = 0; y < rows; ++y) {
        for (int32_t x = 0; x < columns; ++x) {
          const int32_t px = tx + x, py = ty + y;
          if (IsProtected(mask, cell->GetPixel(px, py))) continue;
          cell->SetPixel(px, py,
                         PicturePixel(tile[size_t(y) * kPictureTile + x], px, py, keyOn, key));
        }
      }
    }
  }
  return cell;
}
