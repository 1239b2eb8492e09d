// The clean-up of a grey picture and the placing of numbered pictures in a cut, without
// picture files (those are tested through orvina import against ImageMagick's scans).
#include "edit/line_art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "edit/picture_import.h"
#include "model/cut.h"
#include "tests/edit/shown_cells.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;

// Reads from a picture held in memory, counting the samples asked for.
struct MemoryPicture {
  GreyPicture picture;
  int64_t samplesRead = 0;
  GreyReader Reader() {
    return [this](const Rect& a, uint16_t* out) {
      samplesRead += int64_t(a.width) * a.height;
      for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x) *out++ = picture.At(a.x + x, a.y + y);
      return true;
    };
  }
};

// Digits as grey levels: 0 black .. 9 white (v × 65535 / 9).
GreyPicture Grey(const Grid& rows) {
  GreyPicture p{int32_t(rows[0].size()), int32_t(rows.size()), {}};
  for (const auto& row : rows)
    for (char c : row) p.samples.push_back(uint16_t((c - '0') * 65535 / 9));
  return p;
}

TEST(GreyResampleTest, AgreesWithAnAreaAverageAndALinearBlendWorkedOutSlowly) {
  std::mt19937 rng(7);
  GreyPicture source{13, 11, {}};
  for (int i = 0; i < 13 * 11; ++i) source.samples.push_back(uint16_t(rng()));
  // Each source pixel weighs by the part of the target pixel's area it covers.
  auto slowAverage = [&](int32_t tw, int32_t th, int32_t tx, int32_t ty) {
    const double x0 = tx * 13.0 / tw, x1 = (tx + 1) * 13.0 / tw;
    const double y0 = ty * 11.0 / th, y1 = (ty + 1) * 11.0 / th;
    double sum = 0;
    for (int32_t sy = 0; sy < 11; ++sy)
      for (int32_t sx = 0; sx < 13; ++sx) {
        const double w = std::max(0.0, std::min(x1, sx + 1.0) - std::max(x0, double(sx))) *
                         std::max(0.0, std::min(y1, sy + 1.0) - std::max(y0, double(sy)));
        sum += w * source.At(sx, sy);
      }
    return sum / ((x1 - x0) * (y1 - y0));
  };
  GreyResampler down(13, 11, 4, 3);
  for (int32_t y = 0; y < 11; ++y) down.AddRow(source.samples.data() + y * 13);
  const GreyPicture small = down.Finish();
  ASSERT_EQ(small.samples.size(), 12u);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_NEAR(small.At(x, y), slowAverage(4, 3, x, y), 1) << x << "," << y;

  // Enlarging blends the two nearest pixels; the edges repeat.
  const GreyPicture line = Grey({"09"});
  GreyResampler up(2, 1, 4, 1);
  up.AddRow(line.samples.data());
  EXPECT_EQ(up.Finish().samples, (std::vector<uint16_t>{0, 16384, 49151, 65535}));
}

TEST(LevelsTest, PaperIsWhiteWhateverItsColourAndGrainNeverBecomesLine) {
  std::mt19937 rng(3);
  auto scan = [&](double paper, double noise, double ink, double inkShare) {
    std::array<uint32_t, 256> h{};
    std::normal_distribution<double> grain(0, noise);
    std::bernoulli_distribution isInk(inkShare);
    for (int i = 0; i < 200000; ++i)
      ++h[size_t(std::clamp(int(std::lround((isInk(rng) ? ink : paper) + grain(rng))), 0, 255))];
    return LevelsOf(h);
  };
  // A yellowed, grainy scan with 2 % of dark lines, and one with only 0.1 %.
  for (const double share : {0.02, 0.001}) {
    const Levels l = scan(226, 6, 40, share);
    EXPECT_NEAR(l.white, 226, 3) << share;
    EXPECT_NEAR(l.black, 40, 6) << share;
  }
  // A clean export: pure black on pure white.
  std::array<uint32_t, 256> clean{};
  clean[0] = 300, clean[255] = 9700;
  EXPECT_EQ(LevelsOf(clean), (Levels{0, 255}));
  // Blank paper: the black point stays far below it.
  const Levels blank = scan(200, 6, 200, 0);
  EXPECT_LE(blank.black, 200 - 100);
  // All black still has a white point above its black one.
  std::array<uint32_t, 256> dark{};
  dark[0] = 10;
  const Levels black = LevelsOf(dark);
  EXPECT_LT(black.black, black.white);
}

