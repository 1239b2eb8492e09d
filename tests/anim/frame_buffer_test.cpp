#include "anim/frame_buffer.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "model/cell_surface.h"
#include "model/frame_surface.h"
#include "model/pixel_class.h"

namespace {

uint32_t Grey(int v) { return PackColor(v, v, v); }

// The tone reduction written the slow way, one output pixel at a time.
int SlowLevel(const FrameSurface& work, int factor, int ox, int oy) {
  int sum = 0;
  for (int b = 0; b < factor; ++b)
    for (int a = 0; a < factor; ++a) {
      const int v = work.GetPixel(ox * factor + a, oy * factor + b);
      sum += IsDrawingClass(v) ? ToneLevel(v) : 3;
    }
  if (factor < 4) return sum;
  const int r = sum % 4;
  const bool ex = ox % 2 == 0, ey = oy % 2 == 0;
  const int d = r == 0 ? 0 : r == 1 ? (ex && ey) : r == 2 ? (ex == ey) : !(ex && !ey);
  return sum / 4 + d;
}

}  // namespace

TEST(FrameBufferTest, CreateSizesColoursAndKeepsAnEqualBuffer) {
  FrameBuffer fb;
  EXPECT_FALSE(fb.Create(0, 5));
  EXPECT_FALSE(fb.Create(5, -1));
  EXPECT_FALSE(fb.Create(1 << 14, 1 << 14));  // beyond the largest buffer
  EXPECT_EQ(fb.Bits(), nullptr);
  ASSERT_TRUE(fb.Create(5, 3));
  EXPECT_EQ(fb.Stride(), 8);
  EXPECT_EQ(fb.ImageSize(), 24u);
  const int greys[13] = {0, 22, 43, 64, 85, 107, 128, 149, 170, 192, 213, 234, 255};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(fb.GetBaseColor(i), Grey(greys[i])) << i;
  EXPECT_EQ(fb.GetBaseColor(13), 0u);
  EXPECT_EQ(fb.CombinedColors()[12], Grey(255));
  for (size_t i = 0; i < fb.ImageSize(); ++i) EXPECT_EQ(fb.Bits()[i], 0);

  fb.SetPixel(4, 2, 9);
  fb.SetBaseColor(3, 1, 2, 3);
  EXPECT_TRUE(fb.Create(5, 3));  // same size: nothing changes
  EXPECT_EQ(fb.GetPixel(4, 2), 9);
  EXPECT_EQ(fb.GetBaseColor(3), 0x010203u);
  ASSERT_TRUE(fb.Create(6, 3));
  EXPECT_EQ(fb.GetPixel(4, 2), 0);
  EXPECT_EQ(fb.GetBaseColor(3), Grey(64));
}

TEST(FrameBufferTest, PagesShareBytesAndBlocksLeaveTheOtherPage) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(8, 2));
  fb.SetPixel(1, 0, 5);
  fb.SetCurrentPage(1);
  fb.SetPixel(1, 0, 10);
  EXPECT_EQ(fb.Bits()[1], 0xA5);
  EXPECT_EQ(fb.GetPixel(1, 0), 10);
  EXPECT_EQ(fb.GetOtherPixel(1, 0), 5);

  fb.Write4(2, 1, 0x4321);  // pixels 1, 2, 3, 4 on page 1
  EXPECT_EQ(fb.Read4(2, 1), 0x4321);
  EXPECT_EQ(fb.ReadOther4(2, 1), 0);
  fb.SetCurrentPage(0);
  fb.Write4(2, 1, 0xFEDC);
  EXPECT_EQ(fb.Bits()[8 + 2], 0x1C);
  EXPECT_EQ(fb.Bits()[8 + 5], 0x4F);
  EXPECT_EQ(fb.ReadOther4(2, 1), 0x4321);
  EXPECT_EQ(fb.Read4(2, 1), 0xFEDC);

  // A block near the right edge continues into the next row; on the last row it ends in
  // the spare bytes and never disturbs anything else.
  fb.Write4(6, 0, 0x7777);
  EXPECT_EQ(fb.GetPixel(0, 1), 7);
  EXPECT_EQ(fb.GetPixel(1, 1), 7);
  fb.Write4(7, 1, 0x9999);
  EXPECT_EQ(fb.GetPixel(7, 1), 9);
  EXPECT_EQ(fb.Read4(7, 1), 0x9999);
  // Outside the buffer: ignored.
  fb.Write4(8, 1, 0x1111);
  fb.Write4(0, 2, 0x1111);
  fb.SetPixel(-1, 0, 3);
  EXPECT_EQ(fb.Read4(-1, 0), 0);
  EXPECT_EQ(fb.GetPixel(0, 2), 0);
}

