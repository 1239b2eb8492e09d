#include "edit/fill_tools.h"

#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/fill.h"

namespace {

constexpr SnapGrid kExact{1, 1};

void PickPenAndChoose(const ToolEvent& e, CutView& view, const ToolTarget& t, Point p) {
  PickPen(*t.cell, p.x, p.y, view.Drawing().pen);
  view.OpenPenChooser(e.window);
}

}  // namespace

void FillTool(const ToolEvent& e, CutView& view, FillState& s) {
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset, kExact);
  switch (e.message) {
    case ToolMessage::kLeftDown:
      s.armed = true;
      return;
    case ToolMessage::kLeftUp: {
      if (!s.armed || !SaveUndo(view.TheCut())) return;
      view.StrokeBounds() = Rect{};
      Rect dirty;
      FillToolClick(*t->cell, p.x, p.y, view.Drawing().pen, view.Mask(), &dirty);
      view.StrokeBounds() = dirty;
      RepaintCells(view, dirty, t->offset);
      return;
    }
    case ToolMessage::kRightUp:
      PickPenAndChoose(e, view, *t, p);
      return;
    default:
      return;
  }
}

void GradationTool(const ToolEvent& e, CutView& view, GradationState& s) {
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset, kExact);
  switch (e.message) {
    case ToolMessage::kLeftUp: {
      if (!s.pending) {
        s.first = p;
        s.pen = view.Drawing().pen;
        s.pending = true;
        return;
      }
      s.pending = false;
      view.ShowWaitCursor(true);
      if (SaveUndo(view.TheCut())) {
        Rect dirty;
        GradationFill(*t->cell, s.first.x, s.first.y, s.pen, p.x, p.y, view.Drawing().pen,
                      view.Mask(), &dirty);
        view.StrokeBounds() = dirty;
        RepaintCells(view, dirty, t->offset);
      }
      view.ShowWaitCursor(false);
      return;
    }
    case ToolMessage::kRightUp:
      PickPenAndChoose(e, view, *t, p);
      return;
    default:
      return;
  }
}
