// orvina import against scans that ImageMagick makes: lines drawn on noisy, yellowed,
// slightly turned paper at 300 dpi, in every format read; and a folder of numbered drawings
// with gaps, skips and an existing cut.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "edit/cut_editing.h"
#include "files/cut_file.h"
#include "model/cut.h"
#include "model/layer.h"
#include "tests/cli/run_orvina.h"
#include "tests/edit/shown_cells.h"

namespace {

namespace fs = std::filesystem;
using clitest::Orvina;
using clitest::Result;
using clitest::Shell;

const std::string kMagick = "/usr/bin/convert";
constexpr int kScanWidth = 600, kScanHeight = 450;

class ImportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(clitest::OrvinaPath())) << "orvina is not built";
    ASSERT_EQ(access(kMagick.c_str(), X_OK), 0) << "ImageMagick is missing: run scripts/setup.sh";
    dir_ = fs::temp_directory_path() /
           ("orvina_import_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "in");
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Magick(const std::string& args) const {
    const Result r = Shell(kMagick + " " + args);
    ASSERT_EQ(r.status, 0) << "convert " << args << "\n" << r.out;
  }
  // The grey bytes of a picture as ImageMagick reads it, w × h expected.
  std::vector<uint8_t> GreyOf(const std::string& args, size_t pixels) const {
    const Result r = Shell(kMagick + " " + args + " -colorspace gray -depth 8 gray:-", false);
    EXPECT_EQ(r.out.size(), pixels) << args;
    return std::vector<uint8_t>(r.out.begin(), r.out.end());
  }
  std::unique_ptr<Cut> Load(const std::string& name) const {
    auto cut = std::make_unique<Cut>(1, 1, 24, std::string(), AntiAlias::kFull);
    std::string why;
    EXPECT_TRUE(LoadCut(*cut, Path(name), nullptr, &why)) << name << ": " << why;
    return cut;
  }

  fs::path dir_;
};

// How the cell agrees with drawn lines (grey, 0 ink .. 255 paper): the share of the lines'
// core (at least 3/4 ink) that became line pixels, and how many pixels are not transparent
// though they lie more than `reach` pixels from any ink.
struct Agreement {
  double covered = 0;
  int strays = 0;
};
Agreement Compare(const RasterSurface& cell, const std::vector<uint8_t>& drawn, int reach) {
  const int32_t w = cell.Width(), h = cell.Height();
  std::vector<uint8_t> near(drawn.size(), 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if (drawn[size_t(y * w + x)] < 250)
        for (int32_t ny = std::max(0, y - reach); ny <= std::min(h - 1, y + reach); ++ny)
          for (int32_t nx = std::max(0, x - reach); nx <= std::min(w - 1, x + reach); ++nx) near[size_t(ny * w + nx)] = 1;
  int core = 0, hit = 0;
  Agreement a;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int v = cell.GetPixel(x, y);
      if (drawn[size_t(y * w + x)] < 64) ++core, hit += v == 8;
      if (v != 0 && !near[size_t(y * w + x)]) ++a.strays;
    }
  a.covered = core ? double(hit) / core : 0;
  return a;
}

// Puts an EXIF block holding only the orientation tag right after the JPEG's start marker.
void AddExifOrientation(const fs::path& jpeg, uint8_t orientation) {
  std::vector<uint8_t> bytes = clitest::ReadBytes(jpeg);
  ASSERT_GE(bytes.size(), 2u);
  const std::vector<uint8_t> app1 = {
      0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0,  // APP1, its length, "Exif"
      'I', 'I', 42, 0, 8, 0, 0, 0,                 // TIFF header, little-endian, IFD at 8
      1, 0,                                        // one entry:
      0x12, 0x01, 3, 0, 1, 0, 0, 0, orientation, 0, 0, 0,  // orientation, SHORT, 1 value
      0, 0, 0, 0};                                 // no next IFD
  bytes.insert(bytes.begin() + 2, app1.begin(), app1.end());
  clitest::WriteBytes(jpeg, bytes);
}

