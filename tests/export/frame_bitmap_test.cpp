#include "export/frame_bitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/frame_buffer.h"
#include "files/palette_file.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/pixel_class.h"

namespace {

void Paint(RasterSurface& s, const std::vector<std::string>& rows) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      s.SetPixel(int32_t(x), int32_t(y), std::stoi(rows[y].substr(x, 1), nullptr, 16));
}

// A cut of the given canvas with one frame showing one layer's cell at (0, 0).
std::unique_ptr<Cut> OneCellCut(const std::vector<std::string>& rows, AntiAlias a) {
  const int32_t w = int32_t(rows[0].size()), h = int32_t(rows.size());
  auto cut = std::make_unique<Cut>(w, h, 24, "c", a);
  cut->AddFrame();
  cut->AddLayer(std::nullopt, w, h, nullptr);
  cut->PutLayerInFrames(0, 0, 0);
  Paint(*cut->LayerAt(0)->CellAt(0), rows);
  return cut;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> Le32(uint32_t v) {
  return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

}  // namespace

TEST(FrameBitmapTest, ExactBytesOfAnOddWidthExport) {
  auto cut = OneCellCut({"18402", "0A930"}, AntiAlias::kFull);
  FrameSurface view;
  std::vector<uint8_t> out;
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));

  std::vector<uint8_t> expected = {'B', 'M'};
  auto add = [&](std::vector<uint8_t> bytes) { expected.insert(expected.end(), bytes.begin(), bytes.end()); };
  add(Le32(126));
  add({0, 0, 0, 0});
  add(Le32(118));
  add(Le32(40));
  add(Le32(5));
  add(Le32(2));
  add({1, 0, 4, 0});
  add(Le32(0));
  add(Le32(0));
  add(Le32(0));
  add(Le32(0));
  add(Le32(16));
  add(Le32(0));
  // The 4-level ramp, then the greys a fresh frame buffer starts with, then black.
  const int palette[16] = {0, 85, 170, 255, 85, 107, 128, 149, 170, 192, 213, 234, 255, 0, 0, 0};
  for (int v : palette) add({uint8_t(v), uint8_t(v), uint8_t(v), 0});
  // Bottom row first: levels 3 2 1 2 3, then 0 0 3 3 1; 3 data bytes and 1 padding byte.
  add({0x32, 0x12, 0x30, 0x00});
  add({0x00, 0x33, 0x10, 0x00});
  EXPECT_EQ(out, expected);
  EXPECT_EQ(view.Width(), 5);  // the view was made at canvas size
}

TEST(FrameBitmapTest, CameraOutsideTheCanvasIsWhiteAndBrightnessShapesThePalette) {
  auto cut = OneCellCut({"11111111", "11111111", "11111111", "11111111"}, AntiAlias::kHalf);
  cut->SetFrameSize(6, 4);
  Frame* f = cut->FrameAt(0);
  f->SetPosition(4, -2);  // tone image 4 × 2; camera 3 × 2 at (2, -1)
  f->SetBrightness(0);
  FrameSurface view;
  std::vector<uint8_t> out;
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));
  ASSERT_EQ(out.size(), 118u + 2 * 4);
  EXPECT_EQ(U32At(out, 18), 3u);
  EXPECT_EQ(U32At(out, 22), 2u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(U32At(out, 54 + 4 * i), 0u) << i;  // brightness 0
  // Bottom output row = tone row 0: columns 2, 3 black, column 4 outside (white 12).
  EXPECT_EQ(out[118], 0x00);
  EXPECT_EQ(out[119], 0xC0);
  // Top output row = tone row -1: all white.
  EXPECT_EQ(out[122], 0xCC);
  EXPECT_EQ(out[123], 0xC0);

  f->SetBrightness(100);
  f->SetPosition(0, 0);
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(U32At(out, 54 + 4 * i), 0xFFFFFFu) << i;
}

