#include "edit/cut_editing.h"

#include <gtest/gtest.h>

#include "model/cut.h"
#include "model/undo.h"
#include "tests/raster/cell_grid.h"

namespace {

using Grid = std::vector<std::string>;

// A 16 × 12 canvas, `frames` frames and one 4 × 2 layer shown at (0, 0) in each.
std::unique_ptr<Cut> MakeCut(int frames = 1) {
  auto cut = std::make_unique<Cut>(16, 12, 24, "", AntiAlias::kFull);
  cut->AddFrame();
  AddLayerToFrames(*cut, std::nullopt, 4, 2, std::make_pair(0, 0), nullptr, false);
  for (int i = 1; i < frames; ++i) AddFrameCopy(*cut);
  cut->GoFrame(0);
  cut->SetStateFlags(0);
  return cut;
}

RasterSurface& Cell(Cut& cut) { return *CurrentCell(cut)->cell; }

void Paint(RasterSurface& cell, const Grid& rows) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      cell.SetPixel(int32_t(x), int32_t(y), std::stoi(std::string(1, rows[y][x]), nullptr, 16));
}

TEST(UndoTest, ExchangeSoASecondUndoRedoes) {
  auto cut = MakeCut();
  EXPECT_FALSE(Undo(*cut));
  Paint(Cell(*cut), {"1234", "5678"});
  ASSERT_TRUE(SaveUndo(*cut));
  EXPECT_EQ(cut->StateFlags(), kChangeContent);
  Paint(Cell(*cut), {"0000", "0009"});
  ASSERT_TRUE(Undo(*cut));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"1234", "5678"}));
  ASSERT_TRUE(Undo(*cut));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"0000", "0009"}));
}

TEST(UndoTest, RestoresTheSnapshottedCellNotTheCurrentOne) {
  auto cut = MakeCut(2);
  ASSERT_TRUE(SaveUndo(*cut));
  RasterSurface& first = Cell(*cut);
  Paint(first, {"1111"});
  ASSERT_TRUE(cut->GoNextFrame());
  ASSERT_TRUE(AddCellAfter(*cut));  // the second frame now shows a new cell
  Paint(Cell(*cut), {"2222"});
  ASSERT_TRUE(Undo(*cut));
  EXPECT_EQ(GridOf(first), (Grid{"0000", "0000"}));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"2222", "0000"}));
  // Removing the snapshotted cell drops the snapshot.
  ASSERT_TRUE(cut->GoPrevFrame());
  ASSERT_TRUE(RemoveCell(*cut));
  EXPECT_FALSE(Undo(*cut));
}

TEST(UndoTest, NoCurrentCellNoSnapshot) {
  auto cut = MakeCut();
  ASSERT_TRUE(ToggleEmptyCell(*cut));
  EXPECT_FALSE(SaveUndo(*cut));
  EXPECT_FALSE(ClearCell(*cut, nullptr));
  EXPECT_FALSE(FlipCell(*cut, nullptr, true, 0, nullptr));
}

TEST(CellCommandTest, ClearAndFlipWorkOnTheSelection) {
  auto cut = MakeCut();
  Paint(Cell(*cut), {"1234", "5678"});
  const Rect selection{1, 0, 2, 2};
  ASSERT_TRUE(ClearCell(*cut, &selection));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"1004", "5008"}));
  ASSERT_TRUE(Undo(*cut));
  Rect bounds;
  ASSERT_TRUE(FlipCell(*cut, &selection, true, 0, &bounds));
  EXPECT_EQ(bounds, selection);
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"1324", "5768"}));
  ASSERT_TRUE(FlipCell(*cut, nullptr, false, MaskBit(8), &bounds));
  EXPECT_EQ(bounds, (Rect{0, 0, 4, 2}));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"5768", "1328"}));  // 8 kept its place
  ASSERT_TRUE(ClearCell(*cut, nullptr));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"0000", "0000"}));
}

TEST(CellCommandTest, UnderdrawingConversionReplacesOldUnderdrawing) {
  auto cut = MakeCut();
  Paint(Cell(*cut), {"1469", "8a30"});
  ASSERT_TRUE(ConvertCellToUnderdrawing(*cut, nullptr, MaskBit(10)));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"5006", "5a70"}));
  ASSERT_TRUE(EraseCellUnderdrawing(*cut, nullptr));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"0000", "0a00"}));
  ASSERT_TRUE(Undo(*cut));
  EXPECT_EQ(GridOf(Cell(*cut)), (Grid{"5006", "5a70"}));
}