TEST(CleanPictureTest, ClassesCropFitAndSpecks) {
  // Levels 0 .. 9: below the middle is line; with tones the quarters.
  const GreyPicture ramp = Grey({"0123456789"});
  std::vector<uint8_t> two = ClassifyPicture(ramp, Levels{0, 255}, false);
  std::vector<uint8_t> four = ClassifyPicture(ramp, Levels{0, 255}, true);
  EXPECT_EQ(two, (std::vector<uint8_t>{8, 8, 8, 8, 8, 0, 0, 0, 0, 0}));
  EXPECT_EQ(four, (std::vector<uint8_t>{8, 8, 8, 2, 2, 3, 3, 0, 0, 0}));

  // A speck of 2 pixels goes with --despeckle 3; the 3-pixel stroke touching it diagonally
  // keeps it; a lone pixel goes.
  MemoryPicture m{Grey({"9999999999",
                        "9009999999",
                        "9999999909",
                        "9999999990",
                        "9999999990",
                        "9099999999"})};
  CleanupOptions o;
  o.fit = false;
  o.despeckle = 3;
  auto c = CleanPicture(10, 6, m.Reader(), o, 10, 6, nullptr);
  ASSERT_TRUE(c);
  EXPECT_EQ(GridOf(*c->cell), (Grid{"0000000000", "0000000000", "0000000080", "0000000008",
                                     "0000000008", "0000000000"}));
  EXPECT_EQ(c->levels, (Levels{0, 255}));

  // 1:1 in a smaller layer reads only what lands in it, centred.
  m.samplesRead = 0;
  c = CleanPicture(10, 6, m.Reader(), o, 4, 2, nullptr);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->place, (Rect{0, 0, 4, 2}));
  EXPECT_EQ(m.samplesRead, 8);
  // The crop, fitted to a layer of another shape: 4 × 2 → 8 × 4, centred in 8 × 8; the top
  // row "9909" enlarged blends to 9 9 9 6¾ 2¼ 2¼ 6¾ 9.
  o.fit = true;
  o.despeckle = 0;
  o.black = 0;
  o.white = 255;
  o.crop = Rect{6, 2, 4, 2};
  c = CleanPicture(10, 6, m.Reader(), o, 8, 8, nullptr);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->place, (Rect{0, 2, 8, 4}));
  EXPECT_EQ(GridOf(*c->cell)[0], "00008800");
  // Given levels are checked; a crop outside the picture is refused.
  std::string why;
  o.black = 200;
  o.white = 100;
  EXPECT_FALSE(CleanPicture(10, 6, m.Reader(), o, 10, 8, &why));
  EXPECT_EQ(why, "the black point 200 is not below the white point 100");
  o.black = o.white = std::nullopt;
  o.crop = Rect{10, 0, 5, 5};
  EXPECT_FALSE(CleanPicture(10, 6, m.Reader(), o, 10, 8, &why));
  EXPECT_EQ(why, "the crop 10,0,5,5 lies outside the picture (10 x 6)");
}

TEST(PictureNumberTest, TheLastDigitsBeforeTheExtension) {
  EXPECT_EQ(PictureNumber("scans/take2/walk_0003.png"), 3);
  EXPECT_EQ(PictureNumber("A12b7.TIFF"), 7);
  EXPECT_EQ(PictureNumber("0010"), 10);
  EXPECT_EQ(PictureNumber("walk.png"), std::nullopt);
  EXPECT_EQ(PictureNumber("99999999999999999999999.png"), int64_t(1) << 50);
  EXPECT_TRUE(IsPictureName("a/B.JpEg"));
  EXPECT_FALSE(IsPictureName("a.png/notes.txt"));
  EXPECT_FALSE(IsPictureName("png"));
}

