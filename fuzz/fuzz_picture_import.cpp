// Arbitrary grey pictures and import options, as a decoded drawing reaches the clean-up
// and the placement in a cut: the clean-up reads only inside the picture, gives a cell of
// line-art classes that lies in the layer with levels black below white, and the pictures
// placed make a cut that the cut file takes. Pictures stay small (64 × 64 at most).
//
//   byte    meaning
//   0, 1    picture width, height (1-64)
//   2, 3    layer width, height (1-64)
//   4       bit 0 tones, 1 fit, 2 black given, 3 white given, 4 crop, 5 holds gaps,
//           6 samples of 16 bits (else 8), 7 the layer is there already (else made)
//   5, 6    black, white
//   7       despeckle (0-255)
//   8-11    crop x, y, width, height (0-79)
//   12      on (1-3); 13 start (1-16); 14 pictures (1-3), 15 a lower first number (0-3)
//   16-18   the pictures' numbers (0-31)
//   19…     samples, taken again from the start when they run out
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "edit/line_art.h"
#include "edit/picture_import.h"
#include "files/cut_file.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/pixel_class.h"

namespace {

constexpr size_t kHeader = 19;

struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t At(size_t i) const { return i < size ? data[i] : 0; }
};

// The picture's grey at (x, y): the samples after the header, the `seed`-th picture
// starting further on.
uint16_t Sample(const Input& in, bool wide, int32_t width, int32_t x, int32_t y, size_t seed) {
  const size_t n = in.size > kHeader ? in.size - kHeader : 0;
  if (n == 0) return 65535;
  const size_t i = (seed * 97 + size_t(y) * size_t(width) + size_t(x)) * (wide ? 2 : 1);
  const uint8_t* s = in.data + kHeader;
  return wide ? uint16_t(s[i % n] | s[(i + 1) % n] << 8) : uint16_t(s[i % n] * 257);
}

bool LineArt(int v, bool tones) {
  return v == kPixelTransparent || v == kPixelLine || (tones && (v == kPixelDarkGrey || v == kPixelLightGrey));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Input in{data, size};
  const int32_t width = in.At(0) % 64 + 1, height = in.At(1) % 64 + 1;
  const int32_t layerWidth = in.At(2) % 64 + 1, layerHeight = in.At(3) % 64 + 1;
  const uint8_t flags = in.At(4);
  const bool wide = flags & 64, existing = flags & 128;
  CleanupOptions options;
  options.tones = flags & 1;
  options.fit = flags & 2;
  if (flags & 4) options.black = in.At(5);
  if (flags & 8) options.white = in.At(6);
  options.despeckle = in.At(7);
  if (flags & 16) options.crop = Rect{in.At(8) % 80, in.At(9) % 80, in.At(10) % 80, in.At(11) % 80};
  Exposure exposure;
  exposure.on = in.At(12) % 3 + 1;
  exposure.start = in.At(13) % 16 + 1;
  exposure.holdGaps = flags & 32;
  const int count = in.At(14) % 3 + 1;
  std::vector<int64_t> numbers;
  for (int i = 0; i < count; ++i) numbers.push_back(in.At(16 + size_t(i)) % 32);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  if (const int lower = in.At(15) % 4; lower > 0) exposure.lowest = std::max<int64_t>(0, numbers.front() - lower);

  // The cut the pictures go into: of the layer's size, or larger with the layer already in it.
  Cut cut(existing ? 64 : layerWidth, existing ? 64 : layerHeight, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  if (existing) cut.AddLayer(std::string("scan"), layerWidth, layerHeight, nullptr);

  std::vector<NumberedPicture> pictures;
  for (size_t p = 0; p < numbers.size(); ++p) {
    auto read = [&](const Rect& area, uint16_t* samples) {
      if (area.IsEmpty() || area.x < 0 || area.y < 0 || area.x + area.width > width ||
          area.y + area.height > height)
        std::abort();
      for (int32_t y = 0; y < area.height; ++y)
        for (int32_t x = 0; x < area.width; ++x)
          samples[size_t(y) * size_t(area.width) + size_t(x)] = Sample(in, wide, width, area.x + x, area.y + y, p);
      return true;
    };
    std::string why;
    auto cleaned = CleanPicture(width, height, read, options, layerWidth, layerHeight, &why);
    if (!cleaned) {
      if (why.empty()) std::abort();
      return 0;
    }
    const Rect& place = cleaned->place;
    const Levels& levels = cleaned->levels;
    if (place.IsEmpty() || place.x < 0 || place.y < 0 || place.x + place.width > layerWidth ||
        place.y + place.height > layerHeight || cleaned->cell->Width() != place.width ||
        cleaned->cell->Height() != place.height || levels.black < 0 || levels.black >= levels.white ||
        levels.white > 255)
      std::abort();
    for (int32_t y = 0; y < place.height; ++y)
      for (int32_t x = 0; x < place.width; ++x)
        if (!LineArt(cleaned->cell->GetPixel(x, y), options.tones)) std::abort();
    pictures.push_back({numbers[p], std::move(*cleaned)});
  }

  Placement placement;
  std::string why;
  if (!PlacePictures(cut, "scan", pictures, exposure, &placement, &why)) std::abort();
  if (placement.lastFrame > cut.FrameCount() || placement.pictures.size() != numbers.size()) std::abort();
  const Layer* layer = cut.LayerAt(placement.layer);
  for (int32_t f = placement.firstFrame; f <= placement.lastFrame; ++f) {
    Frame& frame = *cut.FrameAt(f - 1);
    int shows = 0;
    for (int32_t e = 0; e < frame.EntryCount(); ++e) {
      const LayerEntry& entry = *frame.EntryAt(e);
      if (entry.layer != layer) continue;
      ++shows;
      const int32_t cell = entry.cell < 0 ? ~entry.cell : entry.cell;
      if (cell >= layer->CellCount()) std::abort();
    }
    if (shows != 1) std::abort();
  }
  BlockStream file;
  if (!WriteCut(cut, file)) std::abort();
  return 0;
}
