#include "edit/drawing_settings.h"

#include <algorithm>

namespace {

constexpr int kOnePixel = 7;
constexpr int kLargestStep = 7;  // size 8

// Shape codes outside 0-14 count as the one-pixel pen.
int SizeStep(int32_t shape) {
  return shape >= 0 && shape < kPenShapeCount ? PenSize(shape) - 1 : 0;
}

void SetSizeStep(DrawingSettings& settings, int step) {
  settings.pen.shape = settings.squarePen ? kOnePixel - step : kOnePixel + step;
}

}  // namespace

void ToggleSquarePen(DrawingSettings& settings) {
  settings.squarePen = !settings.squarePen;
  settings.pen.shape = TwinShape(settings.pen.shape);
  RederivePenShape(settings);
}

void RederivePenShape(DrawingSettings& settings) {
  SetSizeStep(settings, SizeStep(settings.pen.shape));
}

void PenSizeSmaller(DrawingSettings& settings) {
  SetSizeStep(settings, std::max(SizeStep(settings.pen.shape) - 1, 0));
}

void PenSizeLarger(DrawingSettings& settings) {
  SetSizeStep(settings, std::min(SizeStep(settings.pen.shape) + 1, kLargestStep));
}
