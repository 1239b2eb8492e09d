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
  for (int k = 0; k < 48; ++k) {
    const int64_t was = t.Round(100);
    t.AddTicks(1, 24);
    delays.push_back(t.Round(100) - was);
  }
  std::vector<int64_t> expected;
  for (int k = 0; k < 8; ++k) expected.insert(expected.end(), {4, 4, 5, 4, 4, 4});
  EXPECT_EQ(delays, expected);
  EXPECT_EQ(t.Round(1000), 2000);
  // Rates mix exactly (3/24 + 2/10 = 0.325 s, half up); a damaged rate of 0 counts as 1.
  FilmTime mixed;
  mixed.AddTicks(3, 24);
  mixed.AddTicks(2, 10);
  EXPECT_EQ(mixed.Round(100), 33);
  mixed.AddTicks(1, 0);
  EXPECT_EQ(mixed.Round(1000), 1325);
  // Cycling through every rate outgrows any common denominator; time stays within 1 ms.
  FilmTime many;
  double seconds = 0;
  for (int round = 0; round < 3; ++round)
    for (int fps = 1; fps <= 255; ++fps) many.AddTicks(1, fps), seconds += 1.0 / fps;
  EXPECT_NEAR(double(many.Round(1000)), seconds * 1000, 0.51);
}

// Paints `c` on the sequence's screen `ticks` ticks at `fps` after the last paint.
void Paint(PictureSequence& sequence, FilmTime& t, const Canvas& c, int ticks, int fps, Rect changed = {0, 0, 4, 2}) {
  t.AddTicks(ticks, fps);
  ASSERT_TRUE(sequence.Advance(t));
  sequence.Screen() = c;
  ASSERT_TRUE(sequence.Painted(changed));
}

TEST(PictureSequenceTest, UnseenPicturesAreLeftOutEqualOnesMergeAndChangesAreExact) {
  // At 255 fps a tick is 0.39 hundredths of a second.
  RecordingWriter writer(100);
  PictureSequence sequence(writer);
  FilmTime t;
  const Canvas black = Flat(4, 2, 0), white = Flat(4, 2, 0xFFFFFF), grey = Flat(4, 2, 0x808080);
  Canvas dot = grey;
  dot.Row(1)[2] = Canvas::kBlack;
  Paint(sequence, t, grey, 0, 10);
  Paint(sequence, t, white, 3, 255);  // 1.18 → 1
  Paint(sequence, t, black, 2, 255);  // 1.96 → 2, and gone at 2.35: never seen
  Paint(sequence, t, white, 1, 255);  // equal to the picture stored last, which goes on
  Paint(sequence, t, grey, 1, 10);    // 12.35 → 12
  Paint(sequence, t, grey, 1, 10, Rect{});
  Paint(sequence, t, dot, 1, 10, grey.Whole());
  ASSERT_TRUE(sequence.End(t, true));
  EXPECT_EQ(writer.Starts(), (std::vector<int64_t>{0, 1, 12, 32}));
  EXPECT_EQ(writer.ColorsAt(0, 0), (std::vector<uint32_t>{0x808080, 0xFFFFFF, 0x808080, 0x808080}));
  EXPECT_FALSE(writer.added[0].hadBefore);
  EXPECT_EQ(writer.added[0].changed, (Rect{0, 0, 4, 2}));
  // The writer gets the rectangle where the picture differs from the one stored before.
  EXPECT_EQ(writer.added[3].changed, (Rect{2, 1, 1, 1}));
  EXPECT_EQ(writer.added[3].picture, dot);
  // Held: the film stops on the last picture, stored however short it was.
  EXPECT_TRUE(writer.held);
  EXPECT_EQ(writer.end, 32);

  RecordingWriter few(100);
  PictureSequence limited(few, 2);
  FilmTime u;
  for (const Canvas* c : {&white, &black, &grey}) Paint(limited, u, *c, 1, 10);
  u.AddTicks(1, 10);
  EXPECT_FALSE(limited.Advance(u));
  EXPECT_EQ(limited.Error(), "more than 2 pictures");
  EXPECT_FALSE(few.finished);
}

TEST(ColorIndexTest, OnlyTheColoursUsedWithATransparentIndexForWhatStayed) {
  const uint32_t k = Canvas::kOpaque;
  const Canvas before = Flat(3, 2, 0x000000);
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
  EXPECT_EQ(r.index, (std::vector<uint8_t>{0, 0}));
  // More colours than the table holds: refused, or the nearest one taken.
  now.px[5] = k | 0x0000F0;
  EXPECT_FALSE(IndexRect(now, nullptr, now.Whole(), 3, false, r));
  ASSERT_TRUE(IndexRect(now, nullptr, now.Whole(), 3, true, r));
  EXPECT_TRUE(r.approximated);
  EXPECT_EQ(r.index[5], 2) << "0000F0 is nearest to 0000FF";
}

}  // namespace
