// The pen chooser's palette and the clipboard's bitmaps, without their windows.
#include <gtest/gtest.h>

#include <vector>

#include "edit/clipboard_image.h"
#include "edit/pen_chooser_layout.h"
#include "model/frame_surface.h"
#include "tests/raster/cell_grid.h"

namespace {

TEST(PenChooserTest, SwatchesSetThePenAsTheirRowAndColumnSay) {
  EXPECT_EQ(SwatchAt(4, 4), (Swatch{0, 0}));
  EXPECT_EQ(SwatchAt(16, 16), (Swatch{0, 0}));
  EXPECT_EQ(SwatchAt(17, 10), std::nullopt);  // between swatches
  EXPECT_EQ(SwatchAt(3, 10), std::nullopt);
  EXPECT_EQ(SwatchAt(4 + 14 * 15 + 12, 4 + 14 * 3 + 12), (Swatch{3, 15}));
  EXPECT_EQ(SwatchAt(4 + 14 * 16, 10), std::nullopt);

  DrawingSettings settings;
  ChooseSwatch(*SwatchAt(4 + 14 * 5, 4 + 14 * 2), settings);
  EXPECT_EQ(settings.pen, (Pen{7, 5, 2, 3}));
  EXPECT_TRUE(IsCurrentChoice(Swatch{2, 5}, settings.pen));
  EXPECT_FALSE(IsCurrentChoice(Swatch{2, 4}, settings.pen));
  EXPECT_FALSE(IsCurrentChoice(Swatch{1, 5}, settings.pen));
  ChooseSwatch(Swatch{0, 1}, settings);  // the dark shadow boundary
  EXPECT_EQ(settings.pen, (Pen{7, 0, 0, 9}));
  EXPECT_TRUE(IsCurrentChoice(Swatch{0, 1}, settings.pen));

  for (const bool square : {false, true}) {
    settings.squarePen = square;
    for (int k = 0; k < 8; ++k) {
      ChooseSwatch(Swatch{0, 8 + k}, settings);
      EXPECT_EQ(settings.pen.shape, square ? 7 - k : 7 + k);
      EXPECT_FALSE(IsCurrentChoice(Swatch{0, 8 + k}, settings.pen));
    }
  }
}

TEST(PenChooserTest, ThePaletteImageShowsTheTonesAndTheCurrentSizeInBlack) {
  FrameSurface image;
  ASSERT_TRUE(image.Create(kChooserImageWidth, kChooserImageHeight, 0));
  DrawChooserSwatches(image);
  int colourA = 0;  // row 2, column 5: five of every sixteen pixels in dark grey
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) colourA += image.GetPixel(4 + 70 + x, 4 + 28 + y) == 2;
  EXPECT_EQ(colourA, 5);
  EXPECT_EQ(image.GetPixel(4 + 14, 4), 9);
  EXPECT_EQ(image.GetPixel(3, 3), 4);
  DrawingSettings settings;
  settings.pen.shape = 9;  // size 3
  DrawSizeSamples(image, settings);
  EXPECT_EQ(image.GetPixel(122 + 14 * 2, 10), 1);
  EXPECT_EQ(image.GetPixel(122 + 14 * 3, 10), 3);
}

TEST(ClipboardImageTest, TheCellGoesOutAsA16ColourBitmapBottomUp) {
  auto cell = GridCell({"012", "f84"});
  std::vector<uint8_t> dib(CellDibSize(*cell));
  ASSERT_EQ(dib.size(), 40u + 64u + 2u * 4u);
  WriteCellDib(*cell, dib.data());
  const std::vector<uint8_t> header{40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0,
                                    0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    16, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(dib.begin(), dib.begin() + 40), header);
  EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 44), (std::vector<uint8_t>{0xff, 0xff, 0xe1, 0}));
  EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40 + 60, dib.begin() + 104), (std::vector<uint8_t>{0, 0, 0xff, 0}));
  EXPECT_EQ(dib[104], 0xf8);  // the bottom row first
  EXPECT_EQ(dib[105] >> 4, 4);
  EXPECT_EQ(dib[108], 0x01);
  EXPECT_EQ(dib[109] >> 4, 2);
}

TEST(ClipboardImageTest, PicturesArriveInTheFourGreysWithTheKeyColourAsHoles) {
  int greys[5] = {};
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(PicturePixel(0xFFFFFF, x, y, false, 0), 4);
      EXPECT_EQ(PicturePixel(0x000000, x, y, false, 0), 1);
      ++greys[PicturePixel(0x808080, x, y, false, 0)];
      EXPECT_EQ(PicturePixel(0x00FF00, x, y, true, 0x00FF00), 0);
      EXPECT_NE(PicturePixel(0x00FF01, x, y, true, 0x00FF00), 0);
    }
  }
  EXPECT_EQ(greys[2], 8);  // level 24: half dark, half light grey
  EXPECT_EQ(greys[3], 8);
}

TEST(ClipboardImageTest, PicturesAreReadTileByTileAndTooLargeOnesAreRefused) {
  int reads = 0;
  auto stripes = [&](int32_t x, int32_t, uint32_t* pixels) {
    ++reads;
    for (int32_t i = 0; i < kPictureTile * kPictureTile; ++i)
      pixels[i] = (x + i % kPictureTile) % 2 ? 0x00FF00 : 0xFFFFFF;
  };
  auto picture = PictureCell(kPictureTile + 3, 2, stripes, true, 0x00FF00, 0);
  ASSERT_TRUE(picture);
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(GridOf(*picture)[1].substr(kPictureTile - 3), "040404");  // across the tiles
  EXPECT_EQ(GridOf(*PictureCell(4, 1, stripes, false, 0, 0))[0].find('0'), std::string::npos);
  // Protecting transparent protects every pixel of the new cell.
  EXPECT_EQ(GridOf(*PictureCell(4, 1, stripes, false, 0, 1))[0], "0000");
  reads = 0;
  for (const auto& [w, h] : {std::pair{1 << 30, 1 << 30}, std::pair{0x7FFFFFFF, 1}, std::pair{65536, 1}, std::pair{0, 5}})
    EXPECT_EQ(PictureCell(w, h, stripes, false, 0, 0), nullptr);
  EXPECT_EQ(reads, 0);
}

}  // namespace
