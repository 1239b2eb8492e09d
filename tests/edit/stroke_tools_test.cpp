// The drawing tools driven by mouse messages on a view in memory.
#include "edit/stroke_tools.h"

#include <gtest/gtest.h>

#include "edit/command_ids.h"
#include "raster/stroke.h"
#include "tests/edit/memory_view.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;
using M = ToolMessage;

void Paint(RasterSurface& cell, const Grid& rows) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      cell.SetPixel(int32_t(x), int32_t(y), std::stoi(std::string(1, rows[y][x]), nullptr, 16));
}

TEST(FreePenTest, AClickLeavesThePenOrWithSmoothingSkipTheLineColour) {
  for (const bool smoothing : {false, true}) {
    MemoryView view(5, 3, 5, 3);
    ToolStates tools;
    view.drawing.smoothingSkip = smoothing;
    view.Click(tools, command::kFreePenTool, {2, 1});
    EXPECT_EQ(GridOf(view.Cell()), (Grid{"00000", smoothing ? "00800" : "00100", "00000"}));
    EXPECT_FALSE(view.captured);
  }
}

TEST(FreePenTest, SmoothingSkipTurnsAOnePixelStairStepIntoADiagonal) {
  for (const bool smoothing : {false, true}) {
    MemoryView view(5, 4, 5, 4);
    ToolStates tools;
    view.drawing.smoothingSkip = smoothing;
    view.Drag(tools, command::kFreePenTool, {{1, 1}, {1, 2}, {2, 2}});
    const Grid expected = smoothing ? Grid{"00000", "08000", "00800", "00000"}
                                    : Grid{"00000", "08000", "08800", "00000"};
    EXPECT_EQ(GridOf(view.Cell()), expected) << "smoothing " << smoothing;
  }
}

TEST(FreePenTest, ReducedViewsApplyTheCornerRuleToTheWindowPoints) {
  // At 1/2 each window step is two cell pixels: the rule works on what the hand did.
  MemoryView view(8, 8, 8, 8);
  view.SetZoomLevel(-1);
  ToolStates tools;
  view.Drag(tools, command::kFreePenTool, {{0, 0}, {0, 1}, {1, 1}});
  EXPECT_EQ(GridOf(view.Cell())[0].substr(0, 4), "8000");
  EXPECT_EQ(GridOf(view.Cell())[1].substr(0, 4), "0800");
  EXPECT_EQ(GridOf(view.Cell())[2].substr(0, 4), "0080");
}

TEST(FreePenTest, TheToolAndTheScriptStrokeDrawAlike) {
  MemoryView view(12, 12, 12, 12, {-2, 1});
  ToolStates tools;
  view.drawing.pen = Pen{10, 5, 2, 3};
  view.Drag(tools, command::kFreePenTool, {{3, 4}, {4, 4}, {4, 5}, {6, 6}, {6, 6}, {9, 10}});
  auto expected = BlankCell(12, 12);
  DrawFreePenStroke(*expected, {{5, 3}, {6, 3}, {6, 4}, {8, 5}, {8, 5}, {11, 9}}, view.drawing.pen,
                    0, true);
  EXPECT_EQ(GridOf(view.Cell()), GridOf(*expected));
}

TEST(LineToolTest, ContinuousClicksDrawOneUndoStepAndCtrlSkips) {
  MemoryView view(6, 3, 6, 3);
  ToolStates tools;
  const uint32_t line = command::kLineTool;
  view.Click(tools, line, {0, 0}, kKeyControl);  // starts continuous mode
  view.Click(tools, line, {3, 0});
  view.Click(tools, line, {3, 2}, kKeyControl);  // moves the anchor without drawing
  view.Click(tools, line, {0, 2});
  view.Send(tools, line, M::kMove, {5, 1});
  view.RightClick(tools, line, {5, 1});
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"888800", "000000", "888800"}));
  EXPECT_EQ(view.FeedbackShown(), 0);
  EXPECT_EQ(view.chooserOpened, 0);
  ASSERT_TRUE(Undo(view.TheCut()));
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"000000", "000000", "000000"}));
  // Idle again: a plain drag draws a single line, a right click opens the chooser.
  view.Drag(tools, line, {{0, 1}, {2, 1}, {5, 1}});
  EXPECT_EQ(GridOf(view.Cell())[1], "888888");
  view.RightClick(tools, line, {5, 1});
  EXPECT_EQ(view.chooserOpened, 1);
}

