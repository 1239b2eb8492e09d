#include "anim/ov_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/frame_pixel_writer.h"
#include "io/memory_stream.h"
#include "tests/anim/ov_stream_builder.h"

namespace {

using ovtest::Bytes;

MemoryStream Over(std::vector<uint8_t>& bytes) {
  return MemoryStream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// A TL file with `frames` frames of a w × h cut, the picture changing each frame.
std::vector<uint8_t> SmallTl(int16_t w, int16_t h, int frames, const std::string& credit = "c") {
  return ovtest::BuildTl(ovtest::Header(w, h, 4, 12, credit), [&](ovtest::CutCoder& c) {
    for (int i = 0; i < frames; ++i) {
      ovtest::Picture p = c.Current();
      p.FillRect(i % w, 0, 1, h, uint8_t(1 + i % 3));
      c.Frame(ovtest::Fields(2), p);
    }
  });
}

}  // namespace

TEST(OvLayout, CutHeaderAndFrameFieldsRoundTrip) {
  Bytes file;
  ov::CutHeader cut = ovtest::Header(320, -2, 13, 24, std::string(255, 'x'));
  cut.viewWidth = 160, cut.viewHeight = 120;
  ov::FrameFields f;
  f.duration = -4, f.repeat = 3, f.brightness = 100, f.viewX = -7, f.viewY = 9;
  f.x = 2, f.y = 3, f.width = 5, f.height = 32767;
  ASSERT_TRUE(ov::WriteCutHeader(file.stream, cut));
  ASSERT_TRUE(ov::WriteFrameFields(file.stream, f));
  EXPECT_EQ(file.stream.Length(), 256 + 10 + ov::kFrameFieldsSize);
  file.stream.Putc(0x78), file.stream.Putc(0x56), file.stream.Putc(0x34), file.stream.Putc(0x12);
  file.stream.Putc(9), file.stream.Putc(0), file.stream.Putc(0), file.stream.Putc(0);

  file.stream.Seek(0, kSeekSet);
  ov::CutHeader cutBack;
  ov::FrameHeader frameBack;
  ASSERT_TRUE(ov::ReadCutHeader(file.stream, cutBack));
  ASSERT_TRUE(ov::ReadFrameHeader(file.stream, frameBack));
  EXPECT_EQ(cutBack.credit, cut.credit);  // exactly 255 bytes read back whole
  EXPECT_EQ(cutBack.imageHeight, -2);
  EXPECT_EQ(cutBack.viewWidth, 160);
  EXPECT_EQ(cutBack.fps, 24);
  EXPECT_EQ(cutBack.levelCount, 13);
  const ov::FrameFields& g = frameBack.fields;
  EXPECT_EQ(g.duration, -4);
  EXPECT_EQ(g.repeat, 3);
  EXPECT_EQ(g.brightness, 100);
  EXPECT_EQ(g.viewX, -7);
  EXPECT_EQ(g.height, 32767);
  EXPECT_EQ(frameBack.codeBytes, 0x12345678u);
  EXPECT_EQ(frameBack.literalBytes, 9u);
  // K = 1, P = 1 for a width of 5.
  EXPECT_EQ(frameBack.PresenceBytes(), 32767);
  EXPECT_EQ(frameBack.RecordBytes(), 25 + 32767 + 0x12345678LL + 9);

  // Cut short inside the frame header.
  std::vector<uint8_t> cutShort(file.block.begin(), file.block.begin() + 256 + 10 + 20);
  MemoryStream s = Over(cutShort);
  EXPECT_TRUE(ov::ReadCutHeader(s, cutBack));
  EXPECT_FALSE(ov::ReadFrameHeader(s, frameBack));
}

TEST(OvLayout, LongStringsAreCutOnWritingAndReadThroughOnReading) {
  // Written: at most 255 bytes, never half a double-byte character.
  Bytes file;
  std::string text(254, 'a');
  text += "\x82\xa0";  // a double-byte character across the limit
  ASSERT_TRUE(ov::WriteString(file.stream, text));
  EXPECT_EQ(file.stream.Length(), 255);
  EXPECT_EQ(file.block[253], 'a');
  EXPECT_EQ(file.block[254], 0);

  // Read: a 300-byte string keeps 255 bytes and the next field follows its NUL.
  std::vector<uint8_t> bytes(300, 'b');
  bytes.push_back(0);
  bytes.push_back(0x34), bytes.push_back(0x12);
  MemoryStream s = Over(bytes);
  ov::FieldSource in(s);
  EXPECT_EQ(in.String(), std::string(255, 'b'));
  EXPECT_EQ(in.I16(), 0x1234);
  EXPECT_FALSE(in.Ended());
  EXPECT_EQ(in.U8(), 0);
  EXPECT_TRUE(in.Ended());
}

TEST(OvLayout, PixelWriterPacksCodesPresenceAndLiterals) {
  // Width 5: K = 1, P = 1, two blocks per row, the second 3 pixels past the edge.
  Bytes file;
  FramePixelWriter w;
  ASSERT_TRUE(w.Begin(file.stream, 5, 3, 4));
  EXPECT_EQ(w.BlocksPerRow(), 2);
  const uint8_t px[4] = {1, 2, 3, 0};
  EXPECT_EQ(w.CodeAbove(0), 1);
  w.AddBlock(0, px);
  w.AddBlock(1);
  w.AddBlock(7);  // past the row: ignored
  w.EndRow();
  EXPECT_EQ(w.CodeAbove(0), 0);
  EXPECT_EQ(w.CodeAbove(1), 1);
  w.AddBlock(0, px);
  w.AddBlock(1);  // the same code byte as above: no byte, no presence bit
  w.EndRow();
  w.AddBlock(4);
  w.AddBlock(15);
  w.EndRow();
  ASSERT_TRUE(w.End());
  const std::vector<uint8_t> expected = {
      2, 0, 0, 0,   // S1
      2, 0, 0, 0,   // S2
      1, 0, 1,      // presence of the three rows
      0x10, 0xF4,   // code bytes of rows 0 and 2
      0x39, 0x39};  // 1 | 2 << 2 | 3 << 4
  EXPECT_EQ(file.Take(), expected);

  // 13 levels: two bytes a literal, low nibble first. Ten code bytes a row: two presence
  // bytes, bit 1 of the second for code byte 9.
  Bytes wide;
  ASSERT_TRUE(w.Begin(wide.stream, 80, 1, 13));
  const uint8_t levels[4] = {12, 3, 0, 9};
  for (int i = 0; i < 20; ++i) w.AddBlock(i == 19 ? 0 : 1, levels);
  w.EndRow();
  ASSERT_TRUE(w.End());
  const std::vector<uint8_t> expectedWide = {1, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0x01, 0x3C, 0x90};
  EXPECT_EQ(wide.Take(), expectedWide);

  // An unchanged frame: nothing but the two counts.
  Bytes same;
  ASSERT_TRUE(w.Begin(same.stream, 0, 0, 4));
  ASSERT_TRUE(w.End());
  EXPECT_EQ(same.Take(), std::vector<uint8_t>(8, 0));
}

TEST(OvLayout, LiteralPackingRoundTrips) {
  const uint8_t four[4] = {3, 0, 2, 1};
  uint8_t back[4];
  ov::UnpackLiteral4(ov::PackLiteral4(four), back);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(four, four + 4));
  EXPECT_EQ(ov::PackLiteral4(four), 0x63);
  const uint8_t thirteen[4] = {12, 1, 7, 11};
  uint8_t two[2];
  ov::PackLiteral16(thirteen, two);
  EXPECT_EQ(two[0], 0x1C);
  EXPECT_EQ(two[1], 0xB7);
  ov::UnpackLiteral16(two, back);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(thirteen, thirteen + 4));
}