TEST(CellCommandTest, EraseUnderdrawingInEveryCellOfTheLayer) {
  auto cut = MakeCut();
  Paint(Cell(*cut), {"5671", "0000"});
  ASSERT_TRUE(AddCellAfter(*cut));
  Paint(Cell(*cut), {"0006", "7777"});
  ASSERT_TRUE(EraseLayerUnderdrawing(*cut));
  Layer* layer = cut->LayerAt(0);
  EXPECT_EQ(GridOf(*layer->CellAt(0)), (Grid{"0001", "0000"}));
  EXPECT_EQ(GridOf(*layer->CellAt(1)), (Grid{"0000", "0000"}));
  EXPECT_EQ(cut->UndoCell(), nullptr);
}

TEST(CellCommandTest, CopyIntoTheLayerBelow) {
  auto cut = MakeCut();
  Paint(Cell(*cut), {"1111", "4444"});
  EXPECT_FALSE(CopyToLayerBelow(*cut, 0));  // the lowest entry
  AddLayerToFrames(*cut, std::string("top"), 3, 2, std::make_pair(1, 0), nullptr, false);
  Paint(Cell(*cut), {"c08", "e03"});
  ASSERT_TRUE(CopyToLayerBelow(*cut, MaskBit(3) | MaskBit(4)));
  // +1 over black gives dark grey, 0 is skipped, protected white keeps its value.
  EXPECT_EQ(GridOf(*cut->LayerAt(0)->CellAt(0)), (Grid{"1218", "4444"}));
  ASSERT_TRUE(ToggleEmptyCell(*cut));
  EXPECT_FALSE(CopyToLayerBelow(*cut, 0));
}

TEST(EmptyCellTest, TogglesRestoreTheCell) {
  auto cut = MakeCut(3);
  ASSERT_TRUE(ToggleEmptyCell(*cut));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, -1);
  ASSERT_TRUE(ToggleEmptyCell(*cut));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, 0);
  ASSERT_TRUE(cut->GoFrame(1));
  ASSERT_TRUE(ToggleEmptyAllFrames(*cut));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cut->FrameAt(i)->EntryAt(0)->cell, -1);
  EXPECT_EQ(cut->CurrentFrame(), 1);
}

TEST(FrameCommandTest, PropertiesApplyOnlyWhenChanged) {
  auto cut = MakeCut();
  FrameProperties p = PropertiesOf(*cut->FrameAt(0));
  EXPECT_FALSE(ApplyFrameProperties(*cut, p));
  EXPECT_EQ(cut->StateFlags(), 0u);
  p.keyframe = true;
  p.brightness = 100;
  p.comment = "pan";
  ASSERT_TRUE(ApplyFrameProperties(*cut, p));
  EXPECT_EQ(cut->FrameAt(0)->ToneKey(), -101);
  EXPECT_EQ(cut->StateFlags(), kChangeTiming);
  MakeAllKeyframes(*cut);
  EXPECT_TRUE(cut->FrameAt(0)->IsKeyframe());
}

TEST(FrameCommandTest, AddAfterAKeyframeHalvesItsTime) {
  auto cut = MakeCut();
  cut->FrameAt(0)->SetTime(7);
  cut->FrameAt(0)->SetKeyframe(true);
  cut->FrameAt(0)->SetPosition(3, 4);
  ASSERT_TRUE(AddFrameCopy(*cut));
  Frame* added = cut->FrameAt(1);
  EXPECT_EQ(cut->CurrentFrame(), 1);
  EXPECT_EQ(added->Time(), 3);
  EXPECT_FALSE(added->IsKeyframe());
  EXPECT_EQ(added->X(), 3);
  EXPECT_EQ(added->EntryCount(), 1);
  // Insert copies the frame that was current, now the following one.
  added->SetTime(5);
  ASSERT_TRUE(InsertFrameCopy(*cut));
  EXPECT_EQ(cut->CurrentFrame(), 1);
  EXPECT_EQ(cut->FrameAt(1)->Time(), 5);
  EXPECT_EQ(cut->FrameCount(), 3);
  EXPECT_EQ(AddFrames(*cut, 2), 2);
  EXPECT_EQ(RemoveFrames(*cut, 9), 4);  // the last frame stays
  EXPECT_EQ(cut->FrameCount(), 1);
}

TEST(CellStepTest, StepsAndRenumbering) {
  auto cut = MakeCut(3);
  EXPECT_FALSE(StepCell(*cut, CellStep::kPrevious));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(AddCellAfter(*cut));  // frame 0 shows cell 3
  EXPECT_FALSE(StepCell(*cut, CellStep::kNext));
  ASSERT_TRUE(StepCell(*cut, CellStep::kFirst));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, 0);
  ASSERT_TRUE(StepCell(*cut, CellStep::kLast));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, 3);
  cut->FrameAt(0)->EntryAt(0)->cell = 1;
  cut->FrameAt(1)->EntryAt(0)->cell = 3;
  cut->FrameAt(2)->EntryAt(0)->cell = 2;
  ASSERT_TRUE(cut->GoFrame(2));
  ASSERT_TRUE(AddCellAfter(*cut));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, 1);
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(0)->cell, 4);
  EXPECT_EQ(cut->FrameAt(2)->EntryAt(0)->cell, 3);
}

