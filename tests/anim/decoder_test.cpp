#include "anim/decoder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "anim/frame_pixel_writer.h"
#include "io/memory_stream.h"
#include "model/pixel_class.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Header;
using ovtest::Picture;
using ovtest::Policy;

// A player: the file in memory, a frame buffer and a decoder opened on them.
struct Player {
  std::vector<uint8_t> bytes;
  MemoryStream stream;
  FrameBuffer buffer;
  Decoder decoder{buffer};
  explicit Player(std::vector<uint8_t> file) : bytes(std::move(file)) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    opened = decoder.Open(stream);
  }
  bool opened = false;
};

// Whether the current page shows `p` (visible pixels), and the other page `q`.
::testing::AssertionResult Shows(FrameBuffer& fb, const Picture& p, const Picture* q = nullptr) {
  for (int32_t y = 0; y < p.height; ++y)
    for (int32_t x = 0; x < p.width; ++x) {
      if (fb.GetPixel(x, y) != p.At(x, y))
        return ::testing::AssertionFailure() << "current page at " << x << "," << y << ": "
                                             << fb.GetPixel(x, y) << " != " << int(p.At(x, y));
      if (q && fb.GetOtherPixel(x, y) != q->At(x, y))
        return ::testing::AssertionFailure() << "other page at " << x << "," << y;
    }
  return ::testing::AssertionSuccess();
}

// The frames decoded in turn show the pictures, each frame's other page the one before.
::testing::AssertionResult ShowsInTurn(Player& player, const std::vector<Picture>& frames) {
  for (size_t i = 0; i < frames.size(); ++i) {
    player.decoder.NextFrame();
    ::testing::AssertionResult shown = Shows(player.buffer, frames[i], i > 0 ? &frames[i - 1] : nullptr);
    if (!shown) return shown << " in frame " << i;
  }
  return ::testing::AssertionSuccess();
}

// A drawn-looking picture: flat areas, outlines and some grain.
Picture Drawing(int32_t w, int32_t h, int levels, std::mt19937& rng) {
  Picture p(w, h, uint8_t(levels - 1));
  std::uniform_int_distribution<int> level(0, levels - 1);
  for (int i = 0; i < 6; ++i) {
    const int32_t x = int32_t(rng() % uint32_t(w)), y = int32_t(rng() % uint32_t(h));
    p.FillRect(x, y, std::min<int32_t>(w - x, 1 + int32_t(rng() % 12)),
               std::min<int32_t>(h - y, 1 + int32_t(rng() % 9)), uint8_t(level(rng)));
  }
  for (int i = 0; i < w * h / 10; ++i) p.Set(int32_t(rng() % uint32_t(w)), int32_t(rng() % uint32_t(h)), uint8_t(level(rng)));
  return p;
}

// A change of part of the picture.
Picture Change(const Picture& from, int levels, std::mt19937& rng) {
  Picture p = from;
  const int32_t x = int32_t(rng() % uint32_t(p.width)), y = int32_t(rng() % uint32_t(p.height));
  const int32_t w = 1 + int32_t(rng() % uint32_t(p.width - x)), h = 1 + int32_t(rng() % uint32_t(p.height - y));
  for (int32_t j = y; j < y + h; ++j)
    for (int32_t i = x; i < x + w; ++i)
      if (rng() % 3 == 0) p.Set(i, j, uint8_t(rng() % uint32_t(levels)));
  return p;
}

}  // namespace

TEST(Decoder, DecodesWhatWasCodedWithEveryCodeAtBothLevelCounts) {
  std::mt19937 rng(7);
  int used[16] = {};
  for (int levels : {4, 13}) {
    for (int16_t w : {5, 10, 13, 24, 37, 64}) {
      for (Policy policy : {Policy::kGreedy, Policy::kRotate, Policy::kLiterals}) {
        const int16_t h = int16_t(w % 2 ? 3 + w % 7 : 9 + w % 5);
        std::vector<Picture> frames = {Drawing(w, h, levels, rng)};
        for (int i = 0; i < 6; ++i) frames.push_back(i == 3 ? frames.back() : Change(frames.back(), levels, rng));
        const auto tl = ovtest::BuildTl(Header(w, h, levels), [&](CutCoder& c) {
          for (const Picture& p : frames) c.Frame(Fields(1), p, policy);
          for (int k = 0; k < 16; ++k) used[k] += c.codeUse[k];
        });
        Player player(tl);
        ASSERT_TRUE(player.opened);
        ASSERT_TRUE(ShowsInTurn(player, frames)) << "levels " << levels << " width " << w;
        EXPECT_TRUE(player.decoder.AtEnd());
      }
    }
  }
  for (int k = 0; k < 16; ++k) EXPECT_GT(used[k], 0) << "code " << k;
}

