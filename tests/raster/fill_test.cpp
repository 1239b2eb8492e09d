#include "raster/fill.h"

#include <gtest/gtest.h>

#include "model/raster_surface.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;

const Pen kBlack{7, 0, 0, 1};
Pen Solid(int colour) { return Pen{7, 0, 0, colour}; }

TEST(FloodFillTest, TransparentAreaPassesThroughUnderdrawing) {
  auto cell = GridCell({"8888888", "8005008", "8060708", "8000008", "8888888"});
  EXPECT_TRUE(cell->FloodFill(1, 1, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"8888888", "8111118", "8111118", "8111118", "8888888"}));
  // A click on underdrawing fills the transparent area around it, the pixel included.
  auto under = GridCell({"0500", "8888", "0000"});
  EXPECT_TRUE(under->FloodFill(1, 0, Solid(3), 0, nullptr));
  EXPECT_EQ(GridOf(*under), (Grid{"3333", "8888", "0000"}));
}

TEST(FloodFillTest, ShadowBoundaryTargetStopsAtUnderdrawing) {
  auto cell = GridCell({"99999", "95559", "99999", "00000"});
  EXPECT_TRUE(cell->FloodFill(0, 0, Solid(2), 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"22222", "25552", "22222", "00000"}));
}

TEST(FloodFillTest, AbsorbsTouchingShadowBoundaryUnlessProtected) {
  const Grid start{"000000", "090888", "099809", "888899", "a00000"};
  auto cell = GridCell(start);
  EXPECT_TRUE(cell->FloodFill(0, 0, Solid(4), 0, nullptr));
  // The 9s touching the area go with everything of value 9 connected to them; the 9s
  // behind the line touch only an enclosed 0, and the 10 lies in another area.
  EXPECT_EQ(GridOf(*cell), (Grid{"444444", "444888", "444809", "888899", "a00000"}));
  auto kept = GridCell(start);
  EXPECT_TRUE(kept->FloodFill(0, 0, Solid(4), MaskBit(9), nullptr));
  EXPECT_EQ(GridOf(*kept), (Grid{"444444", "494888", "499809", "888899", "a00000"}));
}

TEST(FloodFillTest, FourWayConnectivity) {
  auto enclosed = GridCell({"080", "808", "080"});
  EXPECT_TRUE(enclosed->FloodFill(1, 1, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*enclosed), (Grid{"080", "818", "080"}));
  auto diagonal = GridCell({"0800", "8000"});
  EXPECT_TRUE(diagonal->FloodFill(0, 0, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*diagonal), (Grid{"1800", "8000"}));
}

TEST(FloodFillTest, ToneFillKeepsThePatternPhase) {
  auto cell = GridCell({"88888", "80008", "80008", "88888"});
  EXPECT_TRUE(cell->FloodFill(2, 1, Pen{0, 8, 2, 3}, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"88888", "83238", "82328", "88888"}));
}

TEST(FloodFillTest, Refusals) {
  const Grid start{"00f0", "0000"};
  auto cell = GridCell(start);
  EXPECT_FALSE(cell->FloodFill(2, 0, kBlack, 0, nullptr));         // the marker itself
  EXPECT_FALSE(cell->FloodFill(0, 0, Solid(15), 0, nullptr));      // a pen painting it
  EXPECT_FALSE(cell->FloodFill(0, 0, Pen{0, 3, 15, 1}, 0, nullptr));
  EXPECT_FALSE(cell->FloodFill(0, 0, kBlack, MaskBit(0), nullptr));  // protected target
  EXPECT_FALSE(cell->FloodFill(4, 0, kBlack, 0, nullptr));         // outside
  EXPECT_FALSE(cell->FloodFill(-1, 0, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), start);
  // A marker pixel touching the area is repainted with it.
  EXPECT_TRUE(cell->FloodFill(0, 0, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"1111", "1111"}));
}