TEST(LayerCommandTest, AddCentresAndPropertiesResize) {
  auto cut = MakeCut(2);
  Layer* layer = AddLayerToFrames(*cut, std::nullopt, 5, 3, std::nullopt, nullptr, true);
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(*layer->Name(), "LAYER 1");
  for (int i = 0; i < 2; ++i) {
    Frame* f = cut->FrameAt(i);
    ASSERT_EQ(f->EntryCount(), 2);
    EXPECT_EQ(f->EntryAt(0)->layer, layer);  // inserted before the current entry
    EXPECT_EQ(f->EntryAt(0)->x, 5);
    EXPECT_EQ(f->EntryAt(0)->y, 4);
  }
  EXPECT_EQ(AddLayerToFrames(*cut, std::nullopt, 0, 3, std::nullopt, nullptr, true), nullptr);

  cut->FrameAt(0)->SetCurrentLayer(0);
  Paint(Cell(*cut), {"12345", "6789a", "bcdef"});
  ASSERT_TRUE(SaveUndo(*cut));
  ASSERT_TRUE(ApplyLayerProperties(*cut, LayerProperties{std::string("big"), 40, 2, true}));
  EXPECT_EQ(*layer->Name(), "big");
  EXPECT_TRUE(layer->FollowFrame());
  EXPECT_EQ(Cell(*cut).Width(), 40);
  EXPECT_EQ(GridOf(Cell(*cut))[1].substr(0, 6), "6789a0");
  EXPECT_GE(cut->UndoBuffer().size(), layer->CellByteSize());
  EXPECT_EQ(cut->UndoCell(), nullptr);  // its bytes no longer fit the cell
}

TEST(LayerCommandTest, MoveUpChangesFramesFromTheCurrentOn) {
  auto cut = MakeCut(3);
  Layer* bottom = cut->LayerAt(0);
  Layer* top = AddLayerToFrames(*cut, std::nullopt, 2, 2, std::make_pair(0, 0), nullptr, false);
  EXPECT_FALSE(MoveLayerUp(*cut));  // already the top one
  ASSERT_TRUE(cut->GoFrame(1));
  cut->FrameAt(1)->SetCurrentLayer(0);
  ASSERT_TRUE(MoveLayerUp(*cut));
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->layer, bottom);
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(1)->layer, bottom);
  EXPECT_EQ(cut->FrameAt(2)->EntryAt(1)->layer, bottom);
  EXPECT_EQ(cut->FrameAt(1)->CurrentLayer(), 1);
  EXPECT_EQ(cut->FrameAt(2)->EntryAt(0)->layer, top);
  ASSERT_TRUE(MoveLayerDown(*cut));
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(0)->layer, bottom);
  EXPECT_FALSE(MoveLayerDown(*cut));
}

TEST(LayerCommandTest, RemoveUnusedLayersExaminesEveryLayer) {
  auto cut = MakeCut();
  cut->AddLayer(std::nullopt, 2, 2, nullptr);
  cut->AddLayer(std::nullopt, 2, 2, nullptr);
  Layer* used = AddLayerToFrames(*cut, std::nullopt, 2, 2, std::make_pair(0, 0), nullptr, false);
  cut->AddLayer(std::nullopt, 2, 2, nullptr);
  ASSERT_TRUE(SaveUndo(*cut));
  EXPECT_EQ(RemoveUnusedLayers(*cut), 3);
  EXPECT_EQ(cut->LayerCount(), 2);
  EXPECT_EQ(cut->LayerAt(1), used);
  EXPECT_NE(cut->UndoCell(), nullptr);
  ASSERT_TRUE(RemoveCurrentLayer(*cut));
  EXPECT_EQ(cut->UndoCell(), nullptr);
  EXPECT_EQ(cut->LayerCount(), 1);
}

std::unique_ptr<Cut> TimedCut(const std::vector<int>& times) {
  auto cut = MakeCut(int(times.size()));
  for (size_t i = 0; i < times.size(); ++i) cut->FrameAt(int32_t(i))->SetTime(times[i]);
  return cut;
}

std::vector<int> Brightness(Cut& cut) {
  std::vector<int> b;
  for (int i = 0; i < cut.FrameCount(); ++i) b.push_back(cut.FrameAt(i)->Brightness());
  return b;
}

