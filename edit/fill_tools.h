#pragma once

// The fill and gradation tools. Both act exactly under the mouse (the snap grid is off for
// their messages) and pick the pen from the cell with a right click.

#include "edit/cut_view.h"
#include "raster/pen.h"

struct FillState {
  bool armed = false;
};

// The first click of a gradation waits, across tool changes, for the second.
struct GradationState {
  bool pending = false;
  Point first;
  Pen pen;
};

void FillTool(const ToolEvent& event, CutView& view, FillState& state);
void GradationTool(const ToolEvent& event, CutView& view, GradationState& state);
