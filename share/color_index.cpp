#include "share/color_index.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

// Colour → table index, open addressing. A shown picture holds at most the 256 combined
// colours and black, so the table never fills; should it, lookups still end.
class ColorMap {
 public:
  static constexpr int kSlots = 2048;
  static constexpr int kFull = kSlots * 3 / 4;

  // The slot of `color`: holding it, or empty (key 0; colours are opaque, never 0).
  int Find(uint32_t color) const {
    uint32_t h = (color * 0x9E3779B1u) >> 21;
    for (int probe = 0; probe < kSlots; ++probe, h = (h + 1) & (kSlots - 1)) {
      if (keys_[h] == color || keys_[h] == 0) return int(h);
    }
    return -1;
  }
  bool Has(int slot) const { return slot >= 0 && keys_[size_t(slot)] != 0; }
  int Value(int slot) const { return values_[size_t(slot)]; }
  void Put(int slot, uint32_t color, int value) {
    if (slot < 0 || used_ >= kFull) return;
    keys_[size_t(slot)] = color;
    values_[size_t(slot)] = uint16_t(value);
    ++used_;
  }

 private:
  std::array<uint32_t, kSlots> keys_{};
  std::array<uint16_t, kSlots> values_{};
  int used_ = 0;
};

int Nearest(const std::vector<uint32_t>& colors, size_t from, uint32_t c) {
  int best = int(from);
  int64_t bestDistance = INT64_MAX;
  for (size_t i = from; i < colors.size(); ++i) {
    const int64_t dr = int64_t((c >> 16) & 0xFF) - int64_t((colors[i] >> 16) & 0xFF);
    const int64_t dg = int64_t((c >> 8) & 0xFF) - int64_t((colors[i] >> 8) & 0xFF);
    const int64_t db = int64_t(c & 0xFF) - int64_t(colors[i] & 0xFF);
    const int64_t d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = int(i);
  }
  return best;
}

}  // namespace

bool IndexRect(const Canvas& picture, const Canvas* before, const Rect& rect, int maxEntries,
               bool approximate, IndexedRect& out) {
  if (before && (before->width != picture.width || before->height != picture.height)) before = nullptr;
  const Rect r = ClipToCanvas(picture, rect);
  maxEntries = std::clamp(maxEntries, 1, 256);
  out.rect = r;
  out.colors.clear();
  out.transparent = -1;
  out.approximated = false;
  out.index.resize(size_t(r.width) * size_t(r.height));

  // With a picture before, entry 0 is kept for "as before" until the end shows whether
  // any pixel needs it.
  const size_t first = before ? 1 : 0;
  if (before) out.colors.push_back(Canvas::kBlack);
  if (out.colors.size() >= size_t(maxEntries)) return false;
  auto map = std::make_unique<ColorMap>();
  bool anyTransparent = false;
  // Colours seen lately, by a hash of their bits: most lookups end here. The loop is kept
  // free of branches that depend on the picture, except for a colour not seen lately.
  uint32_t recentColor[256] = {};
  uint8_t recentIndex[256] = {};
  uint8_t* at = out.index.data();
  for (int32_t y = r.y; y < r.Bottom(); ++y) {
    const uint32_t* row = picture.Row(y) + r.x;
    const uint32_t* was = before ? before->Row(y) + r.x : row;
    const bool againstBefore = before != nullptr;
    for (int32_t x = 0; x < r.width; ++x) {
      const uint32_t c = row[x];
      const bool same = againstBefore && c == was[x];
      const uint32_t h = (c * 0x9E3779B1u) >> 24;
      if (!same && recentColor[h] != c) {
        int index;
        const int slot = map->Find(c);
        if (map->Has(slot)) {
          index = map->Value(slot);
        } else if (out.colors.size() < size_t(maxEntries)) {
          index = int(out.colors.size());
          out.colors.push_back(c);
          map->Put(slot, c, index);
        } else {
          if (!approximate) return false;
          out.approximated = true;
          index = Nearest(out.colors, first, c);
          map->Put(slot, c, index);
        }
        recentColor[h] = c, recentIndex[h] = uint8_t(index);
      }
      at[x] = same ? 0 : recentIndex[h];
      anyTransparent |= same;
    }
    at += r.width;
  }
  if (!before) return true;
  if (anyTransparent) {
    out.transparent = 0;
  } else {
    out.colors.erase(out.colors.begin());
    for (uint8_t& i : out.index) --i;
  }
  return true;
}