TEST_F(ImportCommand, ScansInEveryFormatBecomeTheirDrawnLines) {
  // The drawing, turned 1.5°, and the scan: yellowed, grainy paper, the lines in graphite
  // grey, three specks of dust, a little blur.
  Magick("-size 600x450 xc:white -fill none -stroke black -strokewidth 7 -draw \"line 40,60 560,90\" "
         "-draw \"ellipse 300,250 150,110 0,360\" -draw \"bezier 60,400 200,300 400,440 560,330\" "
         "-virtual-pixel white -distort SRT 1.5 " + Path("lines.png"));
  Magick("-size 600x450 xc:\"#efe3bd\" -attenuate 0.6 +noise Gaussian \\( " + Path("lines.png") +
         " +level 12%,100% \\) -compose multiply -composite -fill \"#3a3530\" -stroke none "
         "-draw \"rectangle 100,200 101,201\" -draw \"rectangle 520,200 521,201\" -draw \"point 80,30\" "
         "-blur 0x0.6 -density 300 -units PixelsPerInch " + Path("scan.png"));
  const std::string scan = Path("scan.png");
  const std::vector<std::pair<std::string, std::string>> formats = {
      {"scan.png", ""},
      {"scan16.png", "-depth 16"},
      {"scan.jpg", "-quality 90"},
      {"scan.tif", "-compress lzw"},
      {"cmyk.jpg", "-colorspace CMYK -quality 92"},
      // Stored turned a quarter left; the EXIF orientation (added below) turns it upright.
      {"exif.jpg", "-rotate -90 -quality 92"},
  };
  const std::vector<uint8_t> drawn = GreyOf(Path("lines.png"), kScanWidth * kScanHeight);
  for (const auto& [name, options] : formats) {
    SCOPED_TRACE(name);
    if (name != "scan.png") Magick(scan + " " + options + " " + Path(name));
    if (name == "exif.jpg") AddExifOrientation(dir_ / name, 6);
    const Result r = Orvina("import --new 600,450 --layer ink --scale none --despeckle 12 " + Path(name) +
                            " -o " + Path(name + ".cut"));
    ASSERT_EQ(r.status, 0) << r.out;
    auto cut = Load(name + ".cut");
    ASSERT_EQ(cut->LayerCount(), 1);
    const Agreement a = Compare(*cut->LayerAt(0)->CellAt(0), drawn, 2);
    EXPECT_GE(a.covered, 0.99);
    EXPECT_EQ(a.strays, 0);
  }
  // Without --despeckle the dust stays; fitted to half the size, the lines agree with
  // ImageMagick's area average of the drawing.
  ASSERT_EQ(Orvina("import --new 600,450 --layer ink " + scan + " -o " + Path("specks.cut")).status, 0);
  EXPECT_GE(Compare(*Load("specks.cut")->LayerAt(0)->CellAt(0), drawn, 2).strays, 8);
  ASSERT_EQ(Orvina("import --new 300,225 --layer ink --despeckle 4 " + scan + " -o " + Path("half.cut")).status, 0);
  const Agreement half = Compare(*Load("half.cut")->LayerAt(0)->CellAt(0),
                                 GreyOf(Path("lines.png") + " -filter box -resize 300x225", 300 * 225), 1);
  EXPECT_GE(half.covered, 0.99);
  EXPECT_EQ(half.strays, 0);
}