TEST(ContinuousChangeTest, BrightnessAccumulates) {
  auto cut = TimedCut({1, 1, 1, 1, 1, 1});
  cut->FrameAt(5)->SetBrightness(100);
  cut->FrameAt(3)->SetKeyframe(true);
  ASSERT_TRUE(BrightnessRun(*cut, 5));
  EXPECT_EQ(Brightness(*cut), (std::vector<int>{50, 60, 70, 80, 90, 100}));
  EXPECT_TRUE(cut->FrameAt(3)->IsKeyframe());
  EXPECT_EQ(cut->StateFlags(), kChangeTiming);

  // 50 to 45 over ten time units: the remainder goes to the first units.
  auto fall = TimedCut({4, 6, 1});
  fall->FrameAt(2)->SetBrightness(45);
  ASSERT_TRUE(BrightnessRun(*fall, 2));
  EXPECT_EQ(Brightness(*fall), (std::vector<int>{50, 46, 45}));
  // From the end frame backwards: the run always walks forward from the lower frame.
  auto back = TimedCut({1, 1, 1});
  back->FrameAt(0)->SetBrightness(0);
  back->FrameAt(2)->SetBrightness(90);
  ASSERT_TRUE(back->GoFrame(2));
  ASSERT_TRUE(BrightnessRun(*back, 0));
  EXPECT_EQ(Brightness(*back), (std::vector<int>{0, 45, 90}));
}

TEST(ContinuousChangeTest, Refusals) {
  auto cut = TimedCut({0, 0, 1});
  cut->FrameAt(2)->SetBrightness(80);
  EXPECT_FALSE(BrightnessRun(*cut, 2));   // times sum to 0
  EXPECT_FALSE(BrightnessRun(*cut, 0));   // the current frame
  EXPECT_FALSE(BrightnessRun(*cut, 7));   // no such frame
  EXPECT_FALSE(FramePositionRun(*cut, 2));
  EXPECT_EQ(Brightness(*cut), (std::vector<int>{50, 50, 80}));
  EXPECT_EQ(cut->StateFlags(), 0u);
}

TEST(ContinuousChangeTest, FramePositionInterpolates) {
  auto cut = TimedCut({1, 3, 1});
  cut->FrameAt(2)->SetPosition(100, -40);
  ASSERT_TRUE(FramePositionRun(*cut, 2));
  EXPECT_EQ(cut->FrameAt(1)->X(), 25);
  EXPECT_EQ(cut->FrameAt(1)->Y(), -10);
  EXPECT_EQ(cut->FrameAt(2)->X(), 100);
}

TEST(ContinuousChangeTest, KeyframeTimingReachingPastTheEndKeepsWhatWasDone) {
  // The keyframe's section time covers the ordinary frames after it, so its own shown
  // time is 1 and the run needs more frames than the cut has.
  auto cut = TimedCut({4, 3, 1});
  cut->FrameAt(0)->SetKeyframe(true);
  cut->FrameAt(2)->SetBrightness(100);
  EXPECT_FALSE(BrightnessRun(*cut, 2));
  EXPECT_EQ(cut->FrameAt(1)->Brightness(), 58);  // 50 + 1 × (7 + 1)
  EXPECT_EQ(cut->FrameAt(2)->Brightness(), 79);  // + 3 × 7
  EXPECT_EQ(cut->StateFlags(), kChangeTiming);
}

TEST(ContinuousChangeTest, LayerPositionAccumulates) {
  auto cut = TimedCut({2, 2, 1});
  cut->FrameAt(2)->EntryAt(0)->x = 8;
  cut->FrameAt(2)->EntryAt(0)->y = -4;
  ASSERT_TRUE(LayerPositionRun(*cut, 2));
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(0)->x, 4);
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(0)->y, -2);
  ASSERT_TRUE(ToggleEmptyCell(*cut));  // an empty entry is still an entry
  EXPECT_TRUE(LayerPositionRun(*cut, 1));
  cut->FrameAt(0)->ClearEntries();
  EXPECT_FALSE(LayerPositionRun(*cut, 2));
}

}  // namespace

namespace {

// Moving a layer changes the pictures; moving the camera changes them only when a layer
// follows the frame. The compiler's timing-only patch relies on these flags.
TEST(CutEditingFlags, MovesThatChangeThePicturesMarkContent) {
  auto cut = MakeCut(3);
  ASSERT_TRUE(SetFramePosition(*cut, 3, 4));
  EXPECT_EQ(cut->StateFlags(), kChangeTiming);
  cut->SetStateFlags(0);
  ASSERT_TRUE(SetLayerPosition(*cut, 1, 1));
  EXPECT_EQ(cut->StateFlags(), kChangeContent);
  cut->SetStateFlags(0);
  cut->LayerAt(0)->SetFollowFrame(true);
  ASSERT_TRUE(SetFramePosition(*cut, 5, 4));
  EXPECT_EQ(cut->StateFlags(), kChangeContent);
}

}  // namespace
