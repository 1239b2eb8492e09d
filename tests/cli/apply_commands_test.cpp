// orvina cut apply run as a user runs it, on cuts made with orvina cut build.
#include <gtest/gtest.h>

#include "tests/cli/run_orvina.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

using clitest::Orvina;
using clitest::OrvinaPath;
using clitest::Result;

// A 16 × 10 canvas; layer 0 is a 12 × 8 box of line with an underdrawing dot inside, layer 1
// an empty 12 × 8 cell above it; one frame shows both at (2, 1).
const char* kBaseCut = R"({ "canvas": [16, 10], "fps": 24,
  "layers": [
    {"name": "back", "size": [12, 8], "cells": [[
      "888888888888", "800000000008", "800000000008", "800050000008",
      "800000000008", "800000000008", "800000000008", "888888888888"]]},
    {"name": "top", "size": [12, 8], "cells": [[
      "000000000000", "000000000000", "000000000000", "000000000000",
      "000000000000", "000000000000", "000000000000", "000000000000"]]}],
  "frames": [{"entries": [{"layer": 0, "cell": 0, "position": [2, 1]},
                          {"layer": 1, "cell": 0, "position": [2, 1]}]}]})";

class ApplyCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(OrvinaPath())) GTEST_SKIP() << "orvina not built";
    dir_ = fs::temp_directory_path() /
           ("orvina_apply_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    Write("base.json", kBaseCut);
    ASSERT_EQ(Orvina("cut build " + Path("base.json") + " -o " + Path("base.cut")).status, 0);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name) << text;
  }
  // Applies the script and reads the result back as JSON.
  json Apply(const std::string& script, std::string* printed = nullptr) {
    Write("script.json", script);
    const Result r = Orvina("cut apply " + Path("base.cut") + " " + Path("script.json") + " -o " +
                            Path("out.cut") + " --print");
    EXPECT_EQ(r.status, 0) << r.out;
    if (printed) *printed = r.out;
    const Result info = Orvina("cut info --cells " + Path("out.cut"));
    EXPECT_EQ(info.status, 0) << info.out;
    return json::parse(info.out, nullptr, false);
  }
  static std::vector<std::string> Cell(const json& cut, int layer, int cell = 0) {
    return cut["layers"][layer]["cells"][cell].get<std::vector<std::string>>();
  }
  fs::path dir_;
};

using Grid = std::vector<std::string>;

TEST_F(ApplyCommand, StrokesFillsAndPickedPens) {
  std::string printed;
  const json cut = Apply(R"({ "entry": 0, "pen": {"density": 8, "colorA": 2, "colorB": 3},
    "ops": [ {"op": "fill", "at": [3, 3]},
             {"op": "pickPen", "at": [6, 5]},
             {"op": "pen", "density": 0, "colorB": 1},
             {"op": "line", "from": [1, 1], "to": [4, 1]},
             {"op": "rect", "rect": [6, 4, 3, 2], "filled": true},
             {"op": "pickPen", "at": [11, 7]} ] })",
                         &printed);
  EXPECT_EQ(Cell(cut, 0), (Grid{"888888888888", "888883232328", "823232323238", "832323232328",
                                "823232111238", "832323111328", "823232323238", "888888888888"}));
  EXPECT_EQ(printed,
            "{\"step\":1,\"pen\":{\"shape\":7,\"density\":8,\"colorA\":2,\"colorB\":3}}\n"
            "{\"step\":5,\"pen\":null}\n");
}

TEST_F(ApplyCommand, EffectsAndCellCommands) {
  const json cut = Apply(R"({ "entry": 0, "ops": [
      {"op": "border", "rect": [1, 1, 10, 6]},
      {"op": "toUnderdrawing", "rect": [0, 0, 12, 2]},
      {"op": "flipV", "rect": [0, 6, 12, 2]},
      {"op": "setLayer", "entry": 1},
      {"op": "grid", "size": [6, 4]},
      {"op": "transfer", "at": [9, 5], "pixels": ["1f", "01"]},
      {"op": "eraser", "at": [1, 6], "size": 2} ] })");
  // One pass of border along the box and around the underdrawing dot; the top rows turned
  // to underdrawing; the bottom two rows swapped.
  EXPECT_EQ(Cell(cut, 0), (Grid{"555555555555", "555555555555", "810010000018", "810151000018",
                                "810010000018", "810000000018", "888888888888", "811111111118"}));
  // Grid lines every 6 columns and 4 rows; the text pixels in the pen's colour (no line
  // substitution); the eraser leaves underdrawing as it is.
  EXPECT_EQ(Cell(cut, 1), (Grid{"555555555555", "500000500000", "500000500000", "500000500000",
                                "555555555555", "500000500110", "500000500010", "500000500000"}));
}

TEST_F(ApplyCommand, MosaicPixelatesWhatIsSeen) {
  const json cut = Apply(R"({ "ops": [
      {"op": "mosaic", "rect": [1, 1, 6, 3], "block": 4} ] })");
  // Blocks from (0, 0) to (8, 4): the first holds 7 line pixels of 16 (level 27: five of 16
  // dark grey), the second 4 (level 36: light grey with four white); the tone is anchored to
  // the canvas, where the cell starts at (2, 1). The current (top) cell receives them.
  EXPECT_EQ(Cell(cut, 1)[0], "233333330000");
  EXPECT_EQ(Cell(cut, 1)[4], "000000000000");
  EXPECT_EQ(Cell(cut, 0)[0], "888888888888");
}

