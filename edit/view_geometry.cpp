#include "edit/view_geometry.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

int32_t Saturate(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), kMax));
}

// The value moved to the nearest multiple of `grid`, ties backward; C remainder semantics.
int32_t Snap(int32_t v, int32_t grid) {
  if (grid < 1) grid = 1;
  const int32_t r = v % grid;
  return r > grid / 2 ? Saturate(int64_t(v) + grid - r) : v - r;
}

}  // namespace

Zoom Zoom::FromLevel(int32_t level) {
  if (level >= 0) return Zoom(level == kMax ? kMax : level + 1, 1);
  return Zoom(1, level < -kMax + 1 ? kMax : 1 - level);
}

Zoom Zoom::In() const {
  if (denominator_ >= 2) return Zoom(numerator_, denominator_ - 1);
  return Zoom(numerator_ == kMax ? kMax : numerator_ + 1, denominator_);
}

Zoom Zoom::Out() const {
  if (numerator_ >= 2) return Zoom(numerator_ - 1, denominator_);
  return Zoom(numerator_, denominator_ == kMax ? kMax : denominator_ + 1);
}

int32_t Zoom::ToWindow(int64_t canvasLength) const {
  // |length| < 2^33 and factors < 2^31 keep the product inside 64 bits.
  canvasLength = std::clamp<int64_t>(canvasLength, -(int64_t(1) << 32), int64_t(1) << 32);
  return Saturate(canvasLength * numerator_ / denominator_);
}

int32_t Zoom::ToCanvas(int64_t windowLength) const {
  windowLength = std::clamp<int64_t>(windowLength, -(int64_t(1) << 32), int64_t(1) << 32);
  return Saturate(windowLength * denominator_ / numerator_);
}

int32_t ZoomedWidth(const ViewGeometry& view) {
  return view.zoom.ToWindow(view.canvasWidth);
}
int32_t ZoomedHeight(const ViewGeometry& view) {
  return view.zoom.ToWindow(view.canvasHeight);
}

Point CanvasOrigin(const ViewGeometry& view) {
  int32_t ox = Saturate((int64_t(view.clientWidth) - ZoomedWidth(view)) / 2);
  int32_t oy = Saturate((int64_t(view.clientHeight) - ZoomedHeight(view)) / 2);
  if (ox < 0) ox = Saturate(-int64_t(view.scroll.x));
  if (oy < 0) oy = Saturate(-int64_t(view.scroll.y));
  return {ox, oy};
}

Point WindowToCanvasUnsnapped(const ViewGeometry& view, Point window) {
  const Point o = CanvasOrigin(view);
  return {view.zoom.ToCanvas(int64_t(window.x) - o.x), view.zoom.ToCanvas(int64_t(window.y) - o.y)};
}

Point WindowToCanvas(const ViewGeometry& view, Point window, SnapGrid grid) {
  const Point p = WindowToCanvasUnsnapped(view, window);
  return {Snap(p.x, grid.width), Snap(p.y, grid.height)};
}

Point CanvasToWindow(const ViewGeometry& view, Point canvas) {
  const Point o = CanvasOrigin(view);
  return {Saturate(int64_t(view.zoom.ToWindow(canvas.x)) + o.x),
          Saturate(int64_t(view.zoom.ToWindow(canvas.y)) + o.y)};
}

Rect WindowRectToCanvas(const ViewGeometry& view, Rect window) {
  const Point a = WindowToCanvasUnsnapped(view, {window.x, window.y});
  const Point b = WindowToCanvasUnsnapped(view, {Saturate(int64_t(window.x) + window.width),
                                                 Saturate(int64_t(window.y) + window.height)});
  return {a.x, a.y, Saturate(int64_t(b.x) - a.x), Saturate(int64_t(b.y) - a.y)};
}

Point CanvasToCell(Point canvas, Point layerOffset) {
  return {Saturate(int64_t(canvas.x) - layerOffset.x), Saturate(int64_t(canvas.y) - layerOffset.y)};
}

Point CellToCanvas(Point cell, Point layerOffset) {
  return {Saturate(int64_t(cell.x) + layerOffset.x), Saturate(int64_t(cell.y) + layerOffset.y)};
}

bool ShowsCrossCursor(const ViewGeometry& view, Point window, SnapGrid grid) {
  const Point p = WindowToCanvas(view, window, grid);
  return p.x >= 0 && p.y >= 0 && p.x < view.canvasWidth && p.y < view.canvasHeight;
}
