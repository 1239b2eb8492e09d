#include "edit/view_repaint.h"

#include <gtest/gtest.h>

#include <random>

#include "model/cut.h"
#include "model/cut_flags.h"
#include "model/frame_surface.h"
#include "tests/anim/cut_generator.h"

namespace {

// A repaint of any rectangle gives that rectangle exactly what a repaint of the whole
// bitmap gives, and leaves every pixel outside it alone.
TEST(RepaintRectTest, AnyRectangleAgreesWithTheWholeRepaintAndTouchesNothingElse) {
  std::mt19937 rng(91);
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    cutgen::Options o;
    o.canvasWidth = 48 + int32_t(seed) * 5;
    o.canvasHeight = 30 + int32_t(seed) * 3;
    o.layers = 2 + int(seed % 3);
    auto cut = cutgen::MakeCut(seed, o);
    const int32_t w = cut->CanvasWidth(), h = cut->CanvasHeight();
    FrameSurface whole, part;
    ASSERT_TRUE(whole.Create(w, h, 0) && part.Create(w, h, 0));
    for (uint32_t flags = 0; flags < 16 + 2; ++flags) {
      // 16, 17: a layer limit of 1 and 2, with the onion skins.
      cut->SetDisplayFlags(flags < 16 ? flags : (flags - 15) << kLayerLimitShift | 3);
      cut->GoFrame(int32_t(rng() % uint32_t(cut->FrameCount())));
      RepaintRect(*cut, whole, {0, 0, w, h});
      for (int trial = 0; trial < 8; ++trial) {
        for (int32_t y = 0; y < h; ++y)
          for (int32_t x = 0; x < w; ++x) part.SetPixel(x, y, 100 + int(rng() % 100));
        const std::vector<uint8_t> before(part.Bits(), part.Bits() + part.ByteSize());
        const Rect r{int32_t(rng() % uint32_t(w + 10)) - 5, int32_t(rng() % uint32_t(h + 10)) - 5,
                     int32_t(rng() % uint32_t(w / 2)), int32_t(rng() % uint32_t(h / 2))};
        RepaintRect(*cut, part, r);
        for (int32_t y = 0; y < h; ++y)
          for (int32_t x = 0; x < w; ++x) {
            const bool inside = x >= r.x && y >= r.y && x < r.Right() && y < r.Bottom();
            const int want = inside ? whole.GetPixel(x, y)
                                    : before[size_t(y) * size_t(part.Stride()) + size_t(x)];
            ASSERT_EQ(part.GetPixel(x, y), want)
                << "seed " << seed << " flags " << flags << " at " << x << "," << y;
          }
      }
    }
  }
}

TEST(RepaintRectTest, WholeRepaintOfACutWithoutFramesClearsTheBitmap) {
  Cut cut(8, 6, 24, "", AntiAlias::kFull);
  FrameSurface display;
  ASSERT_TRUE(display.Create(8, 6, 7));
  RepaintRect(cut, display, {-2, -2, 20, 20});
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(display.GetPixel(x, y), 0);
}

}  // namespace
