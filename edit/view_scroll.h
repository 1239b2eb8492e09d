#pragma once

// Scrolling the cut view: the scroll bars of each axis, the scroll messages, panning with
// Shift + Ctrl and zooming at a point. Positions are window pixels.

#include <array>
#include <cstdint>
#include <optional>

#include "edit/view_geometry.h"

// One scroll bar: range 0 … range, `page` visible, `position` the scroll.
struct ScrollAxis {
  int32_t page = 0;      // the client size rounded down to a multiple of the numerator
  int32_t range = 0;     // the zoomed canvas size
  int32_t position = 0;  // within 0 … range − page (0 when the canvas fits)
  int32_t lineStep = 4;  // 4 × numerator

  // False when the bar is shown disabled: the whole canvas fits.
  bool CanScroll() const { return range > page; }
  int32_t MaxPosition() const { return range > page ? range - page : 0; }
};

// The set-up of one axis with client size `client`, zoomed canvas size `zoomed` and the
// current scroll.
ScrollAxis SetUpScrollAxis(int32_t client, int32_t zoomed, int32_t scroll, Zoom zoom);
ScrollAxis HorizontalAxis(const ViewGeometry& view);
ScrollAxis VerticalAxis(const ViewGeometry& view);
// The view with its scroll clamped as the set-up of both bars leaves it (after a resize, a
// zoom or a change of the canvas size).
ViewGeometry WithScrollBarsSetUp(ViewGeometry view);

// New positions for the scroll messages; the line steps are clamped like the pages.
int32_t LineUp(const ScrollAxis& axis);
int32_t LineDown(const ScrollAxis& axis);
int32_t PageUp(const ScrollAxis& axis);
int32_t PageDown(const ScrollAxis& axis);
// Thumb tracking and thumb position: the thumb rounded down to a multiple of the numerator;
// nothing when the zoomed canvas is larger than a 16-bit thumb position can reach.
std::optional<int32_t> ThumbPosition(const ScrollAxis& axis, int32_t thumb, Zoom zoom);

// One mouse move of a pan: the scroll moves by anchor − mouse on each axis that can scroll,
// kept within 0 … range − page − 1 and rounded down to a multiple of the numerator; the
// anchor moves by the amount actually scrolled.
struct PanStep {
  Point scroll;
  Point anchor;
};
PanStep Pan(const ViewGeometry& view, Point anchor, Point mouse);

// The client strips a scroll by `delta` (new scroll − old) uncovers: one vertical and one
// horizontal strip, empty where that axis did not move.
std::array<Rect, 2> UncoveredStrips(const ViewGeometry& view, Point delta);

// Zoom in (or out) with `canvasPoint` (converted before the change) brought to the window
// centre, then the scroll clamped by the scroll-bar set-up.
ViewGeometry ZoomAt(const ViewGeometry& view, Point canvasPoint, bool zoomIn);
