// The timing sheet's exposure checked against the decoder playing the compiled cut: the
// same frames for the same ticks, in the same order, loops and dissolves included.
#include "export/exposure.h"

#include <gtest/gtest.h>

#include <random>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "export/compile_cache.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

struct Shown {
  int32_t frame, ticks;
  bool dissolve;
  bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
  return out << "{" << s.frame << ", " << s.ticks << (s.dissolve ? ", dissolve}" : "}");
}

// A small cut whose frame k has brightness k, so that the decoder tells which frame it shows.
std::unique_ptr<Cut> RandomCut(uint32_t seed) {
  std::mt19937 rng(seed);
  auto cut = std::make_unique<Cut>(8, 8, 12, "", AntiAlias::kFull);
  for (int l = 0; l < 2; ++l) {
    Layer* layer = cut->AddLayer(std::nullopt, 8, 8, nullptr);
    layer->InsertCellAfter(0, 1);
  }
  const int frames = 2 + int(rng() % 9);
  for (int k = 0; k < frames; ++k) {
    Frame* frame = cut->AddFrame();
    frame->SetTime(int32_t(rng() % 9) - 3);          // dissolves and, rarely, a stop
    if (frame->Time() == 0 && rng() % 2) frame->SetTime(2);
    frame->SetLoop(int32_t(std::vector<int>{0, 0, 0, 1, 2, 3}[rng() % 6]));
    frame->SetToneKey(k);
    frame->SetKeyframe(rng() % 5 == 0);
    frame->InsertEntryAfter(cut->LayerAt(int32_t(rng() % 2)), int32_t(rng() % 2), 0, 0);
  }
  return cut;
}

// What the decoder shows of the first cut of [cut, a one-frame cut] until the second
// begins or a frame of duration 0 stops the player.
std::vector<Shown> Decoded(Cut& cut) {
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream first, second, film;
  Cut other(8, 8, 12, "", AntiAlias::kFull);
  other.AddLayer(std::nullopt, 8, 8, nullptr);
  other.AddFrame()->InsertEntryAfter(other.LayerAt(0), 0, 0, 0);
  EXPECT_TRUE(CompileCut(cut, buffer, work, first));
  EXPECT_TRUE(CompileCut(other, buffer, work, second));
  ov::OvWriter ov(film);
  ov.Begin("", "", 8, 8, 2);
  ov.BeginCut(0);
  ov.AppendTl(first);
  ov.BeginCut(1);
  ov.AppendTl(second);
  ov.Finish();
  FrameBuffer playing;
  Decoder decoder(playing);
  EXPECT_TRUE(decoder.Open(film));
  std::vector<Shown> shown;
  for (int n = 0; n < 10000; ++n) {
    const int16_t duration = int16_t(decoder.NextFrame());
    if (decoder.CurrentCut() != 0) break;
    shown.push_back({int32_t(decoder.Frame().brightness), duration == 0 ? 1 : std::abs(duration), duration < 0});
    if (duration == 0) break;
  }
  return shown;
}

TEST(Exposure, PlaysTheFramesTheDecoderPlaysForAsManyTicks) {
  int loops = 0, dissolves = 0, stops = 0, keyframes = 0;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    auto cut = RandomCut(seed);
    Exposure e;
    ASSERT_TRUE(CutExposure(*cut, e, nullptr));
    std::vector<Shown> got;
    int64_t tick = 0;
    for (const Showing& s : e.showings) {
      EXPECT_EQ(s.start, tick) << "seed " << seed;
      tick += s.ticks;
      got.push_back({s.frame, s.ticks, s.dissolve});
      dissolves += s.dissolve;
    }
    EXPECT_EQ(e.ticks, tick);
    EXPECT_EQ(got, Decoded(*cut)) << "seed " << seed;
    stops += e.stops;
    loops += int(e.showings.size()) > cut->FrameCount();
    for (int32_t k = 0; k < cut->FrameCount(); ++k) keyframes += cut->FrameAt(k)->IsKeyframe();
  }
  // The cuts tried what matters.
  EXPECT_GT(loops, 30);
  EXPECT_GT(dissolves, 30);
  EXPECT_GT(stops, 10);
  EXPECT_GT(keyframes, 30);
}

TEST(Exposure, ShowsTheTopmostCellOfALayerAndRefusesWhatNoSheetHolds) {
  Cut cut(8, 8, 24, "", AntiAlias::kFull);
  Layer* a = cut.AddLayer(std::nullopt, 8, 8, nullptr);
  cut.AddLayer(std::nullopt, 8, 8, nullptr);
  for (int c = 0; c < 3; ++c) a->InsertCellAfter(c, 0);
  Frame* frame = cut.AddFrame();
  frame->InsertEntryAfter(a, 1, 0, 0);
  frame->InsertEntryAfter(a, ~2, 0, 0);  // empty, on top: the cell below shows
  frame->InsertEntryAfter(nullptr, 0, 0, 0);
  Exposure e;
  ASSERT_TRUE(CutExposure(cut, e, nullptr));
  ASSERT_EQ(e.showings.size(), 1u);
  EXPECT_EQ(e.Cell(e.showings[0], 0), 1);
  EXPECT_EQ(e.Cell(e.showings[0], 1), Exposure::kEmpty);

  // 30000 ticks played 200 times over 3 columns.
  frame->SetTime(30000);
  frame->SetLoop(200);
  std::string error;
  EXPECT_FALSE(CutExposure(cut, e, &error));
  EXPECT_EQ(error, "plays longer than a sheet holds (1398101 ticks with 2 layers)");
  EXPECT_TRUE(e.showings.empty());
}

}  // namespace