TEST(FrameBufferTest, FillSaveRestoreAndCopyFromOtherPage) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(4, 4));
  fb.Fill(0x3A);  // page 0 = 10, page 1 = 3
  fb.Save();
  fb.Fill(0);
  EXPECT_EQ(fb.GetPixel(3, 3), 0);
  fb.Restore();
  EXPECT_EQ(fb.GetPixel(3, 3), 10);
  EXPECT_EQ(fb.GetOtherPixel(3, 3), 3);

  fb.CopyFromOtherPage(-1, 1, 3, 10);  // clipped to x 0..1, rows 1..3
  const char* expected[4] = {"AAAA", "33AA", "33AA", "33AA"};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(fb.GetPixel(x, y), expected[y][x] == 'A' ? 10 : 3) << x << "," << y;
  fb.CopyFromOtherPage(0, 0, 0, 4);
  fb.CopyFromOtherPage(0, 0, 4, -2);
  EXPECT_EQ(fb.GetPixel(0, 0), 10);
  fb.SetCurrentPage(1);
  fb.CopyFromOtherPage(2, 0, 2, 1);
  EXPECT_EQ(fb.Bits()[2], 0xAA);
  EXPECT_EQ(fb.Bits()[1], 0x3A);
}

TEST(FrameBufferTest, CombinedIndexFollowsTheCurrentPage) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(4, 1));
  fb.SetCombinedColor(2, 7, 1, 2, 3);
  EXPECT_EQ(fb.CombinedColors()[2 + 16 * 7], 0x010203u);
  fb.SetCurrentPage(1);
  fb.SetCombinedColor(2, 7, 4, 5, 6);
  EXPECT_EQ(fb.CombinedColors()[16 * 2 + 7], 0x040506u);
  EXPECT_EQ(fb.GetCombinedColor(2, 7), 0x040506u);
  fb.SetCombinedColor(16, 0, 9, 9, 9);  // ignored
  EXPECT_EQ(fb.GetCombinedColor(16, 0), 0u);

  // The page palettes swap roles with the page.
  fb.SetPageColor(1, 10, 20, 30);
  fb.SetOtherPageColor(1, 40, 50, 60);
  fb.SetCurrentPage(0);
  EXPECT_EQ(fb.GetPageColor(1), PackColor(40, 50, 60));
  EXPECT_EQ(fb.GetOtherPageColor(1), PackColor(10, 20, 30));
}

TEST(FrameBufferTest, LevelRampSpreadsTheRemainderAndEndsAtTheHighlight) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(4, 1));
  fb.SetHighlight(255, 0, 255);
  fb.LevelRamp(4);
  EXPECT_EQ(fb.GetBaseColor(0), 0u);
  EXPECT_EQ(fb.GetBaseColor(1), PackColor(85, 0, 85));
  EXPECT_EQ(fb.GetBaseColor(2), PackColor(170, 0, 170));
  EXPECT_EQ(fb.GetBaseColor(3), PackColor(255, 0, 255));
  EXPECT_EQ(fb.GetBaseColor(4), Grey(85));  // above the count: kept

  fb.SetHighlight(255, 255, 255);
  fb.LevelRamp(13);
  const int ramp[13] = {0, 22, 44, 66, 87, 108, 129, 150, 171, 192, 213, 234, 255};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(fb.GetBaseColor(i), Grey(ramp[i])) << i;
  fb.LevelRamp(99);  // clamped to 16
  EXPECT_EQ(fb.GetBaseColor(15), Grey(255));
  EXPECT_EQ(fb.GetBaseColor(1), Grey(17));
}

TEST(FrameBufferTest, BrightnessArithmetic) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(4, 1));
  fb.SetHighlight(255, 255, 255);
  fb.LevelRamp(4);  // 0, 85, 170, 255
  struct Case {
    int a;
    int expected[4];
  } cases[] = {
      {0, {0, 0, 0, 0}},
      {25, {0, 42, 85, 127}},
      {50, {0, 85, 170, 255}},
      {75, {127, 169, 212, 255}},  // k = 127: v·128/255 + 127
      {100, {255, 255, 255, 255}},
  };
  for (const Case& c : cases) {
    fb.SetBrightness(c.a);
    EXPECT_EQ(fb.Brightness(), c.a);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(fb.GetPageColor(i), Grey(c.expected[i])) << c.a << " " << i;
  }
  // A zero highlight channel stays 0 when brightening; brightness past 100 is clamped.
  fb.SetHighlight(0, 255, 200);
  fb.SetBrightness(100);
  EXPECT_EQ(fb.GetPageColor(3), PackColor(0, 255, 200));
  fb.SetBrightness(255);
  const uint32_t page0Color3 = fb.GetPageColor(3);
  for (int i = 0; i < 16; ++i) {
    EXPECT_LE(GreenOf(fb.GetPageColor(i)), 255);
    EXPECT_EQ(RedOf(fb.GetPageColor(i)), 0);
  }
  // Brightness rebuilds only the current page.
  fb.SetCurrentPage(1);
  fb.SetHighlight(255, 255, 255);
  fb.SetBrightness(0);
  EXPECT_EQ(fb.GetPageColor(3), 0u);
  EXPECT_EQ(fb.GetOtherPageColor(3), page0Color3);
}

