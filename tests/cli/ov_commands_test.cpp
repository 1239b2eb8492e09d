// orvina decode, extract and info run as a user runs them, on files built here.
#include <gtest/gtest.h>

#include "tests/cli/run_orvina.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/anim/ov_stream_builder.h"

namespace {

namespace fs = std::filesystem;
using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Header;
using ovtest::Picture;

using clitest::Orvina;
using clitest::OrvinaPath;
using clitest::Result;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class OvCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(OrvinaPath())) GTEST_SKIP() << "orvina not built";
    dir_ = fs::temp_directory_path() / ("orvina_ov_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

std::string Line(int cut, int frame, int offset, int duration, int repeat, int brightness,
                 int viewX, int viewY, int x, int y, int w, int h) {
  char line[200];
  std::snprintf(line, sizeof line,
                "cut=%d frame=%d offset=%d duration=%d repeat=%d brightness=%d view=%d,%d rect=%d,%d,%d,%d\n",
                cut, frame, offset, duration, repeat, brightness, viewX, viewY, x, y, w, h);
  return line;
}

}  // namespace

TEST_F(OvCommands, DecodeOneLoopedPassOfATlFile) {
  // 7 frames of 16 × 8; frame 2 opens a loop of 3 that frame 5 closes; frame 3 unchanged.
  Picture p(16, 8, 3);
  std::vector<int32_t> at;
  const auto tl = ovtest::BuildTl(Header(16, 8), [&](CutCoder& c) {
    for (int i = 0; i < 7; ++i) {
      ov::FrameFields f = Fields(int16_t(i == 0 ? -2 : i + 1), int16_t(i == 0 || i == 5 ? 1 : i == 2 ? 3 : 0),
                                 uint8_t(40 + i));
      f.viewX = int16_t(i), f.viewY = int16_t(-i);
      if (i == 3) {
        c.Same(f);
      } else {
        p.FillRect(i * 2, 1, 3, 2, uint8_t(i % 3));
        c.Frame(f, p);
      }
    }
    at = c.frameOffsets;
  });
  WriteAll(Path("loop.tl"), tl);
  const Result r = Orvina("decode " + Path("loop.tl"));
  ASSERT_EQ(r.status, 0) << r.out;
  // Changed rectangles as the builder found them (left edges even).
  const int rects[7][4] = {{0, 0, 16, 8}, {2, 1, 3, 2}, {4, 1, 3, 2}, {0, 0, 0, 0},
                           {8, 1, 3, 2},  {10, 1, 3, 2}, {12, 1, 3, 2}};
  std::string expected;
  for (int f : {0, 1, 2, 3, 4, 2, 3, 4, 2, 3, 4, 5, 6}) {
    const int duration = f == 0 ? 2 : f + 1;  // the first frame plays positive
    const int repeat = f == 0 || f == 5 ? 1 : f == 2 ? 3 : 0;
    const int* rc = rects[f];
    expected += Line(0, f + 1, at[size_t(f)], duration, repeat, 40 + f, f, -f, rc[0], rc[1], rc[2], rc[3]);
  }
  EXPECT_EQ(r.out, expected);

  // --frames goes on past the restart.
  const Result more = Orvina("decode --frames 15 " + Path("loop.tl"));
  ASSERT_EQ(more.status, 0);
  EXPECT_EQ(more.out, expected + Line(0, 1, at[0], 2, 1, 40, 0, 0, 0, 0, 16, 8) +
                          Line(0, 2, at[1], 2, 0, 41, 1, -1, 2, 1, 3, 2));
}

