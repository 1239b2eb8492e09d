#include "edit/line_art.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/pixel_class.h"

namespace {

// Rows read from the picture at a time.
constexpr int32_t kStripRows = 16;
// Marks must lie at least this far below the paper, and further on grainy paper.
constexpr int32_t kLeastContrast = 40;
// The black point of a picture without marks, below its paper.
constexpr int32_t kBlankContrast = 128;

// The smallest value with at least `part` of the pixels at or below it.
int32_t Percentile(const std::array<uint32_t, 256>& h, int32_t from, int32_t to, double part) {
  uint64_t total = 0;
  for (int32_t v = from; v < to; ++v) total += h[size_t(v)];
  const double wanted = part * double(total);
  uint64_t seen = 0;
  for (int32_t v = from; v < to; ++v) {
    seen += h[size_t(v)];
    if (seen > 0 && double(seen) >= wanted) return v;
  }
  return std::max(from, to - 1);
}

std::string Text(const Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
         std::to_string(r.height);
}

// The picture's rectangle `area` at the target size, read strip by strip.
bool ReadFitted(const GreyReader& read, const Rect& area, int32_t targetWidth, int32_t targetHeight,
                GreyPicture& out) {
  const bool same = targetWidth == area.width && targetHeight == area.height;
  std::unique_ptr<GreyResampler> resampler;
  if (same) {
    out.width = area.width;
    out.height = area.height;
    out.samples.resize(size_t(area.width) * size_t(area.height));
  } else {
    resampler = std::make_unique<GreyResampler>(area.width, area.height, targetWidth, targetHeight);
  }
  std::vector<uint16_t> strip(same ? 0 : size_t(area.width) * kStripRows);
  for (int32_t y = 0; y < area.height; y += kStripRows) {
    const int32_t rows = std::min(kStripRows, area.height - y);
    uint16_t* into = same ? out.samples.data() + size_t(y) * size_t(area.width) : strip.data();
    if (!read(Rect{area.x, area.y + y, area.width, rows}, into)) return false;
    if (!same)
      for (int32_t r = 0; r < rows; ++r) resampler->AddRow(into + size_t(r) * size_t(area.width));
  }
  if (!same) out = resampler->Finish();
  return true;
}

}  // namespace

Rect PicturePlace(int32_t width, int32_t height, int32_t layerWidth, int32_t layerHeight, bool fit) {
  int32_t w = width, h = height;
  if (fit) {
    const double scale = std::min(double(layerWidth) / width, double(layerHeight) / height);
    w = std::clamp(int32_t(std::lround(width * scale)), 1, layerWidth);
    h = std::clamp(int32_t(std::lround(height * scale)), 1, layerHeight);
  }
  return Rect{(layerWidth - w) / 2, (layerHeight - h) / 2, w, h};
}

std::array<uint32_t, 256> HistogramOf(const GreyPicture& picture) {
  std::array<uint32_t, 256> h{};
  for (const uint16_t v : picture.samples) ++h[v >> 8];
  return h;
}

Levels LevelsOf(const std::array<uint32_t, 256>& h) {
  std::array<uint64_t, 256> smooth{};
  for (int32_t v = 0; v < 256; ++v)
    for (int32_t k = std::max(0, v - 2); k <= std::min(255, v + 2); ++k) smooth[size_t(v)] += h[size_t(k)];
  // The paper: the highest peak of what is at least half as bright as the brightest part,
  // ties to the brighter.
  const int32_t hi = Percentile(h, 0, 256, 0.999);
  int32_t white = hi;
  for (int32_t v = hi / 2; v <= hi; ++v)
    if (smooth[size_t(v)] >= smooth[size_t(white)]) white = v;
  // Its grain: how far below the peak the paper thins to half.
  int32_t half = white;
  while (half > 0 && smooth[size_t(half - 1)] * 2 >= smooth[size_t(white)]) --half;
  const int32_t margin = std::max(kLeastContrast, 4 * (white - half));
  // Marks: what lies clearly below the paper; black is the middle of them.
  int32_t black = std::max(0, white - kBlankContrast);
  const int32_t below = white - margin;
  for (int32_t v = 0; v < below; ++v) {
    if (h[size_t(v)] > 0) {
      black = Percentile(h, 0, below, 0.5);
      break;
    }
  }
  if (white <= black) white = black + 1;
  return Levels{black, white};
}