TEST(CurveToolTest, TheCurveTrailsOneClickAndCtrlSkipsTheSegmentToThatClick) {
  const Point a{1, 1}, b{8, 1}, c{8, 8}, d{1, 8};
  for (const bool skipB : {false, true}) {
    MemoryView view(10, 10, 10, 10);
    ToolStates tools;
    const uint32_t curve = command::kCurveTool;
    view.Click(tools, curve, a);
    view.Click(tools, curve, b, skipB ? kKeyControl : 0);
    view.Click(tools, curve, c);
    view.Click(tools, curve, d);
    EXPECT_TRUE(tools.curve.active);
    view.RightClick(tools, curve, {5, 5});
    auto expected = BlankCell(10, 10);
    const Point segments[3][4] = {{a, a, b, c}, {a, b, c, d}, {b, c, d, d}};
    for (int i = skipB ? 1 : 0; i < 3; ++i)
      DrawCurveSegment(*expected, segments[i], view.drawing.pen, 0, nullptr);
    EXPECT_EQ(GridOf(view.Cell()), GridOf(*expected)) << "skip " << skipB;
    EXPECT_EQ(view.FeedbackShown(), 0);
  }
}

TEST(GuideLineToolsTest, CtrlDrawsInUnderdrawingAndQuarterTurnsComeBackRound) {
  MemoryView view(9, 9, 9, 9);
  ToolStates tools;
  const uint32_t concentration = command::kConcentrationTool, parallel = command::kParallelTool;
  view.Click(tools, concentration, {4, 4});
  view.Click(tools, concentration, {0, 4}, kKeyControl);
  view.Click(tools, concentration, {4, 0});
  EXPECT_EQ(GridOf(view.Cell())[4], "555580000");
  EXPECT_EQ(view.Cell().GetPixel(4, 0), 8);
  view.RightClick(tools, concentration, {0, 0});

  view.Cell().Clear(0);
  view.Click(tools, parallel, {0, 8});
  view.Click(tools, parallel, {4, 8});  // the copies run 4 pixels to the left of the mouse
  view.RightClick(tools, parallel, {6, 6}, kKeyControl);  // ... now 4 pixels up
  view.Click(tools, parallel, {6, 6});
  EXPECT_EQ(view.Cell().GetPixel(6, 2), 8);
  EXPECT_EQ(view.Cell().GetPixel(6, 4), 8);
  for (int turn = 0; turn < 3; ++turn) view.RightClick(tools, parallel, {6, 6}, kKeyControl);
  view.Click(tools, parallel, {8, 0});
  EXPECT_EQ(GridOf(view.Cell())[0], "000088888");
  view.RightClick(tools, parallel, {8, 0});
  EXPECT_EQ(tools.parallel.count, 0);
  EXPECT_EQ(view.FeedbackShown(), 0);
}

TEST(StrokeToolsTest, CancelDropsEveryFeedbackAndCapture) {
  MemoryView view(10, 10, 10, 10);
  ToolStates tools;
  for (uint32_t tool : {command::kLineTool, command::kCurveTool, command::kConcentrationTool,
                        command::kParallelTool, command::kRectangleTool, command::kFreePenTool}) {
    view.Send(tools, tool, M::kLeftDown, {1, 1});
    view.Send(tools, tool, M::kLeftUp, {1, 1});
    view.Send(tools, tool, M::kLeftDown, {3, 2});
    view.Send(tools, tool, M::kMove, {6, 7}, kKeyLeftButton);
    view.Send(tools, tool, M::kCancel, {});
    EXPECT_EQ(view.FeedbackShown(), 0) << tool;
    EXPECT_FALSE(view.captured) << tool;
    view.Send(tools, tool, M::kLeftUp, {6, 7});
    view.Send(tools, tool, M::kCancel, {});
  }
}

