// Region select, copy and paste between views, the position tools and text, driven by mouse
// messages on views in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "edit/command_ids.h"
#include "edit/region_select.h"
#include "raster/region_move.h"
#include "tests/edit/memory_view.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;
using M = ToolMessage;
constexpr uint32_t kSelect = ID_TOOL_SELECT;

void Paint(RasterSurface& cell, const Grid& rows, int32_t y0 = 0) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      cell.SetPixel(int32_t(x), y0 + int32_t(y),
                    std::stoi(std::string(1, rows[y][x]), nullptr, 16));
}

TEST(RegionSelectTest, MovesPastTheCellEdgesWriteOnlyInsideIt) {
  MemoryView view(6, 4, 6, 4);
  ToolStates tools;
  Paint(view.Cell(), {"111000", "111000", "111000", "000000"});
  view.Drag(tools, kSelect, {{0, 0}, {3, 3}});
  view.Drag(tools, kSelect, {{2, 2}, {5, 3}});
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"000000", "000111", "000111", "000111"}));
  view.Drag(tools, kSelect, {{5, 3}, {4000, -4000}});
  EXPECT_EQ(GridOf(view.Cell()), (Grid{"000000", "000000", "000000", "000000"}));
  // The same through the core, far on every side.
  for (const Point to : {Point{-3, -3}, Point{4, 3}, Point{-100000, 5}, Point{5, 100000}}) {
    auto cell = GridCell({"1234", "5678", "9abc"});
    MoveRegion(*cell, Rect{-2, -1, 8, 6}, to, 0);
    MoveRegion(*cell, Rect{1, 1, 3, 3}, Point{to.y, to.x}, 0);
  }
}

// The move as first written: every pixel lifted into a copy, then put down.
void LiftedMove(RasterSurface& s, Rect source, Point to, ProtectMask mask) {
  const Rect r = IntersectRect(source, Rect{0, 0, s.Width(), s.Height()});
  std::vector<int> lifted(size_t(std::max(r.width, 0)) * size_t(std::max(r.height, 0)), 0);
  for (int32_t y = r.y, i = 0; y < r.Bottom(); ++y)
    for (int32_t x = r.x; x < r.Right(); ++x, ++i) {
      const int v = s.GetPixel(x, y);
      if (v < 1 || IsProtected(mask, v)) continue;
      lifted[size_t(i)] = v;
      s.SetPixel(x, y, 0);
    }
  for (int32_t y = r.y, i = 0; y < r.Bottom(); ++y)
    for (int32_t x = r.x; x < r.Right(); ++x, ++i) {
      const int32_t tx = x + to.x - source.x, ty = y + to.y - source.y;
      if (!lifted[size_t(i)] || !s.Contains(tx, ty) || IsProtected(mask, s.GetPixel(tx, ty))) continue;
      s.SetPixel(tx, ty, lifted[size_t(i)]);
    }
}

TEST(RegionSelectTest, AMoveNeedsNoLiftedCopyAndAgreesWithOne) {
  // Overlapping moves in every direction, with protected values on both sides.
  std::mt19937 rng(20);
  for (int round = 0; round < 400; ++round) {
    auto expected = BlankCell(11, 9);
    Scatter(*expected, rng, {0, 0, 1, 2, 5, 9, 12});
    auto cell = GridCell(GridOf(*expected));
    std::uniform_int_distribution<int32_t> at(-3, 10), size(1, 9), step(-4, 4);
    const Rect source{at(rng), at(rng), size(rng), size(rng)};
    const Point to{source.x + step(rng), source.y + step(rng)};
    const ProtectMask mask = round % 3 == 0 ? 0 : (1u << 2) | (1u << 12);
    LiftedMove(*expected, source, to, mask);
    MoveRegion(*cell, source, to, mask);
    ASSERT_EQ(GridOf(*cell), GridOf(*expected)) << "round " << round;
  }
}

TEST(RegionSelectTest, EdgesResizeSymmetricallyAndARightClickSelectsOrDrops) {
  MemoryView view(12, 8, 12, 8);
  ToolStates tools;
  view.Drag(tools, kSelect, {{3, 2}, {7, 6}});
  view.Drag(tools, kSelect, {{3, 4}, {1, 4}});  // the left edge, two pixels out
  EXPECT_EQ(view.TheSelection().window, (Rect{1, 2, 8, 4}));
  view.Drag(tools, kSelect, {{5, 2}, {5, 3}});  // the top edge, one pixel in
  EXPECT_EQ(view.TheSelection().window, (Rect{1, 3, 8, 2}));
  view.RightClick(tools, kSelect, {0, 0});
  EXPECT_FALSE(view.TheSelection().Exists());
  EXPECT_EQ(view.FeedbackShown(), 0);
  view.RightClick(tools, kSelect, {0, 0});
  EXPECT_EQ(view.TheSelection().window, (Rect{0, 0, 12, 8}));
  view.Send(tools, kSelect, M::kCancel, {});
  EXPECT_FALSE(view.TheSelection().Exists());
  EXPECT_EQ(view.FeedbackShown(), 0);
}

