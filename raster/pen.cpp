#include "raster/pen.h"

namespace {

const uint8_t kPenShapes[kPenShapeCount][8] = {
    {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff},
    {0x00, 0x7f, 0x7f, 0x7f, 0x7f, 0x7f, 0x7f, 0x7f},
    {0x00, 0x7e, 0x7e, 0x7e, 0x7e, 0x7e, 0x7e, 0x00},
    {0x00, 0x00, 0x3e, 0x3e, 0x3e, 0x3e, 0x3e, 0x00},
    {0x00, 0x00, 0x3c, 0x3c, 0x3c, 0x3c, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x1c, 0x1c, 0x1c, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x18, 0x18, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x18, 0x18, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x08, 0x1c, 0x08, 0x00, 0x00},
    {0x00, 0x00, 0x18, 0x3c, 0x3c, 0x18, 0x00, 0x00},
    {0x00, 0x00, 0x1c, 0x3e, 0x3e, 0x3e, 0x1c, 0x00},
    {0x00, 0x18, 0x3c, 0x7e, 0x7e, 0x3c, 0x18, 0x00},
    {0x00, 0x1c, 0x3e, 0x7f, 0x7f, 0x7f, 0x3e, 0x1c},
    {0x3c, 0x7e, 0xff, 0xff, 0xff, 0xff, 0x7e, 0x3c},
};

// Levels 0-8. Byte 0 holds tile rows 0 and 1, byte 1 rows 2 and 3; row 2k is the low nibble,
// and bit (x mod 4) of a nibble is column x mod 4. A set bit means colour A.
const uint8_t kTonePatterns[9][2] = {
    {0x00, 0x00}, {0x08, 0x00}, {0x08, 0x02}, {0x08, 0x0a}, {0x0a, 0x0a},
    {0x4a, 0x0a}, {0x4a, 0x1a}, {0x5a, 0x1a}, {0x5a, 0x5a},
};

}  // namespace

const uint8_t* PenShapeRows(int32_t shape) {
  return kPenShapes[shape >= 0 && shape < kPenShapeCount ? shape : 7];
}

int PatternColor(const Pen& pen, int32_t x, int32_t y) {
  int32_t density = pen.density < 0 ? 0 : pen.density > kMaxDensity ? kMaxDensity : pen.density;
  int a = pen.colorA, b = pen.colorB;
  if (density > 8) {
    density = 16 - density;
    a = pen.colorB;
    b = pen.colorA;
  }
  const int row = int(y & 3), col = int(x & 3);
  const int bit = (kTonePatterns[density][row / 2] >> (col + 4 * (row & 1))) & 1;
  return bit ? a : b;
}

PenTile::PenTile(const Pen& pen) {
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) color[y][x] = int16_t(PatternColor(pen, x, y));
}

bool PenPaints(const Pen& pen, int v) {
  const PenTile tile(pen);
  for (const auto& row : tile.color)
    for (int16_t c : row)
      if (c == v) return true;
  return false;
}

Pen ToneScalePen(int level) {
  level = level < 0 ? 0 : level >= kToneLevels ? kToneLevels - 1 : level;
  Pen pen;
  pen.shape = 0;
  pen.colorA = level == 0 ? 0 : (level - 1) / 16 + 1;
  pen.colorB = pen.colorA + 1;
  pen.density = level % 16 == 0 ? 0 : 16 - level % 16;
  return pen;
}

int PenLevel(const Pen& pen) {
  if (pen.colorA == 0) return 0;
  return (pen.colorA - 1) * 16 + 16 - pen.density;
}

void GrowDirty(Rect& dirty, int32_t px, int32_t py) {
  if (dirty.width == 0 || dirty.height == 0) {
    dirty = Rect{px - 4, py - 4, 8, 8};
    return;
  }
  int32_t right = dirty.x + dirty.width, bottom = dirty.y + dirty.height;
  if (px - 4 <= dirty.x) dirty.x = px - 5;
  if (py - 4 <= dirty.y) dirty.y = py - 5;
  if (px + 4 >= right) right = px + 5;
  if (py + 4 >= bottom) bottom = py + 5;
  dirty.width = right - dirty.x;
  dirty.height = bottom - dirty.y;
}
