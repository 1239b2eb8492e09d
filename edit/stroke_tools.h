#pragma once

// The stroke tools: free pen, straight line, continuous curve, concentration lines, parallel
// lines and the rectangle. Each keeps a small program-wide state; points are kept in cell
// coordinates unless said otherwise.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "edit/cut_view.h"

// The free pen's path: a segment from the last point to each new one or, with smoothing-skip,
// through the last three points with the corner rule (a one-pixel stair step, a vertical
// move then a horizontal one or the reverse, becomes a diagonal), one point behind the mouse
// and finished by a pending segment at the end.
class StrokeHistory {
 public:
  void Begin(Point p, bool smoothingSkip);
  // The segment the next point adds: last → p, or P0 → P1 (P1 moved by the corner rule).
  std::pair<Point, Point> Push(Point p);
  // What is left to draw when the stroke ends: P1 → P2 with smoothing-skip, else nothing.
  std::optional<std::pair<Point, Point>> Pending() const;

 private:
  Point p_[3];
  Point last_;
  bool smoothing_ = false;
};

struct FreePenState {
  bool drawing = false;
  Point last;
  // In window coordinates while the view is reduced, so that the corner rule works on
  // what the hand did; in cell coordinates otherwise.
  bool windowHistory = false;
  StrokeHistory history;
};

struct LineState {
  int32_t count = 0;  // 0 idle, -1 one dragged line, 1 or more continuous clicks
  Point anchor;
  RubberLine rubber;
};

struct CurveState {
  bool active = false;
  int k = 0;  // the last of the four points in use
  Point p[4];
  int32_t shape = 7;  // the pen shape of the previous click
  bool skip = false;  // Ctrl held at the previous click
  RubberLine rubber;
};

// Lines clicked from a first point: concentration lines from their centre, parallel lines
// from the first line's start. The counter is 0 while idle.
struct ClickedLinesState {
  int32_t count = 0;
  Point start;  // cell
  RubberLine rubber;
};

using ConcentrationState = ClickedLinesState;

struct ParallelState : ClickedLinesState {
  // count: 1 first line started, 2 or more copying
  Point offset;      // window pixels from the mouse to the copy's other end
  Point lastWindow;  // the snapped mouse
};

using RectangleState = DragRectState;

// The free pen dragged through cell points as the tool draws it at zoom 1/1 or more: a dab
// at the press, a segment to each point that differs from the last, and with smoothing-skip
// the corner rule and the pending segment at the release. The undo snapshot is the caller's.
void DrawFreePenStroke(RasterSurface& cell, const std::vector<Point>& points, const Pen& pen,
                       ProtectMask mask, bool smoothingSkip);

void FreePenTool(const ToolEvent& event, CutView& view, FreePenState& state);
void LineTool(const ToolEvent& event, CutView& view, LineState& state);
void CurveTool(const ToolEvent& event, CutView& view, CurveState& state);
void ConcentrationTool(const ToolEvent& event, CutView& view, ConcentrationState& state);
void ParallelTool(const ToolEvent& event, CutView& view, ParallelState& state);
void RectangleTool(const ToolEvent& event, CutView& view, RectangleState& state);
