#pragma once

// The cut view's coordinates: the zoom ratio, where the canvas sits in the window, and the
// conversions between window, canvas and cell coordinates. Window coordinates are client
// pixels; canvas coordinates are pixels of the cut's canvas (and of the display bitmap).
//
// Divisions truncate toward zero and remainders keep the sign of the dividend, so a window
// position up to one zoom step left of or above the canvas still maps to canvas 0.

#include <cstdint>

#include "model/rect.h"
#include "raster/stroke.h"

// The magnification numerator / denominator; one of the two is always 1. Levels run
// …, 1/3, 1/2, 1/1, 2/1, 3/1, … without a bound (level 0 is 1/1, level k > 0 is (k + 1)/1,
// level −k is 1/(k + 1)).
class Zoom {
 public:
  Zoom() = default;
  static Zoom FromLevel(int32_t level);

  int32_t Numerator() const { return numerator_; }
  int32_t Denominator() const { return denominator_; }
  int32_t Level() const { return numerator_ > 1 ? numerator_ - 1 : 1 - denominator_; }
  bool IsMagnified() const { return numerator_ > 1; }
  bool IsReduced() const { return denominator_ > 1; }

  // One level up: a reduction shrinks first, then the magnification grows.
  Zoom In() const;
  // One level down.
  Zoom Out() const;

  // length × numerator / denominator and length × denominator / numerator, truncated,
  // saturated to the 32-bit range.
  int32_t ToWindow(int64_t canvasLength) const;
  int32_t ToCanvas(int64_t windowLength) const;

  bool operator==(const Zoom&) const = default;

 private:
  Zoom(int32_t numerator, int32_t denominator) : numerator_(numerator), denominator_(denominator) {}

  int32_t numerator_ = 1;
  int32_t denominator_ = 1;
};

// The program-wide snap grid; a size below 1 counts as 1.
struct SnapGrid {
  int32_t width = 1;
  int32_t height = 1;
};

// What one cut view shows: the cut's canvas size, the window's client size, the zoom and the
// scroll position (window pixels).
struct ViewGeometry {
  int32_t canvasWidth = 0;
  int32_t canvasHeight = 0;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  Zoom zoom;
  Point scroll;
};

// The canvas size at the zoom ratio.
int32_t ZoomedWidth(const ViewGeometry& view);
int32_t ZoomedHeight(const ViewGeometry& view);

// Window position of canvas (0, 0): centred on an axis where the zoomed canvas is narrower
// than the client area, −scroll where it is wider.
Point CanvasOrigin(const ViewGeometry& view);

// The canvas pixel under a window position, snapped to the nearest grid line (a remainder
// above half the grid snaps forward, otherwise back).
Point WindowToCanvas(const ViewGeometry& view, Point window, SnapGrid grid);
// The same without the snap: what lies exactly under the mouse.
Point WindowToCanvasUnsnapped(const ViewGeometry& view, Point window);
// The window position of a canvas pixel's top-left corner.
Point CanvasToWindow(const ViewGeometry& view, Point canvas);
// A window rectangle as a canvas rectangle: both corners converted without the snap.
Rect WindowRectToCanvas(const ViewGeometry& view, Rect window);

// Cell coordinates of the layer being edited, whose top-left corner lies at `layerOffset`
// on the canvas (the current entry's resolved position).
Point CanvasToCell(Point canvas, Point layerOffset);
Point CellToCanvas(Point cell, Point layerOffset);

// The cursor over the client area: the cross when the snapped canvas position lies on the
// canvas, the arrow (false) elsewhere.
bool ShowsCrossCursor(const ViewGeometry& view, Point window, SnapGrid grid);
