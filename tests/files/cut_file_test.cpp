#include "files/cut_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "io/block_stream.h"
#include "io/cp932.h"
#include "io/file_stream.h"
#include "io/memory_stream.h"
#include "model/cut.h"

namespace {

std::vector<uint8_t> CutBytes(Cut& cut) {
  BlockStream s;
  EXPECT_TRUE(WriteCut(cut, s));
  std::vector<uint8_t> bytes(size_t(s.Length()));
  s.CopyTo(bytes.data());
  return bytes;
}

bool ReadBytes(Cut& cut, std::vector<uint8_t> bytes, std::string* error = nullptr) {
  MemoryStream s(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  return ReadCut(cut, s, nullptr, error);
}

// "日本語" and "ソ" (0x83 0x5C: the second byte is a backslash) in code page 932.
const std::string kJapanese = "\x93\xfa\x96\x7b\x8c\xea\x83\x5c";

std::unique_ptr<Cut> SampleCut() {
  auto cut = std::make_unique<Cut>(40, 30, 12, kJapanese, AntiAlias::kHalf);
  cut->SetFrameSize(32, 24);
  Layer* a = cut->AddLayer(kJapanese, 13, 7, nullptr);
  Layer* b = cut->AddLayer(std::nullopt, 1, 3, nullptr);
  b->SetFollowFrame(true);
  a->InsertCellAfter(0, 9);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) a->CellAt(0)->SetPixel(x, y, (x * y + x) % 16);
  Frame* f0 = cut->AddFrame();
  f0->InsertEntryAfter(a, 0, -3, 4);
  f0->InsertEntryAfter(b, ~0, 5, 6);
  f0->SetKeyframe(true);
  f0->SetBrightness(0);
  f0->SetTime(-12);
  f0->SetComment(kJapanese + " comment");
  Frame* f1 = cut->AddFrame();
  f1->InsertEntryAfter(a, 1, 0, 0);
  f1->SetLoop(0);
  f1->SetBrightness(100);
  f1->SetKeyframe(true);
  f1->SetPosition(-100, 200);
  Frame* f2 = cut->AddFrame();
  f2->SetLoop(3);
  f2->InsertEntryAfter(nullptr, 0, 1, 1);  // an entry whose layer was not valid
  return cut;
}

TEST(CutFile, RoundTripIsByteIdentical) {
  auto cut = SampleCut();
  const std::vector<uint8_t> first = CutBytes(*cut);
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  ASSERT_TRUE(ReadBytes(back, first));
  EXPECT_EQ(CutBytes(back), first);

  EXPECT_EQ(back.Credit(), kJapanese);
  EXPECT_EQ(back.FrameWidth(), 32);
  EXPECT_EQ(back.GetAntiAlias(), AntiAlias::kHalf);
  EXPECT_EQ(back.CurrentFrame(), 2);
  EXPECT_EQ(back.StateFlags() & 0x0E, kStateContentChanged);
  ASSERT_EQ(back.LayerCount(), 2);
  EXPECT_EQ(*back.LayerAt(0)->Name(), kJapanese);
  EXPECT_TRUE(back.LayerAt(1)->FollowFrame());
  Frame* f0 = back.FrameAt(0);
  EXPECT_EQ(f0->ToneKey(), -1);
  EXPECT_EQ(f0->Time(), -12);
  EXPECT_EQ(f0->Comment(), kJapanese + " comment");
  EXPECT_EQ(f0->EntryAt(1)->cell, -1);
  EXPECT_EQ(f0->EntryAt(0)->x, -3);
  EXPECT_EQ(back.FrameAt(1)->ToneKey(), -101);
  EXPECT_EQ(back.FrameAt(1)->Loop(), 0);
  EXPECT_EQ(back.FrameAt(1)->X(), -100);
  EXPECT_EQ(back.FrameAt(2)->EntryAt(0)->layer, nullptr);
  EXPECT_FALSE(back.FrameAt(2)->ResolveEntry(0).has_value());
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x)
      ASSERT_EQ(back.LayerAt(0)->CellAt(0)->GetPixel(x, y), (x * y + x) % 16);
  EXPECT_EQ(back.LayerAt(0)->CellAt(1)->GetPixel(12, 6), 9);
}

TEST(CutFile, EveryTruncationFailsAndLeavesTheCut) {
  auto cut = SampleCut();
  const std::vector<uint8_t> bytes = CutBytes(*cut);
  for (size_t n = 0; n < bytes.size(); ++n) {
    Cut target(5, 6, 7, "keep", AntiAlias::kFull);
    target.AddFrame();
    std::string error;
    ASSERT_FALSE(ReadBytes(target, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(n)), &error))
        << n;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(target.Credit(), "keep");
    EXPECT_EQ(target.FrameCount(), 1);
  }
  Cut target(0, 0, 0, "", AntiAlias::kFull);
  std::string error;
  EXPECT_FALSE(ReadBytes(target, {'O', 'r', 'v', 'i', 'n', 'a', 'd', 'e', ' ', 'L', 0}, &error));
  EXPECT_EQ(error, "not a cut file");
}

