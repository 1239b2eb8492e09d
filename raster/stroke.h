#pragma once

#include <cstdint>

#include "model/pixel_class.h"
#include "model/rect.h"
#include "raster/pen.h"

class RasterSurface;

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point&) const = default;
};

// A pen prepared for many dabs: its shape rows and its tile colours.
struct Brush {
  explicit Brush(const Pen& pen);
  const uint8_t* rows;
  PenTile tile;
  int8_t first[8], last[8];  // the columns of each row's run
  bool contiguous = true;    // every row is one run
};

// One dab centred on (x, y). A target whose value is protected is skipped; a position
// outside the surface reads -1 (mask bit 31) and is never written.
void StampBrush(RasterSurface& surface, int32_t x, int32_t y, const Brush& brush,
                ProtectMask mask);

// A stroke with the pen from (x0, y0) to (x1, y1): a dab on every point of the walk. A solid
// black pen draws line pixels (8) instead of black (1).
void DrawLine(RasterSurface& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
              const Pen& pen, ProtectMask mask, Rect* dirty);

// Clips to the surface; false when nothing of the rectangle lies inside.
bool ClipRect(const RasterSurface& surface, Rect& r);
// A negative width moves x by width + 1 and negates the width; height likewise.
void NormaliseRect(Rect& r);

// The segment from p[1] to p[2] of the cubic through the four points at the parameters
// -1, 0, 1, 2, in single precision.
void DrawCurveSegment(RasterSurface& surface, const Point p[4], const Pen& pen, ProtectMask mask,
                      Rect* dirty);

// A line in the underdrawing shades of the pen's colours that changes only transparent and
// underdrawing pixels (and none that `extraMask` protects).
void DrawGuideLine(RasterSurface& surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   const Pen& pen, ProtectMask extraMask, Rect* dirty);

// Every bit except those of 0, 5, 6 and 7.
inline constexpr ProtectMask kGuideLineMask = ~ProtectMask(225);
