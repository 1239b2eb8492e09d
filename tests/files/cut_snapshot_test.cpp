#include "files/cut_snapshot.h"

#include <gtest/gtest.h>

#include <random>

#include "files/cut_file.h"
#include "io/block_stream.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

std::vector<uint8_t> Bytes(BlockStream& s) {
  std::vector<uint8_t> bytes(size_t(s.Length()));
  s.CopyTo(bytes.data());
  return bytes;
}

std::vector<uint8_t> CutBytes(Cut& cut) {
  BlockStream s;
  EXPECT_TRUE(WriteCut(cut, s));
  return Bytes(s);
}

std::vector<uint8_t> SnapshotBytes(const CutSnapshot& snapshot) {
  BlockStream s;
  EXPECT_TRUE(snapshot.Write(s));
  return Bytes(s);
}

// Three layers of odd widths (the last group of a row reads the padding), random pixels,
// frames that show them, empty cells, a comment and an unused layer.
std::unique_ptr<Cut> DrawnCut() {
  std::mt19937 rng(7);
  auto cut = std::make_unique<Cut>(64, 48, 12, "credit", AntiAlias::kQuarter);
  Layer* layers[3] = {cut->AddLayer(std::string("A"), 13, 9, nullptr),
                      cut->AddLayer(std::nullopt, 30, 20, nullptr),
                      cut->AddLayer(std::string("unused"), 5, 1, nullptr)};
  for (Layer* layer : layers) {
    for (int c = 0; c < 3; ++c) {
      layer->InsertCellAfter(c - 1, 0);
      RasterSurface& cell = *layer->CellAt(c);
      for (int32_t y = 0; y < cell.Height(); ++y)
        for (int32_t x = 0; x < cell.Width(); ++x) cell.SetPixel(x, y, int(rng() % 16));
    }
  }
  for (int f = 0; f < 4; ++f) {
    Frame* frame = cut->AddFrame();
    frame->InsertEntryAfter(layers[0], f % 3, f, -f);
    frame->InsertEntryAfter(layers[1], f == 2 ? ~1 : 1, 3, 4);
    frame->SetTime(f - 1);
    frame->SetComment(f == 1 ? "comment" : "");
  }
  return cut;
}

TEST(CutSnapshot, WritesWhatWriteCutWritesCopyingOnlyTheTouchedCells) {
  auto cut = DrawnCut();
  const std::vector<uint8_t> first = CutBytes(*cut);
  auto s1 = CutSnapshot::Take(*cut, nullptr);
  ASSERT_TRUE(s1);
  size_t all = 0;
  for (int32_t l = 0; l < cut->LayerCount(); ++l)
    all += size_t(cut->LayerAt(l)->CellCount()) * cut->LayerAt(l)->CellByteSize();
  EXPECT_EQ(s1->CopiedBytes(), all);

  // One cell and one frame change after the snapshot: it still writes the cut as it was.
  RasterSurface& changed = *cut->LayerAt(1)->CellAt(2);
  changed.SetPixel(29, 19, (changed.GetPixel(29, 19) + 1) % 16);
  cut->FrameAt(3)->SetTime(9);
  EXPECT_EQ(SnapshotBytes(*s1), first);

  auto s2 = CutSnapshot::Take(*cut, s1.get());
  ASSERT_TRUE(s2);
  EXPECT_EQ(s2->CopiedBytes(), changed.ByteSize());
  EXPECT_FALSE(s2->SameAs(*s1));
  EXPECT_EQ(SnapshotBytes(*s2), CutBytes(*cut));

  // Composing the view, saving and writing snapshots read cells without touching them.
  FrameSurface view;
  ASSERT_TRUE(view.Create(64, 48, 0));
  for (int32_t f = 0; f < cut->FrameCount(); ++f)
    Compose(*cut->FrameAt(f), view, 0, 0, 64, 48, kShowPreviousCell | kShowNextCell, nullptr);
  CutBytes(*cut);
  auto s3 = CutSnapshot::Take(*cut, s2.get());
  ASSERT_TRUE(s3);
  EXPECT_EQ(s3->CopiedBytes(), 0u);
  EXPECT_TRUE(s3->SameAs(*s2));

  // A new cell, a removed layer: copied as they come, written as WriteCut writes them.
  cut->GoFrame(0);
  ASSERT_TRUE(cut->InsertCellAfterEntry(3));
  auto s4 = CutSnapshot::Take(*cut, s3.get());
  ASSERT_TRUE(s4);
  EXPECT_EQ(s4->CopiedBytes(), cut->CurrentFrameObject()->CurrentEntry()->layer->CellByteSize());
  EXPECT_EQ(SnapshotBytes(*s4), CutBytes(*cut));
  ASSERT_TRUE(cut->RemoveLayer(2));
  auto s5 = CutSnapshot::Take(*cut, s4.get());
  ASSERT_TRUE(s5);
  EXPECT_EQ(s5->CopiedBytes(), 0u);
  EXPECT_EQ(SnapshotBytes(*s5), CutBytes(*cut));
}

TEST(CutSnapshot, TakenALimitAtATimeItEndsWholeAndUpToDate) {
  auto cut = DrawnCut();
  const size_t limit = cut->LayerAt(1)->CellByteSize();
  std::shared_ptr<CutSnapshot> s;
  int passes = 0;
  do {
    s = CutSnapshot::Take(*cut, s.get(), nullptr, limit);
    ASSERT_TRUE(s);
    EXPECT_LE(s->CopiedBytes(), limit);
    BlockStream out;
    EXPECT_EQ(s->Write(out), s->Complete());
    // A cell copied in the first pass changes again: a later pass takes it anew.
    if (++passes == 1) cut->LayerAt(0)->CellAt(0)->SetPixel(1, 1, 15);
  } while (!s->Complete() && passes < 20);
  EXPECT_GT(passes, 3);
  EXPECT_EQ(SnapshotBytes(*s), CutBytes(*cut));
}

TEST(CutSnapshot, ACutBeyondTheFileIsRefusedAndKeepsItsMarks) {
  auto cut = DrawnCut();
  auto s1 = CutSnapshot::Take(*cut, nullptr);
  ASSERT_TRUE(s1);
  cut->LayerAt(0)->CellAt(0)->SetPixel(0, 0, 5);
  cut->SetFps(300);
  std::string why;
  EXPECT_FALSE(CutSnapshot::Take(*cut, s1.get(), &why));
  EXPECT_EQ(why, "frame rate beyond 0..255");
  EXPECT_TRUE(cut->LayerAt(0)->CellAt(0)->Touched());
  cut->SetFps(24);
  auto s2 = CutSnapshot::Take(*cut, s1.get());
  ASSERT_TRUE(s2);
  EXPECT_EQ(s2->CopiedBytes(), cut->LayerAt(0)->CellByteSize());
  EXPECT_EQ(SnapshotBytes(*s2), CutBytes(*cut));
}

}  // namespace
