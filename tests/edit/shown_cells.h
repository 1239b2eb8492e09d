#pragma once

// What a layer shows in each frame of a cut, for expected values: its cell, "~k" for an
// empty cell k, "-" where the frame does not show the layer; frames joined with blanks.

#include <string>

#include "model/cut.h"

inline std::string ShownCells(Cut& cut, const Layer* layer) {
  std::string s;
  for (int32_t f = 0; f < cut.FrameCount(); ++f) {
    std::string cell = "-";
    Frame& frame = *cut.FrameAt(f);
    for (int32_t e = 0; e < frame.EntryCount(); ++e)
      if (frame.EntryAt(e)->layer == layer) {
        const int32_t k = frame.EntryAt(e)->cell;
        cell = k < 0 ? "~" + std::to_string(~k) : std::to_string(k);
        break;
      }
    s += (s.empty() ? "" : " ") + cell;
  }
  return s;
}
