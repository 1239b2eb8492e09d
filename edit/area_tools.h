#pragma once

// The eraser, border and mosaic tools: each changes a rectangle of the cell at once.

#include <cstdint>

#include "edit/cut_view.h"

struct EraserState {
  bool erasing = false;
  int32_t size = 4;  // 4, 8, 16 or 32 window pixels
  Outline outline;
};

using BorderState = DragRectState;

struct MosaicState {
  int32_t block = 4;  // 4, 8, 12 or 16
  bool dragging = false;
  Point start;
  Outline outline;
};

void EraserTool(const ToolEvent& event, CutView& view, EraserState& state);
void BorderTool(const ToolEvent& event, CutView& view, BorderState& state);
void MosaicTool(const ToolEvent& event, CutView& view, MosaicState& state);
