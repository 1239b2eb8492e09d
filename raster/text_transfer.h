#pragma once

#include <cstdint>

#include "model/pixel_class.h"
#include "raster/pen.h"

class RasterSurface;

// Writes rendered text into a cell: every non-zero source pixel of the block puts the pen's
// pattern colour at its destination. The block is clipped to both surfaces. A source value
// whose mask bit is set is not text, and a protected destination pixel keeps its value.
bool TransferText(RasterSurface& cell, int32_t dstX, int32_t dstY, const RasterSurface& source,
                  int32_t srcX, int32_t srcY, int32_t width, int32_t height, const Pen& pen,
                  ProtectMask mask);
