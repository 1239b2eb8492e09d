// orvina cut render and cut compose run as a user runs them, on cut files saved here.
#include <gtest/gtest.h>

#include "tests/cli/run_orvina.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/frame_bitmap.h"
#include "files/cut_file.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/pixel_class.h"

namespace {

namespace fs = std::filesystem;

using clitest::Orvina;
using clitest::OrvinaPath;
using clitest::Result;

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Two layers, two frames; the second frame darker, with its camera partly off the canvas.
std::unique_ptr<Cut> SampleCut() {
  auto cut = std::make_unique<Cut>(10, 6, 24, "sample", AntiAlias::kHalf);
  cut->SetFrameSize(8, 4);
  cut->AddFrame();
  cut->AddLayer(std::nullopt, 10, 6, nullptr);
  cut->PutLayerInFrames(0, 0, 0);
  cut->AddLayer(std::nullopt, 4, 3, nullptr);
  cut->PutLayerInFrames(1, 2, 1);
  cut->LayerAt(0)->CellAt(0)->Clear(kPixelWhite);
  RasterSurface* cell = cut->LayerAt(1)->CellAt(0);
  for (int x = 0; x < 4; ++x) cell->SetPixel(x, 1, kPixelLine);
  cell->SetPixel(0, 0, kPixelMinus1);
  cut->LayerAt(1)->InsertCellAfter(0, kPixelDark);
  Frame* second = cut->AddFrame();
  second->CopyFrom(*cut->FrameAt(0));
  second->SetPosition(6, 3);
  second->SetBrightness(20);
  second->EntryAt(1)->cell = 1;
  return cut;
}

class RenderCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(OrvinaPath())) GTEST_SKIP() << "orvina not built";
    dir_ = fs::temp_directory_path() / ("orvina_render_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    cut_ = SampleCut();
    ASSERT_TRUE(SaveCut(*cut_, (dir_ / "s.cut").string()));
    loaded_ = std::make_unique<Cut>(0, 0, 0, "", AntiAlias::kFull);
    ASSERT_TRUE(LoadCut(*loaded_, (dir_ / "s.cut").string(), nullptr));
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  std::string In() const { return (dir_ / "s.cut").string(); }
  std::string Out() const { return (dir_ / "o.bmp").string(); }

  fs::path dir_;
  std::unique_ptr<Cut> cut_, loaded_;
};

TEST_F(RenderCommands, RenderWritesTheEditorsExport) {
  for (int frame : {1, 2}) {
    const Result r = Orvina("cut render " + In() + " --frame " + std::to_string(frame) + " -o " + Out());
    ASSERT_EQ(r.status, 0) << r.out;
    FrameSurface view;
    std::vector<uint8_t> expected;
    ASSERT_TRUE(ExportFrameBitmap(*loaded_, frame - 1, view, expected));
    EXPECT_EQ(ReadAll(Out()), expected) << frame;
  }
  // The default is frame 1; the image is the camera size halved.
  ASSERT_EQ(Orvina("cut render " + In() + " -o " + Out()).status, 0);
  const std::vector<uint8_t> bmp = ReadAll(Out());
  ASSERT_GE(bmp.size(), 30u);
  EXPECT_EQ(bmp[18], 4);
  EXPECT_EQ(bmp[22], 2);
  EXPECT_EQ(bmp[28], 4);
}

TEST_F(RenderCommands, ComposeWritesTheViewImageWithFlagsAndCurrentLayer) {
  struct Case {
    std::string args;
    uint32_t flags;
    int32_t current;  // -1: as loaded
  } cases[] = {{"", 0, -1}, {" --flags 8 --current-layer 0", 8, 0}, {" --frame 2 --flags 3", 3, -1},
               {" --flags 0x14", 0x14, -1}};
  for (const Case& c : cases) {
    const Result r = Orvina("cut compose " + In() + c.args + " -o " + Out());
    ASSERT_EQ(r.status, 0) << c.args << ": " << r.out;
    Frame* frame = loaded_->FrameAt(c.args.find("--frame 2") != std::string::npos ? 1 : 0);
    const int32_t before = frame->CurrentLayer();
    if (c.current >= 0) frame->SetCurrentLayer(c.current);
    FrameSurface image;
    ASSERT_TRUE(image.Create(10, 6, 0));
    Compose(*frame, image, 0, 0, 10, 6, c.flags, nullptr);
    frame->SetCurrentLayer(before);
    EXPECT_EQ(ReadAll(Out()), EncodeFrameImageBitmap(image)) << c.args;
  }
}

TEST_F(RenderCommands, ErrorsNameTheFileAndTheLimit) {
  Result r = Orvina("cut render " + In() + " --frame 3 -o " + Out());
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out, In() + ": no frame 3 (the cut has 2 frames)\n");
  r = Orvina("cut compose " + In() + " --frame 0 -o " + Out());
  EXPECT_EQ(r.out, In() + ": no frame 0 (the cut has 2 frames)\n");
  r = Orvina("cut compose " + In() + " --current-layer 2 -o " + Out());
  EXPECT_EQ(r.out, In() + ": no entry 2 (frame 1 has 2 entries)\n");
  EXPECT_FALSE(fs::exists(Out()));
  r = Orvina("cut render " + (dir_ / "missing.cut").string() + " -o " + Out());
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(fs::exists(Out()));
}

}  // namespace