TEST(Decoder, WideFramesWithLongRunsOfOneCodeDecodeAsCoded) {
  // Rows of many blocks: runs of sixteen blocks of one code (copies, literals, the previous
  // frame) between mixed ones, at both page parities.
  std::mt19937 rng(13);
  for (int levels : {4, 13}) {
    for (int16_t w : {150, 301}) {
      for (Policy policy : {Policy::kGreedy, Policy::kRotate, Policy::kLiterals}) {
        const int16_t h = 21;
        // Flat areas; vertical stripes (rows that copy the row above); noise, and the same
        // noise again but for a few columns (blocks of the previous frame); then grain.
        // Lower down, the block at column 96 repeats the one before it, right after a run.
        Picture flat(w, h, uint8_t(levels - 1));
        flat.FillRect(40, 9, 70, 12, 1);
        flat.FillRect(0, 12, 33, 5, uint8_t(levels / 2));
        Picture stripes(w, h), noise(w, h);
        for (int32_t x = 0; x < w; ++x) stripes.FillRect(x, 0, 1, h, uint8_t(rng() % uint32_t(levels)));
        for (int32_t y = 0; y < h; ++y)
          for (int32_t x = 0; x < w; ++x) noise.Set(x, y, uint8_t(rng() % uint32_t(levels)));
        Picture again = noise;
        for (Picture* p : {&stripes, &again})
          for (int32_t y = 9; y < h; ++y) {
            for (int32_t x = 96; x < 100; ++x) p->Set(x, y, p->At(x - 4, y));
            p->Set(0, y, uint8_t(levels - 1 - p->At(0, y)));
            p->Set(w - 1, y, uint8_t(levels - 1 - p->At(w - 1, y)));
          }
        std::vector<Picture> frames = {flat, stripes, flat, noise, again, Drawing(w, h, levels, rng)};
        for (int i = 0; i < 3; ++i) frames.push_back(Change(frames.back(), levels, rng));
        const auto tl = ovtest::BuildTl(Header(w, h, levels), [&](CutCoder& c) {
          for (const Picture& p : frames) c.Frame(Fields(1), p, policy);
        });
        Player player(tl);
        ASSERT_TRUE(player.opened);
        ASSERT_TRUE(ShowsInTurn(player, frames)) << "levels " << levels << " width " << w;
      }
    }
  }
}