TEST(FillToolTest, ShadowBoundaryPenMakesASparseScreen) {
  auto cell = GridCell({"00000000", "00000000", "00000900", "00000000"});
  EXPECT_TRUE(FillToolClick(*cell, 0, 0, Solid(9), 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"00090009", "00000000", "00000900", "00000000"}));
  // A click on a shadow-boundary pixel clears it first; a solid black pen then fills.
  auto dot = GridCell({"090", "000"});
  EXPECT_TRUE(FillToolClick(*dot, 1, 0, kBlack, 0, nullptr));
  EXPECT_EQ(GridOf(*dot), (Grid{"111", "111"}));
  // A refused fill leaves the clicked pixel as it was.
  auto refused = GridCell({"090", "000"});
  EXPECT_FALSE(FillToolClick(*refused, 1, 0, kBlack, MaskBit(0), nullptr));
  EXPECT_EQ(GridOf(*refused), (Grid{"090", "000"}));
}

// The span fill as written: recursive, one level per run.
class ReferenceFill {
 public:
  explicit ReferenceFill(RasterSurface& s) : s_(s) {}
  int Get(int32_t x, int32_t y) const { return s_.Contains(x, y) ? s_.GetPixel(x, y) : -1; }

  void Span(int32_t xl, int32_t xr, int32_t y, int t, const Pen& pen, Rect* dirty, bool f,
            ProtectMask mask) {
    auto matches = [&](int v) { return v == t || (f && v >= 5 && v <= 7); };
    auto absorbable = [&](int v) { return f && (v == 9 || v == 10) && !(mask >> v & 1); };
    auto absorb = [&](int32_t x, int32_t yy) {
      const int v = Get(x, yy);
      if (absorbable(v)) Span(x, x, yy, v, pen, dirty, false, 0);
    };
    while (matches(Get(xl - 1, y))) --xl;
    absorb(xl - 1, y);
    while (matches(Get(xr + 1, y))) ++xr;
    absorb(xr + 1, y);
    if (dirty) {
      GrowDirty(*dirty, xl, y);
      GrowDirty(*dirty, xr, y);
    }
    for (int32_t x = xl; x <= xr; ++x) s_.SetPixel(x, y, PatternColor(pen, x, y));
    for (const int32_t ny : {y - 1, y + 1}) {
      int32_t x = xl;
      while (x <= xr) {
        if (matches(Get(x, ny))) {
          const int32_t start = x;
          while (x + 1 <= xr && matches(Get(x + 1, ny))) ++x;
          Span(start, x, ny, t, pen, dirty, f, mask);
          if (x + 1 <= xr) absorb(x + 1, ny);
          x += 2;
        } else {
          absorb(x, ny);
          ++x;
        }
      }
    }
  }

  void Fill(int32_t x, int32_t y, const Pen& pen, ProtectMask mask, Rect* dirty) {
    const int clicked = Get(x, y);
    const int t = clicked >= 5 && clicked <= 7 ? 0 : clicked;
    if (mask >> t & 1) return;
    const bool f = t != 9 && t != 10;
    Span(x, x, y, t, Pen{0, 0, 15, 15}, dirty, f, mask);
    Span(x, x, y, 15, pen, nullptr, false, 0);
  }

 private:
  RasterSurface& s_;
};

TEST(FloodFillTest, MatchesTheRecursiveFillOnRandomCells) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> density(0, 16), colour(0, 14);
  std::uniform_int_distribution<uint32_t> bits;
  const std::vector<int> values = {0, 0, 0, 0, 0, 0, 5, 6, 8, 8, 8, 9, 9, 10, 1, 4, 15};
  for (int round = 0; round < 400; ++round) {
    const int32_t w = 5 + round % 29, h = 4 + round % 23;
    auto cell = BlankCell(w, h);
    // Odd rounds hold no marker before the fill, which lets the second pass reuse the runs.
    Scatter(*cell, rng, round % 2 ? std::vector<int>(values.begin(), values.end() - 1) : values);
    auto reference = BlankCell(w, h);
    auto generic = BlankCell<UnpackedCell>(w, h);
    CopyPixels(*cell, *reference);
    CopyPixels(*cell, *generic);
    const int32_t x = int32_t(rng() % uint32_t(w)), y = int32_t(rng() % uint32_t(h));
    Pen pen{0, density(rng), colour(rng), colour(rng)};
    const ProtectMask mask = round % 3 ? bits(rng) & bits(rng) & ~MaskBit(0) : 0;
    Rect dirty, referenceDirty, genericDirty;
    const bool filled = cell->FloodFill(x, y, pen, mask, &dirty);
    EXPECT_EQ(generic->FloodFill(x, y, pen, mask, &genericDirty), filled);
    if (filled) ReferenceFill(*reference).Fill(x, y, pen, mask, &referenceDirty);
    ASSERT_EQ(GridOf(*cell), GridOf(*reference)) << round;
    ASSERT_EQ(GridOf(*generic), GridOf(*reference)) << round;
    ASSERT_EQ(dirty, referenceDirty) << round;
    ASSERT_EQ(genericDirty, referenceDirty) << round;
  }
}