TEST(FrameBitmapTest, QuarterSizeAndOnlyTheCurrentCellFlagApplies) {
  // Two layers: paper-white lower layer at full cover, a line block above.
  auto cut = OneCellCut(std::vector<std::string>(8, "44444444"), AntiAlias::kQuarter);
  cut->AddLayer(std::nullopt, 8, 8, nullptr);
  cut->PutLayerInFrames(1, 0, 0);
  Paint(*cut->LayerAt(1)->CellAt(0), {"8888"});  // 4 line pixels in the top-left block
  FrameSurface view;
  std::vector<uint8_t> out;
  cut->SetDisplayFlags(kOtherLayersPale);  // ignored by the export
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));
  ASSERT_EQ(out.size(), 118u + 2 * 4);
  // Block (0, 0): 12 white + 4 line = 36 → 9; block (1, 0): 48 → 12; second row the same
  // without line.
  EXPECT_EQ(out[118], 0xCC);  // bottom row (tone row 1)
  EXPECT_EQ(out[122], 0x9C);
  cut->SetDisplayFlags(kCurrentCellOnly);
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));
  EXPECT_EQ(out[122], 0x9C);  // the current entry is the top layer: paper counts as white
  cut->FrameAt(0)->SetCurrentLayer(0);
  cut->SetDisplayFlags(kCurrentCellOnly);
  ASSERT_TRUE(ExportFrameBitmap(*cut, 0, view, out));
  EXPECT_EQ(out[122], 0xCC);

  EXPECT_FALSE(ExportFrameBitmap(*cut, 1, view, out));
  EXPECT_FALSE(ExportFrameBitmap(*cut, -1, view, out));
  cut->SetFrameSize(3, 8);  // narrower than one output pixel
  EXPECT_FALSE(ExportFrameBitmap(*cut, 0, view, out));
}

TEST(FrameBitmapTest, FrameImageBitmapCarriesTheSurfaceColours) {
  FrameSurface image;
  ASSERT_TRUE(image.Create(3, 2, 0));
  image.SetPixel(0, 0, 24);
  image.SetPixel(2, 1, 7);
  const std::vector<uint8_t> out = EncodeFrameImageBitmap(image);
  ASSERT_EQ(out.size(), 54u + 100 + 2 * 4);
  EXPECT_EQ(U32At(out, 2), uint32_t(out.size()));
  EXPECT_EQ(U32At(out, 10), 154u);
  EXPECT_EQ(out[28], 8);
  EXPECT_EQ(U32At(out, 46), 25u);
  EXPECT_EQ(U32At(out, 54), 0xE1FFFFu);
  EXPECT_EQ(U32At(out, 54 + 4 * 24), 0xF2CECEu);
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 154, out.end()),
            (std::vector<uint8_t>{0, 0, 7, 0, 24, 0, 0, 0}));
}

TEST(PaletteFileTest, AcceptsOnlyEightBitUncompressedWithTwentySixColours) {
  std::vector<uint8_t> file(54 + 4 * 26, 0);
  file[0] = 'B', file[1] = 'M';
  file[28] = 8;
  file[46] = 26;
  for (int i = 0; i < 26; ++i) {
    file[54 + 4 * i] = uint8_t(i);       // blue
    file[54 + 4 * i + 1] = uint8_t(100);  // green
    file[54 + 4 * i + 2] = uint8_t(200 - i);
  }
  uint32_t colors[26] = {};
  ASSERT_TRUE(ParsePaletteFile(file.data(), file.size(), colors));
  EXPECT_EQ(colors[0], PackColor(200, 100, 0));
  EXPECT_EQ(colors[25], PackColor(175, 100, 25));

  auto rejects = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bad = file;
    bad[at] = value;
    uint32_t c[26] = {7};
    return !ParsePaletteFile(bad.data(), bad.size(), c) && c[0] == 7;
  };
  EXPECT_TRUE(rejects(46, 25));  // 25 colours used
  EXPECT_TRUE(rejects(28, 4));   // 4 bits per pixel
  EXPECT_TRUE(rejects(30, 1));   // run-length compressed
  EXPECT_TRUE(rejects(1, 'A'));
  EXPECT_FALSE(ParsePaletteFile(file.data(), file.size() - 1, colors));  // 26th entry cut short
  EXPECT_FALSE(ParsePaletteFile(nullptr, 0, colors));
}
