#pragma once

#include <cstdint>

#include "model/rect.h"

class Cut;
class RasterSurface;

// The rectangle of blocks a mosaic drag covers: from the block under `from` to the far
// corner of the block under `to` (cell coordinates moved down to multiples of the block
// size). Empty when `to` lies left of or above the start block.
Rect MosaicDragRect(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int32_t block);

// Pixelates what is seen of the current cell's rectangle `r`: the current frame is composed
// into `view` (a canvas-sized frame image) from the bottom layer up to the current one, every
// block of the rectangle takes its tone, and the rectangle is copied back into the cell.
// False when there is no current cell or nothing of the rectangle is left.
bool MosaicCurrentCell(Cut& cut, RasterSurface& view, Rect r, int32_t block);
