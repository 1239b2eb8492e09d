#include "anim/playback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/memory_stream.h"
#include "model/pixel_class.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Header;
using ovtest::Picture;

// The engine with a timer and a screen that only record what was asked of them. Each paint
// keeps the colour the screen would show at the displayed rectangle's first pixel.
class RecordingPlayback : public Playback {
 public:
  explicit RecordingPlayback(std::vector<uint8_t> file, bool statusBar = true)
      : bytes(std::move(file)), statusBar_(statusBar) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  }
  bool OpenFile() { return Open(stream); }

  std::vector<uint8_t> bytes;
  MemoryStream stream;
  std::vector<int> periods;  // every StartTimer
  int kills = 0, prepares = 0, fits = 0, stopped = 0;
  std::vector<uint32_t> painted;
  std::vector<Rect> paintedSource;
  std::vector<std::string> status;

  uint32_t Shown() {
    const FrameBuffer& fb = Buffer();
    const Rect& s = Displayed().source;
    return fb.CombinedColors()[fb.Bits()[size_t(s.y) * size_t(fb.Stride()) + size_t(s.x)]];
  }

 protected:
  bool PrepareTimer() override { return ++prepares, true; }
  bool StartTimer(int periodMs) override { return periods.push_back(periodMs), true; }
  void KillTimer() override { ++kills; }
  void FitWindow() override { ++fits; }
  void ShowInactive() override {}
  void Invalidate() override {}
  void PaintNow() override {
    painted.push_back(Shown());
    paintedSource.push_back(Displayed().source);
  }
  bool HasStatusBar() const override { return statusBar_; }
  void SetStatusText(const std::string& text) override { status.push_back(text); }
  void PlaybackStopped() override { ++stopped; }

 private:
  bool statusBar_;
};

constexpr uint32_t kBlack = PackColor(0, 0, 0), kWhite = PackColor(255, 255, 255);
uint32_t Grey(int v) { return PackColor(v, v, v); }

// A TL file of flat frames: each (level, duration) one frame of an 8 × 4 image.
std::vector<uint8_t> FlatTl(const std::vector<std::pair<int, int>>& frames, uint8_t fps = 12,
                            const std::string& credit = "cut") {
  return ovtest::BuildTl(Header(8, 4, 4, fps, credit), [&](CutCoder& c) {
    for (auto [level, duration] : frames) c.Frame(Fields(int16_t(duration), 1), Picture(8, 4, uint8_t(level)));
  });
}

TEST(PlaybackTest, HoldsAFrameForItsTicksAndDecodesTheNextInItsLastTick) {
  RecordingPlayback p(FlatTl({{0, 3}, {3, 2}}));
  ASSERT_TRUE(p.OpenFile());
  // Open ran the first tick: frame 1 is on screen for 3 ticks, the timer at 1000 ÷ 12.
  EXPECT_EQ(p.periods, std::vector<int>{83});
  EXPECT_EQ(p.painted, std::vector<uint32_t>{kBlack});
  EXPECT_EQ(p.TicksLeft(), 3);
  EXPECT_EQ(p.AnimDecoder().FrameCounter(), 1);
  p.Tick();
  EXPECT_EQ(p.AnimDecoder().FrameCounter(), 1);
  p.Tick();  // the last tick of frame 1 decodes frame 2 into the hidden page
  EXPECT_EQ(p.AnimDecoder().FrameCounter(), 2);
  EXPECT_EQ(p.NextDuration(), 2);
  EXPECT_EQ(p.painted.size(), 1u);
  EXPECT_EQ(p.Shown(), kBlack) << "the old frame stays until the switch";
  p.Tick();
  EXPECT_EQ(p.painted.back(), kWhite);
  EXPECT_EQ(p.TicksLeft(), 2);
  // Frame 2 holds two ticks, then the cut starts again.
  p.Tick();
  p.Tick();
  EXPECT_EQ(p.painted.back(), kBlack);
  EXPECT_EQ(p.painted.size(), 3u);
  EXPECT_EQ(p.periods.size(), 1u) << "the rate did not change";
  EXPECT_EQ(p.kills, 0);
}

