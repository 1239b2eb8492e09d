#include "edit/stroke_tools.h"

#include <optional>

#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/stroke.h"

namespace {

int32_t Toward(int32_t from, int32_t to) {
  return from < to ? from + 1 : from - 1;
}

void PenCursorAt(CutView& view, Point cell, Point offset) {
  view.MovePenCursor(CellToCanvas(cell, offset));
}

// A pen line from a to b, repainted and added to the stroke bounds.
void StrokeLine(CutView& view, const ToolTarget& t, Point a, Point b, const Pen& pen) {
  DrawLine(*t.cell, a.x, a.y, b.x, b.y, pen, view.Mask(), nullptr);
  AddToStroke(view, SegmentBounds(a, b), t.offset);
}

// A line of the concentration and parallel tools: in underdrawing shades with Ctrl (the
// protect mask does not apply to those), else with the pen; the stroke bounds become it.
void GuideOrPenLine(CutView& view, const ToolTarget& t, Point a, Point b, bool guide) {
  const Pen& pen = view.Drawing().pen;
  if (guide) {
    DrawGuideLine(*t.cell, a.x, a.y, b.x, b.y, pen, 0, nullptr);
  } else {
    DrawLine(*t.cell, a.x, a.y, b.x, b.y, pen, view.Mask(), nullptr);
  }
  SetStroke(view, SegmentBounds(a, b), t.offset);
}

// A curve segment drawn with the pen, repainted and added to the stroke bounds.
void StrokeCurve(CutView& view, const ToolTarget& t, const Point (&points)[4], const Pen& pen) {
  Rect dirty;
  DrawCurveSegment(*t.cell, points, pen, view.Mask(), &dirty);
  AddToStroke(view, dirty, t.offset);
}

struct Aimed {
  ToolTarget target;
  Point point;  // cell, snapped
};

// The opening of a tool with a rubber line: a cancel hides the line and the pen cursor and
// runs `idle`; any other message gets the current cell and the mouse's cell point, or nothing
// without a current cell.
template <typename Idle>
std::optional<Aimed> Aim(const ToolEvent& e, CutView& view, RubberLine& rubber, Idle idle) {
  if (e.message == ToolMessage::kCancel) {
    rubber.Hide(view);
    idle();
    view.HidePenCursor();
    return std::nullopt;
  }
  const auto t = TargetOf(view);
  if (!t) return std::nullopt;
  return Aimed{*t, CellAt(view, e.window, t->offset)};
}

// A mouse move: the pen cursor follows the mouse, and the rubber line runs to it from `from`
// (a cell point) when one is given. The line is hidden first so that the cursor's repaint
// leaves none of it behind.
void FollowMouse(CutView& view, RubberLine& rubber, const ToolTarget& t, Point p,
                 const Point* from) {
  rubber.Hide(view);
  PenCursorAt(view, p, t.offset);
  if (from) rubber.Show(view, WindowOf(view, *from, t.offset), WindowOf(view, p, t.offset));
}

// A right release: opens the pen chooser when the tool is idle; otherwise hides the rubber
// line and answers that the tool was busy.
bool BusyRightUp(const ToolEvent& e, CutView& view, RubberLine& rubber, bool idle) {
  if (idle) {
    view.OpenPenChooser(e.window);
    return false;
  }
  rubber.Hide(view);
  return true;
}

// What concentration and parallel lines do alike. A cancel ends the run; the first left
// release only remembers its point; a move moves the pen cursor; a right click opens the pen
// chooser when idle, else ends the run unless `keepRunning`. The rubber line is hidden and
// the message left to the tool when it is a later left release, a move, or a right click
// that keeps the run.
std::optional<Aimed> ClickedLines(const ToolEvent& e, CutView& view, ClickedLinesState& s,
                                  bool keepRunning) {
  const auto aim = Aim(e, view, s.rubber, [&] { s.count = 0; });
  if (!aim) return std::nullopt;
  switch (e.message) {
    case ToolMessage::kLeftUp:
      if (s.count != 0) break;
      s.start = aim->point;
      s.count = 1;
      return std::nullopt;
    case ToolMessage::kMove:
      FollowMouse(view, s.rubber, aim->target, aim->point, nullptr);
      break;
    case ToolMessage::kRightUp:
      if (!BusyRightUp(e, view, s.rubber, s.count == 0)) return std::nullopt;
      if (keepRunning) break;
      s.count = 0;
      return std::nullopt;
    default:
      return std::nullopt;
  }
  s.rubber.Hide(view);
  return aim;
}

Point Add(Point a, Point b) {
  return Point{a.x + b.x, a.y + b.y};
}

}  // namespace

