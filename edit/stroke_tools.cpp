#include "edit/stroke_tools.h"

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
  view.StrokeBounds() = SegmentBounds(a, b);
  RepaintCells(view, view.StrokeBounds(), t.offset);
}

Point Add(Point a, Point b) {
  return Point{a.x + b.x, a.y + b.y};
}

}  // namespace

void StrokeHistory::Begin(Point p) {
  p_[0] = p_[1] = p_[2] = p;
}

std::pair<Point, Point> StrokeHistory::Push(Point p) {
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

void DrawFreePenStroke(RasterSurface& cell, const std::vector<Point>& points, const Pen& pen,
                       ProtectMask mask, bool smoothingSkip) {
  if (points.empty()) return;
  StrokeHistory history;
  Point last = points.front();
  cell.Stamp(last.x, last.y, pen, mask, nullptr);
  history.Begin(last);
  for (const Point& p : points) {
    if (p == last) continue;
    const auto [a, b] = smoothingSkip ? history.Push(p) : std::pair<Point, Point>{last, p};
    DrawLine(cell, a.x, a.y, b.x, b.y, pen, mask, nullptr);
    last = p;
  }
  if (smoothingSkip) {
    const auto [a, b] = history.Pending();
    DrawLine(cell, a.x, a.y, b.x, b.y, pen, mask, nullptr);
  }
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
      s.history.Begin(s.windowHistory ? e.window : p);
      view.StrokeBounds() = Rect{p.x - 4, p.y - 4, 8, 8};
      RepaintCells(view, view.StrokeBounds(), t->offset);
      view.Capture(true);
      return;
    case ToolMessage::kMove: {
      if (!s.drawing || p == s.last) {
        PenCursorAt(view, p, t->offset);
        return;
      }
      std::pair<Point, Point> segment{s.last, p};
      if (d.smoothingSkip) {
        const auto [a, b] = s.history.Push(s.windowHistory ? e.window : p);
        segment = {toCell(a), toCell(b)};
      }
      StrokeLine(view, *t, segment.first, segment.second, d.pen);
      s.last = p;
      return;
    }
    case ToolMessage::kLeftUp:
      if (!s.drawing) return;
      view.Capture(false);
      s.drawing = false;
      if (d.smoothingSkip) {
        const auto [a, b] = s.history.Pending();
        StrokeLine(view, *t, toCell(a), toCell(b), d.pen);
      }
      return;
    case ToolMessage::kRightUp:
      if (!s.drawing) view.OpenPenChooser(e.window);
      return;
    default:
      return;
  }
}

void LineTool(const ToolEvent& e, CutView& view, LineState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.rubber.Hide(view);
    s.count = 0;
    view.HidePenCursor();
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  auto window = [&](Point cell) { return WindowOf(view, cell, t->offset); };
  switch (e.message) {
    case ToolMessage::kLeftDown:
      if (s.count != 0 || e.Control() || !SaveUndo(view.TheCut())) return;
      s.anchor = p;
      view.StrokeBounds() = Rect{};
      s.count = -1;
      return;
    case ToolMessage::kMove:
      s.rubber.Hide(view);
      PenCursorAt(view, p, t->offset);
      if (s.count != 0) s.rubber.Show(view, window(s.anchor), window(p));
      return;
    case ToolMessage::kLeftUp:
      if (s.count != 0) {
        s.rubber.Hide(view);
        if (!e.Control()) StrokeLine(view, *t, s.anchor, p, view.Drawing().pen);
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
      if (s.count == 0) {
        view.OpenPenChooser(e.window);
        return;
      }
      s.rubber.Hide(view);
      s.count = 0;
      return;
    default:
      return;
  }
}

void CurveTool(const ToolEvent& e, CutView& view, CurveState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.rubber.Hide(view);
    s.active = false;
    s.k = 0;
    view.HidePenCursor();
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
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
            Rect dirty;
            DrawCurveSegment(*t->cell, s.p, then, view.Mask(), &dirty);
            AddToStroke(view, dirty, t->offset);
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
      s.rubber.Hide(view);
      PenCursorAt(view, p, t->offset);
      if (s.active)
        s.rubber.Show(view, WindowOf(view, s.p[s.k], t->offset), WindowOf(view, p, t->offset));
      return;
    case ToolMessage::kRightUp:
      if (!s.active) {
        view.OpenPenChooser(e.window);
        return;
      }
      s.rubber.Hide(view);
      if (s.k > 1) {
        s.p[3] = s.p[2];
        Rect dirty;
        DrawCurveSegment(*t->cell, s.p, pen, view.Mask(), &dirty);
        AddToStroke(view, dirty, t->offset);
      }
      s.active = false;
      s.k = 0;
      return;
    default:
      return;
  }
}