TEST(FloodFillTest, LargeSerpentineNeedsNoDeepRecursion) {
  // Walls in every odd column with a gap alternately at the top and the bottom: one long
  // path of one-pixel runs, 4096 × 4096.
  const int32_t n = 4096;
  auto cell = BlankCell(n, n);
  for (int32_t x = 1; x < n; x += 2) {
    const int32_t gap = (x % 4 == 1) ? 0 : n - 1;
    for (int32_t y = 0; y < n; ++y)
      if (y != gap) cell->SetPixel(x, y, 8);
  }
  Rect dirty;
  ASSERT_TRUE(cell->FloodFill(0, 0, kBlack, 0, &dirty));
  int64_t black = 0, left = 0;
  for (int32_t y = 0; y < n; ++y)
    for (int32_t x = 0; x < n; ++x) {
      const int v = cell->GetPixel(x, y);
      black += v == 1;
      left += v == 0 || v == 15;
    }
  EXPECT_EQ(black, int64_t(n / 2) * n + n / 2);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(dirty, (Rect{-5, -5, n + 9, n + 9}));
}

TEST(GradationTest, RampAlongTheDominantAxis) {
  auto cell = BlankCell(6, 2);
  // Levels 0 and 48 over three columns: 16 levels a column, clamped beyond the points.
  EXPECT_TRUE(GradationFill(*cell, 0, 0, kBlack, 3, 1, Pen{7, 0, 3, 4}, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"123444", "123444"}));
  auto tie = BlankCell(3, 5);
  EXPECT_TRUE(GradationFill(*tie, 0, 1, kBlack, 3, 4, Pen{7, 0, 3, 4}, 0, nullptr));
  EXPECT_EQ(GridOf(*tie), (Grid{"111", "111", "222", "333", "444"}));
}

TEST(GradationTest, StaysInsideTheAreaAndRefusesCoincidingLevels) {
  const Grid start{"0080", "0080"};
  auto cell = GridCell(start);
  EXPECT_FALSE(GradationFill(*cell, 1, 1, kBlack, 1, 1, Pen{7, 0, 3, 4}, 0, nullptr));
  EXPECT_FALSE(GradationFill(*cell, 1, 1, kBlack, 3, 1, Pen{}, MaskBit(0), nullptr));
  EXPECT_EQ(GridOf(*cell), start);
  EXPECT_TRUE(GradationFill(*cell, 1, 1, Pen{7, 0, 1, 2}, 1, 1, Pen{7, 0, 1, 2}, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"2280", "2280"}));
}

TEST(PickPenTest, ReadsTheBlockUnderThePoint) {
  Pen pen{12, 0, 0, 1};
  auto line = BlankCell(8, 8, 8);
  EXPECT_TRUE(PickPen(*line, 4, 4, pen));
  EXPECT_EQ(pen, (Pen{12, 0, 0, 8}));
  auto grey = BlankCell(8, 8, 3);
  EXPECT_TRUE(PickPen(*grey, 4, 4, pen));
  EXPECT_EQ(pen, (Pen{12, 0, 2, 3}));
  for (int d : {1, 5, 8, 11, 15}) {
    auto tone = BlankCell(8, 8);
    tone->FillRect(0, 0, 8, 8, Pen{0, d, 2, 3}, 0, nullptr);
    EXPECT_TRUE(PickPen(*tone, 5, 3, pen));
    EXPECT_EQ(pen, (Pen{12, d, 2, 3})) << d;
  }
  auto three = GridCell({"1111", "1111", "1121", "1131"});
  EXPECT_FALSE(PickPen(*three, 2, 2, pen));
  // A block reaching outside would give a pen that paints the outside value.
  EXPECT_FALSE(PickPen(*grey, 7, 4, pen));
  EXPECT_EQ(pen, (Pen{12, 15, 2, 3}));
}

}  // namespace