TEST(FrameBufferTest, BlendMixesThePagePalettes) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(4, 1));
  for (int i = 0; i < 16; ++i) {
    fb.SetPageColor(i, 10 * i, 0, 200);
    fb.SetOtherPageColor(i, 0, 10 * i, 100);
  }
  fb.Blend(0, 1);
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 16; ++j) EXPECT_EQ(fb.GetCombinedColor(i, j), PackColor(10 * i, 0, 200));
  // Dissolve weights: old frame |a| / |b|.
  fb.Blend(-1, -4);  // (other·(−1) + current·(−3)) ÷ (−4)
  EXPECT_EQ(fb.GetCombinedColor(4, 8), PackColor(30, 20, 175));
  EXPECT_EQ(fb.CombinedColors()[4 + 16 * 8], PackColor(30, 20, 175));
  fb.Blend(3, 0);  // no division by zero: the current page alone
  EXPECT_EQ(fb.GetCombinedColor(4, 8), PackColor(40, 0, 200));
}

TEST(FrameBufferTest, ReduceWrittenOutGrids) {
  // 8 × 4 work image.
  FrameSurface work;
  ASSERT_TRUE(work.Create(8, 4, 0));
  const uint8_t grid[4][8] = {
      {8, 8, 4, 4, 1, 0, 2, 3},
      {8, 8, 4, 4, 0, 0, 12, 19},
      {5, 16, 2, 2, 9, 10, 1, 1},
      {0, 0, 2, 2, 9, 10, 1, 1},
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) work.SetPixel(x, y, grid[y][x]);

  FrameBuffer f1;
  ASSERT_TRUE(f1.Create(8, 4));
  f1.Fill(0xF0);
  ASSERT_TRUE(f1.Reduce(work, nullptr, 1, nullptr));
  const int tones[4][8] = {
      {0, 0, 3, 3, 0, 3, 1, 2}, {0, 0, 3, 3, 3, 3, 3, 3},
      {3, 3, 1, 1, 1, 2, 0, 0}, {3, 3, 1, 1, 1, 2, 0, 0}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(f1.GetPixel(x, y), tones[y][x]) << x << "," << y;
      EXPECT_EQ(f1.GetOtherPixel(x, y), 15);  // the other page is untouched
    }

  FrameBuffer f2;
  ASSERT_TRUE(f2.Create(4, 2));
  ASSERT_TRUE(f2.Reduce(work, nullptr, 2, nullptr));
  const int sums[2][4] = {{0, 12, 9, 9}, {12, 4, 6, 0}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(f2.GetPixel(x, y), sums[y][x]) << x << "," << y;

  FrameBuffer f4;
  ASSERT_TRUE(f4.Create(2, 1));
  ASSERT_TRUE(f4.Reduce(work, nullptr, 4, nullptr));
  EXPECT_EQ(f4.GetPixel(0, 0), 7);  // sum 28: 7, no dither
  EXPECT_EQ(f4.GetPixel(1, 0), 6);  // sum 24
}

TEST(FrameBufferTest, QuarterDitherFollowsTheOrderedTable) {
  // Blocks with sum 5 and sum 18 (remainder 2) over a 2 × 2 output.
  FrameSurface work;
  ASSERT_TRUE(work.Create(8, 8, 0));
  work.Clear(8);  // sum 0
  auto block = [&](int ox, int oy, int black, int rest) {
    for (int i = 0; i < 16; ++i) work.SetPixel(ox * 4 + i % 4, oy * 4 + i / 4, i < black ? 1 : rest);
  };
  // sum 5: 1 pixel of tone 2 and 1 of tone 3 over 14 of tone 0.
  for (int oy = 0; oy < 2; ++oy)
    for (int ox = 0; ox < 2; ++ox) {
      block(ox, oy, 14, 3);
      work.SetPixel(ox * 4 + 3, oy * 4 + 3, 4);
    }
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(2, 2));
  ASSERT_TRUE(fb.Reduce(work, nullptr, 4, nullptr));
  EXPECT_EQ(fb.GetPixel(0, 0), 2);
  EXPECT_EQ(fb.GetPixel(1, 0), 1);
  EXPECT_EQ(fb.GetPixel(0, 1), 1);
  EXPECT_EQ(fb.GetPixel(1, 1), 1);
  // Remainder 2 (sum 18 = 6 white + 10 black): a checkerboard of levels 5 and 4.
  for (int oy = 0; oy < 2; ++oy)
    for (int ox = 0; ox < 2; ++ox) block(ox, oy, 10, 4);
  ASSERT_TRUE(fb.Reduce(work, nullptr, 4, nullptr));
  EXPECT_EQ(fb.GetPixel(0, 0), 5);
  EXPECT_EQ(fb.GetPixel(1, 0), 4);
  EXPECT_EQ(fb.GetPixel(0, 1), 4);
  EXPECT_EQ(fb.GetPixel(1, 1), 5);
}