TEST(RegionSelectTest, ACancelDuringADragLeavesTheFloatingPasteWhereItIs) {
  MemoryView view(12, 8, 12, 8);
  ToolStates tools;
  Paint(view.Cell(), {"1111", "1111", "1111", "1111"});
  view.Drag(tools, kSelect, {{0, 0}, {4, 4}});
  ASSERT_TRUE(CopySelection(view, tools.paste));
  view.Cell().Clear(0);
  ASSERT_TRUE(PasteInto(view, tools.paste, tools.select));  // back where it was, floating
  const Grid pasted = GridOf(view.Cell());
  view.Send(tools, kSelect, M::kLeftDown, {2, 2});
  view.Send(tools, kSelect, M::kMove, {6, 3}, kKeyLeftButton);
  view.Send(tools, kSelect, M::kCancel, {});
  view.Send(tools, kSelect, M::kLeftUp, {6, 3});
  EXPECT_EQ(GridOf(view.Cell()), pasted);
  EXPECT_FALSE(view.captured);
}

TEST(PositionToolTest, DragCtrlClickAndRightClicksPlaceTheFrame) {
  MemoryView view(40, 30, 40, 30);
  ToolStates tools;
  Cut& cut = view.TheCut();
  cut.SetFrameSize(20, 10);
  ASSERT_TRUE(AddFrameCopy(cut));
  ASSERT_TRUE(AddFrameCopy(cut));
  for (int i = 0; i < 3; ++i) cut.FrameAt(i)->SetPosition(10 * i, 4 * i);
  ASSERT_TRUE(cut.GoFrame(1));
  Frame& frame = *cut.CurrentFrameObject();
  const uint32_t tool = ID_TOOL_FRAME_POSITION;
  view.Drag(tools, tool, {{5, 5}, {8, 9}});
  EXPECT_EQ((Point{frame.X(), frame.Y()}), (Point{13, 8}));
  view.Click(tools, tool, {1, 1}, kKeyControl);
  EXPECT_EQ((Point{frame.X(), frame.Y()}), (Point{10, 10}));
  view.RightClick(tools, tool, {1, 1});
  EXPECT_EQ((Point{frame.X(), frame.Y()}), (Point{0, 0}));
  cut.FrameAt(0)->SetPosition(3, 5);
  view.RightClick(tools, tool, {1, 1}, kKeyControl);
  EXPECT_EQ((Point{frame.X(), frame.Y()}), (Point{11, 6}));  // halfway from (3, 5) to (20, 8)
  ASSERT_TRUE(cut.GoFrame(0));
  view.RightClick(tools, tool, {1, 1});  // the first frame takes the last's
  EXPECT_EQ((Point{cut.FrameAt(0)->X(), cut.FrameAt(0)->Y()}), (Point{20, 8}));
  // The outline flips with each cancel.
  const int shown = view.FeedbackShown();
  view.Send(tools, tool, M::kCancel, {});
  EXPECT_NE(view.FeedbackShown(), shown);
  view.Send(tools, tool, M::kCancel, {});
  EXPECT_EQ(view.FeedbackShown(), shown);
}

TEST(PositionToolTest, TheLayerMovesByTheDragAndCtrlClickPutsItBack) {
  MemoryView view(40, 30, 10, 10, {5, 6});
  ToolStates tools;
  const uint32_t tool = ID_TOOL_LAYER_POSITION;
  view.Drag(tools, tool, {{20, 20}, {17, 25}});
  const LayerEntry& entry = *view.TheCut().CurrentFrameObject()->CurrentEntry();
  EXPECT_EQ((Point{entry.x, entry.y}), (Point{2, 11}));
  view.Click(tools, tool, {3, 3}, kKeyControl);
  EXPECT_EQ((Point{entry.x, entry.y}), (Point{0, 0}));
}

TEST(TextToolTest, BlocksStackLinesAndVerticalFontsWriteColumnsFromTheRight) {
  MemoryView view(40, 30, 40, 30);
  EXPECT_EQ((TextLines("ab\r\ncd\r\n")), (std::vector<std::string>{"ab", "cd"}));
  const TextBlock across = MeasureText(view, "ab\r\nc");
  EXPECT_EQ((Point{across.width, across.height}), (Point{12, 10 + 12 + 10}));
  EXPECT_EQ(MeasureText(view, "").height, 0);

  view.vertical = true;
  view.lineSpacing = 2;
  view.answer = "abc\r\nd";
  view.drawing.pen = Pen{7, 0, 0, 3};
  ToolStates tools;
  const uint32_t tool = ID_TOOL_TEXT;
  view.Click(tools, tool, {4, 4});     // asks for the text
  EXPECT_EQ(view.FeedbackShown(), 1);  // the block's outline at the mouse
  view.Click(tools, tool, {5, 6});     // places it
  EXPECT_EQ(view.FeedbackShown(), 0);
  // Columns of 10 with 2 between: the first line (18 long) on the right, "d" (6) on the left.
  const RasterSurface& cell = view.Cell();
  EXPECT_EQ(cell.GetPixel(5 + 12, 6 + 17), 3);
  EXPECT_EQ(cell.GetPixel(5 + 21, 6 + 17), 3);
  EXPECT_EQ(cell.GetPixel(5 + 9, 6 + 5), 3);
  EXPECT_EQ(cell.GetPixel(5 + 9, 6 + 6), 0);
  EXPECT_EQ(cell.GetPixel(5 + 10, 6), 0);  // the spacing
  EXPECT_EQ(cell.GetPixel(5 + 22, 6), 0);  // past the block
  EXPECT_EQ(view.StrokeBounds(), (Rect{5, 6, 22, 18}));
  // A cancelled dialog draws nothing and ends the click.
  view.answers = false;
  view.Cell().Clear(0);
  view.Click(tools, tool, {4, 4});
  view.Click(tools, tool, {4, 4});
  EXPECT_EQ(GridOf(view.Cell()), GridOf(*BlankCell(40, 30)));
}

}  // namespace
