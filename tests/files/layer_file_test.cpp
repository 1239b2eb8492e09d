#include "files/layer_file.h"

#include <gtest/gtest.h>

#include "files/cut_file.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"
#include "tests/files/scratch_dir.h"

namespace {

// A cut with one frame showing layer "ink" (3 cells of 10 × 4 with distinct pictures) and
// a second frame showing its cell 2.
std::unique_ptr<Cut> InkCut() {
  auto cut = std::make_unique<Cut>(16, 16, 24, "", AntiAlias::kFull);
  Layer* ink = cut->AddLayer(std::string("ink"), 10, 4, nullptr);
  ink->SetFollowFrame(true);
  ink->InsertCellAfter(0, 0);
  ink->InsertCellAfter(1, 0);
  for (int k = 0; k < 3; ++k)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 10; ++x) ink->CellAt(k)->SetPixel(x, y, (x + 3 * y + 5 * k) % 16);
  cut->AddFrame()->InsertEntryAfter(ink, 0, 1, 2);
  cut->AddFrame()->InsertEntryAfter(ink, 2, 0, 0);
  return cut;
}

std::vector<uint8_t> LayerBytes(Cut& cut) {
  BlockStream s;
  EXPECT_TRUE(WriteLayerFile(cut, s));
  std::vector<uint8_t> bytes(size_t(s.Length()));
  s.CopyTo(bytes.data());
  return bytes;
}

bool ReadBytes(Cut& cut, std::vector<uint8_t> bytes, std::string* error = nullptr) {
  MemoryStream s(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  return ReadLayerFile(cut, s, error);
}

// A cut whose frames show a 5-cell layer "old" of 6 × 6, frame 1 at cell 4.
std::unique_ptr<Cut> FiveCellCut() {
  auto cut = std::make_unique<Cut>(16, 16, 24, "", AntiAlias::kFull);
  Layer* old = cut->AddLayer(std::string("old"), 6, 6, nullptr);
  for (int k = 1; k < 5; ++k) old->InsertCellAfter(k - 1, k);
  cut->AddFrame()->InsertEntryAfter(old, 1, 3, 3);
  cut->AddFrame()->InsertEntryAfter(old, 4, 0, 0);
  cut->GoFrame(0);
  cut->SetStateFlags(0);
  return cut;
}

TEST(LayerFile, ReplacesTheShownLayerAndKeepsTheEntries) {
  auto source = InkCut();
  source->GoFrame(0);
  const std::vector<uint8_t> bytes = LayerBytes(*source);
  ASSERT_GT(bytes.size(), sizeof kLayerTag);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + sizeof kLayerTag),
            std::string("Orvinade Layer", 15));

  auto cut = FiveCellCut();
  Layer* old = cut->LayerAt(0);
  std::string error;
  ASSERT_TRUE(ReadBytes(*cut, bytes, &error)) << error;
  ASSERT_EQ(cut->LayerCount(), 1);
  EXPECT_EQ(cut->LayerAt(0), old);  // the same layer, new contents
  EXPECT_EQ(*old->Name(), "ink");
  EXPECT_EQ(old->Width(), 10);
  EXPECT_EQ(old->Height(), 4);
  EXPECT_TRUE(old->FollowFrame());
  ASSERT_EQ(old->CellCount(), 3);
  for (int k = 0; k < 3; ++k)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(old->CellAt(k)->GetPixel(x, y), (x + 3 * y + 5 * k) % 16);
  EXPECT_EQ(cut->StateFlags() & kChangeContent, kChangeContent);
  EXPECT_GE(cut->UndoBuffer().size(), old->CellByteSize());

  // Frame 0 shows cell 1 at its old place; frame 1 still points at cell 4, which no longer
  // exists, and shows nothing for the layer.
  EXPECT_EQ(cut->FrameAt(0)->EntryAt(0)->cell, 1);
  auto shown = cut->FrameAt(0)->ResolveEntry(0);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->cell, old->CellAt(1));
  EXPECT_EQ(cut->FrameAt(1)->EntryAt(0)->cell, 4);
  EXPECT_FALSE(cut->FrameAt(1)->ResolveEntry(0).has_value());

  // The cut with the new layer saves and reads back.
  BlockStream s;
  ASSERT_TRUE(WriteCut(*cut, s));
  std::vector<uint8_t> saved(size_t(s.Length()));
  s.CopyTo(saved.data());
  MemoryStream in(saved.data(), int32_t(saved.size()), int32_t(saved.size()));
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  ASSERT_TRUE(ReadCut(back, in, nullptr));
  EXPECT_EQ(back.LayerAt(0)->CellAt(2)->GetPixel(9, 3), (9 + 9 + 10) % 16);
}

