#pragma once

#include <cstdint>
#include <memory>

#include "model/cell_surface.h"
#include "model/pixel_class.h"
#include "model/rect.h"

struct Point;

// Moves the drawing of `source` so that its top-left corner lands on `to`: every pixel of
// value 1 or more whose value is not protected is cleared to 0 and written at its destination
// unless the pixel there is protected. Transparent pixels move nothing. Only positions inside
// the surface are read or written, wherever the rectangles lie. Takes no memory.
void MoveRegion(RasterSurface& surface, Rect source, Point to, ProtectMask mask);

// A copy of the rectangle clipped to the surface, protected values copied as 0. Null when
// nothing of it lies inside or the memory cannot be had.
std::unique_ptr<CellSurface> CopyRegion(const RasterSurface& surface, Rect r, ProtectMask mask);
