#include "model/cut.h"

#include "model/cell_surface.h"

#include <gtest/gtest.h>

namespace {

// A cut with one layer of `cells` cells and `frames` frames, each showing cell 0.
std::unique_ptr<Cut> MakeCut(int cells, int frames) {
  auto cut = std::make_unique<Cut>(64, 48, 24, "", AntiAlias::kFull);
  cut->AddFrame();
  Layer* layer = cut->AddLayer(std::nullopt, 8, 8, nullptr);
  for (int i = 1; i < cells; ++i) layer->InsertCellAfter(i - 1, i);
  cut->PutLayerInFrames(0, 0, 0);
  for (int i = 1; i < frames; ++i) cut->AddFrame()->CopyFrom(*cut->FrameAt(i - 1));
  return cut;
}

std::vector<int32_t> ShownCells(Cut& cut) {
  std::vector<int32_t> shown;
  for (int i = 0; i < cut.FrameCount(); ++i) shown.push_back(cut.FrameAt(i)->EntryAt(0)->cell);
  return shown;
}

TEST(CutCells, InsertAfterRenumbersEveryFrame) {
  auto cut = MakeCut(4, 3);
  cut->FrameAt(0)->EntryAt(0)->cell = 1;
  cut->FrameAt(1)->EntryAt(0)->cell = 3;
  cut->FrameAt(2)->EntryAt(0)->cell = 2;
  ASSERT_TRUE(cut->GoFrame(2));
  ASSERT_TRUE(cut->InsertCellAfterEntry(0));
  EXPECT_EQ(ShownCells(*cut), (std::vector<int32_t>{1, 4, 3}));
  EXPECT_EQ(cut->LayerAt(0)->CellCount(), 5);
  // The new cell (3) is the empty one; the old cell 3 (filled with 3) moved to 4.
  EXPECT_EQ(cut->LayerAt(0)->CellAt(3)->GetPixel(0, 0), 0);
  EXPECT_EQ(cut->LayerAt(0)->CellAt(4)->GetPixel(0, 0), 3);
}

TEST(CutCells, InsertBeforeAndRemoveKeepEntriesValid) {
  auto cut = MakeCut(3, 3);
  cut->FrameAt(0)->EntryAt(0)->cell = 1;
  cut->FrameAt(1)->EntryAt(0)->cell = 2;
  cut->FrameAt(2)->EntryAt(0)->cell = 0;
  ASSERT_TRUE(cut->GoFrame(0));
  ASSERT_TRUE(cut->InsertCellBeforeEntry(7));
  EXPECT_EQ(ShownCells(*cut), (std::vector<int32_t>{1, 3, 0}));
  EXPECT_EQ(cut->LayerAt(0)->CellAt(1)->GetPixel(0, 0), 7);

  // Removing the last cell moves every entry that showed it to the new last cell.
  ASSERT_TRUE(cut->GoFrame(1));
  ASSERT_TRUE(cut->RemoveEntryCell());
  EXPECT_EQ(cut->LayerAt(0)->CellCount(), 3);
  EXPECT_EQ(ShownCells(*cut), (std::vector<int32_t>{1, 2, 0}));
  ASSERT_TRUE(cut->GoFrame(0));
  ASSERT_TRUE(cut->RemoveEntryCell());
  EXPECT_EQ(ShownCells(*cut), (std::vector<int32_t>{1, 1, 0}));

  // An empty entry or a one-cell layer refuses.
  auto one = MakeCut(1, 1);
  EXPECT_FALSE(one->RemoveEntryCell());
  one->CurrentFrameObject()->ToggleEmpty();
  EXPECT_FALSE(one->InsertCellAfterEntry(0));
}

TEST(CutFrames, EffectiveTimeOfKeyframeSections) {
  auto cut = MakeCut(1, 4);
  cut->FrameAt(0)->SetKeyframe(true);
  cut->FrameAt(0)->SetTime(12);
  cut->FrameAt(1)->SetTime(3);
  cut->FrameAt(2)->SetTime(-4);
  cut->FrameAt(3)->SetKeyframe(true);
  EXPECT_EQ(cut->EffectiveTime(0), 5);
  cut->FrameAt(0)->SetTime(6);
  EXPECT_EQ(cut->EffectiveTime(0), 1);
  cut->FrameAt(0)->SetTime(-12);
  EXPECT_EQ(cut->EffectiveTime(0), -5);
  EXPECT_EQ(cut->EffectiveTime(2), -4);
  // The last keyframe's section runs to the end of the cut.
  cut->FrameAt(3)->SetTime(9);
  EXPECT_EQ(cut->EffectiveTime(3), 9);
  EXPECT_EQ(cut->EffectiveTime(4), 0);
  EXPECT_EQ(cut->EffectiveTime(-1), 0);
}

TEST(CutFrames, ToneKeyPacksBrightnessAndKeyframe) {
  Frame f(10, 10);
  EXPECT_EQ(f.ToneKey(), 50);
  f.SetBrightness(0);
  f.SetKeyframe(true);
  EXPECT_EQ(f.ToneKey(), -1);
  f.SetBrightness(100);
  EXPECT_EQ(f.ToneKey(), -101);
  EXPECT_TRUE(f.IsKeyframe());
  EXPECT_EQ(f.Brightness(), 100);
  f.SetKeyframe(false);
  EXPECT_EQ(f.ToneKey(), 100);
}

TEST(CutFrames, NavigationCarriesTheCurrentEntry) {
  auto cut = MakeCut(1, 3);
  cut->AddLayer(std::nullopt, 4, 4, nullptr);
  cut->PutLayerInFrames(1, 0, 0);
  ASSERT_TRUE(cut->GoFirstFrame());
  cut->CurrentFrameObject()->SetCurrentLayer(0);
  ASSERT_TRUE(cut->GoNextFrame());
  EXPECT_EQ(cut->CurrentFrameObject()->CurrentLayer(), 0);
  EXPECT_FALSE(cut->GoNextKeyframe());
  EXPECT_EQ(cut->CurrentFrame(), 1);
  cut->FrameAt(0)->SetKeyframe(true);
  EXPECT_TRUE(cut->GoPrevKeyframe());
  EXPECT_EQ(cut->CurrentFrame(), 0);
  EXPECT_FALSE(cut->GoPrevFrame());

  auto single = MakeCut(1, 1);
  EXPECT_FALSE(single->GoFirstFrame());
  EXPECT_FALSE(single->GoLastFrame());
  EXPECT_FALSE(single->RemoveFrame());
  EXPECT_EQ(single->FrameCount(), 1);
}

TEST(CutFrames, RemoveAndInsertKeepTheCurrentFrame) {
  auto cut = MakeCut(1, 3);
  ASSERT_TRUE(cut->GoLastFrame());
  ASSERT_TRUE(cut->RemoveFrame());
  EXPECT_EQ(cut->CurrentFrame(), 1);
  EXPECT_EQ(cut->FrameCount(), 2);
  Frame* before = cut->CurrentFrameObject();
  ASSERT_TRUE(cut->InsertFrame());
  EXPECT_EQ(cut->CurrentFrame(), 1);
  EXPECT_NE(cut->CurrentFrameObject(), before);
  EXPECT_EQ(cut->FrameAt(2), before);
}

TEST(CutLayers, DefaultNamesAndRemoval) {
  Cut cut(32, 32, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  for (int i = 0; i < 11; ++i) cut.AddLayer(std::nullopt, 4, 4, nullptr);
  EXPECT_EQ(*cut.LayerAt(0)->Name(), "LAYER 0");
  EXPECT_EQ(*cut.LayerAt(9)->Name(), "LAYER 9");
  EXPECT_EQ(*cut.LayerAt(10)->Name(), "LAYER10");
  EXPECT_EQ(*cut.AddLayer(std::string(), 4, 4, nullptr)->Name(), "LAYER11");
  EXPECT_EQ(cut.LayerAt(0)->CellCount(), 1);

  cut.PutLayerInFrames(3, 0, 0);
  cut.PutLayerInFrames(5, 0, 0);
  EXPECT_EQ(cut.CurrentFrameObject()->EntryCount(), 2);
  Layer* five = cut.LayerAt(5);
  ASSERT_TRUE(cut.RemoveLayer(3));
  EXPECT_EQ(cut.CurrentFrameObject()->EntryCount(), 1);
  EXPECT_EQ(cut.CurrentFrameObject()->EntryAt(0)->layer, five);
  EXPECT_EQ(cut.CurrentFrameObject()->CurrentLayer(), 0);
  EXPECT_EQ(cut.IndexOfLayer(five), 4);
}

TEST(CutState, FlagsOfNewClearedAndChangedCuts) {
  Cut cut(32, 32, 24, "me", AntiAlias::kQuarter);
  EXPECT_EQ(cut.StateFlags() & 0x0E, kStateContentChanged);
  EXPECT_EQ(cut.GetAntiAlias(), AntiAlias::kQuarter);
  cut.AddFrame();
  EXPECT_EQ(cut.StateFlags() & 0x0E, kChangeContent);
  cut.SetDisplayFlags(kShowPreviousCell | kCurrentCellOnly | (3u << kLayerLimitShift));
  cut.Clear();
  EXPECT_EQ(cut.StateFlags(), kStateContentChanged);
  EXPECT_EQ(cut.DisplayFlags(), 3u << kLayerLimitShift);
  EXPECT_EQ(cut.FrameCount(), 0);
  EXPECT_EQ(cut.CurrentFrame(), -1);
  EXPECT_TRUE(cut.Credit().empty());
}

TEST(Frame, EntryInsertionOrderAndToggle) {
  Cut cut(32, 32, 24, "", AntiAlias::kFull);
  Frame& f = *cut.AddFrame();
  Layer* a = cut.AddLayer(std::nullopt, 4, 4, nullptr);
  Layer* b = cut.AddLayer(std::nullopt, 4, 4, nullptr);
  f.InsertEntryAfter(a, 0, 1, 2);
  f.InsertEntryAfter(b, 0, 3, 4);
  EXPECT_EQ(f.CurrentLayer(), 1);
  f.InsertEntryBefore(a, 0, 5, 6);
  EXPECT_EQ(f.CurrentLayer(), 1);
  EXPECT_EQ(f.EntryAt(1)->x, 5);
  EXPECT_EQ(f.EntryAt(2)->layer, b);
  ASSERT_TRUE(f.MoveEntryDown(-1));
  EXPECT_EQ(f.CurrentLayer(), 2);
  EXPECT_EQ(f.EntryAt(1)->layer, b);

  ASSERT_TRUE(f.ToggleEmpty());
  EXPECT_EQ(f.CurrentEntry()->cell, -1);
  EXPECT_FALSE(f.ResolveEntry(-1).has_value());
  ASSERT_TRUE(f.ToggleEmpty());
  EXPECT_EQ(f.CurrentEntry()->cell, 0);

  // A layer that follows the frame is placed relative to the frame position.
  f.SetPosition(10, 20);
  b->SetFollowFrame(true);
  auto r = f.ResolveEntry(1);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->x, 13);
  EXPECT_EQ(r->y, 24);
  ASSERT_TRUE(f.SetEntryCanvasPosition(1, 0, 0));
  EXPECT_EQ(f.EntryAt(1)->x, -10);

  f.RemoveEntriesOf(a);
  EXPECT_EQ(f.EntryCount(), 1);
  EXPECT_EQ(f.CurrentLayer(), 0);
}

TEST(CellSurface, ResizeKeepsTheTopLeft) {
  CellSurface cell;
  ASSERT_TRUE(cell.Create(10, 10, 0));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) cell.SetPixel(x, y, (x + y) % 15 + 1);
  ASSERT_TRUE(cell.Create(4, 4, 0));
  ASSERT_TRUE(cell.Create(10, 10, 0));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const int expected = (y < 4 && x < 4) ? (x + y) % 15 + 1 : 0;
      EXPECT_EQ(cell.GetPixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(CellSurface::StrideFor(1), 4);
  EXPECT_EQ(CellSurface::StrideFor(9), 8);
  cell.SetPixel(3, 0, 0xA);
  EXPECT_EQ(cell.Row(0)[1] & 0x0F, 0xA);
  EXPECT_EQ(cell.GetUnit(0, 0), uint16_t(cell.Row(0)[0] | (cell.Row(0)[1] << 8)));
}

}  // namespace
