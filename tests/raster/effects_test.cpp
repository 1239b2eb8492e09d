#include "raster/effects.h"

#include <gtest/gtest.h>

#include "model/raster_surface.h"
#include "raster/stroke.h"
#include "raster/text_transfer.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;

Pen Solid(int shape, int colour) { return Pen{shape, 0, 0, colour}; }

TEST(BorderTest, OnePixelPenBordersEveryInnerEdge) {
  auto cell = GridCell({"000000", "088880", "080080", "080080", "088880", "000000"});
  EXPECT_TRUE(cell->Border(0, 0, 6, 6, Solid(7, 3), 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"033330", "388883", "383383", "383383", "388883", "033330"}));
}

TEST(BorderTest, PenSizeSetsThePasses) {
  auto cell = GridCell({"00000000000000000008", "00000000000000000008"});
  EXPECT_TRUE(cell->Border(0, 0, 20, 2, Solid(0, 3), 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"00000000000333333338", "00000000000333333338"}));
}

TEST(BorderTest, GroundIsTheTopLeftValue) {
  auto cell = GridCell({"88800", "88800", "00000"});
  EXPECT_TRUE(cell->Border(0, 0, 5, 3, Solid(7, 3), 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"88300", "33300", "00000"}));
  // Neighbours outside the rectangle count; pixels outside it do not change.
  auto part = GridCell({"0000", "0800", "0000"});
  EXPECT_TRUE(part->Border(2, 0, 2, 3, Solid(7, 3), 0));
  EXPECT_EQ(GridOf(*part), (Grid{"0000", "0830", "0000"}));
  const Grid start{"0800", "0000"};
  auto refused = GridCell(start);
  EXPECT_FALSE(refused->Border(0, 0, 4, 2, Solid(7, 3), MaskBit(0)));
  EXPECT_FALSE(refused->Border(4, 0, 4, 2, Solid(7, 3), 0));
  EXPECT_EQ(GridOf(*refused), start);
}

// The border as written: column by column through GetPixel and SetPixel.
void ReferenceBorder(RasterSurface& s, Rect r, const Pen& pen) {
  const int g = s.GetPixel(r.x, r.y);
  auto edge = [&](int32_t x, int32_t y) {
    const int v = s.GetPixel(x, y);
    return v != g && v != 15;
  };
  for (int pass = 0; pass < PenSize(pen.shape); ++pass) {
    for (int32_t x = r.x; x < r.x + r.width; ++x)
      for (int32_t y = r.y; y < r.y + r.height; ++y)
        if (s.GetPixel(x, y) == g &&
            ((x > 0 && edge(x - 1, y)) || (y > 0 && edge(x, y - 1)) ||
             (x < s.Width() - 1 && edge(x + 1, y)) || (y < s.Height() - 1 && edge(x, y + 1))))
          s.SetPixel(x, y, 15);
    for (int32_t x = r.x; x < r.x + r.width; ++x)
      for (int32_t y = r.y; y < r.y + r.height; ++y)
        if (s.GetPixel(x, y) == 15) s.SetPixel(x, y, PatternColor(pen, x, y));
  }
}

TEST(BorderTest, MatchesTheReferenceOnRandomCells) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> shape(0, 14), density(0, 16), colour(0, 15);
  for (int round = 0; round < 200; ++round) {
    const int32_t w = 4 + round % 17, h = 3 + round % 13;
    auto cell = BlankCell(w, h);
    Scatter(*cell, rng, {0, 0, 0, 0, 0, 8, 8, 3, 15});
    auto reference = BlankCell(w, h);
    CopyPixels(*cell, *reference);
    Rect r{int32_t(rng() % uint32_t(w)) - 1, int32_t(rng() % uint32_t(h)) - 1,
           int32_t(rng() % uint32_t(w)) + 1, int32_t(rng() % uint32_t(h)) + 1};
    const Pen pen{shape(rng), density(rng), colour(rng), colour(rng)};
    const bool done = cell->Border(r.x, r.y, r.width, r.height, pen, 0);
    Rect clipped = r;
    EXPECT_EQ(done, ClipRect(*reference, clipped));
    if (done) ReferenceBorder(*reference, clipped, pen);
    ASSERT_EQ(GridOf(*cell), GridOf(*reference)) << round;
  }
}

TEST(MosaicTest, BlockTakesTheToneOfItsAverageDarkness) {
  auto half = GridCell({"1111", "1111", "0000", "0000"});
  EXPECT_TRUE(MosaicBlock(*half, Rect{0, 0, 4, 4}));
  EXPECT_EQ(GridOf(*half), (Grid{"3232", "2323", "3232", "2323"}));  // level 24
  auto line = BlankCell(8, 4, 8);
  EXPECT_TRUE(MosaicBlock(*line, Rect{0, 0, 8, 4}));
  EXPECT_EQ(GridOf(*line), (Grid(4, "11111111")));
  auto white = BlankCell(4, 4, 4);
  white->SetPixel(0, 0, 12);
  EXPECT_TRUE(MosaicBlock(*white, Rect{-2, -2, 6, 6}));
  EXPECT_EQ(GridOf(*white), (Grid(4, "4444")));
  auto small = BlankCell(5, 3, 1);
  EXPECT_FALSE(MosaicBlock(*small, Rect{0, 0, 5, 3}));
  EXPECT_EQ(GridOf(*small), (Grid(3, "11111")));
}

