#pragma once

// A picture writer that keeps what it is given, for the tests of what reaches the writers.

#include <cstdint>
#include <vector>

#include "share/picture_writer.h"

namespace sharetest {

struct Added {
  Canvas picture;
  bool hadBefore = false;
  Rect changed;
  int64_t start = 0;
};

class RecordingWriter : public PictureWriter {
 public:
  explicit RecordingWriter(int64_t units = 1200) : units_(units) {}
  int64_t UnitsPerSecond() const override { return units_; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override {
    added.push_back({picture, before != nullptr, changed, start});
    return true;
  }
  bool Finish(int64_t at, bool isHeld) override {
    finished = true, end = at, held = isHeld;
    return true;
  }

  std::vector<Added> added;
  bool finished = false, held = false;
  int64_t end = -1;

  std::vector<int64_t> Starts() const {
    std::vector<int64_t> s;
    for (const Added& a : added) s.push_back(a.start);
    return s;
  }
  // The colour of pixel (x, y) in each picture, without the alpha byte.
  std::vector<uint32_t> ColorsAt(int32_t x, int32_t y) const {
    std::vector<uint32_t> c;
    for (const Added& a : added) c.push_back(a.picture.At(x, y) & 0xFFFFFF);
    return c;
  }

 private:
  int64_t units_;
};

// A canvas of one colour (0xRRGGBB).
inline Canvas Flat(int32_t w, int32_t h, uint32_t rgb) {
  Canvas c;
  c.Resize(w, h);
  for (uint32_t& p : c.px) p = rgb | Canvas::kOpaque;
  return c;
}

}  // namespace sharetest