TEST(FrameBufferTest, ReduceScanRectangleAndChangedRectangle) {
  FrameSurface work;
  ASSERT_TRUE(work.Create(12, 6, 0));
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(12, 6));
  fb.Fill(0x33);  // both pages white
  Rect changed{1, 1, 1, 1};
  ASSERT_TRUE(fb.Reduce(work, &changed, 1, nullptr));
  EXPECT_EQ(changed, Rect{});

  work.SetPixel(5, 2, 8);
  work.SetPixel(9, 4, 2);
  work.SetPixel(0, 0, 1);  // outside the scan rectangle: not reduced
  const Rect scan{3, 1, 20, 4};  // clipped to x 3..11, y 1..4
  ASSERT_TRUE(fb.Reduce(work, &changed, 1, &scan));
  EXPECT_EQ(changed, (Rect{4, 2, 6, 3}));  // left edge 5 moved to 4
  EXPECT_EQ(fb.GetPixel(0, 0), 3);
  EXPECT_EQ(fb.GetPixel(5, 2), 0);
  EXPECT_EQ(fb.GetPixel(9, 4), 1);
  EXPECT_EQ(fb.GetOtherPixel(5, 2), 3);

  // A change at column 0, row 0 gives a rectangle that holds it.
  const Rect whole{0, 0, 12, 6};
  ASSERT_TRUE(fb.Reduce(work, &changed, 1, &whole));
  EXPECT_EQ(changed, (Rect{0, 0, 10, 5}));

  // Refused: another factor, a 4-bit work image.
  EXPECT_FALSE(fb.Reduce(work, &changed, 3, nullptr));
  CellSurface cell;
  ASSERT_TRUE(cell.Create(12, 6, 1));
  EXPECT_FALSE(fb.Reduce(cell, nullptr, 1, nullptr));
  EXPECT_EQ(fb.GetPixel(5, 2), 0);
}

TEST(FrameBufferTest, ReduceMatchesTheSlowReference) {
  std::mt19937 rng(7);
  for (int factor : {1, 2, 4}) {
    for (int trial = 0; trial < 6; ++trial) {
      const int w = 3 + int(rng() % 70), h = 1 + int(rng() % 9);
      FrameSurface work;
      ASSERT_TRUE(work.Create(w * factor + int(rng() % factor), h * factor, 0));
      // Mostly paper with runs of ink, like a composed frame.
      for (int y = 0; y < work.Height(); ++y)
        for (int x = 0; x < work.Width(); ++x)
          if (rng() % 4 == 0) work.SetPixel(x, y, int(rng() % 25));
      FrameBuffer fb;
      ASSERT_TRUE(fb.Create(w, h));
      fb.SetCurrentPage(trial & 1);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) fb.Bits()[y * fb.Stride() + x] = uint8_t(rng() % 256);
      std::vector<int> before(size_t(w * h));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) before[size_t(y * w + x)] = fb.GetOtherPixel(x, y);
      Rect changed;
      ASSERT_TRUE(fb.Reduce(work, &changed, factor, nullptr));
      int x0 = w, x1 = 0, y0 = h, y1 = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int level = SlowLevel(work, factor, x, y);
          ASSERT_EQ(fb.GetPixel(x, y), level) << factor << " " << x << "," << y;
          ASSERT_EQ(fb.GetOtherPixel(x, y), before[size_t(y * w + x)]);
          if (level != before[size_t(y * w + x)])
            x0 = std::min(x0, x), x1 = std::max(x1, x + 1), y0 = std::min(y0, y), y1 = y + 1;
        }
      ASSERT_LT(x0, x1);
      x0 &= ~1;
      EXPECT_EQ(changed, (Rect{x0, y0, x1 - x0, y1 - y0})) << factor << " " << trial;
    }
  }
}
