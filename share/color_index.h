#pragma once

#include <cstdint>
#include <vector>

#include "model/rect.h"
#include "share/canvas.h"

// A rectangle of a picture as indexes into a table of only the colours it uses, for the
// palette formats (GIF frames, indexed PNG).
struct IndexedRect {
  Rect rect;
  std::vector<uint32_t> colors;   // 0xFFRRGGBB, in order of first use
  int transparent = -1;           // the index standing for "as before", or -1
  std::vector<uint8_t> index;     // rect.width × rect.height, rows top to bottom
  bool approximated = false;      // some colours were given the nearest one in the table
};

// Indexes `rect` of `picture` (clipped to it) with at most `maxEntries` table entries
// (1..256). With `before`, a picture of the same size, its pixels that equal `before` take
// the transparent index when any do. More colours than the table holds: with `approximate`
// each later one takes the nearest colour already in the table; without it the result is
// false and `out` is unspecified.
bool IndexRect(const Canvas& picture, const Canvas* before, const Rect& rect, int maxEntries,
               bool approximate, IndexedRect& out);
