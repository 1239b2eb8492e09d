#pragma once

// Every tool's program-wide state, and the routing of a cut window's mouse message to the
// current tool's handler.

#include <cstdint>

#include "edit/area_tools.h"
#include "edit/cut_view.h"
#include "edit/fill_tools.h"
#include "edit/position_tools.h"
#include "edit/region_select.h"
#include "edit/stroke_tools.h"
#include "edit/text_tool.h"

struct ToolStates {
  FreePenState freePen;
  LineState line;
  CurveState curve;
  ConcentrationState concentration;
  ParallelState parallel;
  RectangleState rectangle;
  FillState fill;
  GradationState gradation;
  EraserState eraser;
  BorderState border;
  MosaicState mosaic;
  PositionState framePosition;
  PositionState layerPosition;
  RegionSelectState select;
  TextState text;
  PasteBuffer paste;
};

// Whether a tool is in the middle of a drag, with a change to the cell begun and not done.
bool GestureInProgress(const ToolStates& states);

// Calls the handler of `tool` (a tool's menu command number); other numbers do nothing.
void RunTool(uint32_t tool, const ToolEvent& event, CutView& view, ToolStates& states);
