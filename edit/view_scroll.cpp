#include "edit/view_scroll.h"

#include <algorithm>
#include <limits>

namespace {

// Scroll bar positions arrive through a 16-bit field while the thumb moves.
constexpr int32_t kMaxThumbRange = 65535;

int32_t Saturate(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()));
}

// v >= 0
int32_t RoundDown(int32_t v, int32_t step) {
  return v - v % step;
}

// One axis of a pan: old + (anchor − mouse), clamped when the axis can scroll.
int32_t PanAxis(const ScrollAxis& axis, int32_t anchor, int32_t mouse, Zoom zoom) {
  if (!axis.CanScroll()) return axis.position;
  const int64_t moved = int64_t(axis.position) + anchor - mouse;
  const int32_t v = int32_t(std::clamp<int64_t>(moved, 0, axis.range - axis.page - 1));
  return RoundDown(v, zoom.Numerator());
}

int32_t CentredScroll(int32_t client, int32_t point, Zoom zoom) {
  const int32_t visible = zoom.ToCanvas(client);
  return Saturate(int64_t(zoom.ToWindow(point)) - zoom.ToWindow(visible) / 2);
}

}  // namespace

ScrollAxis SetUpScrollAxis(int32_t client, int32_t zoomed, int32_t scroll, Zoom zoom) {
  client = std::max(client, 0);
  ScrollAxis axis;
  axis.page = client - client % zoom.Numerator();
  axis.range = std::max(zoomed, 0);
  axis.position = scroll;
  if (scroll >= 0 && int64_t(scroll) + axis.page > axis.range)
    axis.position = axis.range - axis.page;
  if (axis.position < 0) axis.position = 0;
  axis.lineStep = Saturate(4 * int64_t(zoom.Numerator()));
  return axis;
}

ScrollAxis HorizontalAxis(const ViewGeometry& view) {
  return SetUpScrollAxis(view.clientWidth, ZoomedWidth(view), view.scroll.x, view.zoom);
}

ScrollAxis VerticalAxis(const ViewGeometry& view) {
  return SetUpScrollAxis(view.clientHeight, ZoomedHeight(view), view.scroll.y, view.zoom);
}

ViewGeometry WithScrollBarsSetUp(ViewGeometry view) {
  view.scroll = {HorizontalAxis(view).position, VerticalAxis(view).position};
  return view;
}

int32_t LineUp(const ScrollAxis& axis) {
  return int32_t(
      std::clamp<int64_t>(int64_t(axis.position) - axis.lineStep, 0, axis.MaxPosition()));
}

int32_t LineDown(const ScrollAxis& axis) {
  return int32_t(
      std::clamp<int64_t>(int64_t(axis.position) + axis.lineStep, 0, axis.MaxPosition()));
}

int32_t PageUp(const ScrollAxis& axis) {
  return int32_t(std::clamp<int64_t>(int64_t(axis.position) - axis.page, 0, axis.MaxPosition()));
}

int32_t PageDown(const ScrollAxis& axis) {
  return int32_t(std::clamp<int64_t>(int64_t(axis.position) + axis.page, 0, axis.MaxPosition()));
}

std::optional<int32_t> ThumbPosition(const ScrollAxis& axis, int32_t thumb, Zoom zoom) {
  if (axis.range > kMaxThumbRange) return std::nullopt;
  return RoundDown(std::clamp(thumb, 0, axis.MaxPosition()), zoom.Numerator());
}

PanStep Pan(const ViewGeometry& view, Point anchor, Point mouse) {
  const Point scroll{PanAxis(HorizontalAxis(view), anchor.x, mouse.x, view.zoom),
                     PanAxis(VerticalAxis(view), anchor.y, mouse.y, view.zoom)};
  const int64_t movedX = int64_t(scroll.x) - view.scroll.x,
                movedY = int64_t(scroll.y) - view.scroll.y;
  return {scroll, {Saturate(anchor.x - movedX), Saturate(anchor.y - movedY)}};
}

std::array<Rect, 2> UncoveredStrips(const ViewGeometry& view, Point delta) {
  const int32_t w = std::max(view.clientWidth, 0), h = std::max(view.clientHeight, 0);
  const int32_t dx = std::clamp(delta.x, -w, w), dy = std::clamp(delta.y, -h, h);
  // Scrolling forward moves the contents back and uncovers the far edge.
  const Rect columns = dx > 0 ? Rect{w - dx, 0, dx, h} : Rect{0, 0, -dx, h};
  const Rect rows = dy > 0 ? Rect{0, h - dy, w, dy} : Rect{0, 0, w, -dy};
  return {columns, rows};
}

ViewGeometry ZoomAt(const ViewGeometry& view, Point canvasPoint, bool zoomIn) {
  ViewGeometry zoomed = view;
  zoomed.zoom = zoomIn ? view.zoom.In() : view.zoom.Out();
  zoomed.scroll = {CentredScroll(view.clientWidth, canvasPoint.x, zoomed.zoom),
                   CentredScroll(view.clientHeight, canvasPoint.y, zoomed.zoom)};
  return WithScrollBarsSetUp(zoomed);
}