void ConcentrationTool(const ToolEvent& e, CutView& view, ConcentrationState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.rubber.Hide(view);
    s.count = 0;
    view.HidePenCursor();
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  switch (e.message) {
    case ToolMessage::kLeftUp:
      if (s.count == 0) {
        s.centre = p;
        s.count = 1;
        return;
      }
      if (!SaveUndo(view.TheCut())) return;
      s.rubber.Hide(view);
      GuideOrPenLine(view, *t, s.centre, p, e.Control());
      ++s.count;
      return;
    case ToolMessage::kMove:
      s.rubber.Hide(view);
      PenCursorAt(view, p, t->offset);
      if (s.count >= 1)
        s.rubber.Show(view, WindowOf(view, s.centre, t->offset), WindowOf(view, p, t->offset));
      return;
    case ToolMessage::kRightUp:
      if (s.count == 0) {
        view.OpenPenChooser(e.window);
        return;
      }
      s.rubber.Hide(view);
      s.count = 0;
      return;
    default:
      return;
  }
}

void ParallelTool(const ToolEvent& e, CutView& view, ParallelState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.rubber.Hide(view);
    s.count = 0;
    view.HidePenCursor();
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  const Point w = WindowOf(view, p, t->offset);
  auto showCopy = [&](Point from) { s.rubber.Show(view, from, Add(from, s.offset)); };
  switch (e.message) {
    case ToolMessage::kLeftUp:
      if (s.count == 0) {
        s.start = p;
        s.count = 1;
        return;
      }
      if (!SaveUndo(view.TheCut())) return;
      s.rubber.Hide(view);
      if (s.count == 1) {
        const Point from = WindowOf(view, s.start, t->offset);
        s.offset = Point{from.x - w.x, from.y - w.y};
        GuideOrPenLine(view, *t, s.start, p, e.Control());
      } else {
        GuideOrPenLine(view, *t, CellAt(view, Add(w, s.offset), t->offset), p, e.Control());
      }
      s.lastWindow = w;
      showCopy(w);
      ++s.count;
      return;
    case ToolMessage::kMove:
      s.rubber.Hide(view);
      PenCursorAt(view, p, t->offset);
      s.lastWindow = w;
      if (s.count == 1) s.rubber.Show(view, WindowOf(view, s.start, t->offset), w);
      if (s.count >= 2) showCopy(w);
      return;
    case ToolMessage::kRightUp:
      if (s.count == 0) {
        view.OpenPenChooser(e.window);
        return;
      }
      s.rubber.Hide(view);
      if (s.count >= 2 && e.Control()) {
        s.offset = Point{-s.offset.y, s.offset.x};
        showCopy(s.lastWindow);
        return;
      }
      s.count = 0;
      return;
    default:
      return;
  }
}

void RectangleTool(const ToolEvent& e, CutView& view, RectangleState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.outline.Hide(view);
    s.active = false;
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  switch (e.message) {
    case ToolMessage::kLeftDown:
      s.start = p;
      s.active = true;
      return;
    case ToolMessage::kMove:
      if (s.active && p.x > s.start.x && p.y > s.start.y)
        s.outline.Show(
            view, WindowRectOf(view, Rect{s.start.x, s.start.y, p.x - s.start.x, p.y - s.start.y},
                               t->offset));
      return;
    case ToolMessage::kLeftUp: {
      if (!s.active) return;
      s.active = false;
      s.outline.Hide(view);
      if (!SaveUndo(view.TheCut())) return;
      Rect r{s.start.x, s.start.y, p.x - s.start.x, p.y - s.start.y};
      const Pen& pen = view.Drawing().pen;
      Rect dirty;
      if (e.Control()) {
        t->cell->FillRect(r.x, r.y, r.width, r.height, pen, view.Mask(), nullptr);
      } else {
        t->cell->FrameRect(r.x, r.y, r.width, r.height, pen, view.Mask(), &dirty);
      }
      NormaliseRect(r);
      // The outline's pen reaches past the rectangle's edges.
      view.StrokeBounds() = UnionRect(Rect{r.x, r.y, r.width + 1, r.height + 1}, dirty);
      RepaintCells(view, view.StrokeBounds(), t->offset);
      return;
    }
    case ToolMessage::kRightUp:
      if (!s.active) view.OpenPenChooser(e.window);
      return;
    default:
      return;
  }
}
