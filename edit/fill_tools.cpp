#include "edit/fill_tools.h"

#include <optional>
#include <utility>

#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/fill.h"

namespace {

constexpr SnapGrid kExact{1, 1};

// The fill and gradation tools work exactly under the mouse (no grid snap) and pick the pen
// under it on a right click; anything else is theirs.
std::optional<std::pair<ToolTarget, Point>> ExactAim(const ToolEvent& e, CutView& view) {
  const auto t = TargetOf(view);
  if (!t) return std::nullopt;
  const Point p = CellAt(view, e.window, t->offset, kExact);
  if (e.message != ToolMessage::kRightUp) return std::pair{*t, p};
  PickPen(*t->cell, p.x, p.y, view.Drawing().pen);
  view.OpenPenChooser(e.window);
  return std::nullopt;
}

}  // namespace

void FillTool(const ToolEvent& e, CutView& view, FillState& s) {
  const auto aim = ExactAim(e, view);
  if (!aim) return;
  const auto& [t, p] = *aim;
  if (e.message == ToolMessage::kLeftDown) s.armed = true;
  if (e.message != ToolMessage::kLeftUp || !s.armed || !SaveUndo(view.TheCut())) return;
  view.StrokeBounds() = Rect{};
  Rect dirty;
  FillToolClick(*t.cell, p.x, p.y, view.Drawing().pen, view.Mask(), &dirty);
  SetStroke(view, dirty, t.offset);
}

void GradationTool(const ToolEvent& e, CutView& view, GradationState& s) {
  const auto aim = ExactAim(e, view);
  if (!aim || e.message != ToolMessage::kLeftUp) return;
  const auto& [t, p] = *aim;
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
    GradationFill(*t.cell, s.first.x, s.first.y, s.pen, p.x, p.y, view.Drawing().pen, view.Mask(),
                  &dirty);
    SetStroke(view, dirty, t.offset);
  }
  view.ShowWaitCursor(false);
}