TEST(Decoder, TwoCutsPlayInTurnAndCutJumpsWrapAround) {
  // Cut 0: 3 frames at 4 levels; cut 1: 2 frames at 13 levels of another size.
  std::mt19937 rng(3);
  Picture a0 = Drawing(16, 6, 4, rng), a1 = Change(a0, 4, rng), a2 = Change(a1, 4, rng);
  Picture b0 = Drawing(9, 8, 13, rng), b1 = Change(b0, 13, rng);
  const auto tlA = ovtest::BuildTl(Header(16, 6, 4, 12, "first"), [&](CutCoder& c) {
    c.Frame(Fields(-3), a0);  // the first frame's duration is played positive
    c.Frame(Fields(2), a1);
    c.Frame(Fields(-2), a2);
  });
  const auto tlB = ovtest::BuildTl(Header(9, 8, 13, 24, "second"), [&](CutCoder& c) {
    c.Frame(Fields(5), b0);
    c.Frame(Fields(6), b1);
  });
  Player p(ovtest::BuildOv({tlA, tlB}, "film", "me", 40, 30));
  ASSERT_TRUE(p.opened);
  Decoder& d = p.decoder;
  EXPECT_EQ(p.buffer.Width(), 16);  // the largest image: 16 wide, 8 high
  EXPECT_EQ(p.buffer.Height(), 8);
  EXPECT_EQ(d.ViewAreaWidth(), 40);
  EXPECT_EQ(d.CutCount(), 2);

  struct Step {
    int duration;
    int32_t cut, counter;
    const Picture* picture;
  };
  const std::vector<Step> expected = {{3, 0, 1, &a0},  {2, 0, 2, &a1}, {-2, 0, 3, &a2},
                                      {5, 1, 1, &b0},  {6, 1, 2, &b1}, {3, 0, 1, &a0},
                                      {2, 0, 2, &a1}, {-2, 0, 3, &a2}, {5, 1, 1, &b0}};
  for (size_t i = 0; i < expected.size(); ++i) {
    const Step& s = expected[i];
    EXPECT_EQ(d.NextFrame(), s.duration) << i;
    EXPECT_EQ(d.CurrentCut(), s.cut) << i;
    EXPECT_EQ(d.FrameCounter(), s.counter) << i;
    EXPECT_TRUE(Shows(p.buffer, *s.picture)) << i;
    EXPECT_EQ(d.Cut().credit, s.cut == 0 ? "first" : "second");
    EXPECT_EQ(d.Cut().levelCount, s.cut == 0 ? 4 : 13);
    EXPECT_EQ(p.buffer.CurrentPage(), (s.counter - 1) & 1);
  }
  // The level ramp follows the cut: 13 greys to white.
  EXPECT_EQ(p.buffer.GetBaseColor(12), 0xFFFFFFu);
  EXPECT_EQ(p.buffer.GetBaseColor(1), PackColor(22, 22, 22));

  // Previous from the second cut's first frame: the first cut; from the first: the last.
  EXPECT_EQ(d.PreviousCut(), 3);
  EXPECT_EQ(d.CurrentCut(), 0);
  EXPECT_TRUE(Shows(p.buffer, a0));
  EXPECT_EQ(d.PreviousCut(), 5);
  EXPECT_EQ(d.CurrentCut(), 1);
  EXPECT_TRUE(Shows(p.buffer, b0));
  EXPECT_EQ(d.NextCut(), 3);  // after the last: the first
  EXPECT_EQ(d.CurrentCut(), 0);
  EXPECT_EQ(d.NextCut(), 5);
  EXPECT_EQ(d.GotoCut(2), 0);
  EXPECT_EQ(d.GotoCut(-1), 0);
  EXPECT_EQ(d.CurrentCut(), 1);
  EXPECT_EQ(d.NextFrame(), 6);
  EXPECT_TRUE(Shows(p.buffer, b1, &b0));
}

TEST(Decoder, LoopPlaysItsFramesThenTheClosingFrame) {
  // Frames 0..6; frame 2 opens a loop of 3 passes, frame 5 closes it.
  std::mt19937 rng(11);
  std::vector<Picture> pictures = {Drawing(12, 5, 4, rng)};
  for (int i = 1; i < 7; ++i) pictures.push_back(Change(pictures.back(), 4, rng));
  std::vector<int32_t> offsets;
  ovtest::Bytes file;
  ov::BeginTl(file.stream);
  CutCoder coder(file.stream, Header(12, 5));
  for (int i = 0; i < 7; ++i) {
    offsets.push_back(file.stream.Tell());
    coder.Frame(Fields(int16_t(10 + i), int16_t(i == 0 ? 1 : i == 2 ? 3 : i == 5 ? 1 : 0)), pictures[size_t(i)]);
  }
  ov::FinishLength(file.stream);
  Player p(file.Take());
  ASSERT_TRUE(p.opened);
  const std::vector<int> shown = {0, 1, 2, 3, 4, 2, 3, 4, 2, 3, 4, 5, 6, 0, 1};
  for (size_t i = 0; i < shown.size(); ++i) {
    const int f = shown[i];
    EXPECT_EQ(p.decoder.NextFrame(), 10 + f) << i;
    EXPECT_EQ(p.decoder.FrameOffset(), offsets[size_t(f)]) << i;
    EXPECT_EQ(p.decoder.FrameCounter(), f + 1) << i;
    EXPECT_TRUE(Shows(p.buffer, pictures[size_t(f)], f > 0 ? &pictures[size_t(f - 1)] : nullptr)) << i;
    EXPECT_EQ(p.decoder.PassesLeft(), i >= 2 && i < 11 ? 3 - int(i - 2) / 3 : 1) << i;
  }
}

