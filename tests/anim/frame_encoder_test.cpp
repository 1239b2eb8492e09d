#include "anim/frame_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "anim/decoder.h"
#include "anim/ov_layout.h"
#include "io/block_stream.h"
#include "io/memory_stream.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "tests/anim/cut_generator.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

std::vector<uint8_t> Compile(Cut& cut, int32_t first = 0, int32_t last = -1) {
  if (last < 0) last = cut.FrameCount() - 1;
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream out;
  if (!FrameEncoder(out, buffer).Encode(cut, work, first, last)) return {};
  std::vector<uint8_t> bytes(size_t(out.Length()));
  out.CopyTo(bytes.data());
  return bytes;
}

// The tone image of frame k as the bitmap export makes it: composed over the whole canvas
// with only the current-cell-only flag, reduced into a fresh buffer.
struct ToneImage {
  FrameBuffer tones;
  ToneImage(Cut& cut, int32_t k) {
    const int f = AntiAliasFactor(cut);
    FrameSurface view;
    view.Create(cut.CanvasWidth(), cut.CanvasHeight(), 0);
    Compose(*cut.FrameAt(k), view, 0, 0, cut.CanvasWidth(), cut.CanvasHeight(),
            cut.DisplayFlags() & kCurrentCellOnly, nullptr);
    tones.Create(cut.CanvasWidth() / f, cut.CanvasHeight() / f);
    tones.Reduce(view, nullptr, f, nullptr);
  }
};

// Offsets of the frame records of a TL stream, in order.
std::vector<int32_t> RecordOffsets(std::vector<uint8_t>& tl) {
  MemoryStream s(tl.data(), int32_t(tl.size()), int32_t(tl.size()));
  ov::FileHeader header;
  std::vector<int32_t> at;
  if (!ov::ReadFileHeader(s, header)) return at;
  s.Seek(header.restart, kSeekSet);
  ov::CutHeader cut;
  ov::ReadCutHeader(s, cut);
  while (s.Tell() < int32_t(tl.size())) {
    const int32_t here = s.Tell();
    ov::FrameHeader h;
    if (!ov::ReadFrameHeader(s, h)) break;
    at.push_back(here);
    s.Seek(int32_t(here + h.RecordBytes()), kSeekSet);
  }
  return at;
}

// Decodes one pass through the stream and compares every frame shown with the tone image
// of the frame it stands for: pixels, duration, brightness and view position.
void ExpectAgreement(Cut& cut, std::vector<uint8_t>& tl, int32_t first = 0) {
  ASSERT_FALSE(tl.empty());
  const std::vector<int32_t> offsets = RecordOffsets(tl);
  std::map<int32_t, int32_t> frameAt;
  for (size_t n = 0; n < offsets.size(); ++n) frameAt[offsets[n]] = first + int32_t(n);
  const int f = AntiAliasFactor(cut);
  std::map<int32_t, std::unique_ptr<ToneImage>> refs;

  FrameBuffer buffer;
  Decoder decoder(buffer);
  MemoryStream stream(tl.data(), int32_t(tl.size()), int32_t(tl.size()));
  ASSERT_TRUE(decoder.Open(stream));
  for (int shown = 0; shown < 2000; ++shown) {
    const int duration = decoder.NextFrame();
    ASSERT_EQ(frameAt.count(decoder.FrameOffset()), 1u);
    const int32_t k = frameAt[decoder.FrameOffset()];
    const int32_t expectedTime = cut.EffectiveTime(k);
    EXPECT_EQ(duration, k == first ? std::abs(expectedTime) : expectedTime) << "frame " << k;
    EXPECT_EQ(decoder.Frame().brightness, cut.FrameAt(k)->Brightness());
    EXPECT_EQ(decoder.Frame().viewX, cut.FrameAt(k)->X() / f);
    EXPECT_EQ(decoder.Frame().viewY, cut.FrameAt(k)->Y() / f);
    auto& ref = refs[k];
    if (!ref) ref = std::make_unique<ToneImage>(cut, k);
    for (int32_t y = 0; y < buffer.Height(); ++y)
      for (int32_t x = 0; x < buffer.Width(); ++x)
        ASSERT_EQ(buffer.GetPixel(x, y), ref->tones.GetPixel(x, y))
            << "frame " << k << " (shown " << shown << ") pixel " << x << "," << y;
    if (decoder.AtEnd()) {
      EXPECT_EQ(refs.size(), offsets.size()) << "every frame is shown";
      return;
    }
  }
  FAIL() << "no end of the stream";
}