// A picture of the layer's size whose first pixel is `mark`.
NumberedPicture Numbered(int64_t number, int32_t w, int32_t h, int mark) {
  NumberedPicture p;
  p.number = number;
  p.picture.cell = BlankCell(w, h);
  p.picture.cell->SetPixel(0, 0, mark);
  p.picture.place = Rect{0, 0, w, h};
  return p;
}

TEST(PlacePicturesTest, NumbersGapsExposureAndTheCutAround) {
  // Two frames showing a paper layer at (5, 6); the second frame runs for 4.
  Cut cut(8, 6, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  Layer* paper = cut.AddLayer(std::string("paper"), 8, 6, nullptr);
  cut.PutLayerInFrames(0, 5, 6);
  cut.AddFrame()->CopyFrom(*cut.FrameAt(0));
  cut.FrameAt(1)->SetTime(4);

  // 3, 5 and 6 on twos from frame 2: 3 on 2-3, a gap on 4-5, 5 on 6-7, 6 on 8-9.
  std::vector<NumberedPicture> pictures;
  for (const int64_t n : {3, 5, 6}) pictures.push_back(Numbered(n, 8, 6, int(n)));
  Exposure e;
  e.on = 2;
  e.start = 2;
  e.holdGaps = false;
  Placement placed;
  ASSERT_TRUE(PlacePictures(cut, "ink", pictures, e, &placed, nullptr));
  ASSERT_EQ(cut.LayerCount(), 2);
  Layer* ink = cut.LayerAt(1);
  EXPECT_TRUE(placed.layerMade);
  EXPECT_EQ(placed.framesAdded, 7);
  EXPECT_EQ(ShownCells(cut, ink), "- 0 0 ~0 ~0 1 1 2 2");
  EXPECT_EQ(ShownCells(cut, paper), "0 0 0 0 0 0 0 0 0");
  EXPECT_EQ(cut.FrameAt(1)->Time(), 4);
  EXPECT_EQ(cut.FrameAt(8)->Time(), 1);
  EXPECT_EQ(cut.FrameAt(8)->EntryAt(0)->x, 5);  // added frames copy the last one
  EXPECT_EQ(placed.pictures[1].firstFrame, 6);
  EXPECT_EQ(ink->CellAt(2)->GetPixel(0, 0), 6);

  // Into the existing layer, held, on ones from frame 1, the number before the first
  // (unreadable) one included: its frame shows the first picture's cell empty.
  pictures.clear();
  for (const int64_t n : {11, 13}) pictures.push_back(Numbered(n, 8, 6, 1));
  e = Exposure{};
  e.lowest = 10;
  ASSERT_TRUE(PlacePictures(cut, "ink", pictures, e, &placed, nullptr));
  EXPECT_FALSE(placed.layerMade);
  EXPECT_EQ(ShownCells(cut, ink), "~3 3 3 4 ~0 1 1 2 2");
  EXPECT_EQ(ink->CellCount(), 5);

  // Refusals leave the cut as it was.
  pictures.clear();
  pictures.push_back(Numbered(1, 8, 6, 1));
  pictures.push_back(Numbered(70000, 8, 6, 1));
  std::string why;
  EXPECT_FALSE(PlacePictures(cut, "ink", pictures, Exposure{}, &placed, &why));
  EXPECT_EQ(why, "the pictures would reach frame 70000 (a cut has at most 65535)");
  cut.LayerAt(0)->SetName(std::string("ink"));
  EXPECT_FALSE(PlacePictures(cut, "ink", pictures, Exposure{}, &placed, &why));
  EXPECT_EQ(why, "more than one layer is named \"ink\"");
  EXPECT_EQ(cut.FrameCount(), 9);
}

}  // namespace
