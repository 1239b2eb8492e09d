#pragma once

#include <cstdint>
#include <unordered_map>

#include "model/rect.h"

class Frame;
class RasterSurface;

// The canvas area in which two frames of one cut can compose differently: for every
// entry index that the two frames resolve to different cells, or to one cell at another
// place, the areas that cell content covers in both frames. Content areas are measured
// once per cell, so one object serves the frames of one cut while its cells stay as they
// are.
class DirtyRegion {
 public:
  // With `currentCellOnly` only the current entries of the two frames are compared (the
  // compositor then draws nothing else). Not clipped to the canvas.
  Rect Between(Frame& a, Frame& b, bool currentCellOnly);

  // The bounding box of the cell's non-zero pixels in its own coordinates, (0,0,0,0) when
  // it has none.
  Rect ContentOf(const RasterSurface& cell);

 private:
  Rect EntryArea(Frame& frame, int32_t index);

  std::unordered_map<const RasterSurface*, Rect> content_;
};

// True when the two frames compose to the same picture without looking at pixels: the same
// entries at the same places and the same frame position (layers may follow it), and
// with `currentCellOnly` also the same current entry.
bool SamePicture(Frame& a, Frame& b, bool currentCellOnly);
