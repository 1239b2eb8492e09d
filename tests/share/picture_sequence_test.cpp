#include "share/picture_sequence.h"

#include <gtest/gtest.h>

#include <vector>

#include "share/color_index.h"
#include "tests/share/recording_writer.h"

namespace {

using sharetest::Flat;
using sharetest::RecordingWriter;

TEST(FilmTimeTest, RoundsTheRunningTimeSoTheWholeIsExact) {
  // 48 ticks at 24 fps: 2.00 s, in hundredths 4, 4, 5, 4, 4, 4 over and over.
  FilmTime t;
  std::vector<int64_t> delays;
  int64_t was = 0;
  for (int k = 0; k < 48; ++k) {
    t.AddTicks(1, 24);
    delays.push_back(t.Round(100) - was);
    was = t.Round(100);
  }
  std::vector<int64_t> expected;
  for (int k = 0; k < 8; ++k) expected.insert(expected.end(), {4, 4, 5, 4, 4, 4});
  EXPECT_EQ(delays, expected);
  EXPECT_EQ(t.Round(100), 200);
  EXPECT_EQ(t.Round(1000), 2000);

  // Rates mix exactly: 3 ticks at 24 and 2 at 10 are 0.325 s, rounded half up.
  FilmTime mixed;
  mixed.AddTicks(3, 24);
  mixed.AddTicks(2, 10);
  EXPECT_EQ(mixed.Round(1000), 325);
  EXPECT_EQ(mixed.Round(100), 33);
  // A damaged rate of 0 counts as 1 frame a second.
  mixed.AddTicks(1, 0);
  EXPECT_EQ(mixed.Round(1000), 1325);

  // Cycling through every rate keeps time close enough to round to the millisecond.
  FilmTime many;
  double seconds = 0;
  for (int round = 0; round < 3; ++round)
    for (int fps = 1; fps <= 255; ++fps) many.AddTicks(1, fps), seconds += 1.0 / fps;
  EXPECT_NEAR(double(many.Round(1000)), seconds * 1000, 0.51);
}

// Pictures 4 × 2, each of one colour except where a test paints, on a running clock.
class SequenceTest : public ::testing::Test {
 protected:
  // The clock after `ticks` more ticks at `fps`.
  const FilmTime& After(int ticks, int fps) {
    now_.AddTicks(ticks, fps);
    return now_;
  }
  RecordingWriter writer{100};
  const Canvas black = Flat(4, 2, 0), white = Flat(4, 2, 0xFFFFFF), grey = Flat(4, 2, 0x808080);

