// The drawing tools driven by mouse messages on a view in memory.
#include "edit/stroke_tools.h"

#include <gtest/gtest.h>

#include "edit/command_ids.h"
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
    view.Click(tools, ID_TOOL_FREE_PEN, {2, 1});
    EXPECT_EQ(GridOf(view.Cell()), (Grid{"00000", smoothing ? "00800" : "00100", "00000"}));
    EXPECT_FALSE(view.captured);
  }
}

TEST(FreePenTest, SmoothingSkipTurnsAOnePixelStairStepIntoADiagonal) {
  for (const bool smoothing : {false, true}) {
    MemoryView view(5, 4, 5, 4);
    ToolStates tools;
    view.drawing.smoothingSkip = smoothing;
    view.Drag(tools, ID_TOOL_FREE_PEN, {{1, 1}, {1, 2}, {2, 2}});
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
  view.Drag(tools, ID_TOOL_FREE_PEN, {{0, 0}, {0, 1}, {1, 1}});
  EXPECT_EQ(GridOf(view.Cell())[0].substr(0, 4), "8000");
  EXPECT_EQ(GridOf(view.Cell())[1].substr(0, 4), "0800");
  EXPECT_EQ(GridOf(view.Cell())[2].substr(0, 4), "0080");
}

TEST(StrokeToolsTest, CancelDropsEveryFeedbackAndCapture) {
  MemoryView view(10, 10, 10, 10);
  ToolStates tools;
  for (uint32_t tool : {ID_TOOL_LINE, ID_TOOL_CURVE, ID_TOOL_CONCENTRATION,
                        ID_TOOL_PARALLEL, ID_TOOL_RECTANGLE, ID_TOOL_FREE_PEN}) {
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
  for (uint32_t tool : {ID_TOOL_FREE_PEN, ID_TOOL_LINE, ID_TOOL_FILL,
                        ID_TOOL_ERASER, ID_TOOL_SELECT, ID_TOOL_TEXT}) {
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
  view.Click(tools, ID_TOOL_FILL, {2, 1});
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"082222", "082222", "082233", "082233"}));
  // The 4 × 4 block around (4, 2) holds twelve 2s and four 3s: that tone.
  view.RightClick(tools, ID_TOOL_FILL, {4, 2});
  EXPECT_EQ(view.chooserOpened, 1);
  EXPECT_EQ(view.drawing.pen, (Pen{7, 12, 2, 3}));
}

}  // namespace
