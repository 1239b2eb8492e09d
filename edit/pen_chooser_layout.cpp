#include "edit/pen_chooser_layout.h"

#include <cstdlib>

#include "model/raster_surface.h"
#include "raster/effects.h"

namespace {

constexpr int kColours[8] = {1, 9, 10, 11, 12, 0, 13, 14};
constexpr int kFirstSize = 8;  // row 0, columns 8-15
constexpr int32_t kSide = 12, kPitch = 14, kMargin = 4;

int32_t SizeShape(int k, const DrawingSettings& settings) {
  return (settings.squarePen ? -k : k) + 7;
}

}  // namespace

std::optional<Swatch> SwatchAt(int32_t x, int32_t y) {
  const int32_t cx = x - kMargin, cy = y - kMargin;
  if (cx < 0 || cy < 0) return std::nullopt;
  const int column = cx / kPitch, row = cy / kPitch;
  if (column >= kChooserColumns || row >= kChooserRows) return std::nullopt;
  if (cx % kPitch > kSide || cy % kPitch > kSide) return std::nullopt;
  return Swatch{row, column};
}

Rect SwatchFrame(Swatch s) {
  return Rect{2 + kPitch * s.column, 2 + kPitch * s.row, 16, 16};
}

void ChooseSwatch(Swatch s, DrawingSettings& settings) {
  Pen& pen = settings.pen;
  if (s.row == 0 && s.column < kFirstSize) {
    pen.colorA = 0;
    pen.colorB = kColours[s.column];
    pen.density = 0;
  } else if (s.row == 0) {
    pen.shape = SizeShape(s.column - kFirstSize, settings);
  } else {
    pen.density = s.column;
    pen.colorA = s.row;
    pen.colorB = s.row + 1;
  }
}

bool IsCurrentChoice(Swatch s, const Pen& pen) {
  if (s.row == 0)
    return s.column < kFirstSize && pen.colorA == 0 && pen.colorB == kColours[s.column];
  return pen.colorA == s.row && pen.density == s.column;
}

void DrawChooserSwatches(RasterSurface& image) {
  image.Clear(4);
  for (int j = 0; j < kFirstSize; ++j)
    FillRectangle(image, Rect{kMargin + kPitch * j, kMargin, kSide, kSide}, kColours[j]);
  for (int r = 1; r < kChooserRows; ++r) {
    for (int j = 0; j < kChooserColumns; ++j) {
      const Pen tone{0, j, r, r + 1};
      image.FillRect(kMargin + kPitch * j, kMargin + kPitch * r, kSide, kSide, tone, 0, nullptr);
    }
  }
}

void DrawSizeSamples(RasterSurface& image, const DrawingSettings& settings) {
  FillRectangle(image, Rect{114, 4, 112, 12}, 4);
  const int current = std::abs(settings.pen.shape - 7);
  for (int k = 0; k < 8; ++k) {
    const Pen sample{SizeShape(k, settings), 0, 4, k == current ? 1 : 3};
    image.Stamp(122 + kPitch * k, 10, sample, 0, nullptr);
  }
}