TEST(OvLayout, OvWriterPatchesTheTableLengthAndLargestSize) {
  const auto a = SmallTl(8, 3, 2, "first");
  const auto b = SmallTl(5, 7, 3, "second");
  std::vector<uint8_t> ov = ovtest::BuildOv({a, b}, "title", "author", 320, 240);

  EXPECT_EQ(ov[0], 'O');
  EXPECT_EQ(ov[1], 'V');
  EXPECT_EQ(U32At(ov, 2), ov.size());
  MemoryStream s = Over(ov);
  ov::FileHeader h;
  ASSERT_TRUE(ov::ReadFileHeader(s, h));
  EXPECT_EQ(h.kind, ov::Kind::kOv);
  EXPECT_EQ(h.title, "title");
  EXPECT_EQ(h.author, "author");
  EXPECT_EQ(h.screenWidth, 320);
  EXPECT_EQ(h.screenHeight, 240);
  EXPECT_EQ(h.largestWidth, 8);  // each maximised separately
  EXPECT_EQ(h.largestHeight, 7);
  ASSERT_EQ(h.cutOffsets.size(), 2u);
  EXPECT_EQ(h.cutOffsets[0], h.restart);
  EXPECT_EQ(s.Tell(), h.restart);
  EXPECT_EQ(h.cutOffsets[1], h.restart + int32_t(a.size()) - 6);
  EXPECT_EQ(h.streamLength, int32_t(ov.size()));
  // The cut records are the TL files' bytes from 6 on, unchanged.
  EXPECT_TRUE(std::equal(a.begin() + 6, a.end(), ov.begin() + h.cutOffsets[0]));
  EXPECT_TRUE(std::equal(b.begin() + 6, b.end(), ov.begin() + h.cutOffsets[1]));

  bool cutShort = true;
  EXPECT_EQ(ov::CountFrames(s, h.cutOffsets[0], h.cutOffsets[1], &cutShort), 2);
  EXPECT_FALSE(cutShort);
  EXPECT_EQ(ov::CountFrames(s, h.cutOffsets[1], h.streamLength, &cutShort), 3);
  EXPECT_FALSE(cutShort);
  EXPECT_EQ(ov::CountFrames(s, h.cutOffsets[1], h.streamLength - 1, &cutShort), 2);
  EXPECT_TRUE(cutShort);
  EXPECT_EQ(s.Tell(), h.restart);  // counting leaves the position
}

