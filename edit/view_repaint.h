#pragma once

// Repainting the cut view: re-composing a rectangle of the display bitmap, and the
// rectangles that a repaint or a paint message copies from it to the window.

#include <array>
#include <optional>

#include "edit/view_geometry.h"
#include "model/rect.h"

class Cut;
class FrameSurface;

// Composes the current frame into `canvas` (canvas coordinates, clipped to the bitmap) of
// the display bitmap with the cut's display flags, after clearing that rectangle to 0. Only
// that rectangle is touched.
void RepaintRect(Cut& cut, FrameSurface& display, Rect canvas);

// A copy from the display bitmap (`source`, canvas pixels) to the window (`destination`,
// client pixels, the source size at the zoom ratio).
struct ViewBlit {
  Rect source;
  Rect destination;
};

// What a repaint of `canvas` copies to the window: clipped to the canvas when magnified,
// widened one pixel left when the parity of its x differs from the scroll's, and aligned
// outward to multiples of the denominator when reduced. Nothing when clipped away.
std::optional<ViewBlit> RepaintBlit(const ViewGeometry& view, Rect canvas);

// What a paint message copies for the client rectangle `update`: its canvas rectangle
// without the snap (negatives 0), widened by 2, the parity rule, clipped to the canvas.
std::optional<ViewBlit> PaintBlit(const ViewGeometry& view, Rect update);

// The client area around the canvas (above, left, right, below), clipped to the client.
std::array<Rect, 4> BackgroundBands(const ViewGeometry& view);
