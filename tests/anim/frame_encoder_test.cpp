#include "anim/frame_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "anim/block_stream.h"
#include "anim/decoder.h"
#include "anim/memory_stream.h"
#include "anim/ov_layout.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "tests/anim/cut_generator.h"

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

}  // namespace