TEST(FrameEncoderAgreement, GeneratedCutsDecodeToTheirToneImages) {
  for (uint32_t seed = 1; seed <= 36; ++seed) {
    cutgen::Options o;
    o.antiAlias = AntiAlias(seed % 3);
    o.canvasWidth = 40 + int32_t(seed * 7 % 37);
    o.canvasHeight = 24 + int32_t(seed * 5 % 23);
    o.layers = 1 + int(seed % 4);
    o.frames = 6 + int(seed % 7);
    o.step = seed % 5 == 0 ? 9 : 3;
    o.displayFlags = seed % 4 == 1 ? (kShowPreviousCell | kShowNextCell | kOtherLayersPale)
                     : seed % 4 == 2 ? kCurrentCellOnly | kShowPreviousCell
                                     : 0;
    auto cut = cutgen::MakeCut(seed, o);
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    auto tl = Compile(*cut);
    ExpectAgreement(*cut, tl);
  }
}

TEST(FrameEncoderAgreement, OneFrameAlone) {
  cutgen::Options o;
  o.antiAlias = AntiAlias::kHalf;
  auto cut = cutgen::MakeCut(77, o);
  for (int32_t k : {0, 3, 7}) {
    auto tl = Compile(*cut, k, k);
    ASSERT_EQ(RecordOffsets(tl).size(), 1u);
    ExpectAgreement(*cut, tl, k);
  }
}

// The frame records of a TL stream: fields and the block codes row by row.
struct Record {
  ov::FrameHeader header;
  int64_t bytes = 0;
  std::vector<std::vector<int>> codes;
};

std::vector<Record> ReadRecords(std::vector<uint8_t>& tl) {
  std::vector<Record> records;
  MemoryStream s(tl.data(), int32_t(tl.size()), int32_t(tl.size()));
  for (const int32_t at : RecordOffsets(tl)) {
    Record r;
    s.Seek(at, kSeekSet);
    ov::ReadFrameHeader(s, r.header);
    r.bytes = r.header.RecordBytes();
    const auto& f = r.header.fields;
    const int32_t k = ov::CodeBytesPerRow(f.width), p = ov::PresenceBytesPerRow(k);
    const size_t presenceAt = size_t(at) + ov::kFrameHeaderSize;
    size_t codeAt = presenceAt + size_t(p) * size_t(std::max<int16_t>(f.height, 0));
    std::vector<uint8_t> row(size_t(k), ov::kFirstRowCodes);
    for (int32_t y = 0; y < f.height && f.width > 0; ++y) {
      for (int32_t j = 0; j < k; ++j)
        if (tl[presenceAt + size_t(y * p + j / 8)] >> (j % 8) & 1) row[size_t(j)] = tl[codeAt++];
      std::vector<int> codes;
      for (int32_t n = 0; n < (f.width + 3) / 4; ++n)
        codes.push_back(n % 2 ? row[size_t(n / 2)] >> 4 : row[size_t(n / 2)] & 15);
      r.codes.push_back(codes);
    }
    records.push_back(r);
  }
  return records;
}

ovtest::Picture PictureOf(const FrameBuffer& tones) {
  ovtest::Picture p(tones.Width(), tones.Height());
  for (int32_t y = 0; y < tones.Height(); ++y)
    for (int32_t x = 0; x < tones.Width(); ++x) p.Set(x, y, uint8_t(tones.GetPixel(x, y)));
  return p;
}

// The same frames coded by the test's own block coder from the tone images: the predicted
// code, then the search order, in the decoder's memory order. Every byte must agree.
TEST(FrameEncoderBytes, AgreeWithTheReferenceCoder) {
  for (uint32_t seed = 100; seed < 112; ++seed) {
    cutgen::Options o;
    o.antiAlias = AntiAlias(seed % 3);
    o.canvasWidth = 36 + int32_t(seed % 9) * 4 + int32_t(seed % 2);
    o.frames = 7;
    auto cut = cutgen::MakeCut(seed, o);
    const int f = AntiAliasFactor(*cut);
    auto tl = Compile(*cut);
    const std::vector<uint8_t> expected = ovtest::BuildTl(CutRecordHeader(*cut, f), [&](ovtest::CutCoder& c) {
      for (int32_t k = 0; k < cut->FrameCount(); ++k)
        c.Frame(FrameRecordFields(*cut, k, k == 0, f), PictureOf(ToneImage(*cut, k).tones));
    });
    EXPECT_EQ(tl, expected) << "seed " << seed;
  }
}