TEST(LayerFile, ACutWithoutLayersGetsOneInEveryFrame) {
  auto source = InkCut();
  const std::vector<uint8_t> bytes = LayerBytes(*source);
  Cut cut(16, 16, 24, "", AntiAlias::kFull);
  for (int i = 0; i < 3; ++i) cut.AddFrame();
  cut.GoFrame(1);
  std::string error;
  ASSERT_TRUE(ReadBytes(cut, bytes, &error)) << error;
  ASSERT_EQ(cut.LayerCount(), 1);
  EXPECT_EQ(*cut.LayerAt(0)->Name(), "ink");
  EXPECT_EQ(cut.LayerAt(0)->CellCount(), 3);
  for (int i = 0; i < 3; ++i) {
    Frame* f = cut.FrameAt(i);
    ASSERT_EQ(f->EntryCount(), 1) << i;
    EXPECT_EQ(*f->EntryAt(0), (LayerEntry{cut.LayerAt(0), 0, 0, 0})) << i;
  }

  // Without a frame there is nowhere to show it.
  Cut empty(16, 16, 24, "", AntiAlias::kFull);
  EXPECT_FALSE(ReadBytes(empty, bytes, &error));
  EXPECT_EQ(empty.LayerCount(), 0);
}

TEST(LayerFile, WrongTagsAreRefused) {
  auto cut = FiveCellCut();
  std::string error;
  std::vector<uint8_t> cutTag(kCutTag, kCutTag + sizeof kCutTag);
  cutTag.resize(64, 0);
  EXPECT_FALSE(ReadBytes(*cut, cutTag, &error));
  EXPECT_EQ(error, "not a layer file");
  EXPECT_FALSE(ReadBytes(*cut, {}, &error));
  EXPECT_EQ(*cut->LayerAt(0)->Name(), "old");
  EXPECT_EQ(cut->StateFlags(), 0u);

  // The tag buffer holds 15 bytes: whatever 15th byte follows the tag is taken as its end.
  auto source = InkCut();
  std::vector<uint8_t> bytes = LayerBytes(*source);
  bytes[14] = 'X';
  EXPECT_TRUE(ReadBytes(*cut, bytes, &error)) << error;
  bytes[13] = 'y';
  EXPECT_FALSE(ReadBytes(*cut, bytes, &error));
}

TEST(LayerFile, DamagedFilesFailWithTheLayerAsItWas) {
  auto source = InkCut();
  const std::vector<uint8_t> bytes = LayerBytes(*source);
  for (size_t n = 0; n < bytes.size(); ++n) {
    auto cut = FiveCellCut();
    Layer* old = cut->LayerAt(0);
    std::string error;
    ASSERT_FALSE(ReadBytes(*cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n)), &error)) << n;
    EXPECT_FALSE(error.empty());
    ASSERT_EQ(old->CellCount(), 5) << n;
    EXPECT_EQ(*old->Name(), "old");
    EXPECT_EQ(old->CellAt(4)->GetPixel(5, 5), 4);
    EXPECT_EQ(cut->StateFlags(), 0u);
  }
  // A cell count far beyond what the bytes can hold.
  std::vector<uint8_t> huge(bytes.begin(), bytes.begin() + 15);
  const uint8_t header[] = {'L', 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF};
  huge.insert(huge.end(), header, header + sizeof header);
  huge.resize(huge.size() + 40, 0);
  auto cut = FiveCellCut();
  EXPECT_FALSE(ReadBytes(*cut, huge));
  EXPECT_EQ(cut->LayerAt(0)->CellCount(), 5);
}

TEST(LayerFile, NothingIsWrittenOrReadWithoutAShownLayer) {
  auto cut = InkCut();
  cut->AddFrame();  // a frame without entries becomes current
  BlockStream s;
  std::string error;
  EXPECT_FALSE(WriteLayerFile(*cut, s, &error));
  EXPECT_EQ(s.Length(), 0);
  auto source = InkCut();
  EXPECT_FALSE(ReadBytes(*cut, LayerBytes(*source), &error));
  EXPECT_FALSE(error.empty());
}

TEST(LayerFile, TheUndoSnapshotOfAReplacedCellIsDropped) {
  auto cut = FiveCellCut();
  cut->SetUndoCell(cut->LayerAt(0)->CellAt(4));
  auto source = InkCut();
  ASSERT_TRUE(ReadBytes(*cut, LayerBytes(*source)));
  EXPECT_EQ(cut->UndoCell(), nullptr);
}

using LayerFileOnDisk = ScratchDir;

TEST_F(LayerFileOnDisk, SavesSafelyAndLoads) {
  auto cut = InkCut();
  std::string error;
  ASSERT_TRUE(SaveLayerFile(*cut, At("ink.lyr"), &error)) << error;
  auto target = FiveCellCut();
  ASSERT_TRUE(LoadLayerFile(*target, At("ink.lyr"), &error)) << error;
  EXPECT_EQ(*target->LayerAt(0)->Name(), "ink");
  EXPECT_FALSE(LoadLayerFile(*target, At("missing.lyr"), &error));

  // A cut that shows no layer leaves the old file alone.
  Write("old.lyr", "old");
  cut->AddFrame();
  EXPECT_FALSE(SaveLayerFile(*cut, At("old.lyr"), &error));
  EXPECT_EQ(Read("old.lyr"), "old");
  EXPECT_FALSE(Exists("old.lyr.saving"));
}

}  // namespace
