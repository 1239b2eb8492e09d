#pragma once

#include <cstdint>

class Layer;

// One frame's use of one layer. A negative cell marks an empty cell: cell k is stored as
// ~k, so clearing the mark restores k.
struct LayerEntry {
  Layer* layer = nullptr;
  int32_t cell = 0;
  int32_t x = 0;
  int32_t y = 0;

  bool IsEmpty() const { return cell < 0; }
  bool operator==(const LayerEntry&) const = default;
};