TEST(CutFile, HugeClaimsFailWithoutHugeAllocations) {
  // A layer of 65535 × 65535 with 65535 cells in a tiny file.
  std::vector<uint8_t> bytes(kCutTag, kCutTag + sizeof kCutTag);
  const uint8_t header[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 24, 0, 0, 1, 1, 0};
  bytes.insert(bytes.end(), header, header + sizeof header);
  const uint8_t layer[] = {'L', 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF};
  bytes.insert(bytes.end(), layer, layer + sizeof layer);
  bytes.resize(bytes.size() + 60, 0);
  Cut target(0, 0, 0, "", AntiAlias::kFull);
  std::string error;
  EXPECT_FALSE(ReadBytes(target, bytes, &error));
  EXPECT_NE(error.find("layer[0]"), std::string::npos) << error;

  // Code and literal sizes that claim more than the file holds.
  auto cut = SampleCut();
  std::vector<uint8_t> good = CutBytes(*cut);
  const size_t firstCell = sizeof kCutTag + 8 + 1 + kJapanese.size() + 1 + 4 + kJapanese.size() + 1 + 7;
  for (size_t at : {firstCell, firstCell + 4}) {
    std::vector<uint8_t> bad = good;
    bad[at + 3] = 0x7F;
    EXPECT_FALSE(ReadBytes(target, bad, &error));
  }
}

TEST(CutFile, CopyCodesOutsideTheCellAreRefused) {
  Cut cut(8, 8, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  cut.AddLayer(std::string("L"), 8, 2, nullptr);
  std::vector<uint8_t> bytes = CutBytes(cut);
  // The cell record follows the layer header: sizes, map (1 byte per row), codes, literals.
  const size_t cell = sizeof kCutTag + 8 + 1 + 1 + 4 + 2 + 4 + 1 + 2;
  ASSERT_EQ(bytes[cell], 2);  // codes size
  ASSERT_EQ(bytes[cell + 8], 1);
  bytes[cell + 10] = 0x05;  // row 0, group 0: copy from the row above the cell
  Cut target(0, 0, 0, "", AntiAlias::kFull);
  std::string error;
  EXPECT_FALSE(ReadBytes(target, bytes, &error));
  EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

TEST(CutFile, LimitsAreRefusedInsteadOfTruncated) {
  auto check = [](auto change) {
    auto cut = SampleCut();
    change(*cut);
    BlockStream s;
    std::string error;
    EXPECT_FALSE(WriteCut(*cut, s, &error));
    EXPECT_EQ(s.Length(), 0);
    EXPECT_FALSE(error.empty());
  };
  check([](Cut& c) { c.SetCanvasSize(65536, 10); });
  check([](Cut& c) { c.SetFps(256); });
  check([](Cut& c) { c.FrameAt(0)->SetTime(40000); });
  check([](Cut& c) { c.FrameAt(0)->EntryAt(0)->x = -40000; });
  check([](Cut& c) { c.FrameAt(1)->SetLoop(70000); });
  check([](Cut& c) {
    for (int i = 0; i < 254; ++i) c.AddLayer(std::nullopt, 1, 1, nullptr);
  });
  check([](Cut& c) {
    for (int i = 0; i < 256; ++i) c.FrameAt(2)->InsertEntryAfter(nullptr, 0, 0, 0);
  });
}

TEST(CutFile, StringsKeep255BytesOnACharacterBoundary) {
  auto cut = SampleCut();
  std::string name(255, 'n');
  cut->LayerAt(0)->SetName(name);
  // 253 ASCII bytes and then double-byte characters: the cut must not split one.
  cut->SetCredit(std::string(253, 'c') + kJapanese);
  Cut back(0, 0, 0, "", AntiAlias::kFull);
  ASSERT_TRUE(ReadBytes(back, CutBytes(*cut)));
  EXPECT_EQ(*back.LayerAt(0)->Name(), name);
  EXPECT_EQ(back.Credit(), std::string(253, 'c') + kJapanese.substr(0, 2));
  EXPECT_EQ(TruncateCp932(std::string(254, 'x') + "\x83\x5c", 255), std::string(254, 'x'));
  EXPECT_EQ(TruncateCp932("ab\0cd", 255), "ab");
}

class SavedCut : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("orvina_cut_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(SavedCut, AFailedSaveKeepsTheOldFile) {
  auto cut = SampleCut();
  const std::string path = (dir_ / "a.cut").string();
  ASSERT_TRUE(SaveCut(*cut, path));
  EXPECT_EQ(cut->StateFlags() & kStateUnsaved, 0u);
  const auto size = std::filesystem::file_size(path);

  cut->MarkChanged(kChangeContent);
  cut->FrameAt(0)->SetTime(99999);  // beyond the file's limits
  std::string error;
  EXPECT_FALSE(SaveCut(*cut, path, &error));
  EXPECT_NE(cut->StateFlags() & kStateUnsaved, 0u);
  EXPECT_EQ(std::filesystem::file_size(path), size);
  EXPECT_FALSE(std::filesystem::exists(path + ".saving"));

  // A target folder that does not exist.
  EXPECT_FALSE(SaveCut(*cut, (dir_ / "missing" / "b.cut").string(), &error));

  Cut loaded(0, 0, 0, "", AntiAlias::kFull);
  ASSERT_TRUE(LoadCut(loaded, path, nullptr));
  EXPECT_EQ(loaded.Path(), path);
  EXPECT_EQ(loaded.FrameAt(0)->Time(), -12);
  EXPECT_FALSE(SaveCutToOwnPath(*cut));  // the sample cut has no path
  EXPECT_TRUE(SaveCutToOwnPath(loaded));
}

#ifndef _WIN32
TEST_F(SavedCut, AWriteErrorIsAFailure) {
  // /dev/full accepts the open and fails every write.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP();
  auto cut = SampleCut();
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  FileStream s(full);
  const bool wrote = WriteCut(*cut, s);
  EXPECT_FALSE(wrote && s.Finish());
}
#endif

}  // namespace