TEST_F(ImportCommand, NumberedFolderWithGapsAndSkipsIntoAnExistingCut) {
  // A cut of three frames showing a drawn "paper" layer; the second frame runs for 3.
  {
    Cut cut(60, 40, 24, "", AntiAlias::kFull);
    cut.AddFrame();
    AddLayerToFrames(cut, std::string("paper"), 60, 40, std::make_pair(0, 0), nullptr, false);
    for (int32_t x = 0; x < 60; ++x) cut.LayerAt(0)->CellAt(0)->SetPixel(x, x % 40, 1 + x % 4);
    AddFrameCopy(cut);
    cut.CurrentFrameObject()->SetTime(3);
    AddFrameCopy(cut);
    ASSERT_TRUE(SaveCut(cut, Path("base.cut")));
  }
  // Drawings 1, 3, 4, 6 and 7 in five formats; 5 is damaged, 7 comes twice, and a note.
  const std::string draw = "-size 120x80 xc:white -fill none -stroke black -strokewidth 4 -draw ";
  Magick(draw + "\"line 10,10 110,70\" " + Path("in/walk_0001.png"));
  Magick(draw + "\"line 10,70 110,10\" " + Path("in/walk_0003.png"));
  Magick(draw + "\"circle 60,40 60,10\" " + Path("in/walk_0004.jpg"));
  Magick(draw + "\"line 60,5 60,75\" " + Path("in/walk_0006.bmp"));
  Magick(draw + "\"line 5,40 115,40\" " + Path("in/walk_0007.gif"));
  Magick(Path("in/walk_0007.gif") + " " + Path("in/walk_0007.tif"));
  clitest::WriteBytes(dir_ / "in/walk_0005.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0});
  clitest::WriteBytes(dir_ / "in/notes.txt", {'h', 'i'});

  // Skipped files are listed with their reasons, and nothing is written.
  const std::string in = Path("in");
  Result r = Orvina("import " + Path("base.cut") + " --layer ink --on 2 " + in + " -o " + Path("out.cut"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find(in + "/notes.txt: skipped: not a picture file (.txt)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(in + "/walk_0005.png: skipped: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(in + "/walk_0007.tif: skipped: number 7 is " + in + "/walk_0007.gif's\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("import: 3 files skipped; nothing written (--allow-skips writes the rest)\n"),
            std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Path("out.cut")));

  // Allowed: on twos, the gaps (4 and the damaged 5) empty, reported as JSON.
  r = Shell(clitest::OrvinaPath().string() + " import " + Path("base.cut") + " --layer ink --on 2 --gaps empty " +
                "--allow-skips --report " + in + " -o " + Path("out.cut"),
            false);
  ASSERT_EQ(r.status, 0) << r.out;
  const auto report = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << r.out;
  EXPECT_EQ(report["frames"], (nlohmann::json{{"first", 1}, {"last", 14}, {"added", 11}}));
  ASSERT_EQ(report["placed"].size(), 5u);
  EXPECT_EQ(report["placed"][2]["file"], in + "/walk_0004.jpg");
  EXPECT_EQ(report["placed"][2]["frames"], nlohmann::json::array({7, 8}));
  EXPECT_EQ(report["placed"][0]["levels"]["white"], 255);
  EXPECT_LT(report["placed"][0]["levels"]["black"], 64);
  EXPECT_EQ(report["skipped"].size(), 3u);
  auto out = Load("out.cut");
  ASSERT_EQ(out->LayerCount(), 2);
  EXPECT_EQ(ShownCells(*out, out->LayerAt(1)), "0 0 ~0 ~0 1 1 2 2 ~2 ~2 3 3 4 4");
  EXPECT_EQ(ShownCells(*out, out->LayerAt(0)), "0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  EXPECT_EQ(out->FrameAt(1)->Time(), 3);
  // Each drawing, halved into the 60 × 40 layer, has its line.
  for (int32_t c = 0; c < 5; ++c) {
    int lines = 0;
    const RasterSurface& cell = *out->LayerAt(1)->CellAt(c);
    for (int32_t y = 0; y < 40; ++y)
      for (int32_t x = 0; x < 60; ++x) lines += cell.GetPixel(x, y) == 8;
    EXPECT_GE(lines, 60) << "cell " << c;
    EXPECT_LE(lines, 300) << "cell " << c;
  }
  // The other layer is kept byte for byte.
  auto paperOf = [&](const std::string& cut) {
    const Result info = Shell(clitest::OrvinaPath().string() + " cut info --cells " + Path(cut), false);
    return nlohmann::json::parse(info.out, nullptr, false)["layers"][0].dump();
  };
  EXPECT_EQ(paperOf("out.cut"), paperOf("base.cut"));

  // Gaps held, into a new cut; and the preview of one drawing with its levels.
  ASSERT_EQ(Orvina("import --new 60,40 --layer ink --allow-skips --on 2 " + in + " -o " + Path("new.cut")).status, 0);
  auto made = Load("new.cut");
  EXPECT_EQ(ShownCells(*made, made->LayerAt(0)), "0 0 0 0 1 1 2 2 2 2 3 3 4 4");
  r = Shell(clitest::OrvinaPath().string() + " import --preview " + in + "/walk_0001.png --new 60,40 --report -o " +
                Path("preview.png"),
            false);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\"size\": [60, 40]"), std::string::npos) << r.out;
  EXPECT_EQ(Shell("identify -format '%wx%h %k' " + Path("preview.png")).out, "60x40 2");
}

}  // namespace
