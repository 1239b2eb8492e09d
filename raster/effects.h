#pragma once

#include <cstdint>

#include "model/pixel_class.h"
#include "model/rect.h"
#include "raster/pen.h"

class RasterSurface;

// Underdrawing shades (5..7) of the clipped rectangle become the replacement; the mask is not
// consulted.
void EraseUnderdrawingRect(RasterSurface& surface, Rect r, int replacement);

// Every pixel of the clipped rectangle := colour (the whole surface is cleared at once).
bool FillRectangle(RasterSurface& surface, Rect r, int colour);

// Each of pen-size passes turns every ground-colour pixel that has a four-way neighbour of
// another colour (not the marker 15) into the pen's pattern colour; the ground colour is the
// value at the clipped rectangle's top-left corner. Refused when that value is protected.
bool BorderArea(RasterSurface& surface, Rect r, const Pen& pen, ProtectMask mask);

// Fills the block with the tone-scale pen of its average darkness; refused for a block of
// fewer than 16 pixels.
bool MosaicBlock(RasterSurface& surface, Rect r);

// The program-wide pseudo-random sequence of the random dots: it starts at state 1 and is
// never reseeded.
class DotSequence {
 public:
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_ = 1;
};
DotSequence& ProgramDotSequence();

// Walks the rectangle column by column and stamps the pen wherever the next number of the
// sequence is divisible by interval²; refused for an interval below 1.
bool RandomDots(RasterSurface& surface, Rect r, int32_t interval, const Pen& pen,
                ProtectMask mask, DotSequence& sequence = ProgramDotSequence());

// Guide lines every gridWidth columns and every gridHeight rows of the rectangle, in the
// pen's underdrawing shades; only transparent and underdrawing pixels change.
bool GridLines(RasterSurface& surface, Rect r, int32_t gridWidth, int32_t gridHeight,
               const Pen& pen, ProtectMask mask);

// The eraser's square of side size + 1 whose corner is (x, y) minus size / 2, turned into
// underdrawing (white disappears). `bounds` receives the square.
void EraseSquare(RasterSurface& surface, int32_t x, int32_t y, int32_t size, ProtectMask mask,
                 Rect* bounds);

// Mirrors the clipped rectangle left-right (horizontal) or top-bottom. With a mask, a position
// whose value is protected keeps it.
bool FlipRect(RasterSurface& surface, Rect r, bool horizontal, ProtectMask mask);
