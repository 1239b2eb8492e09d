#include "edit/cut_view.h"

#include <cstdlib>

#include "model/cut.h"
#include "model/undo.h"

std::optional<ToolTarget> TargetOf(CutView& view) {
  const auto current = CurrentCell(view.TheCut());
  if (!current) return std::nullopt;
  return ToolTarget{current->cell, Point{current->x, current->y}};
}

Point CellAt(const CutView& view, Point window, Point offset, SnapGrid grid) {
  return CanvasToCell(WindowToCanvas(view.Geometry(), window, grid), offset);
}

Point CellAt(const CutView& view, Point window, Point offset) {
  return CellAt(view, window, offset, view.Grid());
}

Point WindowOf(const CutView& view, Point cell, Point offset) {
  return CanvasToWindow(view.Geometry(), CellToCanvas(cell, offset));
}

Rect WindowRectOf(const CutView& view, Rect cell, Point offset) {
  const Point a = WindowOf(view, {cell.x, cell.y}, offset);
  const Point b = WindowOf(view, {cell.Right(), cell.Bottom()}, offset);
  return Rect{a.x, a.y, b.x - a.x, b.y - a.y};
}

Rect CellRectOf(const CutView& view, Rect window, Point offset) {
  const Point a = CellAt(view, {window.x, window.y}, offset);
  const Point b = CellAt(view, {window.Right(), window.Bottom()}, offset);
  return Rect{a.x, a.y, b.x - a.x, b.y - a.y};
}

Rect SegmentBounds(Point a, Point b) {
  return Rect{std::min(a.x, b.x) - 4, std::min(a.y, b.y) - 4, std::abs(b.x - a.x) + 9,
              std::abs(b.y - a.y) + 9};
}

void RepaintCells(CutView& view, Rect cells, Point offset) {
  if (cells.IsEmpty()) return;
  view.Repaint(Rect{cells.x + offset.x, cells.y + offset.y, cells.width, cells.height});
}

void AddToStroke(CutView& view, Rect cells, Point offset) {
  view.StrokeBounds() = UnionRect(view.StrokeBounds(), cells);
  RepaintCells(view, cells, offset);
}

void SetStroke(CutView& view, Rect cells, Point offset) {
  view.StrokeBounds() = cells;
  RepaintCells(view, cells, offset);
}

std::optional<DragRelease> DragRectangle(const ToolEvent& e, CutView& view, DragRectState& s,
                                         bool onlyBeyondStart) {
  if (e.message == ToolMessage::kCancel) {
    s.outline.Hide(view);
    s.active = false;
    return std::nullopt;
  }
  const auto t = TargetOf(view);
  if (!t) return std::nullopt;
  const Point p = CellAt(view, e.window, t->offset);
  const bool beyondStart = p.x > s.start.x && p.y > s.start.y;
  const Rect r{s.start.x, s.start.y, p.x - s.start.x, p.y - s.start.y};
  switch (e.message) {
    case ToolMessage::kLeftDown:
      s.start = p;
      s.active = true;
      return std::nullopt;
    case ToolMessage::kMove:
      if (s.active && beyondStart) s.outline.Show(view, WindowRectOf(view, r, t->offset));
      return std::nullopt;
    case ToolMessage::kLeftUp:
      if (!s.active || (onlyBeyondStart && !beyondStart)) return std::nullopt;
      s.active = false;
      s.outline.Hide(view);
      return DragRelease{*t, r};
    case ToolMessage::kRightUp:
      if (!s.active) view.OpenPenChooser(e.window);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void RubberLine::Show(CutView& view, Point from, Point to) {
  Hide(view);
  from_ = from;
  to_ = to;
  view.InvertLine(from_, to_);
  shown_ = true;
}

void RubberLine::Hide(CutView& view) {
  if (!shown_) return;
  view.InvertLine(from_, to_);
  shown_ = false;
}

void Outline::Show(CutView& view, Rect window) {
  Hide(view);
  rect_ = window;
  view.InvertFrame(rect_);
  shown_ = true;
}

void Outline::Hide(CutView& view) {
  if (!shown_) return;
  view.InvertFrame(rect_);
  shown_ = false;
}