void StrokeHistory::Begin(Point p, bool smoothingSkip) {
  p_[0] = p_[1] = p_[2] = last_ = p;
  smoothing_ = smoothingSkip;
}

std::pair<Point, Point> StrokeHistory::Push(Point p) {
  const Point last = last_;
  last_ = p;
  if (!smoothing_) return {last, p};
  p_[0] = p_[1];
  p_[1] = p_[2];
  p_[2] = p;
  Point& m = p_[1];
  if (m.x == p_[0].x && m.y == p_[2].y && m.y != p_[0].y) {
    m.y = Toward(m.y, p_[0].y);
  } else if (m.y == p_[0].y && m.x == p_[2].x && m.x != p_[0].x) {
    m.x = Toward(m.x, p_[0].x);
  }
  return {p_[0], p_[1]};
}

std::optional<std::pair<Point, Point>> StrokeHistory::Pending() const {
  if (!smoothing_) return std::nullopt;
  return std::pair{p_[1], p_[2]};
}

void DrawFreePenStroke(RasterSurface& cell, const std::vector<Point>& points, const Pen& pen,
                       ProtectMask mask, bool smoothingSkip) {
  if (points.empty()) return;
  auto line = [&](std::pair<Point, Point> s) {
    DrawLine(cell, s.first.x, s.first.y, s.second.x, s.second.y, pen, mask, nullptr);
  };
  StrokeHistory history;
  Point last = points.front();
  cell.Stamp(last.x, last.y, pen, mask, nullptr);
  history.Begin(last, smoothingSkip);
  for (const Point& p : points) {
    if (p == last) continue;
    line(history.Push(p));
    last = p;
  }
  if (const auto pending = history.Pending()) line(*pending);
}

