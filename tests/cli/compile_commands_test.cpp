// orvina cut compile and film compile run as a user runs them, on files saved here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "anim/frame_buffer.h"
#include "anim/frame_encoder.h"
#include "files/cut_file.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "tests/anim/cut_generator.h"
#include "tests/cli/run_orvina.h"
#include "tests/files/scratch_dir.h"

namespace {

using clitest::Orvina;
using clitest::OrvinaPath;
using clitest::Result;

std::string Compile(Cut& cut, int32_t first, int32_t last) {
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream out;
  EXPECT_TRUE(FrameEncoder(out, buffer).Encode(cut, work, first, last));
  std::string bytes(size_t(out.Length()), '\0');
  out.CopyTo(reinterpret_cast<uint8_t*>(bytes.data()));
  return bytes;
}

class CompileCommands : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    if (!std::filesystem::exists(OrvinaPath())) GTEST_SKIP() << "orvina not built";
  }
  Cut& Saved(const std::string& name, uint32_t seed) {
    cutgen::Options o;
    o.antiAlias = AntiAlias(seed % 3);
    o.frames = 4;
    cuts_.push_back(cutgen::MakeCut(seed, o));
    EXPECT_TRUE(SaveCut(*cuts_.back(), At(name)));
    return *cuts_.back();
  }
  std::vector<std::unique_ptr<Cut>> cuts_;
};

TEST_F(CompileCommands, CutCompileWritesTheWholeCutOrOneFrame) {
  Cut& cut = Saved("a.cut", 1);
  Result r = Orvina("cut compile " + At("a.cut") + " -o " + At("a.tl"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Read("a.tl"), Compile(cut, 0, 3));
  r = Orvina("cut compile " + At("a.cut") + " -o " + At("f3.tl") + " --frame 3");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Read("f3.tl"), Compile(cut, 2, 2));
  r = Orvina("cut compile " + At("a.cut") + " -o " + At("no.tl") + " --frame 5");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("no frame 5 (the cut has 4 frames)"), std::string::npos) << r.out;
  EXPECT_FALSE(Exists("no.tl"));
  Cut empty(8, 8, 12, "", AntiAlias::kFull);
  ASSERT_TRUE(SaveCut(empty, At("empty.cut")));
  r = Orvina("cut compile " + At("empty.cut") + " -o " + At("no.tl"));
  EXPECT_NE(r.out.find("the cut has no frames"), std::string::npos) << r.out;
}

TEST_F(CompileCommands, FilmCompileReportsEachCutAndStopsAtABrokenOne) {
  Saved("one.cut", 2);
  Saved("two.cut", 3);
  Write("f.flm", "Film\nme\n64, 40\none.cut\ntwo.cut\n");
  Result r = Orvina("film compile " + At("f.flm") + " -o " + At("f.ov") + " --progress");
  EXPECT_EQ(r.status, 0) << r.out;
  // How much of the folder is shown depends on the current folder; the names and what
  // happened to each cut do not.
  const size_t second = r.out.find("\ncut 2: ");
  ASSERT_NE(second, std::string::npos) << r.out;
  EXPECT_EQ(r.out.rfind("cut 1: ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("one.cut, 4 frames, cache rebuilt\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("two.cut, 4 frames, cache rebuilt\n", second), std::string::npos) << r.out;
  EXPECT_TRUE(Exists("one.tl") && Exists("two.tl"));
  const std::string ov = Read("f.ov");
  EXPECT_EQ(ov.substr(0, 2), "OV");
  EXPECT_EQ(ov.size(), Read("one.tl").size() - 6 + Read("two.tl").size() - 6 + 2 + 4 + 5 + 3 + 8 + 2 + 8);

  Write("bad.flm", "Film\nme\n64, 40\none.cut\nmissing.cut\ntwo.cut\n");
  r = Orvina("film compile " + At("bad.flm") + " -o " + At("bad.ov"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("missing.cut: cannot load the cut: cannot open the file (the export stopped at cut 2)"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(Exists("bad.ov"));  // a failed export leaves no OV file behind
  r = Orvina("film compile " + At("f.flm") + " -o " + At("one.cut"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(Read("one.cut").substr(0, 12), "OV");
}

}  // namespace