TEST(StrokeToolsTest, WithoutACurrentCellTheMouseDoesNothing) {
  MemoryView view(6, 6, 6, 6);
  ToolStates tools;
  ASSERT_TRUE(ToggleEmptyCell(view.TheCut()));
  for (uint32_t tool : {command::kFreePenTool, command::kLineTool, command::kFillTool,
                        command::kEraserTool, command::kSelectTool, command::kTextTool}) {
    view.Drag(tools, tool, {{1, 1}, {4, 4}});
    view.RightClick(tools, tool, {4, 4});
  }
  EXPECT_EQ(view.chooserOpened, 0);
  EXPECT_FALSE(view.TheSelection().Exists());
  ASSERT_TRUE(ToggleEmptyCell(view.TheCut()));
  EXPECT_EQ(GridOf(view.Cell()), (Grid(6, "000000")));
}

TEST(FillToolTest, FillsExactlyUnderTheMouseWhateverTheSnapGridAndPicksThePen) {
  MemoryView view(6, 4, 6, 4);
  ToolStates tools;
  Paint(view.Cell(), {"080000", "080000", "080033", "080033"});
  view.grid = SnapGrid{4, 4};  // (2, 1) would snap to (0, 0), left of the line
  view.drawing.pen = Pen{7, 0, 1, 2};
  view.Click(tools, command::kFillTool, {2, 1});
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"082222", "082222", "082233", "082233"}));
  // The 4 × 4 block around (4, 2) holds twelve 2s and four 3s: that tone.
  view.RightClick(tools, command::kFillTool, {4, 2});
  EXPECT_EQ(view.chooserOpened, 1);
  EXPECT_EQ(view.drawing.pen, (Pen{7, 12, 2, 3}));
}

TEST(EraserToolTest, RightClicksCycleTheFrameWhichKeepsItsSizeOnScreen) {
  MemoryView view(40, 40, 40, 40);
  ToolStates tools;
  const uint32_t eraser = command::kEraserTool;
  for (int size : {8, 16, 32, 4}) {
    view.RightClick(tools, eraser, {20, 20});
    EXPECT_EQ(tools.eraser.size, size);
  }
  auto erased = [&](int level) {
    view.SetZoomLevel(level);
    view.Cell().Clear(1);
    view.Click(tools, eraser, {10, 10});
    int n = 0;
    for (int32_t y = 0; y < 40; ++y)
      for (int32_t x = 0; x < 40; ++x) n += view.Cell().GetPixel(x, y) == 5;
    return n;
  };
  EXPECT_EQ(erased(0), 5 * 5);
  EXPECT_EQ(erased(-1), 9 * 9);
  view.Send(tools, eraser, M::kCancel, {});
  EXPECT_EQ(view.FeedbackShown(), 0);
}

TEST(MosaicToolTest, PixelatesWhatIsSeenUpToTheCurrentLayer) {
  MemoryView view(8, 4, 8, 4);
  ToolStates tools;
  Cut& cut = view.TheCut();
  AddLayerToFrames(cut, std::nullopt, 8, 4, std::make_pair(0, 0), nullptr, false);
  Frame& frame = *cut.CurrentFrameObject();
  frame.SetCurrentLayer(1);
  view.Cell().Clear(4);  // white on top
  frame.SetCurrentLayer(0);
  Paint(view.Cell(), {"11110000", "11110000", "11110000", "11110000"});
  view.Drag(tools, command::kMosaicTool, {{0, 0}, {7, 3}});
  // A black and a transparent block; the white layer above is not seen.
  EXPECT_EQ(GridOf(view.Cell()), (Grid(4, "11114444")));
  frame.SetCurrentLayer(1);
  view.Cell().Clear(0);
  view.Drag(tools, command::kMosaicTool, {{0, 0}, {7, 3}});
  // The layer below is.
  EXPECT_EQ(GridOf(view.Cell()), (Grid(4, "11114444")));
}

}  // namespace