TEST(OvLayout, FileHeaderOfTlAndOneCutOv) {
  const auto tl = SmallTl(6, 4, 1, "only");
  EXPECT_EQ(U32At(tl, 2), tl.size());
  std::vector<uint8_t> copy = tl;
  MemoryStream s = Over(copy);
  ov::FileHeader h;
  ASSERT_TRUE(ov::ReadFileHeader(s, h));
  EXPECT_EQ(h.kind, ov::Kind::kTl);
  EXPECT_EQ(h.tlCut.credit, "only");
  EXPECT_EQ(h.cutOffsets, std::vector<int32_t>{6});
  EXPECT_EQ(h.restart, 6);
  EXPECT_EQ(h.largestWidth, 6);
  EXPECT_EQ(h.screenHeight, 4);  // the cut's view size is the view area

  std::vector<uint8_t> one = ovtest::BuildOv({tl});
  MemoryStream o = Over(one);
  ASSERT_TRUE(ov::ReadFileHeader(o, h));
  EXPECT_EQ(h.cutOffsets, std::vector<int32_t>{h.restart});
}

TEST(OvLayout, FileHeaderRefusesWhatCannotBePlayed) {
  auto refuses = [](std::vector<uint8_t> bytes) {
    MemoryStream s = Over(bytes);
    ov::FileHeader h;
    h.title = "kept";
    const bool ok = ov::ReadFileHeader(s, h);
    return !ok && h.title == "kept";
  };
  std::vector<uint8_t> ov = ovtest::BuildOv({SmallTl(4, 4, 1)});
  EXPECT_FALSE(refuses(ov));
  std::vector<uint8_t> bad = ov;
  bad[0] = 'X';
  EXPECT_TRUE(refuses(bad));
  EXPECT_TRUE(refuses({}));
  EXPECT_TRUE(refuses({'T', 'L', 0, 0}));  // cut short before the cut header
  // Cut count 0, negative, or a table longer than the file.
  const size_t countAt = 6 + 5 + 8 + 4 + 4;  // "film", "someone", screen, largest
  for (int16_t n : {0, -1, 30000}) {
    std::vector<uint8_t> b = ov;
    b[countAt] = uint8_t(n), b[countAt + 1] = uint8_t(n >> 8);
    EXPECT_TRUE(refuses(b)) << n;
  }
}

TEST(OvLayout, ExtractWritesEachCutAsTheTlItCameFrom) {
  const std::vector<std::vector<uint8_t>> tls = {SmallTl(8, 3, 2, "a"), SmallTl(5, 7, 3, "b"),
                                                 SmallTl(4, 4, 1, "c")};
  std::vector<uint8_t> ov = ovtest::BuildOv(tls);
  MemoryStream s = Over(ov);
  ov::FileHeader h;
  ASSERT_TRUE(ov::ReadFileHeader(s, h));
  s.Seek(123, kSeekSet);
  for (int32_t k = 0; k < 3; ++k) {
    Bytes out;
    ASSERT_TRUE(ov::ExtractCut(s, h.cutOffsets, h.streamLength, k, out.stream));
    EXPECT_EQ(out.Take(), tls[size_t(k)]) << k;  // "TL", length + 6, the record
    EXPECT_EQ(s.Tell(), 123);
  }
  Bytes out;
  EXPECT_FALSE(ov::ExtractCut(s, h.cutOffsets, h.streamLength, 3, out.stream));
  EXPECT_FALSE(ov::ExtractCut(s, h.cutOffsets, h.streamLength, -1, out.stream));
  std::vector<int32_t> outside = h.cutOffsets;
  outside[2] = h.streamLength + 1;
  EXPECT_FALSE(ov::ExtractCut(s, outside, h.streamLength, 2, out.stream));
  EXPECT_FALSE(ov::ExtractCut(s, outside, h.streamLength, 1, out.stream));  // ends past the stream
  std::vector<int32_t> backwards = h.cutOffsets;
  std::swap(backwards[0], backwards[1]);
  EXPECT_FALSE(ov::ExtractCut(s, backwards, h.streamLength, 0, out.stream));
  EXPECT_EQ(out.stream.Length(), 0);

  // A TL file extracts as itself.
  std::vector<uint8_t> tl = tls[1];
  MemoryStream t = Over(tl);
  ASSERT_TRUE(ov::ReadFileHeader(t, h));
  Bytes again;
  ASSERT_TRUE(ov::ExtractCut(t, h.cutOffsets, h.streamLength, 0, again.stream));
  EXPECT_EQ(again.Take(), tls[1]);
}