TEST(PlaybackTest, DissolveWeightsAndViewMoveLinearly) {
  // A 24 × 4 image with an 8-wide view: frame 1 black at x 0, frame 2 white dissolving over
  // 4 ticks while the view moves to x 10.
  auto header = Header(24, 4, 4, 12);
  header.viewWidth = 8;
  auto file = ovtest::BuildTl(header, [](CutCoder& c) {
    c.Frame(Fields(1, 1), Picture(24, 4, 0));
    auto f = Fields(-4);
    f.viewX = 10;
    c.Frame(f, Picture(24, 4, 3));
    f = Fields(5);
    f.viewX = 10;
    c.Frame(f, Picture(24, 4, 3));
  });
  RecordingPlayback p(file);
  ASSERT_TRUE(p.OpenFile());
  // Open: frame 1 shown, duration 1, so frame 2 was decoded at once.
  EXPECT_EQ(p.NextDuration(), -4);
  for (int i = 0; i < 4; ++i) p.Tick();
  // The old frame keeps 4/5, 3/5, 2/5 and 1/5 of the weight.
  EXPECT_EQ(p.painted, (std::vector<uint32_t>{kBlack, Grey(51), Grey(102), Grey(153), Grey(204)}));
  std::vector<int32_t> xs;
  for (const Rect& r : p.paintedSource) xs.push_back(r.x);
  EXPECT_EQ(xs, (std::vector<int32_t>{0, 2, 4, 6, 8}));
  EXPECT_EQ(p.paintedSource.back().width, 8);
  // The next tick switches to frame 3 at the frame's own view, unblended.
  p.Tick();
  EXPECT_EQ(p.painted.back(), kWhite);
  EXPECT_EQ(p.Displayed().source.x, 10);
  EXPECT_EQ(p.TicksLeft(), 5);
}

TEST(PlaybackTest, DurationZeroStopsOnThatFrame) {
  RecordingPlayback p(FlatTl({{0, 1}, {2, 0}, {3, 1}}));
  ASSERT_TRUE(p.OpenFile());
  EXPECT_TRUE(p.TimerRunning());
  p.Tick();
  EXPECT_EQ(p.painted.back(), Grey(170));
  EXPECT_FALSE(p.TimerRunning());
  EXPECT_EQ(p.TimerRate(), 0);
  EXPECT_EQ(p.kills, 1);
  EXPECT_EQ(p.stopped, 1);
  EXPECT_EQ(p.TicksLeft(), 1);
  EXPECT_EQ(p.status.back(), "cut") << "Stop shows the credit";
  // Playing on starts a new timer and goes to the next frame.
  p.Tick();
  EXPECT_TRUE(p.TimerRunning());
  EXPECT_EQ(p.periods.size(), 2u);
  EXPECT_EQ(p.painted.back(), kWhite);
}

TEST(PlaybackTest, ASingleFrameIsShownStillWithoutATimer) {
  RecordingPlayback p(FlatTl({{2, 7}}));
  ASSERT_TRUE(p.OpenFile());
  EXPECT_FALSE(p.TimerRunning());
  EXPECT_EQ(p.TimerRate(), 0);
  EXPECT_EQ(p.prepares, 0);
  EXPECT_TRUE(p.periods.empty());
  EXPECT_EQ(p.Shown(), Grey(170));
  EXPECT_EQ(p.fits, 1);

  // Two frames, or two cuts of one frame each, do play.
  RecordingPlayback two(FlatTl({{2, 7}, {1, 7}}));
  ASSERT_TRUE(two.OpenFile());
  EXPECT_TRUE(two.TimerRunning());
  auto one = FlatTl({{2, 7}});
  RecordingPlayback film(ovtest::BuildOv({one, one}, "f", "a", 8, 4));
  ASSERT_TRUE(film.OpenFile());
  EXPECT_TRUE(film.TimerRunning());
}

TEST(PlaybackTest, TimerPeriodFollowsStepFactorAndEachCutsRate) {
  EXPECT_EQ(Playback::TimerPeriod(10, 24), 416);
  EXPECT_EQ(Playback::TimerPeriod(10, 12), 833);
  EXPECT_EQ(Playback::TimerPeriod(1, 12), 83);
  EXPECT_EQ(Playback::TimerPeriod(1, 255), 3);
  EXPECT_EQ(Playback::TimerPeriod(1, 0), 1000);
  EXPECT_EQ(Playback::TimerPeriod(0, 10), 100);

  // Cut 1 at 12 fps, cut 2 at 5: the period changes at the first frame of cut 2.
  RecordingPlayback p(ovtest::BuildOv({FlatTl({{0, 2}, {1, 2}}, 12, "one"), FlatTl({{3, 2}}, 5, "two")},
                                      "f", "a", 8, 4));
  ASSERT_TRUE(p.OpenFile());
  std::vector<int> switchPeriods;
  for (int i = 0; i < 4; ++i) {
    p.Tick();
    if (p.TicksLeft() == 2) switchPeriods.push_back(p.CurrentPeriod());
  }
  EXPECT_EQ(switchPeriods, (std::vector<int>{83, 200}));
  EXPECT_EQ(p.periods, (std::vector<int>{83, 200}));
  EXPECT_EQ(p.painted.back(), kWhite);
  // Back at cut 1 the rate changes again; in step mode the period is ten times as long.
  p.Stop();
  p.SetStepFactor(10);
  p.Tick();
  EXPECT_EQ(p.periods.back(), 2000) << "restarted in step mode at cut 2's rate";
  p.Tick();
  EXPECT_EQ(p.painted.back(), kBlack);
  EXPECT_EQ(p.periods.back(), 833);
}

