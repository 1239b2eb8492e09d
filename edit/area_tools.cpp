#include "edit/area_tools.h"

#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/effects.h"
#include "raster/mosaic_tool.h"

void EraserTool(const ToolEvent& e, CutView& view, EraserState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.outline.Hide(view);
    if (s.erasing) view.Capture(false);
    s.erasing = false;
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  // The frame keeps its size on the screen when the view is reduced.
  auto side = [&] { return view.Geometry().zoom.Denominator() * s.size; };
  auto showOutline = [&] {
    const Rect square{p.x - side() / 2, p.y - side() / 2, side() + 1, side() + 1};
    s.outline.Show(view, WindowRectOf(view, square, t->offset));
  };
  auto erase = [&] {
    Rect done;
    EraseSquare(*t->cell, p.x, p.y, side(), view.Mask(), &done);
    AddToStroke(view, done, t->offset);
  };
  switch (e.message) {
    case ToolMessage::kMove:
      if (s.erasing) {
        s.outline.Hide(view);
        erase();
      }
      showOutline();
      return;
    case ToolMessage::kLeftDown:
      if (s.erasing) return;
      s.outline.Hide(view);
      if (!SaveUndo(view.TheCut())) return;
      view.StrokeBounds() = Rect{};
      erase();
      s.erasing = true;
      view.Capture(true);
      showOutline();
      return;
    case ToolMessage::kLeftUp:
      if (s.erasing) view.Capture(false);
      s.erasing = false;
      showOutline();
      return;
    case ToolMessage::kRightUp:
      if (s.erasing) return;
      s.size = s.size >= 32 ? 4 : s.size * 2;
      showOutline();
      return;
    default:
      return;
  }
}

void BorderTool(const ToolEvent& e, CutView& view, BorderState& s) {
  // A release left of or above the start goes on with the drag.
  const auto release = DragRectangle(e, view, s, true);
  if (!release || !SaveUndo(view.TheCut())) return;
  const Rect& r = release->cells;
  view.StrokeBounds() = r;
  view.ShowWaitCursor(true);
  release->target.cell->Border(r.x, r.y, r.width, r.height, view.Drawing().pen, view.Mask());
  view.ShowWaitCursor(false);
  RepaintCells(view, r, release->target.offset);
}

void MosaicTool(const ToolEvent& e, CutView& view, MosaicState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.outline.Hide(view);
    s.dragging = false;
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  auto showOutline = [&](Rect cells) {
    if (!cells.IsEmpty()) s.outline.Show(view, WindowRectOf(view, cells, t->offset));
  };
  const Rect under = MosaicDragRect(p.x, p.y, p.x, p.y, s.block);
  const Rect dragged = MosaicDragRect(s.start.x, s.start.y, p.x, p.y, s.block);
  switch (e.message) {
    case ToolMessage::kMove:
      showOutline(s.dragging ? dragged : under);
      return;
    case ToolMessage::kLeftDown:
      s.start = p;
      s.dragging = true;
      showOutline(under);
      return;
    case ToolMessage::kLeftUp:
      // A release left of or above the start block goes on with the drag.
      if (!s.dragging || dragged.IsEmpty()) return;
      s.dragging = false;
      s.outline.Hide(view);
      if (!SaveUndo(view.TheCut())) return;
      view.StrokeBounds() = dragged;
      MosaicCurrentCell(view.TheCut(), view.Display(), dragged, s.block);
      RepaintCells(view, dragged, t->offset);
      return;
    case ToolMessage::kRightUp:
      if (s.dragging) return;
      s.block = s.block >= 16 ? 4 : s.block + 4;
      showOutline(MosaicDragRect(p.x, p.y, p.x, p.y, s.block));
      return;
    default:
      return;
  }
}