// A cut of one layer whose single entry the test moves or changes frame by frame.
struct SmallCut {
  std::unique_ptr<Cut> cut;
  Layer* layer;
  SmallCut(int32_t w, int32_t h, AntiAlias a, int cells = 2) {
    cut = std::make_unique<Cut>(w, h, 10, "small", a);
    layer = cut->AddLayer(std::nullopt, w, h, nullptr);
    for (int c = 1; c < cells; ++c) layer->InsertCellAfter(layer->CellCount() - 1, 0);
  }
  Frame* Add(int32_t cell, int32_t x = 0, int32_t y = 0) {
    Frame* f = cut->AddFrame();
    f->InsertEntryAfter(layer, cell, x, y);
    return f;
  }
};

TEST(FrameEncoderBytes, IdenticalFramesAreEmptyRecords) {
  SmallCut s(32, 16, AntiAlias::kFull);
  s.layer->CellAt(0)->SetPixel(5, 5, 1);
  for (int k = 0; k < 4; ++k) s.Add(0);
  // A frame that shows the same picture by other means is also unchanged.
  s.Add(0, 0, 0)->SetPosition(8, 2);
  auto tl = Compile(*s.cut);
  const auto records = ReadRecords(tl);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].header.fields.width, 32);
  for (size_t k = 1; k < records.size(); ++k) {
    EXPECT_EQ(records[k].bytes, 25) << k;
    EXPECT_EQ(records[k].header.fields.width, 0);
    EXPECT_EQ(records[k].header.fields.height, 0);
  }
  EXPECT_EQ(records[4].header.fields.viewX, 8);
  ExpectAgreement(*s.cut, tl);
}

TEST(FrameEncoderBytes, ChangesInColumnZeroAndRowZeroAreKept) {
  for (const AntiAlias a : {AntiAlias::kFull, AntiAlias::kHalf, AntiAlias::kQuarter}) {
    SmallCut s(40, 24, a, 3);
    // Black 4 × 4 squares, which every reduction keeps: at column 0, and at row 0.
    auto square = [](RasterSurface& cell, int32_t x, int32_t y) {
      for (int32_t j = y; j < y + 4; ++j)
        for (int32_t i = x; i < x + 4; ++i) cell.SetPixel(i, j, 1);
    };
    square(*s.layer->CellAt(1), 0, 12);
    square(*s.layer->CellAt(2), 16, 0);
    s.Add(0), s.Add(1), s.Add(2), s.Add(0);
    auto tl = Compile(*s.cut);
    const auto records = ReadRecords(tl);
    ASSERT_EQ(records.size(), 4u);
    const int f = 1 << int(a);
    const auto& c1 = records[1].header.fields;
    EXPECT_EQ(c1.x, 0);
    EXPECT_LE(c1.y, 12 / f);
    EXPECT_GT(c1.y + c1.height, 12 / f);
    EXPECT_GT(c1.width, 0);
    const auto& c2 = records[2].header.fields;  // column 0 back, row 0 new
    EXPECT_EQ(c2.y, 0);
    EXPECT_LE(c2.x, 16 / f);
    EXPECT_GT(c2.x + c2.width, 16 / f);
    EXPECT_EQ(c2.x % 2, 0) << "rows are coded from an even column";
    ExpectAgreement(*s.cut, tl);
  }
}

TEST(FrameEncoderBytes, FirstFrameTimingRules) {
  SmallCut s(16, 8, AntiAlias::kFull);
  s.Add(0)->SetTime(-3);
  s.cut->FrameAt(0)->SetLoop(0);
  s.Add(0)->SetTime(-2);
  s.cut->FrameAt(1)->SetLoop(0);
  s.Add(0)->SetTime(4);
  s.cut->FrameAt(2)->SetLoop(0);
  auto tl = Compile(*s.cut);
  auto records = ReadRecords(tl);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].header.fields.duration, 3);
  EXPECT_EQ(records[0].header.fields.repeat, 1);
  EXPECT_EQ(records[1].header.fields.duration, -2);
  EXPECT_EQ(records[1].header.fields.repeat, 0);
  // Compiled alone, frame 2 opens its record with the same rules.
  auto one = Compile(*s.cut, 1, 1);
  records = ReadRecords(one);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].header.fields.duration, 2);
  EXPECT_EQ(records[0].header.fields.repeat, 1);
  // A keyframe carries its section's length: 9 - |-2| - 4 frames... at least 1.
  s.cut->FrameAt(0)->SetTime(9);
  s.cut->FrameAt(0)->SetKeyframe(true);
  records = ReadRecords(tl = Compile(*s.cut));
  EXPECT_EQ(records[0].header.fields.duration, 3);
  s.cut->FrameAt(0)->SetTime(-5);
  records = ReadRecords(tl = Compile(*s.cut));
  EXPECT_EQ(records[0].header.fields.duration, 1);
}

