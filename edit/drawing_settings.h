#pragma once

// The program-wide drawing settings every cut window and tool shares.

#include "raster/pen.h"

struct DrawingSettings {
  Pen pen;  // the one-pixel pen, solid colour 1
  bool smoothingSkip = true;
  bool squarePen = false;  // square shapes 0-6 instead of the circles 8-14
};

// The square pen menu item: the shape becomes its twin and the square state flips.
void ToggleSquarePen(DrawingSettings& settings);
// The shape of pen size s = |shape − 7| (0-7) in the current square state: 7 + s for a
// circle, 7 − s for a square.
void RederivePenShape(DrawingSettings& settings);
// One size smaller, not below the one-pixel pen; one size larger, up to size 8.
void PenSizeSmaller(DrawingSettings& settings);
void PenSizeLarger(DrawingSettings& settings);