TEST(PlaybackTest, ADamagedRateOfZeroPlaysAtOneFrameASecond) {
  auto file = FlatTl({{0, 1}, {3, 1}}, 12);
  // The rate byte follows the credit "cut\0" and four sizes in the cut header at 6.
  file[6 + 4 + 8] = 0;
  RecordingPlayback p(file);
  ASSERT_TRUE(p.OpenFile());
  EXPECT_EQ(p.periods, std::vector<int>{1000});
  p.Tick();
  EXPECT_EQ(p.painted.back(), kWhite);
}

TEST(PlaybackTest, ARefusedStreamIsNeverDecodedAfterwards) {
  RecordingPlayback p(FlatTl({{0, 1}, {3, 1}}));
  ASSERT_TRUE(p.OpenFile());
  p.Stop();
  // The owner puts other bytes under the same stream, as the player does when loading.
  std::vector<uint8_t> junk(300, 0x5A);
  p.stream.Attach(junk.data(), int32_t(junk.size()), int32_t(junk.size()));
  EXPECT_FALSE(p.Open(p.stream));
  EXPECT_FALSE(p.IsOpen());
  const size_t paints = p.painted.size();
  const int32_t at = p.stream.Position();
  p.Tick();
  EXPECT_EQ(p.painted.size(), paints);
  EXPECT_EQ(p.stream.Position(), at);
  EXPECT_FALSE(p.TimerRunning());
  EXPECT_EQ(p.ViewAreaWidth(), 0);
  // A good file opens again afterwards.
  p.stream.Attach(p.bytes.data(), int32_t(p.bytes.size()), int32_t(p.bytes.size()));
  EXPECT_TRUE(p.Open(p.stream));
  EXPECT_TRUE(p.IsOpen());
}

TEST(PlaybackTest, StatusShowsTheCreditInStepModeAndClearsAtNormalSpeed) {
  RecordingPlayback p(ovtest::BuildOv({FlatTl({{0, 1}, {1, 1}}, 12, "one"), FlatTl({{3, 1}, {2, 1}}, 12, "two")},
                                      "f", "a", 8, 4));
  ASSERT_TRUE(p.OpenFile());
  p.Stop();
  p.SetStepFactor(2);
  EXPECT_EQ(p.status.back(), "one");
  p.status.clear();
  for (int i = 0; i < 4; ++i) p.Tick();
  // The first frame of each cut shows its credit; the others leave the text alone.
  EXPECT_EQ(p.status, (std::vector<std::string>{"two", "one"}));
  p.Stop();
  p.SetStepFactor(1);
  EXPECT_EQ(p.status.back(), "");
  p.status.clear();
  p.Tick();
  p.Tick();
  EXPECT_EQ(p.status, (std::vector<std::string>{""}));

  // Without a status bar nothing is asked for.
  RecordingPlayback quiet(FlatTl({{0, 1}, {1, 1}}), false);
  ASSERT_TRUE(quiet.OpenFile());
  quiet.SetStepFactor(3);
  quiet.Stop();
  EXPECT_TRUE(quiet.status.empty());
}

TEST(PlaybackTest, PaintPlanCopiesWhatLiesInsideAndBlackensTheRest) {
  // Centred inside: four bands around the copy.
  ViewPlacement v{10, 5, Rect{2, 3, 20, 10}};
  PaintPlan plan = PlanPaint(40, 20, 64, 64, v);
  EXPECT_EQ(plan.copy, (Rect{10, 5, 20, 10}));
  EXPECT_EQ(plan.sourceX, 2);
  EXPECT_EQ(plan.sourceY, 3);
  EXPECT_EQ(plan.bands[0], (Rect{0, 0, 40, 5}));
  EXPECT_EQ(plan.bands[1], (Rect{0, 5, 10, 10}));
  EXPECT_EQ(plan.bands[2], (Rect{30, 5, 10, 10}));
  EXPECT_EQ(plan.bands[3], (Rect{0, 15, 40, 5}));

  // A view reaching past the buffer's right and left edges copies only the buffer.
  plan = PlanPaint(40, 20, 16, 64, ViewPlacement{0, 0, Rect{-4, 0, 40, 20}});
  EXPECT_EQ(plan.copy, (Rect{4, 0, 16, 20}));
  EXPECT_EQ(plan.sourceX, 0);
  EXPECT_EQ(plan.bands[2], (Rect{20, 0, 20, 20}));

  // A view larger than the area is cut to it.
  plan = PlanPaint(10, 10, 64, 64, ViewPlacement{-5, -5, Rect{0, 0, 20, 20}});
  EXPECT_EQ(plan.copy, (Rect{0, 0, 10, 10}));
  EXPECT_EQ(plan.sourceX, 5);
  EXPECT_EQ(plan.sourceY, 5);
  for (const Rect& b : plan.bands) EXPECT_TRUE(b.IsEmpty());

  // Nothing inside: the whole area is black.
  plan = PlanPaint(10, 10, 8, 8, ViewPlacement{0, 0, Rect{100, 0, 8, 8}});
  EXPECT_TRUE(plan.copy.IsEmpty());
  EXPECT_EQ(plan.bands[0], (Rect{0, 0, 10, 10}));
}

}  // namespace