TEST(Decoder, LoopOpenAtTheEndOfACutRepeatsThroughItsEnd) {
  // Cut 0's frame 1 opens a loop of 2 that only the first frame of cut 1 closes; the
  // same with a TL file, whose first frame closes it after the restart.
  std::mt19937 rng(5);
  Picture a0 = Drawing(8, 4, 4, rng), a1 = Change(a0, 4, rng), a2 = Change(a1, 4, rng);
  Picture b0 = Drawing(8, 4, 4, rng);
  auto cutA = [&](CutCoder& c) {
    c.Frame(Fields(1, 1), a0);
    c.Frame(Fields(2, 2), a1);
    c.Frame(Fields(3), a2);
  };
  const auto tlA = ovtest::BuildTl(Header(8, 4, 4, 12, "a"), cutA);
  const auto tlB = ovtest::BuildTl(Header(8, 4, 4, 12, "b"), [&](CutCoder& c) { c.Frame(Fields(4, 1), b0); });

  Player p(ovtest::BuildOv({tlA, tlB}));
  ASSERT_TRUE(p.opened);
  const std::vector<std::pair<int, int32_t>> shown = {{1, 0}, {2, 0}, {3, 0}, {2, 0}, {3, 0}, {4, 1}, {1, 0}};
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(p.decoder.NextFrame(), shown[i].first) << i;
    EXPECT_EQ(p.decoder.CurrentCut(), shown[i].second) << i;
  }
  EXPECT_EQ(p.decoder.Cut().credit, "a");

  Player t(tlA);
  ASSERT_TRUE(t.opened);
  for (int expected : {1, 2, 3, 2, 3, 1, 2}) EXPECT_EQ(t.decoder.NextFrame(), expected);
  EXPECT_TRUE(Shows(t.buffer, a1, &a0));
}

TEST(Decoder, UnchangedFramesKeepThePictureWithTheirOwnBrightnessAndView) {
  std::mt19937 rng(2);
  Picture a = Drawing(10, 6, 4, rng), b = Change(a, 4, rng);
  const auto tl = ovtest::BuildTl(Header(10, 6), [&](CutCoder& c) {
    c.Frame(Fields(1), a);
    c.Frame(Fields(1), b);
    ov::FrameFields dark = Fields(2, 0, 0);
    dark.viewX = 3, dark.viewY = -1;
    c.Same(dark);
    c.Same(Fields(3, 0, 100));
    c.Frame(Fields(4, 0, 50), a);
  });
  Player p(tl);
  ASSERT_TRUE(p.opened);
  Decoder& d = p.decoder;
  d.NextFrame();
  d.NextFrame();
  EXPECT_EQ(d.NextFrame(), 2);
  EXPECT_TRUE(Shows(p.buffer, b, &b));
  EXPECT_EQ(d.Frame().viewX, 3);
  EXPECT_EQ(d.Frame().viewY, -1);
  EXPECT_TRUE(d.ChangedRect().IsEmpty());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p.buffer.GetPageColor(i), 0u) << i;  // brightness 0
  EXPECT_EQ(d.NextFrame(), 3);
  EXPECT_TRUE(Shows(p.buffer, b, &b));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.buffer.GetPageColor(i), 0xFFFFFFu) << i;  // 100
  EXPECT_EQ(d.NextFrame(), 4);
  EXPECT_TRUE(Shows(p.buffer, a, &b));
  EXPECT_EQ(p.buffer.GetPageColor(1), PackColor(85, 85, 85));
  EXPECT_TRUE(d.AtEnd());
  EXPECT_EQ(d.NextFrame(), 1);  // a TL file starts again with its header
  EXPECT_EQ(d.FrameCounter(), 1);
  EXPECT_TRUE(Shows(p.buffer, a));
}

