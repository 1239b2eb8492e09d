#include "raster/stroke.h"

#include <gtest/gtest.h>

#include "model/raster_surface.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;

Pen Solid(int shape, int colour) { return Pen{shape, 0, 0, colour}; }

TEST(PenTest, PatternDensities) {
  auto cell = BlankCell(4, 4);
  cell->FillRect(0, 0, 4, 4, Pen{0, 8, 2, 3}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"3232", "2323", "3232", "2323"}));
  cell->FillRect(0, 0, 4, 4, Pen{0, 1, 2, 3}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"3332", "3333", "3333", "3333"}));
  // 9..15 mirror 7..1 with the colours swapped; 16 is pure colour A.
  cell->FillRect(0, 0, 4, 4, Pen{0, 15, 2, 3}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"2223", "2222", "2222", "2222"}));
  cell->FillRect(0, 0, 4, 4, Pen{0, 16, 2, 3}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"2222", "2222", "2222", "2222"}));
  for (int d = 0; d <= 16; ++d) {
    int countA = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) countA += PatternColor(Pen{0, d, 5, 6}, x, y) == 5;
    EXPECT_EQ(countA, d) << d;
  }
  // Anchored to cell coordinates: the tile repeats every 4 pixels.
  for (int d = 0; d <= 16; ++d)
    EXPECT_EQ(PatternColor(Pen{0, d, 1, 4}, 1, 2), PatternColor(Pen{0, d, 1, 4}, 9, 14));
}

TEST(PenTest, ToneScaleAndPenLevelAreInverse) {
  EXPECT_EQ(ToneScalePen(0), (Pen{0, 0, 0, 1}));
  EXPECT_EQ(ToneScalePen(16), (Pen{0, 0, 1, 2}));
  EXPECT_EQ(ToneScalePen(24), (Pen{0, 8, 2, 3}));
  EXPECT_EQ(ToneScalePen(48), (Pen{0, 0, 3, 4}));
  EXPECT_EQ(ToneScalePen(1), (Pen{0, 15, 1, 2}));
  for (int level = 1; level < kToneLevels; ++level)
    if (level % 16) {
      EXPECT_EQ(PenLevel(ToneScalePen(level)), level) << level;
    }
  EXPECT_EQ(PenLevel(Pen{7, 0, 0, 8}), 0);
}

TEST(PenTest, ShapesSizesAndTwins) {
  for (int s = 0; s < kPenShapeCount; ++s) {
    int pixels = 0;
    for (int r = 0; r < 8; ++r) pixels += __builtin_popcount(PenShapeRows(s)[r]);
    const int side = PenSize(s);
    if (s <= 7) {
      EXPECT_EQ(pixels, side * side) << s;  // squares
    }
    EXPECT_EQ(PenSize(TwinShape(s)), side);
  }
  EXPECT_EQ(TwinShape(7), 7);
  EXPECT_EQ(TwinShape(14), 0);
  EXPECT_EQ(PenShapeRows(99), PenShapeRows(7));
}

TEST(PenTest, DirtyRectangleGrowth) {
  Rect dirty;
  GrowDirty(dirty, 10, 10);
  EXPECT_EQ(dirty, (Rect{6, 6, 8, 8}));
  GrowDirty(dirty, 20, 12);
  EXPECT_EQ(dirty, (Rect{6, 6, 19, 11}));
  Rect once;
  GrowDirty(once, 3, 3);
  GrowDirty(once, 3, 3);  // the same point again widens every edge by one
  EXPECT_EQ(once, (Rect{-2, -2, 10, 10}));
}

TEST(StampTest, ClipsAtTheCellEdge) {
  auto cell = BlankCell(8, 8);
  Rect dirty;
  cell->Stamp(2, 2, Solid(14, 1), 0, &dirty);
  EXPECT_EQ(GridOf(*cell), (Grid{"11111100", "11111100", "11111100", "11111100", "11111000",
                                 "11110000", "00000000", "00000000"}));
  EXPECT_EQ(dirty, (Rect{-2, -2, 8, 8}));
}

TEST(StampTest, ProtectedValuesStay) {
  auto cell = GridCell({"0123", "4567", "89ab", "cdef"});
  const ProtectMask mask = MaskBit(1) | MaskBit(6) | MaskBit(11) | MaskBit(31);
  cell->Stamp(2, 2, Solid(4, 4), mask, nullptr);  // a 4×4 square over the whole cell
  EXPECT_EQ(GridOf(*cell), (Grid{"4144", "4464", "444b", "4444"}));
}

