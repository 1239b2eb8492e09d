#pragma once

// The frame-position and layer-position tools: the camera rectangle of the current frame and
// the current layer entry are dragged on the canvas, reset with Ctrl + click, and taken from
// the neighbouring frames with a right click. Their outline flips with every cancel message,
// so a cancel before and after a repaint hides and restores it.

#include "edit/cut_view.h"

struct PositionState {
  bool dragging = false;
  Point start;  // canvas
  Outline outline;
};

void FramePositionTool(const ToolEvent& event, CutView& view, PositionState& state);
void LayerPositionTool(const ToolEvent& event, CutView& view, PositionState& state);