TEST(FrameEncoderBytes, QuarterSizeDithersRemainderTwoAsACheckerboard) {
  SmallCut s(32, 16, AntiAlias::kQuarter);
  // In every 4 × 4 block two black pixels (0) and 14 paper pixels (3 each): sum 42.
  RasterSurface& cell = *s.layer->CellAt(0);
  for (int32_t y = 0; y < 16; y += 4)
    for (int32_t x = 0; x < 32; x += 4) cell.SetPixel(x, y, 1), cell.SetPixel(x + 1, y, 1);
  s.Add(0);
  auto tl = Compile(*s.cut);
  FrameBuffer buffer;
  Decoder decoder(buffer);
  MemoryStream stream(tl.data(), int32_t(tl.size()), int32_t(tl.size()));
  ASSERT_TRUE(decoder.Open(stream));
  decoder.NextFrame();
  ASSERT_EQ(buffer.Width(), 8);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(buffer.GetPixel(x, y), (x + y) % 2 ? 10 : 11) << x << "," << y;
}

TEST(FrameEncoderBytes, CodesStayInsideTheImageAndTheFirstFrameUsesNoPreviousFrame) {
  int used[16] = {};
  for (uint32_t seed = 200; seed < 230; ++seed) {
    cutgen::Options o;
    o.antiAlias = AntiAlias(seed % 3);
    o.anyClass = seed % 2 == 0;
    o.blobsPerCell = 4;
    o.noiseEvery = 2;
    o.canvasWidth = 96, o.canvasHeight = 64, o.cellWidth = 40, o.cellHeight = 30;
    auto cut = cutgen::MakeCut(seed, o);
    auto tl = Compile(*cut);
    const auto records = ReadRecords(tl);
    for (size_t k = 0; k < records.size(); ++k) {
      const auto& f = records[k].header.fields;
      for (size_t r = 0; r < records[k].codes.size(); ++r) {
        for (size_t n = 0; n < records[k].codes[r].size(); ++n) {
          const int code = records[k].codes[r][n];
          ++used[code];
          if (code == 15) {
            EXPECT_NE(k, 0u) << "seed " << seed;
          } else if (code != 0) {
            EXPECT_GE(f.x + int32_t(n) * 4 + ov::kBlockOffsets[code].dx, 0) << "seed " << seed;
            EXPECT_GE(f.y + int32_t(r) + ov::kBlockOffsets[code].dy, 0) << "seed " << seed;
          }
        }
      }
    }
  }
  for (int code = 0; code < 16; ++code) EXPECT_GT(used[code], 0) << "code " << code << " never chosen";
}

TEST(FrameEncoderBytes, RefusedArgumentsWriteNothing) {
  SmallCut s(16, 8, AntiAlias::kFull);
  s.Add(0), s.Add(1);
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream out;
  FrameEncoder encoder(out, buffer);
  EXPECT_FALSE(encoder.Encode(*s.cut, work, 1, 0));
  EXPECT_FALSE(encoder.Encode(*s.cut, work, -1, 1));
  EXPECT_FALSE(encoder.Encode(*s.cut, work, 0, 2));
  s.cut->SetStateFlags(s.cut->StateFlags() | kStateAntiAliasMask);  // choice 3
  EXPECT_FALSE(encoder.Encode(*s.cut, work, 0, 1));
  s.cut->SetAntiAlias(AntiAlias::kQuarter);
  s.cut->SetCanvasSize(3, 8);  // narrower than one output pixel
  EXPECT_FALSE(encoder.Encode(*s.cut, work, 0, 1));
  EXPECT_EQ(out.Length(), 0);
}

// With "current cell only" the picture is the current entry alone: frames that differ
// only in their current entry are not the same picture.
TEST(FrameEncoderAgreement, CurrentCellOnlyFollowsTheCurrentEntry) {
  SmallCut s(24, 12, AntiAlias::kFull);
  Layer* second = s.cut->AddLayer(std::nullopt, 24, 12, nullptr);
  s.layer->CellAt(0)->SetPixel(2, 2, 1);
  second->CellAt(0)->SetPixel(20, 9, 8);
  for (int k = 0; k < 3; ++k) {
    Frame* f = s.Add(0);
    f->InsertEntryAfter(second, 0, 0, 0);
    f->SetCurrentLayer(k % 2);
  }
  s.cut->SetDisplayFlags(kCurrentCellOnly);
  auto tl = Compile(*s.cut);
  const auto records = ReadRecords(tl);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_GT(records[1].header.fields.width, 0);
  ExpectAgreement(*s.cut, tl);
}

}  // namespace
