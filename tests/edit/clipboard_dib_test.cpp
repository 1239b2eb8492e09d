// Clipboard bitmaps of every header, depth and coding read as ImageMagick reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "edit/clipboard_dib.h"
#include "edit/clipboard_image.h"
#include "tests/cli/run_orvina.h"
#include "tests/files/scratch_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kW = 37, kH = 23;

uint32_t SourceColor(int32_t x, int32_t y) {
  return uint32_t(x * 7) << 16 | uint32_t(y * 11) << 8 | uint32_t((x * y) & 0xFF);
}

uint32_t Get32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class ClipboardDib : public ScratchDir {
 protected:
  // The picture ImageMagick writes with `args` as FORMAT:file, as the clipboard holds it
  // (the file header taken off), and the colours ImageMagick reads back from it.
  bool Make(const std::string& format, const std::string& args, Bytes* dib, std::vector<uint32_t>* colors) {
    std::string ppm = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const uint32_t c = SourceColor(x, y);
        ppm += char(c >> 16), ppm += char(c >> 8), ppm += char(c);
      }
    Write("source.ppm", ppm);
    const std::string bmp = At("picture.bmp");
    if (clitest::Shell("convert " + At("source.ppm") + " " + args + " " + format + ":" + bmp).status != 0) return false;
    const Bytes file = clitest::ReadBytes(bmp);
    if (file.size() < 18 || Get32(file, 10) < 14) return false;
    dib->assign(file.begin() + 14, file.end());
    const std::string rgb = clitest::Shell("convert " + bmp + " -depth 8 rgb:-", false).out;
    if (rgb.size() != size_t(kW * kH * 3)) return false;
    colors->clear();
    for (size_t i = 0; i < rgb.size(); i += 3)
      colors->push_back(uint32_t(uint8_t(rgb[i])) << 16 | uint32_t(uint8_t(rgb[i + 1])) << 8 | uint8_t(rgb[i + 2]));
    return true;
  }

  static void ExpectReadsAs(const Bytes& dib, const std::vector<uint32_t>& colors, int32_t w, const std::string& what) {
    DibPicture picture;
    ASSERT_TRUE(picture.Open(dib.data(), dib.size())) << what;
    const int32_t h = int32_t(colors.size()) / w;
    ASSERT_EQ(picture.Width(), w) << what;
    ASSERT_EQ(picture.Height(), h) << what;
    int wrong = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (picture.Pixel(x, y) != colors[size_t(y * w + x)] && wrong++ < 3)
          ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex << picture.Pixel(x, y)
                        << " not " << colors[size_t(y * w + x)];
    // And through to the cell the editor pastes.
    auto read = [&](int32_t tx, int32_t ty, uint32_t* px) {
      for (int32_t y = 0; y < kPictureTile; ++y)
        for (int32_t x = 0; x < kPictureTile; ++x, ++px)
          *px = tx + x < w && ty + y < h ? colors[size_t((ty + y) * w + tx + x)] : 0;
    };
    const auto expected = PictureCell(w, h, read, true, colors[0], 0);
    const auto cell = DibPictureCell(dib.data(), dib.size(), true, colors[0], 0);
    ASSERT_TRUE(cell && expected) << what;
    EXPECT_EQ(std::memcmp(cell->Row(0), expected->Row(0), expected->ByteSize()), 0) << what;
  }
};