 private:
  FilmTime now_;
};

TEST_F(SequenceTest, PicturesTooShortToSeeAreLeftOut) {
  // At 255 fps a tick is 0.39 hundredths: the grey shown from 1.96 to 2.35 rounds away.
  PictureSequence sequence(writer);
  ASSERT_TRUE(sequence.Show(black, black.Whole(), After(0, 255)));
  ASSERT_TRUE(sequence.Show(white, white.Whole(), After(3, 255)));  // 1.18 → 1
  ASSERT_TRUE(sequence.Show(grey, grey.Whole(), After(2, 255)));    // 1.96 → 2
  ASSERT_TRUE(sequence.Show(black, black.Whole(), After(1, 255)));  // 2.35 → 2
  ASSERT_TRUE(sequence.Show(white, white.Whole(), After(249, 255)));
  ASSERT_TRUE(sequence.End(After(255, 255), false));
  EXPECT_EQ(writer.Starts(), (std::vector<int64_t>{0, 1, 2, 100}));
  EXPECT_EQ(writer.ColorsAt(0, 0), (std::vector<uint32_t>{0, 0xFFFFFF, 0, 0xFFFFFF}));
  EXPECT_EQ(writer.end, 200);
  EXPECT_FALSE(writer.held);
  EXPECT_FALSE(writer.added[0].hadBefore);
  EXPECT_TRUE(writer.added[1].hadBefore);
}

TEST_F(SequenceTest, APictureEqualToTheOneStoredLastContinuesIt) {
  // White is too short to see; the black after it is the black before, which goes on.
  PictureSequence sequence(writer);
  ASSERT_TRUE(sequence.Show(black, black.Whole(), After(0, 255)));
  ASSERT_TRUE(sequence.Show(white, white.Whole(), After(255, 255)));
  ASSERT_TRUE(sequence.Show(black, black.Whole(), After(1, 255)));
  ASSERT_TRUE(sequence.Show(grey, grey.Whole(), After(255, 255)));
  ASSERT_TRUE(sequence.End(After(255, 255), false));
  EXPECT_EQ(writer.Starts(), (std::vector<int64_t>{0, 200}));
  EXPECT_EQ(writer.ColorsAt(0, 0), (std::vector<uint32_t>{0, 0x808080}));
  EXPECT_EQ(writer.end, 300);
}

TEST_F(SequenceTest, TheWriterGetsTheExactChangedRectangleAgainstThePictureStoredLast) {
  PictureSequence sequence(writer);
  Canvas a = grey;
  ASSERT_TRUE(sequence.Show(a, a.Whole(), After(0, 10)));
  Canvas b = a;
  b.Row(1)[2] = Canvas::kBlack;
  // The caller may name a larger rectangle.
  ASSERT_TRUE(sequence.Show(b, b.Whole(), After(1, 10)));
  Canvas c = b;
  c.Row(0)[0] = Canvas::kBlack;
  ASSERT_TRUE(sequence.Show(c, Rect{0, 0, 1, 1}, After(1, 10)));  // from 20 to 20.39: unseen
  c.Row(0)[0] = a.Row(0)[0];
  c.Row(0)[3] = Canvas::kBlack;
  ASSERT_TRUE(sequence.Show(c, Rect{0, 0, 4, 1}, After(1, 255)));
  ASSERT_TRUE(sequence.End(After(1, 10), true));
  ASSERT_EQ(writer.added.size(), 3u);
  EXPECT_EQ(writer.added[0].changed, (Rect{0, 0, 4, 2}));
  EXPECT_EQ(writer.added[1].changed, (Rect{2, 1, 1, 1}));
  // The pixel set and set back in between does not count.
  EXPECT_EQ(writer.added[2].changed, (Rect{3, 0, 1, 1}));
  EXPECT_EQ(writer.added[2].picture, c);
  EXPECT_EQ(writer.Starts(), (std::vector<int64_t>{0, 10, 20}));
  // Held: the film stops on the last picture.
  EXPECT_TRUE(writer.held);
  EXPECT_EQ(writer.end, 30);
}

TEST_F(SequenceTest, AHeldOrOnlyPictureIsStoredHoweverShortAndTooManyFail) {
  PictureSequence sequence(writer);
  ASSERT_TRUE(sequence.Show(white, white.Whole(), After(0, 255)));
  ASSERT_TRUE(sequence.Show(black, black.Whole(), After(1, 100)));
  ASSERT_TRUE(sequence.End(After(0, 100), true));
  EXPECT_EQ(writer.ColorsAt(0, 0), (std::vector<uint32_t>{0xFFFFFF, 0}));

  RecordingWriter one(100);
  PictureSequence only(one);
  FilmTime t;
  ASSERT_TRUE(only.Show(white, white.Whole(), t));
  t.AddTicks(1, 255);
  ASSERT_TRUE(only.End(t, false));
  EXPECT_EQ(one.added.size(), 1u);
  EXPECT_EQ(one.end, 0);

  RecordingWriter few(100);
  PictureSequence limited(few, 2);
  FilmTime u;
  for (const Canvas* c : {&white, &black, &grey}) {
    ASSERT_TRUE(limited.Show(*c, c->Whole(), u));
    u.AddTicks(1, 10);
  }
  EXPECT_FALSE(limited.Show(white, white.Whole(), u));
  EXPECT_EQ(limited.Error(), "more than 2 pictures");
  EXPECT_FALSE(few.finished);
}

TEST(ColorIndexTest, OnlyTheColoursUsedWithATransparentIndexForWhatStayed) {
  const uint32_t k = Canvas::kOpaque;
  Canvas before = Flat(3, 2, 0x000000);
  Canvas now = before;
  now.px = {k | 0x00FF00, k | 0x000000, k | 0x00FF00,  //
            k | 0x0000FF, k | 0x0000FF, k | 0x000000};
  IndexedRect r;
  ASSERT_TRUE(IndexRect(now, nullptr, now.Whole(), 256, false, r));
  EXPECT_EQ(r.colors, (std::vector<uint32_t>{k | 0x00FF00, k | 0x000000, k | 0x0000FF}));
  EXPECT_EQ(r.index, (std::vector<uint8_t>{0, 1, 0, 2, 2, 1}));
  EXPECT_EQ(r.transparent, -1);

  // Against the picture before: the black pixels stayed, index 0 stands for them.
  ASSERT_TRUE(IndexRect(now, &before, Rect{-5, 0, 20, 20}, 256, false, r));
  EXPECT_EQ(r.rect, (Rect{0, 0, 3, 2}));
  EXPECT_EQ(r.transparent, 0);
  EXPECT_EQ(std::vector<uint32_t>(r.colors.begin() + 1, r.colors.end()),
            (std::vector<uint32_t>{k | 0x00FF00, k | 0x0000FF}));
  EXPECT_EQ(r.index, (std::vector<uint8_t>{1, 0, 1, 2, 2, 0}));
  // A rectangle where everything changed needs no transparent entry.
  ASSERT_TRUE(IndexRect(now, &before, Rect{0, 1, 2, 1}, 256, false, r));
  EXPECT_EQ(r.transparent, -1);
  EXPECT_EQ(r.colors, (std::vector<uint32_t>{k | 0x0000FF}));
  EXPECT_EQ(r.index, (std::vector<uint8_t>{0, 0}));

  // More colours than the table holds: refused, or the nearest one taken.
  now.px[5] = k | 0x0000F0;
  EXPECT_FALSE(IndexRect(now, nullptr, now.Whole(), 3, false, r));
  ASSERT_TRUE(IndexRect(now, nullptr, now.Whole(), 3, true, r));
  EXPECT_TRUE(r.approximated);
  EXPECT_EQ(r.colors.size(), 3u);
  EXPECT_EQ(r.index[5], 2) << "0000F0 is nearest to 0000FF";
}

}  // namespace
