#pragma once

#include <cstdint>

#include "model/rect.h"

// The pen: an 8×8 shape filled with a two-colour 4×4 tone pattern.
struct Pen {
  int32_t shape = 7;    // 0-6 squares of side 8..2, 7 one pixel, 8-14 circles of 2..8
  int32_t density = 0;  // pixels of every 4×4 tile that take colour A (0-16)
  int32_t colorA = 0;
  int32_t colorB = 1;  // the colour of a solid pen
  bool operator==(const Pen&) const = default;
};

inline constexpr int kPenShapeCount = 15;
inline constexpr int kMaxDensity = 16;
inline constexpr int kToneLevels = 49;  // tone scale 0 (black) .. 48 (white)

// Row bytes of a shape, bit 7 = column 0; the centre is column 4, row 4. An out-of-range
// shape draws as the one-pixel pen.
const uint8_t* PenShapeRows(int32_t shape);

// Pixels of a 4×4 tile, anchored to cell coordinates.
int PatternColor(const Pen& pen, int32_t x, int32_t y);

// The pen's colours for one 4×4 tile: tile[y & 3][x & 3].
struct PenTile {
  int16_t color[4][4];
  explicit PenTile(const Pen& pen);
  int At(int32_t x, int32_t y) const { return color[y & 3][x & 3]; }
};

// True when some pixel the pen paints takes value v.
bool PenPaints(const Pen& pen, int v);

// 1..8 for the eight pen sizes (a square and a circle of each size).
inline int PenSize(int32_t shape) { return (shape > 7 ? shape - 7 : 7 - shape) + 1; }

// Square pen toggle: a shape becomes its square (circular) twin; 7 maps to itself.
inline int32_t TwinShape(int32_t shape) { return 14 - shape; }

// Underdrawing shade of a drawing colour: 1..3 and 8..10 → 5..7, anything else → 0.
constexpr int UnderdrawingShade(int value) {
  if (value >= 1 && value <= 3) return value + 4;
  if (value >= 8 && value <= 10) return value - 3;
  return 0;
}

// Tone scale level 0..48 drawn with a pen: shape 0, colours (A, A + 1), 15 steps between the
// solid black, dark grey, light grey and white pens.
Pen ToneScalePen(int level);
// The inverse for tone pens: 0 when colour A is 0, else (A - 1) × 16 + 16 - density.
int PenLevel(const Pen& pen);

// Grows a dirty rectangle by a pen dab centred on (px, py).
inline void GrowDirty(Rect& dirty, int32_t px, int32_t py) {
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