TEST_F(ClipboardDib, EveryHeaderDepthAndCodingReadsAsImageMagickReadsIt) {
  struct Variant {
    const char* format;
    const char* args;
  };
  const Variant variants[] = {
      {"BMP2", "-type Palette -colors 16"},                  // 12-byte header, 3-byte colours
      {"BMP2", "-type TrueColor"},                           // 12-byte header, 24 bits
      {"BMP3", "-type Bilevel"},                             // 1 bit
      {"BMP3", "-type Palette -colors 16"},                  // 4 bits
      {"BMP3", "-type Palette -colors 200 -compress None"},  // 8 bits
      {"BMP3", "-type Palette -colors 200 -compress RLE"},   // 8-bit runs
      {"BMP3", "-type TrueColor"},                           // 24 bits
      {"BMP", "-type TrueColorAlpha"},                       // 124-byte header, 32-bit masks
      {"BMP", "-define bmp:subtype=RGB565"},                 // 16-bit masks
      {"BMP", "-define bmp:subtype=RGB555"},
      {"BMP", "-type Palette -colors 4"},
  };
  for (const Variant& v : variants) {
    const std::string what = std::string(v.format) + " " + v.args;
    Bytes dib;
    std::vector<uint32_t> colors;
    ASSERT_TRUE(Make(v.format, v.args, &dib, &colors)) << what;
    ExpectReadsAs(dib, colors, kW, what);

    if (what == "BMP3 -type TrueColor") {
      // The same rows top-down, told by a negative height.
      Bytes flipped(dib.begin(), dib.begin() + 40);
      Put32(flipped, 8, uint32_t(-kH));
      const size_t stride = (size_t(kW) * 3 + 3) & ~size_t(3);
      for (int32_t y = kH - 1; y >= 0; --y)
        flipped.insert(flipped.end(), dib.begin() + 40 + std::ptrdiff_t(size_t(y) * stride),
                       dib.begin() + 40 + std::ptrdiff_t(size_t(y + 1) * stride));
      ExpectReadsAs(flipped, colors, kW, what + ", top-down");
    }
    if (what == "BMP -define bmp:subtype=RGB565") {
      // The masks after a 40-byte header.
      Bytes short_(dib.begin(), dib.begin() + 52);
      Put32(short_, 0, 40);
      short_.insert(short_.end(), dib.begin() + std::ptrdiff_t(Get32(dib, 0)), dib.end());
      ExpectReadsAs(short_, colors, kW, what + ", masks after a 40-byte header");
    }
  }

  // 4-bit runs, 5 × 3 from the bottom row up: a run of two alternating indexes, the row's
  // end, three indexes as they stand, a move right and up, a run cut at the right edge,
  // the picture's end. What no run drew is black.
  Bytes rle(40 + 16 * 4, 0);
  Put32(rle, 0, 40), Put32(rle, 4, 5), Put32(rle, 8, 3);
  rle[12] = 1, rle[14] = 4, rle[16] = 2;
  Put32(rle, 40 + 4 * 1, 0xFF0000), Put32(rle, 40 + 4 * 2, 0x00FF00), Put32(rle, 40 + 4 * 3, 0x0000FF);
  const uint8_t runs[] = {5, 0x12, 0, 0, 0, 3, 0x32, 0x00, 0, 2, 1, 1, 3, 0x23, 0, 1};
  rle.insert(rle.end(), std::begin(runs), std::end(runs));
  const std::vector<uint32_t> expected = {
      0x000000, 0x000000, 0x000000, 0x000000, 0x00FF00,  //
      0x0000FF, 0x00FF00, 0x000000, 0x000000, 0x000000,  //
      0xFF0000, 0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000,  //
  };
  ExpectReadsAs(rle, expected, 5, "4-bit runs");
}

TEST_F(ClipboardDib, DamagedOrForeignBitmapsAreRefused) {
  Bytes dib;
  std::vector<uint32_t> colors;
  ASSERT_TRUE(Make("BMP3", "-type TrueColor", &dib, &colors));
  DibPicture picture;
  for (size_t cut : {size_t(0), size_t(3), size_t(39), size_t(40), dib.size() - 1})
    EXPECT_FALSE(picture.Open(dib.data(), cut)) << cut << " bytes";
  auto refused = [&](size_t at, uint32_t value) {
    Bytes bad = dib;
    Put32(bad, at, value);
    return !picture.Open(bad.data(), bad.size()) && picture.Width() == 0;
  };
  EXPECT_TRUE(refused(0, 64));          // an OS/2 header
  EXPECT_TRUE(refused(4, 0));           // no width
  EXPECT_TRUE(refused(4, 70000));       // wider than any cell
  EXPECT_TRUE(refused(8, 0x80000000));  // the height that has no opposite
  EXPECT_TRUE(refused(16, 4));          // JPEG inside
  EXPECT_TRUE(refused(16, 5));          // PNG inside
  EXPECT_TRUE(refused(32, 0xFFFFFFFF)); // more colours than bytes
}

}  // namespace