TEST(RandomDotsTest, SequenceAndPlacement) {
  DotSequence sequence;
  const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int v : first) EXPECT_EQ(sequence.Next(), v);
  // Column by column; interval 2 stamps where the number is divisible by 4.
  DotSequence fresh;
  auto cell = BlankCell(3, 3);
  EXPECT_TRUE(RandomDots(*cell, Rect{0, 0, 3, 3}, 2, Pen{}, 0, fresh));
  EXPECT_EQ(GridOf(*cell), (Grid{"010", "000", "010"}));
  auto every = BlankCell(5, 4);
  EXPECT_TRUE(RandomDots(*every, Rect{1, 1, 3, 2}, 1, Pen{}, 0, fresh));
  EXPECT_EQ(GridOf(*every), (Grid{"00000", "01110", "01110", "00000"}));
  EXPECT_FALSE(RandomDots(*every, Rect{0, 0, 5, 4}, 0, Pen{}, 0, fresh));
}

TEST(GridLinesTest, UnderdrawingLinesWithTheAutomaticMask) {
  auto cell = BlankCell(7, 5);
  cell->SetPixel(3, 2, 8);
  EXPECT_TRUE(GridLines(*cell, Rect{0, 0, 7, 5}, 3, 2, Pen{}, 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"5555555", "5005005", "5558555", "5005005", "5555555"}));
  auto masked = BlankCell(4, 3, 7);
  EXPECT_TRUE(GridLines(*masked, Rect{0, 0, 4, 3}, 2, 2, Solid(7, 10), MaskBit(7)));
  EXPECT_EQ(GridOf(*masked), (Grid(3, "7777")));
  EXPECT_FALSE(GridLines(*cell, Rect{0, 0, 7, 5}, 0, 2, Pen{}, 0));
}

TEST(EraserTest, ConvertsItsSquareToUnderdrawing) {
  auto cell = GridCell({"99999999", "99999999", "99999999", "99499999", "99999999",
                        "99999999", "99999999", "99999999"});
  Rect bounds;
  EraseSquare(*cell, 4, 4, 4, 0, &bounds);
  EXPECT_EQ(bounds, (Rect{2, 2, 5, 5}));
  EXPECT_EQ(GridOf(*cell), (Grid{"99999999", "99999999", "99666669", "99066669", "99666669",
                                 "99666669", "99666669", "99999999"}));
}

TEST(FlipTest, OddSidesKeepTheirMiddle) {
  auto cell = GridCell({"123", "456", "789"});
  EXPECT_TRUE(FlipRect(*cell, Rect{0, 0, 3, 3}, false, 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"789", "456", "123"}));
  EXPECT_TRUE(FlipRect(*cell, Rect{0, 0, 3, 3}, true, 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"987", "654", "321"}));
  auto part = GridCell({"12345", "67890"});
  EXPECT_TRUE(FlipRect(*part, Rect{1, 0, 10, 1}, true, 0));
  EXPECT_EQ(GridOf(*part), (Grid{"15432", "67890"}));
}

TEST(FlipTest, ProtectedValuesStayInPlace) {
  auto cell = GridCell({"1023", "4005"});
  EXPECT_TRUE(FlipRect(*cell, Rect{0, 0, 4, 2}, true, MaskBit(0)));
  EXPECT_EQ(GridOf(*cell), (Grid{"3001", "5004"}));
  auto column = GridCell({"1", "0", "2"});
  EXPECT_TRUE(FlipRect(*column, Rect{0, 0, 1, 3}, false, MaskBit(2)));
  EXPECT_EQ(GridOf(*column), (Grid{"2", "0", "2"}));
}

TEST(TextTransferTest, ClipsAndUsesThePenPattern) {
  auto source = GridCell({"010", "110"});
  auto cell = BlankCell(4, 4);
  const Pen tone{0, 8, 2, 3};
  EXPECT_TRUE(TransferText(*cell, -1, 1, *source, 0, 0, 3, 2, tone, 0));
  EXPECT_EQ(GridOf(*cell), (Grid{"0000", "2000", "3000", "0000"}));
  // Mask: a source value whose bit is set is not text; protected cell pixels stay.
  auto masked = GridCell({"0880", "0000"});
  auto text = GridCell({"1111", "2222"});
  EXPECT_TRUE(TransferText(*masked, 0, 0, *text, 0, 0, 4, 2, Pen{}, MaskBit(8) | MaskBit(2)));
  EXPECT_EQ(GridOf(*masked), (Grid{"1881", "0000"}));
  EXPECT_FALSE(TransferText(*masked, 4, 0, *text, 0, 0, 4, 2, Pen{}, 0));
}

}  // namespace
