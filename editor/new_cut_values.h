#pragma once

#include <cstdint>
#include <string>

// A cut's size, frame rate, anti-aliasing choice (0, 1, 2) and credit as the cut dialog shows
// them. The editor remembers the last confirmed ones: the numbered new cuts start from them.
struct NewCutValues {
  int32_t width = 960, height = 720, fps = 24, antiAlias = 2;
  std::string credit;
};
