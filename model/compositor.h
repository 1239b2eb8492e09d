#pragma once

#include <cstdint>
#include <vector>

#include "model/rect.h"

class Frame;
class RasterSurface;

// Draws the rectangle (x, y, width, height) of the canvas as `frame` shows it into the same
// rectangle of `target` (an 8-bit frame image the caller has cleared): the cells of the
// layer entries bottom to top with transparency and brightness modifiers, and as `flags`
// (DisplayFlags) asks, onion skins of the current entry, the other layers pale, the current
// cell only and a layer limit. With `bounds`, record i receives the area of entry i's cell
// that drew non-transparent pixels, in the cell's own coordinates, zero when nothing was
// drawn; with the current-cell-only flag the current cell's area goes to record 0. The
// vector is resized to hold every record written.
void Compose(Frame& frame, RasterSurface& target, int32_t x, int32_t y, int32_t width,
             int32_t height, uint32_t flags, std::vector<Rect>* bounds);