TEST(Decoder, CodesReachingOutsideTheImageReadBlack) {
  // Hand-made record: a 12 × 3 image of level 3; codes that point left of column 0 and
  // above row 0 give black blocks, codes that just fit copy.
  ovtest::Bytes file;
  ov::BeginTl(file.stream);
  ov::WriteCutHeader(file.stream, Header(12, 3));
  ov::FrameFields f = Fields(1);
  f.width = 12, f.height = 3;
  ov::WriteFrameFields(file.stream, f);
  FramePixelWriter w;
  w.Begin(file.stream, 12, 3, 4);
  const uint8_t grey[4] = {3, 2, 3, 2};
  w.AddBlock(1);  // (-4, 0) at x 0: outside
  w.AddBlock(0, grey);
  w.AddBlock(1);  // (-4, 0) at x 8: copies x 4
  w.EndRow();
  w.AddBlock(4);   // (0, -1): row 0 at x 0
  w.AddBlock(3);   // (-16, 0) at x 4: outside
  w.AddBlock(14);  // (-8, -8): outside
  w.EndRow();
  w.AddBlock(6);   // (0, -2): row 0
  w.AddBlock(15);  // the other page: black at the first frame
  w.AddBlock(2);   // (-8, 0) at x 8: x 0 of this row
  w.EndRow();
  w.End();
  ov::FinishLength(file.stream);
  Player p(file.Take());
  ASSERT_TRUE(p.opened);
  p.decoder.NextFrame();
  const int expected[3][12] = {{0, 0, 0, 0, 3, 2, 3, 2, 3, 2, 3, 2},
                               {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(p.buffer.GetPixel(x, y), expected[y][x]) << x << "," << y;

  // The same for pairs of blocks: two copies from above in row 0, two copies from the left
  // at column 0.
  ovtest::Bytes pairs;
  ov::BeginTl(pairs.stream);
  ov::WriteCutHeader(pairs.stream, Header(16, 2));
  f.width = 16, f.height = 2;
  ov::WriteFrameFields(pairs.stream, f);
  w.Begin(pairs.stream, 16, 2, 4);
  for (int code : {4, 4, 0, 0}) w.AddBlock(code, grey);
  w.EndRow();
  for (int code : {1, 1, 4, 4}) w.AddBlock(code, grey);
  w.EndRow();
  w.End();
  ov::FinishLength(pairs.stream);
  Player q(pairs.Take());
  ASSERT_TRUE(q.opened);
  q.decoder.NextFrame();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(q.buffer.GetPixel(x, y), x < 8 ? 0 : grey[x % 4]) << x << "," << y;
}

TEST(Decoder, DamagedStreamsFailCleanlyOrSkipFrames) {
  std::mt19937 rng(9);
  Picture a = Drawing(8, 4, 4, rng), b = Change(a, 4, rng);
  auto body = [&](CutCoder& c) {
    c.Frame(Fields(1), a);
    c.Frame(Fields(2), b);
  };
  const auto tl = ovtest::BuildTl(Header(8, 4), body);

  // Magic, sizes of 0 or below: open fails and an opened decoder keeps its stream.
  Player good(tl);
  ASSERT_TRUE(good.opened);
  for (auto damage : {std::pair<size_t, uint8_t>{0, 'X'}, {10, 0}, {11, 0x80}}) {
    std::vector<uint8_t> bad = tl;
    bad[damage.first] = damage.second;
    if (damage.first == 10) bad[11] = 0;  // image height 0
    MemoryStream s(bad.data(), int32_t(bad.size()), int32_t(bad.size()));
    EXPECT_FALSE(good.decoder.Open(s));
  }
  EXPECT_EQ(good.decoder.NextFrame(), 1);
  EXPECT_TRUE(Shows(good.buffer, a));

  // A changed rectangle outside the image: the frame is skipped, the next one plays.
  std::vector<uint8_t> bad = tl;
  MemoryStream s(bad.data(), int32_t(bad.size()), int32_t(bad.size()));
  ov::FileHeader h;
  ASSERT_TRUE(ov::ReadFileHeader(s, h));
  const int32_t first = s.Tell();
  ov::FrameHeader record;
  ASSERT_TRUE(ov::ReadFrameHeader(s, record));
  const size_t widthAt = size_t(first) + 13;
  bad[widthAt] = 9;  // 9 wide at x 0 in an 8-wide image
  Player skip(bad);
  ASSERT_TRUE(skip.opened);
  EXPECT_EQ(skip.decoder.NextFrame(), 1);
  EXPECT_TRUE(Shows(skip.buffer, Picture(8, 4, 0)));  // nothing drawn
  EXPECT_EQ(skip.decoder.NextFrame(), 2);
  EXPECT_EQ(skip.decoder.FrameOffset(), first + int32_t(record.RecordBytes()));

  // An OV whose largest size is below a cut's image: its frames are skipped.
  std::vector<uint8_t> ov = ovtest::BuildOv({tl});
  ov[6 + 5 + 8 + 4] = 7;  // largest width 7
  Player small(ov);
  ASSERT_TRUE(small.opened);
  EXPECT_EQ(small.decoder.NextFrame(), 1);
  EXPECT_TRUE(Shows(small.buffer, Picture(7, 4, 0)));

  // Counts that run past the stream: the frame ends the stream and the next restarts.
  std::vector<uint8_t> huge = tl;
  huge[size_t(first) + 17 + 3] = 0x7F;  // S1 about 2 GB
  Player past(huge);
  ASSERT_TRUE(past.opened);
  EXPECT_EQ(past.decoder.NextFrame(), 1);
  EXPECT_TRUE(past.decoder.AtEnd());
  EXPECT_EQ(past.decoder.NextFrame(), 1);
  EXPECT_EQ(past.decoder.FrameOffset(), first);

  // A cut table entry outside the stream: the jump restarts the stream.
  std::vector<uint8_t> ov2 = ovtest::BuildOv({tl, tl});
  const size_t tableAt = 6 + 5 + 8 + 4 + 4 + 2;
  ov2[tableAt + 4 + 3] = 0x40;
  Player jump(ov2);
  ASSERT_TRUE(jump.opened);
  EXPECT_EQ(jump.decoder.GotoCut(1), 1);
  EXPECT_EQ(jump.decoder.CurrentCut(), 0);

  // A frame rate of 0 is taken as 1.
  std::vector<uint8_t> still = tl;
  still[6 + 4 + 8] = 0;
  Player zero(still);
  ASSERT_TRUE(zero.opened);
  zero.decoder.NextFrame();
  EXPECT_EQ(zero.decoder.Cut().fps, 1);
}

TEST(Decoder, EveryPrefixAndByteFlipOfAFilmPlaysSafely) {
  std::mt19937 rng(4);
  Picture a = Drawing(13, 5, 13, rng), b = Change(a, 13, rng);
  const auto tl = ovtest::BuildTl(Header(13, 5, 13), [&](CutCoder& c) {
    c.Frame(Fields(1, 1), a);
    c.Frame(Fields(2, 3), b);
    c.Frame(Fields(3, 1), a);
  });
  const auto tl4 = ovtest::BuildTl(Header(6, 7), [&](CutCoder& c) { c.Frame(Fields(1), Drawing(6, 7, 4, rng)); });
  const auto film = ovtest::BuildOv({tl, tl4});
  auto play = [](std::vector<uint8_t> bytes) {
    Player p(std::move(bytes));
    if (!p.opened) return;
    for (int i = 0; i < 40; ++i) p.decoder.NextFrame();
    p.decoder.PreviousCut();
    p.decoder.NextCut();
  };
  for (size_t n = 0; n < film.size(); ++n) play(std::vector<uint8_t>(film.begin(), film.begin() + n));
  for (size_t i = 0; i < film.size(); ++i) {
    for (uint8_t v : {uint8_t(0), uint8_t(0xFF), uint8_t(film[i] ^ 0x80)}) {
      std::vector<uint8_t> bent = film;
      bent[i] = v;
      play(bent);
    }
  }
}
