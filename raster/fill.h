#pragma once

#include <cstdint>

#include "model/pixel_class.h"
#include "model/rect.h"
#include "raster/pen.h"

class RasterSurface;

// Fills the closed area under (x, y) with the pen in two passes: the area is first marked
// with 15, then every marked pixel connected to the click is painted. Underdrawing inside a
// transparent area counts as part of it; shadow-boundary pixels (9, 10) that touch the area
// are absorbed with everything of their value connected to them unless protected. Refused
// (false, nothing changed) when (x, y) lies outside, its value is protected or is the marker
// 15, or the pen would paint the marker.
bool FloodFillArea(RasterSurface& surface, int32_t x, int32_t y, const Pen& pen,
                   ProtectMask mask, Rect* dirty);

// The fill tool's click: a solid shadow-boundary pen (9 or 10) becomes a sparse screen of
// one pixel in 16 that leaves existing dots of its colour in place, and a clicked
// shadow-boundary pixel is cleared first.
bool FillToolClick(RasterSurface& surface, int32_t x, int32_t y, const Pen& pen,
                   ProtectMask mask, Rect* dirty);

// Paints the area under (x1, y1) with the tone scale ramp from the start pen's level at the
// first point to the end pen's level at the second, along the dominant axis of the two
// points. Refused when the points coincide with different levels.
bool GradationFill(RasterSurface& surface, int32_t x1, int32_t y1, const Pen& startPen,
                   int32_t x2, int32_t y2, const Pen& endPen, ProtectMask mask, Rect* dirty);

// Reads the pen of the 4×4 block around (x, y) into the colours and density of `pen` (the
// shape stays). False for three different values, or when the pen would paint a position
// outside the surface.
bool PickPen(const RasterSurface& surface, int32_t x, int32_t y, Pen& pen);
