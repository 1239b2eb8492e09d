#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Cut;

// What a cut shows on each tick as it plays once from its first frame, the way the player
// plays its compiled form: each frame for its duration in ticks (a keyframe for the rest
// of its section), a dissolve blending in over its ticks, loops played out, and a frame of
// duration 0 stopping the cut on itself. The content of a timing sheet.
struct Showing {
  int32_t frame = 0;      // index in the cut
  int64_t start = 0;      // first tick, from 0
  int32_t ticks = 1;      // at least 1
  bool dissolve = false;  // the ticks blend in from the picture before
};

struct Exposure {
  static constexpr int32_t kEmpty = -1;

  int fps = 1;                         // as compiled, at least 1
  int64_t ticks = 0;                   // the length
  bool stops = false;                  // the last showing is a frame of duration 0 (one tick)
  std::vector<std::string> layers;     // the cut's layer names, in layer order
  std::vector<Showing> showings;       // in play order, back to back from tick 0
  std::vector<std::string> comments;   // of each frame of the cut
  // Each played frame's cell (from 0) in each layer, or kEmpty when the layer shows
  // nothing there: no entry, or only empty ones. Of several entries of one layer the
  // topmost that shows a cell counts.
  std::vector<int32_t> frameRow;                 // per frame of the cut: its row here, or -1
  std::vector<std::vector<int32_t>> frameCells;  // per played frame: per layer

  int32_t Cell(const Showing& s, size_t layer) const { return frameCells[size_t(frameRow[size_t(s.frame)])][layer]; }
};

// Sheets stay this size at most: ticks × (layers + 1).
inline constexpr int64_t kLargestExposure = int64_t(1) << 22;

// The exposure of `cut`; false, with `error` saying why, when it is larger than
// kLargestExposure or the cut has no frames.
bool CutExposure(Cut& cut, Exposure& out, std::string* error);
