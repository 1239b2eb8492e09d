#pragma once

// A drawing on paper, scanned or exported as a grey picture, made into a cell: dark strokes
// become line pixels as the pens draw them, mid-greys optionally the dark and light grey
// tones, the paper transparent. Levels run from a black point to a white point, taken from
// the picture's own histogram unless given, so a yellowed scan and a clean export both come
// out right. The picture is read strip by strip and fitted to the layer on the way in.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edit/grey_resample.h"
#include "model/cell_surface.h"
#include "model/rect.h"

// Levels on the 8-bit scale, black below white.
struct Levels {
  int32_t black = 0;
  int32_t white = 255;
  bool operator==(const Levels&) const = default;
};

struct CleanupOptions {
  std::optional<int32_t> black, white;  // 0..255; the picture's own when not given
  bool tones = false;                   // mid-greys become dark and light grey
  int32_t despeckle = 0;                // marks of fewer pixels than this are removed
  std::optional<Rect> crop;             // picture pixels
  bool fit = true;                      // fitted to the layer keeping the aspect ratio; else 1:1
};

// The grey of an RGB colour (16 bits a channel), weighted as the clipboard paste weighs it.
inline uint16_t GreyOfRgb(uint32_t red, uint32_t green, uint32_t blue) {
  return uint16_t((blue + 2 * (red + 2 * green)) / 7);
}

// Fills `samples` with the grey of the picture's rectangle `area`, row by row (area.width
// samples a row, 0 black .. 65535 white). False when the picture cannot be read.
using GreyReader = std::function<bool(const Rect& area, uint16_t* samples)>;

// The largest picture read (a 600 dpi scan of A0 has about half as many pixels), and the
// largest area the clean-up works on after the crop and the fit.
inline constexpr int64_t kLargestPictureArea = int64_t(1) << 30;
inline constexpr int64_t kLargestCleanupArea = int64_t(1) << 28;

struct CleanedPicture {
  std::unique_ptr<CellSurface> cell;  // the cleaned picture at its fitted size
  Rect place;                         // where it lies in the layer: centred
  Levels levels;                      // the levels used
};

// The picture (width × height) cleaned for a layer of layerWidth × layerHeight; at 1:1 only
// the part that lands in the layer is read. Nothing, with `error`, when the options do not
// fit the picture, the picture is too large, or `read` fails.
std::optional<CleanedPicture> CleanPicture(int32_t width, int32_t height, const GreyReader& read,
                                           const CleanupOptions& options, int32_t layerWidth,
                                           int32_t layerHeight, std::string* error);

// The parts, for tests and the preview.
// Where a picture of this size lies in the layer, fitted or 1:1, centred.
Rect PicturePlace(int32_t width, int32_t height, int32_t layerWidth, int32_t layerHeight, bool fit);
std::array<uint32_t, 256> HistogramOf(const GreyPicture& picture);
// White is the paper's peak in the brighter half of the picture; black the middle of the
// marks clearly darker than the paper (its grain taken into account). A picture without
// such marks gets a black point far below its paper, so grain never becomes line.
Levels LevelsOf(const std::array<uint32_t, 256>& histogram);
// Pixel classes of the picture under these levels, one byte a pixel, row by row.
std::vector<uint8_t> ClassifyPicture(const GreyPicture& picture, Levels levels, bool tones);
// Clears every 8-connected mark of non-transparent pixels smaller than `pixels`.
void Despeckle(std::vector<uint8_t>& classes, int32_t width, int32_t height, int32_t pixels);
