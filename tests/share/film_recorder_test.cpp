#include "share/film_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/memory_stream.h"
#include "tests/anim/ov_stream_builder.h"
#include "tests/share/recording_writer.h"

namespace {

using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Header;
using ovtest::Picture;
using sharetest::RecordingWriter;

// A frame of one grey level: level, duration, repeat.
struct Flat {
  int level, duration, repeat;
};

std::vector<uint8_t> FlatTl(const std::vector<Flat>& frames, uint8_t fps, int16_t w = 8, int16_t h = 4) {
  return ovtest::BuildTl(Header(w, h, 4, fps), [&](CutCoder& c) {
    for (const Flat& f : frames)
      c.Frame(Fields(int16_t(f.duration), int16_t(f.repeat)), Picture(w, h, uint8_t(f.level)));
  });
}

// Records `file` into a writer counting 1200 units a second (whole units at 10, 12 and 24 fps).
struct Recorded {
  RecordingWriter writer{1200};
  bool ok = false;
  std::string error;
  std::vector<int32_t> cuts;
  Recorded(std::vector<uint8_t> file, RecordOptions options = {}) {
    MemoryStream stream(file.data(), int32_t(file.size()), int32_t(file.size()));
    PictureSequence sequence(writer);
    options.cutStarted = [this](int32_t cut) { cuts.push_back(cut); };
    ok = RecordFilm(stream, options, sequence, &error);
  }
};

uint32_t Grey(int v) { return uint32_t(v) * 0x010101u; }

TEST(FilmRecorderTest, OnePassWithItsDissolveStepsAndLoopsAtTheEnginesTimes) {
  // At 12 fps a tick is 100 units. Black 2 ticks; white dissolving in over 3 ticks; a loop
  // of two played twice (grey 85, grey 170); black closes it; then the film would restart.
  Recorded r(FlatTl({{0, 2, 1}, {3, -3, 0}, {1, 1, 2}, {2, 1, 0}, {0, 1, 1}}, 12));
  ASSERT_TRUE(r.ok) << r.error;
  // The old frame keeps 3/4, 2/4, 1/4 of the weight: (0·a + 255·(4 − a)) ÷ 4.
  EXPECT_EQ(r.writer.ColorsAt(3, 2), (std::vector<uint32_t>{Grey(0), Grey(63), Grey(127), Grey(191), Grey(85),
                                                            Grey(170), Grey(85), Grey(170), Grey(0)}));
  EXPECT_EQ(r.writer.Starts(), (std::vector<int64_t>{0, 200, 300, 400, 500, 600, 700, 800, 900}));
  EXPECT_EQ(r.writer.end, 1000);
  EXPECT_FALSE(r.writer.held);
  EXPECT_FALSE(r.writer.added[0].hadBefore);
  EXPECT_EQ(r.writer.added[1].changed, (Rect{0, 0, 8, 4}));
  EXPECT_EQ(r.cuts, std::vector<int32_t>{0});
}

TEST(FilmRecorderTest, AFrameOfDurationZeroEndsTheFilmOnItHeld) {
  Recorded r(ovtest::BuildOv({FlatTl({{0, 1, 1}, {3, 0, 0}, {1, 1, 0}}, 12), FlatTl({{2, 1, 1}}, 12)}, "f", "a", 8, 4));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.writer.ColorsAt(0, 0), (std::vector<uint32_t>{Grey(0), Grey(255)}));
  EXPECT_EQ(r.writer.Starts(), (std::vector<int64_t>{0, 100}));
  EXPECT_TRUE(r.writer.held);

  // A file of one frame is shown still: one picture, held.
  Recorded still(FlatTl({{2, 5, 1}}, 12));
  ASSERT_TRUE(still.ok) << still.error;
  EXPECT_EQ(still.writer.ColorsAt(0, 0), std::vector<uint32_t>{Grey(170)});
  EXPECT_TRUE(still.writer.held);
}

TEST(FilmRecorderTest, CutsKeepTheirOwnRatesAndTheViewAreaIsBlackAroundTheView) {
  // Cut 0: two frames of one tick at 12 fps; cut 1: one frame of two ticks at 10 fps, on a
  // 12 × 6 view area where each 8 × 4 view is centred (x 2..9, y 1..4).
  const auto film = ovtest::BuildOv({FlatTl({{1, 1, 1}, {2, 1, 0}}, 12), FlatTl({{3, 2, 1}}, 10)}, "f", "a", 12, 6);
  Recorded r(film);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.writer.Starts(), (std::vector<int64_t>{0, 100, 200}));
  EXPECT_EQ(r.writer.end, 440);
  EXPECT_EQ(r.writer.ColorsAt(2, 1), (std::vector<uint32_t>{Grey(85), Grey(170), Grey(255)}));
  EXPECT_EQ(r.writer.ColorsAt(9, 4), (std::vector<uint32_t>{Grey(85), Grey(170), Grey(255)}));
  for (auto [x, y] : {std::pair{1, 1}, {10, 4}, {2, 0}, {9, 5}})
    EXPECT_EQ(r.writer.ColorsAt(x, y), (std::vector<uint32_t>{0, 0, 0})) << x << "," << y;
  EXPECT_EQ(r.writer.added[1].changed, (Rect{2, 1, 8, 4}));
  EXPECT_EQ(r.cuts, (std::vector<int32_t>{0, 1}));

  // One cut alone, begun as the player's cut jump begins it; the highlight is its white.
  RecordOptions one;
  one.cut = 1;
  one.highlight = 0xFF00FF;
  Recorded cut(film, one);
  ASSERT_TRUE(cut.ok) << cut.error;
  EXPECT_EQ(cut.writer.ColorsAt(5, 3), std::vector<uint32_t>{0xFF00FF});
  EXPECT_EQ(cut.writer.end, 240);
  EXPECT_EQ(cut.cuts, std::vector<int32_t>{1});
}

TEST(FilmRecorderTest, RefusesWhatItCannotPlayAndFilmsThatNeverEnd) {
  Recorded junk(std::vector<uint8_t>(64, 'x'));
  EXPECT_FALSE(junk.ok);
  EXPECT_EQ(junk.error, "not a playable OV or TL file");
  EXPECT_TRUE(junk.writer.added.empty());

  RecordOptions third;
  third.cut = 2;
  Recorded none(FlatTl({{0, 1, 1}, {1, 1, 0}}, 12), third);
  EXPECT_FALSE(none.ok);
  EXPECT_EQ(none.error, "no cut 2 (the file has 1)");

  // A view area of 0 × 4 shows nothing.
  Recorded empty(ovtest::BuildOv({FlatTl({{0, 1, 1}, {1, 1, 0}}, 12)}, "f", "a", 0, 4));
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.error, "the view area of 0 x 4 shows nothing");

  // A loop of 30000 passes over two frames of 100 ticks at 1 fps lasts 70 days.
  Recorded endless(FlatTl({{0, 1, 1}, {1, 100, 30000}, {2, 100, 0}, {3, 1, 1}}, 1));
  EXPECT_FALSE(endless.ok);
  EXPECT_EQ(endless.error, "plays longer than 86400 seconds");
  EXPECT_FALSE(endless.writer.finished);
}

}  // namespace