TEST_F(OvCommands, DecodeExtractAndInfoOfATwoCutFilm) {
  Picture a(8, 4, 1), b(6, 6, 12);
  std::vector<int32_t> atA, atB;
  const auto tlA = ovtest::BuildTl(Header(8, 4, 4, 10, "one"), [&](CutCoder& c) {
    c.Frame(Fields(3, 1), a);
    a.FillRect(0, 0, 2, 2, 3);
    c.Frame(Fields(4), a);
    atA = c.frameOffsets;
  });
  const auto tlB = ovtest::BuildTl(Header(6, 6, 13, 30, "two"), [&](CutCoder& c) {
    c.Frame(Fields(5, 1, 0), b);
    atB = c.frameOffsets;
  });
  const auto film = ovtest::BuildOv({tlA, tlB}, "t", "a", 20, 10);
  WriteAll(Path("film.ov"), film);
  const int32_t cutA = 6 + 2 + 2 + 4 + 4 + 2 + 8, cutB = cutA + int32_t(tlA.size()) - 6;

  const Result r = Orvina("decode " + Path("film.ov") + " --frames 4 --out " + Path("frames"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, Line(0, 1, atA[0] - 6 + cutA, 3, 1, 50, 0, 0, 0, 0, 8, 4) +
                       Line(0, 2, atA[1] - 6 + cutA, 4, 0, 50, 0, 0, 0, 0, 2, 2) +
                       Line(1, 1, atB[0] - 6 + cutB, 5, 1, 0, 0, 0, 0, 0, 6, 6) +
                       Line(0, 1, atA[0] - 6 + cutA, 3, 1, 50, 0, 0, 0, 0, 8, 4));
  // Frame 1 as a bitmap: 8 × 4, 24 bits, bottom-up; pixel (0, 0) is level 3 = white.
  const auto bmp = ReadAll(dir_ / "frames" / "frame_00001.bmp");
  ASSERT_EQ(bmp.size(), 54u + 4 * 24);
  EXPECT_EQ(bmp[18], 8);
  EXPECT_EQ(bmp[22], 4);
  EXPECT_EQ(bmp[28], 24);
  const size_t topLeft = 54 + 3 * 24;
  EXPECT_EQ(bmp[topLeft], 255);
  EXPECT_EQ(bmp[topLeft + 3 * 3], 85);  // (3, 0) level 1
  // Frame 2 at brightness 0: black.
  const auto dark = ReadAll(dir_ / "frames" / "frame_00002.bmp");
  ASSERT_EQ(dark.size(), 54u + 6 * 20);
  for (size_t i = 54; i < dark.size(); ++i) EXPECT_EQ(dark[i], 0);
  EXPECT_TRUE(fs::exists(dir_ / "frames" / "frame_00003.bmp"));
  EXPECT_FALSE(fs::exists(dir_ / "frames" / "frame_00004.bmp"));

  for (int k = 0; k < 2; ++k) {
    const std::string out = Path("cut" + std::to_string(k) + ".tl");
    const Result e = Orvina("extract " + Path("film.ov") + " --cut " + std::to_string(k) + " -o " + out);
    ASSERT_EQ(e.status, 0) << e.out;
    EXPECT_EQ(ReadAll(out), k == 0 ? tlA : tlB);
  }
  const Result none = Orvina("extract " + Path("film.ov") + " --cut 2 -o " + Path("x.tl"));
  EXPECT_NE(none.status, 0);
  EXPECT_EQ(none.out, Path("film.ov") + ": no cut 2 (the file has 2)\n");
  EXPECT_FALSE(fs::exists(Path("x.tl")));

  const Result info = Orvina("info " + Path("film.ov"));
  ASSERT_EQ(info.status, 0) << info.out;
  const std::string expected = "{\n  \"magic\": \"OV\",\n  \"length\": " + std::to_string(film.size()) +
                               ",\n  \"fileLength\": " + std::to_string(film.size()) +
                               ",\n  \"title\": \"t\",\n  \"author\": \"a\",\n  \"screen\": [20, 10],\n"
                               "  \"largestImage\": [8, 6],\n  \"cutTable\": [" + std::to_string(cutA) + ", " +
                               std::to_string(cutB) + "],\n  \"cuts\": [\n";
  EXPECT_EQ(info.out.substr(0, expected.size()), expected);
  EXPECT_NE(info.out.find("\"credit\": \"two\",\n      \"image\": [6, 6],\n      \"view\": [6, 6],\n"
                          "      \"fps\": 30,\n      \"levels\": 13,\n      \"frames\": 1\n"),
            std::string::npos)
      << info.out;
}

TEST_F(OvCommands, DamagedFilesFailWithOneLine) {
  WriteAll(Path("junk.ov"), {'X', 'Y', 1, 2, 3});
  for (const std::string& command : {std::string("decode "), std::string("info "), "extract --cut 0 -o " + Path("o.tl") + " "}) {
    const Result r = Orvina(command + Path("junk.ov"));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, Path("junk.ov") + ": not a playable OV or TL file\n");
  }
  // Cut short: info says so, decode plays what there is.
  const auto tl = ovtest::BuildTl(Header(8, 8), [&](CutCoder& c) {
    c.Frame(Fields(1), Picture(8, 8, 2));
    c.Frame(Fields(1), Picture(8, 8, 1));
  });
  WriteAll(Path("short.tl"), std::vector<uint8_t>(tl.begin(), tl.end() - 3));
  const Result info = Orvina("info " + Path("short.tl"));
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.out.find("\"frames\": 1,\n      \"damaged\": \"the last frame record is cut short\""),
            std::string::npos)
      << info.out;
  const Result decode = Orvina("decode " + Path("short.tl"));
  EXPECT_EQ(decode.status, 0);
  EXPECT_EQ(std::count(decode.out.begin(), decode.out.end(), '\n'), 2);
}
