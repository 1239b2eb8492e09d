// The pen chooser's palette and the clipboard's bitmaps, without their windows.
#include <gtest/gtest.h>

#include "edit/clipboard_image.h"
#include "edit/pen_chooser_layout.h"
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
  for (const auto& [w, h] : {std::pair{1 << 30, 1 << 30}, std::pair{0x7FFFFFFF, 1},
                             std::pair{65536, 1}, std::pair{0, 5}})
    EXPECT_EQ(PictureCell(w, h, stripes, false, 0, 0), nullptr);
  EXPECT_EQ(reads, 0);
}

}  // namespace