TEST(LineTest, SolidBlackDrawsLinePixels) {
  auto cell = BlankCell(6, 3);
  DrawLine(*cell, 0, 0, 5, 2, Pen{}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"880000", "008800", "000088"}));
  auto grey = BlankCell(4, 1);
  DrawLine(*grey, 0, 0, 3, 0, Solid(7, 2), 0, nullptr);
  EXPECT_EQ(GridOf(*grey), (Grid{"2222"}));
  // A bare stamp keeps black, and so does a tone pen.
  auto stamp = BlankCell(3, 1);
  stamp->Stamp(1, 0, Pen{}, 0, nullptr);
  EXPECT_EQ(GridOf(*stamp), (Grid{"010"}));
  auto tone = BlankCell(4, 1);
  DrawLine(*tone, 0, 0, 3, 0, Pen{7, 16, 1, 4}, 0, nullptr);
  EXPECT_EQ(GridOf(*tone), (Grid{"1111"}));
}

TEST(LineTest, WalkAndDirtyRectangle) {
  auto cell = BlankCell(3, 3);
  Rect dirty;
  DrawLine(*cell, 2, 2, 0, 0, Pen{}, 0, &dirty);  // |dx| = |dy| walks along y
  EXPECT_EQ(GridOf(*cell), (Grid{"800", "080", "008"}));
  EXPECT_EQ(dirty, (Rect{-5, -5, 11, 11}));
  auto steep = BlankCell(3, 5);
  DrawLine(*steep, 0, 0, 2, 4, Pen{}, 0, nullptr);
  EXPECT_EQ(GridOf(*steep), (Grid{"800", "080", "080", "008", "008"}));
  auto dot = BlankCell(3, 3);
  DrawLine(*dot, 1, 1, 1, 1, Pen{}, 0, nullptr);
  EXPECT_EQ(GridOf(*dot), (Grid{"000", "080", "000"}));
}

TEST(RectTest, ClipRule) {
  auto cell = BlankCell(6, 6);
  Rect r{-3, 2, 10, 2};
  EXPECT_TRUE(ClipRect(*cell, r));
  EXPECT_EQ(r, (Rect{0, 2, 6, 2}));
  Rect outside{6, 0, 2, 2}, before{-2, -2, 2, 2}, edge{-2, -2, 3, 3};
  EXPECT_FALSE(ClipRect(*cell, outside));
  EXPECT_FALSE(ClipRect(*cell, before));
  EXPECT_TRUE(ClipRect(*cell, edge));
  EXPECT_EQ(edge, (Rect{0, 0, 1, 1}));
  Rect backwards{4, 4, -2, -2};
  NormaliseRect(backwards);
  EXPECT_EQ(backwards, (Rect{3, 3, 2, 2}));
}

TEST(RectTest, OutlineIsDrawnOnTheClippedRectangle) {
  auto cell = BlankCell(6, 6);
  EXPECT_TRUE(cell->FrameRect(3, 2, 10, 2, Pen{}, 0, nullptr));
  EXPECT_EQ(GridOf(*cell), (Grid{"000000", "000000", "000888", "000800", "000888", "000000"}));
  // With a pen that reaches inside, the clipped edge shows.
  auto wide = BlankCell(6, 4);
  EXPECT_TRUE(wide->FrameRect(1, 1, 20, 1, Solid(5, 1), 0, nullptr));
  EXPECT_EQ(GridOf(*wide), (Grid{"888888", "888888", "888888", "888888"}));
  EXPECT_FALSE(cell->FrameRect(6, 6, 3, 3, Pen{}, 0, nullptr));
}

TEST(RectTest, FilledRectangleUsesBlackAndTheMask) {
  auto cell = GridCell({"0000", "0880", "0000"});
  Rect bounds;
  EXPECT_TRUE(cell->FillRect(3, 2, -3, -2, Pen{}, MaskBit(8), &bounds));
  EXPECT_EQ(bounds, (Rect{1, 1, 3, 2}));
  EXPECT_EQ(GridOf(*cell), (Grid{"0000", "0881", "0111"}));
  EXPECT_FALSE(cell->FillRect(-5, 0, 5, 2, Pen{}, 0, nullptr));
}

