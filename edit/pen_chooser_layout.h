#pragma once

// The pen chooser's palette without its window: 16 columns × 4 rows of 12 × 12 swatches.
// Row 0 holds eight solid colours and the eight pen sizes; rows 1-3 the tones of the grey
// pairs black/dark grey, dark/light grey and light grey/white at densities 0-15.

#include <cstdint>
#include <optional>

#include "edit/drawing_settings.h"
#include "model/rect.h"

class RasterSurface;

inline constexpr int32_t kChooserWidth = 230;
inline constexpr int32_t kChooserHeight = 62;
inline constexpr int32_t kChooserImageWidth = 232;
inline constexpr int32_t kChooserImageHeight = 64;
inline constexpr int kChooserColumns = 16;
inline constexpr int kChooserRows = 4;

struct Swatch {
  int row = 0;
  int column = 0;
  bool operator==(const Swatch&) const = default;
};

// The swatch under a point of the window (its 12 × 12 square, edges included); nothing
// between swatches.
std::optional<Swatch> SwatchAt(int32_t x, int32_t y);
// The 16 × 16 frame drawn around a swatch.
Rect SwatchFrame(Swatch swatch);
// Sets the pen as the swatch says: a colour, a size, or a tone.
void ChooseSwatch(Swatch swatch, DrawingSettings& settings);
// A colour or tone swatch that the pen is drawn with; the sizes are never marked this way.
bool IsCurrentChoice(Swatch swatch, const Pen& pen);

// The palette image as the window is made: white with the colour and tone swatches.
void DrawChooserSwatches(RasterSurface& image);
// The eight pen sizes of row 0, the current one in black and the others in light grey.
void DrawSizeSamples(RasterSurface& image, const DrawingSettings& settings);
