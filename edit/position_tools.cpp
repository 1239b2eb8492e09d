#include "edit/position_tools.h"

#include <optional>

#include "edit/cut_editing.h"
#include "model/cut.h"
#include "model/layer.h"
#include "model/raster_surface.h"
#include "model/undo.h"

namespace {

// What one position tool moves: where the thing lies on the canvas and its size, and how it
// is read and stored in a frame.
struct Movable {
  virtual ~Movable() = default;
  virtual std::optional<Point> In(Frame& frame) const = 0;
  virtual bool Store(Cut& cut, Point p) const = 0;
  virtual Rect CanvasRect(Frame& frame) const = 0;
  virtual Point Initial(const Cut& cut) const = 0;
};

struct FramePlace : Movable {
  std::optional<Point> In(Frame& f) const override { return Point{f.X(), f.Y()}; }
  bool Store(Cut& cut, Point p) const override { return SetFramePosition(cut, p.x, p.y); }
  Rect CanvasRect(Frame& f) const override { return Rect{f.X(), f.Y(), cameraWidth, cameraHeight}; }
  Point Initial(const Cut& cut) const override {
    return Point{(cut.CanvasWidth() - cut.FrameWidth()) / 2,
                 (cut.CanvasHeight() - cut.FrameHeight()) / 2};
  }
  int32_t cameraWidth = 0, cameraHeight = 0;  // the camera size
};

struct LayerPlace : Movable {
  explicit LayerPlace(int32_t index) : index(index) {}
  std::optional<Point> In(Frame& f) const override {
    const LayerEntry* e = f.EntryAt(index);
    if (!e) return std::nullopt;
    return Point{e->x, e->y};
  }
  bool Store(Cut& cut, Point p) const override { return SetLayerPosition(cut, p.x, p.y); }
  Rect CanvasRect(Frame& f) const override {
    const auto at = f.EntryCanvasPosition(index);
    const auto cell = f.ResolveEntry(index);
    if (!at || !cell) return Rect{};
    return Rect{at->first, at->second, cell->cell->Width(), cell->cell->Height()};
  }
  Point Initial(const Cut&) const override { return Point{0, 0}; }
  int32_t index;
};

Rect WindowRectOfCanvas(const CutView& view, Rect r) {
  const Point a = CanvasToWindow(view.Geometry(), {r.x, r.y});
  const Point b = CanvasToWindow(view.Geometry(), {r.Right(), r.Bottom()});
  return Rect{a.x, a.y, b.x - a.x, b.y - a.y};
}

void PositionTool(const ToolEvent& e, CutView& view, PositionState& s, const Movable& m) {
  Cut& cut = view.TheCut();
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return;
  auto outlineAt = [&](Point travel) {
    Rect r = m.CanvasRect(*frame);
    r.x += travel.x;
    r.y += travel.y;
    s.outline.Show(view, WindowRectOfCanvas(view, r));
  };
  if (e.message == ToolMessage::kCancel) {
    if (s.outline.Shown()) {
      s.outline.Hide(view);
    } else {
      outlineAt(Point{});
    }
    return;
  }
  if (!TargetOf(view)) return;
  const std::optional<Point> now = m.In(*frame);
  if (!now) return;
  const Point c = WindowToCanvas(view.Geometry(), e.window, view.Grid());
  const Point travel{c.x - s.start.x, c.y - s.start.y};
  // A changed position is shown by the whole view; the outline goes through the repaint.
  auto moveTo = [&](Point p) {
    s.outline.Hide(view);
    m.Store(cut, p);
    outlineAt(Point{});
    view.RepaintAll();
  };
  switch (e.message) {
    case ToolMessage::kMove:
      if (s.dragging) {
        outlineAt(travel);
      } else if (!s.outline.Shown()) {
        outlineAt(Point{});
      }
      return;
    case ToolMessage::kLeftDown:
      if (!s.outline.Shown()) outlineAt(Point{});
      s.start = c;
      s.dragging = true;
      return;
    case ToolMessage::kLeftUp: {
      const bool dragged = s.dragging;
      s.dragging = false;
      if (e.Control()) {
        moveTo(m.Initial(cut));
      } else if (dragged) {
        moveTo(Point{now->x + travel.x, now->y + travel.y});
      }
      return;
    }
    case ToolMessage::kRightUp: {
      if (s.dragging) return;
      const int32_t n = cut.FrameCount(), i = cut.CurrentFrame();
      if (n < 1 || i < 0) return;
      const std::optional<Point> previous = m.In(*cut.FrameAt((i + n - 1) % n));
      if (!previous) return;
      if (!e.Control()) {
        moveTo(*previous);
        return;
      }
      const std::optional<Point> next = m.In(*cut.FrameAt((i + 1) % n));
      if (!next) return;
      moveTo(Point{int32_t((int64_t(previous->x) + next->x) / 2),
                   int32_t((int64_t(previous->y) + next->y) / 2)});
      return;
    }
    default:
      return;
  }
}

}  // namespace

void FramePositionTool(const ToolEvent& e, CutView& view, PositionState& s) {
  FramePlace place;
  place.cameraWidth = view.TheCut().FrameWidth();
  place.cameraHeight = view.TheCut().FrameHeight();
  PositionTool(e, view, s, place);
}

void LayerPositionTool(const ToolEvent& e, CutView& view, PositionState& s) {
  Frame* frame = view.TheCut().CurrentFrameObject();
  if (!frame) return;
  PositionTool(e, view, s, LayerPlace(frame->CurrentLayer()));
}
