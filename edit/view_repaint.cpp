#include "edit/view_repaint.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

int32_t Saturate(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()));
}

int64_t FloorTo(int64_t v, int64_t step) {
  const int64_t r = v % step;
  return r < 0 ? v - r - step : v - r;
}

int64_t CeilTo(int64_t v, int64_t step) {
  return -FloorTo(-v, step);
}

Rect CanvasRect(const ViewGeometry& view) {
  return {0, 0, view.canvasWidth, view.canvasHeight};
}

// The copy starts on a pixel of the scroll's parity.
Rect MatchScrollParity(const ViewGeometry& view, Rect r) {
  if ((r.x & 1) != (view.scroll.x & 1)) {
    r.x = Saturate(int64_t(r.x) - 1);
    r.width = Saturate(int64_t(r.width) + 1);
  }
  return r;
}

ViewBlit ToWindow(const ViewGeometry& view, Rect source) {
  const Point at = CanvasToWindow(view, {source.x, source.y});
  return {source,
          {at.x, at.y, view.zoom.ToWindow(source.width), view.zoom.ToWindow(source.height)}};
}

}  // namespace

void RepaintRect(Cut& cut, FrameSurface& display, Rect canvas) {
  const Rect whole{0, 0, display.Width(), display.Height()};
  const Rect r = IntersectRect(canvas, whole);
  if (r.IsEmpty() || !display.Bits()) return;
  if (r == whole) {
    display.Clear(0);
  } else {
    for (int32_t y = r.y; y < r.Bottom(); ++y)
      std::memset(display.Row(y) + r.x, 0, size_t(r.width));
  }
  if (Frame* frame = cut.CurrentFrameObject())
    Compose(*frame, display, r.x, r.y, r.width, r.height, cut.DisplayFlags(), nullptr);
}

std::optional<ViewBlit> RepaintBlit(const ViewGeometry& view, Rect canvas) {
  Rect r = canvas;
  if (r.IsEmpty()) return std::nullopt;
  if (view.zoom.IsMagnified()) {
    r = IntersectRect(r, CanvasRect(view));
    if (r.IsEmpty()) return std::nullopt;
  }
  r = MatchScrollParity(view, r);
  if (view.zoom.IsReduced()) {
    // Whole source blocks, so that each lands on one window pixel.
    const int64_t d = view.zoom.Denominator();
    const int64_t x0 = FloorTo(r.x, d), y0 = FloorTo(r.y, d);
    const int64_t x1 = CeilTo(int64_t(r.x) + r.width, d), y1 = CeilTo(int64_t(r.y) + r.height, d);
    r = {Saturate(x0), Saturate(y0), Saturate(x1 - x0), Saturate(y1 - y0)};
  }
  return ToWindow(view, r);
}

std::optional<ViewBlit> PaintBlit(const ViewGeometry& view, Rect update) {
  const Point a = WindowToCanvasUnsnapped(view, {update.x, update.y});
  const Point b = WindowToCanvasUnsnapped(view, {Saturate(int64_t(update.x) + update.width),
                                                 Saturate(int64_t(update.y) + update.height)});
  const int64_t x0 = std::max(a.x, 0), y0 = std::max(a.y, 0);
  const int64_t x1 = std::max(b.x, 0), y1 = std::max(b.y, 0);
  Rect r{int32_t(x0), int32_t(y0), Saturate(x1 - x0 + 2), Saturate(y1 - y0 + 2)};
  r = IntersectRect(MatchScrollParity(view, r), CanvasRect(view));
  if (r.IsEmpty()) return std::nullopt;
  return ToWindow(view, r);
}

std::array<Rect, 4> BackgroundBands(const ViewGeometry& view) {
  const Point o = CanvasOrigin(view);
  const int64_t w = std::max(view.clientWidth, 0), h = std::max(view.clientHeight, 0);
  const int64_t right = int64_t(o.x) + ZoomedWidth(view),
                bottom = int64_t(o.y) + ZoomedHeight(view);
  const Rect client{0, 0, view.clientWidth, view.clientHeight};
  auto band = [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    x0 = std::clamp<int64_t>(x0, 0, w), x1 = std::clamp<int64_t>(x1, 0, w);
    y0 = std::clamp<int64_t>(y0, 0, h), y1 = std::clamp<int64_t>(y1, 0, h);
    return IntersectRect(Rect{int32_t(x0), int32_t(y0), int32_t(x1 - x0), int32_t(y1 - y0)},
                         client);
  };
  return {band(0, 0, w, o.y), band(0, o.y, o.x, bottom), band(right, o.y, w, bottom),
          band(0, bottom, w, h)};
}