std::vector<uint8_t> ClassifyPicture(const GreyPicture& picture, Levels levels, bool tones) {
  const int64_t b = int64_t(levels.black) * 257, d = (int64_t(levels.white) - levels.black) * 257;
  std::vector<uint8_t> classes(picture.samples.size());
  // Four steps of the range with tones: line, dark grey, light grey, paper; else two.
  static constexpr uint8_t kWithTones[4] = {kPixelLine, kPixelDarkGrey, kPixelLightGrey,
                                            kPixelTransparent};
  for (size_t i = 0; i < classes.size(); ++i) {
    const int64_t q = (int64_t(picture.samples[i]) - b) * 4;
    if (tones) {
      const int64_t step = q < 0 ? 0 : std::min<int64_t>(3, q / d);
      classes[i] = kWithTones[step];
    } else {
      classes[i] = q < 2 * d ? kPixelLine : kPixelTransparent;
    }
  }
  return classes;
}

void Despeckle(std::vector<uint8_t>& classes, int32_t width, int32_t height, int32_t pixels) {
  if (pixels < 2) return;
  std::vector<uint8_t> seen(classes.size(), 0);
  std::vector<int32_t> mark, todo;
  for (int32_t start = 0; start < int32_t(classes.size()); ++start) {
    if (seen[size_t(start)] || classes[size_t(start)] == kPixelTransparent) continue;
    mark.clear();
    todo.assign(1, start);
    seen[size_t(start)] = 1;
    while (!todo.empty()) {
      const int32_t at = todo.back();
      todo.pop_back();
      mark.push_back(at);
      const int32_t x = at % width, y = at / width;
      for (int32_t ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
        for (int32_t nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
          const int32_t n = ny * width + nx;
          if (seen[size_t(n)] || classes[size_t(n)] == kPixelTransparent) continue;
          seen[size_t(n)] = 1;
          todo.push_back(n);
        }
      }
    }
    if (int32_t(mark.size()) < pixels)
      for (const int32_t at : mark) classes[size_t(at)] = kPixelTransparent;
  }
}

std::optional<CleanedPicture> CleanPicture(int32_t width, int32_t height, const GreyReader& read,
                                           const CleanupOptions& options, int32_t layerWidth,
                                           int32_t layerHeight, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
  };
  if (width < 1 || height < 1) return fail("the picture is empty");
  if (int64_t(width) * height > kLargestPictureArea)
    return fail("the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");
  if (layerWidth < 1 || layerHeight < 1) return fail("the layer is empty");
  for (const auto& level : {options.black, options.white})
    if (level && (*level < 0 || *level > 255)) return fail("levels run from 0 to 255");
  if (options.black && options.white && *options.black >= *options.white)
    return fail("the black point " + std::to_string(*options.black) +
                " is not below the white point " + std::to_string(*options.white));

  const Rect whole{0, 0, width, height};
  Rect area = options.crop ? IntersectRect(*options.crop, whole) : whole;
  if (area.IsEmpty())
    return fail("the crop " + Text(*options.crop) + " lies outside the picture (" +
                std::to_string(width) + " x " + std::to_string(height) + ")");
  Rect place = PicturePlace(area.width, area.height, layerWidth, layerHeight, options.fit);
  if (!options.fit) {
    // At 1:1 only what lands in the layer is read.
    const Rect shown = IntersectRect(place, Rect{0, 0, layerWidth, layerHeight});
    area = Rect{area.x + shown.x - place.x, area.y + shown.y - place.y, shown.width, shown.height};
    place = shown;
  }
  if (int64_t(place.width) * place.height > kLargestCleanupArea)
    return fail("the picture is too large");

  GreyPicture fitted;
  if (!ReadFitted(read, area, place.width, place.height, fitted))
    return fail("the picture cannot be read");

  Levels levels = LevelsOf(HistogramOf(fitted));
  if (options.black) levels.black = *options.black;
  if (options.white) levels.white = *options.white;
  if (levels.black >= levels.white)
    return fail("the black point " + std::to_string(levels.black) +
                " is not below the white point " + std::to_string(levels.white) +
                " (give both --black and --white)");
  std::vector<uint8_t> classes = ClassifyPicture(fitted, levels, options.tones);
  std::vector<uint16_t>().swap(fitted.samples);
  Despeckle(classes, place.width, place.height, options.despeckle);

  CleanedPicture out;
  out.cell.reset(new (std::nothrow) CellSurface);
  if (!out.cell || !out.cell->Create(place.width, place.height, 0))
    return fail("the picture is too large");
  for (int32_t y = 0; y < place.height; ++y) {
    const uint8_t* from = classes.data() + size_t(y) * size_t(place.width);
    for (int32_t x = 0; x < place.width; ++x) out.cell->SetPixel(x, y, from[x]);
  }
  out.place = place;
  out.levels = levels;
  return out;
}