void FreePenTool(const ToolEvent& e, CutView& view, FreePenState& s) {
  if (e.message == ToolMessage::kCancel) {
    if (s.drawing) view.Capture(false);
    s.drawing = false;
    view.HidePenCursor();
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  const DrawingSettings& d = view.Drawing();
  // History points are cell points, or window points converted here.
  auto toCell = [&](Point h) { return s.windowHistory ? CellAt(view, h, t->offset) : h; };
  switch (e.message) {
    case ToolMessage::kLeftDown:
      if (s.drawing || !SaveUndo(view.TheCut())) return;
      t->cell->Stamp(p.x, p.y, d.pen, view.Mask(), nullptr);
      s.last = p;
      s.drawing = true;
      s.windowHistory = view.Geometry().zoom.Denominator() != 1;
      s.history.Begin(s.windowHistory ? e.window : p, d.smoothingSkip);
      SetStroke(view, Rect{p.x - 4, p.y - 4, 8, 8}, t->offset);
      view.Capture(true);
      return;
    case ToolMessage::kMove: {
      if (!s.drawing || p == s.last) {
        PenCursorAt(view, p, t->offset);
        return;
      }
      const auto [a, b] = s.history.Push(s.windowHistory ? e.window : p);
      StrokeLine(view, *t, toCell(a), toCell(b), d.pen);
      s.last = p;
      return;
    }
    case ToolMessage::kLeftUp:
      if (!s.drawing) return;
      view.Capture(false);
      s.drawing = false;
      if (const auto pending = s.history.Pending())
        StrokeLine(view, *t, toCell(pending->first), toCell(pending->second), d.pen);
      return;
    case ToolMessage::kRightUp:
      if (!s.drawing) view.OpenPenChooser(e.window);
      return;
    default:
      return;
  }
}

void LineTool(const ToolEvent& e, CutView& view, LineState& s) {
  const auto aim = Aim(e, view, s.rubber, [&] { s.count = 0; });
  if (!aim) return;
  const ToolTarget& t = aim->target;
  const Point p = aim->point;
  switch (e.message) {
    case ToolMessage::kLeftDown:
      if (s.count != 0 || e.Control() || !SaveUndo(view.TheCut())) return;
      s.anchor = p;
      view.StrokeBounds() = Rect{};
      s.count = -1;
      return;
    case ToolMessage::kMove:
      FollowMouse(view, s.rubber, t, p, s.count != 0 ? &s.anchor : nullptr);
      return;
    case ToolMessage::kLeftUp:
      if (s.count != 0) {
        s.rubber.Hide(view);
        if (!e.Control()) StrokeLine(view, t, s.anchor, p, view.Drawing().pen);
        s.anchor = p;
      } else {
        // Ctrl + click: continuous mode from here.
        if (!SaveUndo(view.TheCut())) return;
        s.anchor = p;
        view.StrokeBounds() = Rect{};
      }
      s.count = s.count >= 0 ? s.count + 1 : 0;
      return;
    case ToolMessage::kRightUp:
      if (BusyRightUp(e, view, s.rubber, s.count == 0)) s.count = 0;
      return;
    default:
      return;
  }
}

void CurveTool(const ToolEvent& e, CutView& view, CurveState& s) {
  const auto aim = Aim(e, view, s.rubber, [&] {
    s.active = false;
    s.k = 0;
  });
  if (!aim) return;
  const ToolTarget& t = aim->target;
  const Point p = aim->point;
  const Pen& pen = view.Drawing().pen;
  switch (e.message) {
    case ToolMessage::kLeftUp:
      if (!s.active) {
        if (!SaveUndo(view.TheCut())) return;
        view.StrokeBounds() = Rect{};
        s.p[0] = s.p[1] = p;
        s.k = 1;
        s.active = true;
      } else {
        s.rubber.Hide(view);
        if (s.k < 3) ++s.k;
        s.p[s.k] = p;
        if (s.k == 3) {
          // The segment that ends at the previous click, with the pen shape it was made with.
          if (!s.skip) {
            Pen then = pen;
            then.shape = s.shape;
            StrokeCurve(view, t, s.p, then);
          }
          s.p[0] = s.p[1];
          s.p[1] = s.p[2];
          s.p[2] = s.p[3];
        }
      }
      s.shape = pen.shape;
      s.skip = e.Control();
      return;
    case ToolMessage::kMove:
      FollowMouse(view, s.rubber, t, p, s.active ? &s.p[s.k] : nullptr);
      return;
    case ToolMessage::kRightUp:
      if (!BusyRightUp(e, view, s.rubber, !s.active)) return;
      if (s.k > 1) {
        s.p[3] = s.p[2];
        StrokeCurve(view, t, s.p, pen);
      }
      s.active = false;
      s.k = 0;
      return;
    default:
      return;
  }
}

void ConcentrationTool(const ToolEvent& e, CutView& view, ConcentrationState& s) {
  const auto aim = ClickedLines(e, view, s, false);
  if (!aim) return;
  const ToolTarget& t = aim->target;
  if (e.message == ToolMessage::kMove) {
    if (s.count >= 1)
      s.rubber.Show(view, WindowOf(view, s.start, t.offset), WindowOf(view, aim->point, t.offset));
    return;
  }
  // A left release after the centre's: a line from the centre.
  if (!SaveUndo(view.TheCut())) return;
  GuideOrPenLine(view, t, s.start, aim->point, e.Control());
  ++s.count;
}

void ParallelTool(const ToolEvent& e, CutView& view, ParallelState& s) {
  // Ctrl + right click while copying turns the copy a quarter and goes on.
  const auto aim = ClickedLines(e, view, s, s.count >= 2 && e.Control());
  if (!aim) return;
  const ToolTarget& t = aim->target;
  const Point p = aim->point;
  const Point w = WindowOf(view, p, t.offset);
  auto showCopy = [&](Point from) { s.rubber.Show(view, from, Add(from, s.offset)); };
  switch (e.message) {
    case ToolMessage::kMove:
      s.lastWindow = w;
      if (s.count == 1) s.rubber.Show(view, WindowOf(view, s.start, t.offset), w);
      if (s.count >= 2) showCopy(w);
      return;
    case ToolMessage::kLeftUp:
      if (!SaveUndo(view.TheCut())) return;
      if (s.count == 1) {
        const Point from = WindowOf(view, s.start, t.offset);
        s.offset = Point{from.x - w.x, from.y - w.y};
        GuideOrPenLine(view, t, s.start, p, e.Control());
      } else {
        GuideOrPenLine(view, t, CellAt(view, Add(w, s.offset), t.offset), p, e.Control());
      }
      s.lastWindow = w;
      showCopy(w);
      ++s.count;
      return;
    case ToolMessage::kRightUp:
      s.offset = Point{-s.offset.y, s.offset.x};
      showCopy(s.lastWindow);
      return;
    default:
      return;
  }
}

void RectangleTool(const ToolEvent& e, CutView& view, RectangleState& s) {
  const auto release = DragRectangle(e, view, s, false);
  if (!release || !SaveUndo(view.TheCut())) return;
  Rect r = release->cells;
  RasterSurface& cell = *release->target.cell;
  const Pen& pen = view.Drawing().pen;
  Rect dirty;
  if (e.Control()) {
    cell.FillRect(r.x, r.y, r.width, r.height, pen, view.Mask(), nullptr);
  } else {
    cell.FrameRect(r.x, r.y, r.width, r.height, pen, view.Mask(), &dirty);
  }
  NormaliseRect(r);
  // The outline's pen reaches past the rectangle's edges.
  SetStroke(view, UnionRect(Rect{r.x, r.y, r.width + 1, r.height + 1}, dirty),
            release->target.offset);
}