TEST(GuideLineTest, ChangesOnlyTransparentAndUnderdrawing) {
  auto cell = GridCell({"0123456789abcdef"});
  DrawGuideLine(*cell, 0, 0, 15, 0, Pen{}, 0, nullptr);
  EXPECT_EQ(GridOf(*cell), (Grid{"5123455589abcdef"}));
  auto masked = GridCell({"0123456789abcdef"});
  DrawGuideLine(*masked, 0, 0, 15, 0, Solid(7, 9), MaskBit(0), nullptr);
  EXPECT_EQ(GridOf(*masked), (Grid{"0123466689abcdef"}));
}

TEST(CurveTest, CollinearPointsGiveTheStraightSegment) {
  auto cell = BlankCell(14, 2);
  const Point p[4] = {{0, 0}, {4, 0}, {8, 0}, {12, 0}};
  Rect dirty;
  DrawCurveSegment(*cell, p, Pen{}, 0, &dirty);
  EXPECT_EQ(GridOf(*cell), (Grid{"00008888800000", "00000000000000"}));
  EXPECT_EQ(dirty.x, 0);  // only the first point reaches the left edge
  EXPECT_EQ(dirty.x + dirty.width, 13);
}

TEST(CurveTest, RunsFromTheSecondToTheThirdPointWithoutGaps) {
  auto cell = BlankCell(40, 40);
  const Point p[4] = {{2, 30}, {5, 5}, {30, 10}, {35, 35}};
  DrawCurveSegment(*cell, p, Pen{}, 0, nullptr);
  EXPECT_EQ(cell->GetPixel(5, 5), 8);
  EXPECT_EQ(cell->GetPixel(30, 10), 8);
  // Connected: every line pixel has a line neighbour among the eight around it.
  int pixels = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (cell->GetPixel(x, y) != 8) continue;
      ++pixels;
      int neighbours = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if ((dx || dy) && cell->Contains(x + dx, y + dy))
            neighbours += cell->GetPixel(x + dx, y + dy) == 8;
      EXPECT_GT(neighbours, 0) << x << "," << y;
    }
  }
  EXPECT_GT(pixels, 25);
  // The cubic dips above both middle points on its way.
  bool aboveChord = false;
  for (int x = 10; x < 25; ++x)
    for (int y = 0; y < 5; ++y) aboveChord |= cell->GetPixel(x, y) == 8;
  EXPECT_TRUE(aboveChord);
}

// The stamp as written: every set shape bit, through GetPixel and SetPixel.
void ReferenceStamp(RasterSurface& s, int32_t x, int32_t y, const Pen& pen, ProtectMask mask) {
  for (int row = 0; row < 8; ++row)
    for (int col = 0; col < 8; ++col) {
      if (!(PenShapeRows(pen.shape)[row] & (0x80 >> col))) continue;
      const int32_t tx = x - 4 + col, ty = y - 4 + row;
      const int v = s.Contains(tx, ty) ? s.GetPixel(tx, ty) : -1;
      if (mask & (1u << (v < 0 ? 31 : v))) continue;
      if (s.Contains(tx, ty)) s.SetPixel(tx, ty, PatternColor(pen, tx, ty));
    }
}

TEST(StampTest, PackedAndGenericPathsMatchTheReference) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-6, 25), shape(0, 14), density(0, 16), colour(0, 14);
  std::uniform_int_distribution<uint32_t> bits;
  for (int round = 0; round < 300; ++round) {
    auto packed = BlankCell(19 + round % 3, 17);
    Scatter(*packed, rng, {0, 1, 2, 3, 4, 5, 8, 9, 10, 12});
    auto generic = BlankCell<UnpackedCell>(packed->Width(), packed->Height());
    auto reference = BlankCell(packed->Width(), packed->Height());
    CopyPixels(*packed, *generic);
    CopyPixels(*packed, *reference);
    const Pen pen{shape(rng), density(rng), colour(rng), colour(rng)};
    const ProtectMask mask = round % 4 ? bits(rng) & bits(rng) : 0;
    const int32_t x = coord(rng), y = coord(rng);
    packed->Stamp(x, y, pen, mask, nullptr);
    generic->Stamp(x, y, pen, mask, nullptr);
    ReferenceStamp(*reference, x, y, pen, mask);
    ASSERT_EQ(GridOf(*packed), GridOf(*reference)) << round;
    ASSERT_EQ(GridOf(*generic), GridOf(*reference)) << round;
  }
}

}  // namespace