TEST_F(ApplyCommand, FramesLayersAndRuns) {
  const json cut = Apply(R"({ "ops": [
      {"op": "removeFrame"},
      {"op": "frameProps", "time": 7, "keyframe": true},
      {"op": "addFrame"},
      {"op": "addFrames", "count": 2},
      {"op": "frameProps", "brightness": 90},
      {"op": "goFrame", "to": "first"},
      {"op": "brightnessRun", "end": 4},
      {"op": "addLayer", "name": "mid", "size": [4, 2]},
      {"op": "cell", "to": "next"},
      {"op": "addCell"},
      {"op": "layerUp"},
      {"op": "layerDown"},
      {"op": "removeUnusedLayers"} ] })");
  ASSERT_EQ(cut["frames"].size(), 4u);
  EXPECT_EQ(cut["frames"][1]["time"], 3);
  // The keyframe's own shown time is 1 (its section time 7 less 3 + 3 + 3, at least 1), so the
  // 40 steps over 13 time units reach the last frame early and the run is refused there,
  // keeping what it changed.
  EXPECT_EQ(cut["frames"][1]["brightness"], 54);
  EXPECT_EQ(cut["frames"][2]["brightness"], 63);
  EXPECT_EQ(cut["frames"][3]["brightness"], 72);
  ASSERT_EQ(cut["layers"].size(), 3u);
  EXPECT_EQ(cut["layers"][2]["name"], "mid");
  EXPECT_EQ(cut["layers"][2]["cells"].size(), 2u);
  const json& entries = cut["frames"][0]["entries"];
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2]["layer"], 1);  // the new layer went above the top one (up is refused
                                      // there), then moved down
  EXPECT_EQ(entries[1]["layer"], 2);
  EXPECT_EQ(entries[1]["position"], json::parse("[6, 4]"));
  EXPECT_EQ(entries[1]["cell"], 1);
  EXPECT_EQ(cut["frames"][1]["entries"][1]["cell"], 0);
}

TEST_F(ApplyCommand, UndoAndRefusedStepsGoOn) {
  const json cut = Apply(R"({ "entry": 0, "ops": [
      {"op": "stamp", "at": [2, 2]},
      {"op": "copyToLayerBelow"},
      {"op": "gradation", "from": [1, 1], "fromPen": {"colorA": 1, "colorB": 2}, "to": [1, 1]},
      {"op": "clear"},
      {"op": "undo"},
      {"op": "undo"},
      {"op": "undo"} ] })");
  EXPECT_EQ(Cell(cut, 0)[2], "801000000008");
  EXPECT_EQ(Cell(cut, 0)[1], "800000000008");
}

TEST_F(ApplyCommand, TextIsLetteredInThePensColoursFromTheBlocksCorner) {
  // A 60 × 30 cell at (10, 5) on an 80 × 40 canvas.
  std::string rows;
  for (int y = 0; y < 30; ++y) rows += std::string(y ? ", " : "") + "\"" + std::string(60, '0') + "\"";
  Write("wide.json", R"({"canvas": [80, 40], "layers": [{"name": "t", "size": [60, 30], "cells": [[)" +
                         rows + R"(]]}], "frames": [{"entries": [{"layer": 0, "cell": 0, "position": [10, 5]}]}]})");
  ASSERT_EQ(Orvina("cut build " + Path("wide.json") + " -o " + Path("base.cut")).status, 0);
  const Grid cell = Cell(Apply(R"({"pen": {"colorB": 8}, "ops": [
      {"op": "text", "at": [4, 2], "text": "HI\r\nHI", "size": 10, "lineSpacing": 2}]})"), 0);
  // Two lines: inked rows, a gap of blank rows, inked rows again.
  std::string rowsInked;
  for (int y = 0; y < 30; ++y) {
    bool inked = false;
    for (int x = 0; x < 60; ++x) {
      if (cell[y][x] == '0') continue;
      ASSERT_EQ(cell[y][x], '8') << x << ", " << y;
      ASSERT_GE(x, 4);
      ASSERT_GE(y, 2);
      inked = true;
    }
    rowsInked += inked ? '#' : '.';
  }
  const size_t first = rowsInked.find('#'), last = rowsInked.rfind('#');
  ASSERT_NE(first, std::string::npos) << rowsInked;
  EXPECT_LT(rowsInked.find('.', first), last) << "a second line below the first: " << rowsInked;
}

TEST_F(ApplyCommand, MalformedStepWritesNothing) {
  Write("bad.json", R"({"ops": [{"op": "stamp", "at": [1, 1]}, {"op": "line", "from": [1]}]})");
  Result r = Orvina("cut apply " + Path("base.cut") + " " + Path("bad.json") + " -o " +
                    Path("out.cut"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("ops[1].from"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Path("out.cut")));
  Write("bad.json", R"({"ops": [{"op": "paint"}]})");
  r = Orvina("cut apply " + Path("base.cut") + " " + Path("bad.json") + " -o " + Path("out.cut"));
  EXPECT_NE(r.out.find("ops[0].op: unknown operation"), std::string::npos) << r.out;
  Write("bad.json", R"({"entry": 2, "ops": []})");
  r = Orvina("cut apply " + Path("base.cut") + " " + Path("bad.json") + " -o " + Path("out.cut"));
  EXPECT_NE(r.out.find("entry"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Path("out.cut")));
}

}  // namespace
