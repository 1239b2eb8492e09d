#pragma once

// Compiled animation files: OV (a whole film) and TL (one cut). The one description of
// their bytes; the readers and writers below walk the fields in this order.
//
// Integers little-endian, no padding. Strings: bytes up to a NUL, at most 255 kept.
//
// OV file                                  TL file
//   0   2     "OV"                           0  2   "TL"
//   2   4     u32 file length                2  4   u32 file length
//   6   n+1   title                          6  ..  one cut record, to the end
//   ..  m+1   author
//   ..  2×i16 screen width, height (the player's view area)
//   ..  2×i16 largest image width, height over all cuts (each maximised separately)
//   ..  i16   cut count N
//   ..  4×N   u32 offset of each cut record, in play order
//   ..        the cut records back to back, the first directly after the table
//
// A TL file's bytes from 6 on are exactly the cut record an OV file holds for that cut.
//
// Cut record = cut header + frame records up to the next cut record or the end of file.
// Cut header
//   k+1   credit
//   i16   image width, height (cut size ÷ anti-aliasing factor 1, 2 or 4)
//   i16   view width, height (camera size ÷ the same factor)
//   u8    frames per second, at least 1
//   u8    level count − 1: 3 (4 levels) or 12 (13 levels)
// Frame record
//   0   i16   duration in ticks; −n = dissolve over n ticks; 0 stops playback
//   2   i16   repeat count: > 1 opens a loop played that many times; while a loop is
//             open the next non-zero count closes it
//   4   u8    brightness 0-100, 50 unchanged
//   5   i16   view x          7  i16 view y
//   9   i16   changed x      11  i16 changed y
//   13  i16   changed width W 15 i16 changed height H
//   17  u32   S1, code byte count
//   21  u32   S2, literal byte count
//   25  P×H   presence bitmaps: bit j of a row (LSB of its first byte = j 0) set when
//             code byte j differs from the row above; above the first row: all 0x11
//   ..  S1    the code bytes whose presence bit is set, row by row, increasing j
//   ..  S2    literal bytes, for every block of code 0 in coding order
// K = ceil(W / 8) code bytes per row, P = ceil(K / 8) presence bytes per row; W or H of
// 0 means an unchanged frame and a 25-byte record.
//
// Pixels: blocks of 4 pixels of one row, from the rectangle's x rightwards (the last
// block may reach 3 pixels past the right edge), rows top to bottom. Each block has a
// 4-bit code, two per code byte, the first block of a pair in the low nibble.

#include <cstdint>
#include <string>
#include <vector>

#include "io/byte_stream.h"

namespace ov {

inline constexpr char kOvMagic[2] = {'O', 'V'};
inline constexpr char kTlMagic[2] = {'T', 'L'};
inline constexpr int32_t kLengthOffset = 2;
inline constexpr int32_t kTlCutOffset = 6;  // the cut record of a TL file
inline constexpr int32_t kMaxString = 255;
inline constexpr int32_t kFrameFieldsSize = 17;  // duration .. changed height
inline constexpr int32_t kFrameHeaderSize = 25;  // .. S1, S2
inline constexpr uint8_t kFirstRowCodes = 0x11;  // the row above the first: all code 1

// Block codes.
inline constexpr int kLiteralCode = 0;   // 4 pixel values in the literal bytes
inline constexpr int kPreviousCode = 15;  // same position of the previous frame
struct BlockOffset {
  int8_t dx, dy;
};
// Codes 1-14 copy the 4 pixels at (x + dx, y + dy) of the frame being built, which lie
// to the left in the same row or in a row above and are already final.
inline constexpr BlockOffset kBlockOffsets[16] = {
    {0, 0},   {-4, 0},  {-8, 0},  {-16, 0}, {0, -1},  {-4, -1}, {0, -2},  {-4, -2},
    {-8, -2}, {0, -4},  {-4, -4}, {-8, -4}, {0, -8},  {-4, -8}, {-8, -8}, {0, 0}};

inline int32_t CodeBytesPerRow(int32_t width) { return width > 0 ? (width + 7) / 8 : 0; }
inline int32_t PresenceBytesPerRow(int32_t codeBytes) {
  return codeBytes > 0 ? (codeBytes + 7) / 8 : 0;
}

// Literal packing. Up to 4 levels: one byte, 2 bits a pixel from bit 0 up. More levels
// (13): two bytes, pixel 1 and 2 in the low and high nibble of the first, 3 and 4 in the
// second.
inline int LiteralBytes(int levelCount) { return levelCount <= 4 ? 1 : 2; }
inline uint8_t PackLiteral4(const uint8_t px[4]) {
  return uint8_t((px[0] & 3) | (px[1] & 3) << 2 | (px[2] & 3) << 4 | (px[3] & 3) << 6);
}
inline void UnpackLiteral4(uint8_t b, uint8_t px[4]) {
  for (int i = 0; i < 4; ++i) px[i] = (b >> (2 * i)) & 3;
}
inline void PackLiteral16(const uint8_t px[4], uint8_t out[2]) {
  out[0] = uint8_t((px[0] & 15) | (px[1] & 15) << 4);
  out[1] = uint8_t((px[2] & 15) | (px[3] & 15) << 4);
}
inline void UnpackLiteral16(const uint8_t in[2], uint8_t px[4]) {
  px[0] = in[0] & 15, px[1] = in[0] >> 4, px[2] = in[1] & 15, px[3] = in[1] >> 4;
}

enum class Kind { kOv, kTl };

struct CutHeader {
  std::string credit;
  int16_t imageWidth = 0, imageHeight = 0;
  int16_t viewWidth = 0, viewHeight = 0;
  uint8_t fps = 1;
  int levelCount = 4;  // stored minus one: 1-256 as read
};

struct FrameFields {
  int16_t duration = 0;
  int16_t repeat = 0;
  uint8_t brightness = 50;
  int16_t viewX = 0, viewY = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;  // the changed rectangle
};

// The frame record's header: the fields, then S1 and S2.
struct FrameHeader {
  FrameFields fields;
  uint32_t codeBytes = 0;     // S1
  uint32_t literalBytes = 0;  // S2
  // Presence bytes of all rows, 0 for an unchanged frame.
  int64_t PresenceBytes() const;
  // The whole record, header included.
  int64_t RecordBytes() const;
};

// What opening a stream learns from its first bytes. For a TL stream the view area is
// the cut's view size and the largest image its image size, as the player takes them.
struct FileHeader {
  Kind kind = Kind::kTl;
  uint32_t storedLength = 0;  // never used for reading
  std::string title, author;  // OV only
  int16_t screenWidth = 0, screenHeight = 0;
  int16_t largestWidth = 0, largestHeight = 0;
  std::vector<int32_t> cutOffsets;  // in play order
  int32_t restart = 0;              // the position after the cut table (TL: 6)
  int32_t streamLength = 0;
  CutHeader tlCut;  // TL only: the cut header read while opening
};

// Little-endian reads through getc. Past the end they deliver zeros and mark the reader
// ended, so a caller checks once per record. Unlike the document files' FieldReader it
// needs no seek to the end, and a string longer than 255 bytes is read through to its NUL.
class FieldSource {
 public:
  explicit FieldSource(ByteStream& stream) : stream_(stream) {}
  uint8_t U8() {
    const int c = stream_.Getc();
    if (c < 0) ended_ = true;
    return c < 0 ? 0 : uint8_t(c);
  }
  uint16_t U16() {
    const uint16_t lo = U8();
    return uint16_t(lo | U8() << 8);
  }
  int16_t I16() { return int16_t(U16()); }
  uint32_t U32() {
    const uint32_t lo = U16();
    return lo | uint32_t(U16()) << 16;
  }
  // Bytes up to NUL or the end; at most 255 kept, the rest read past.
  std::string String();
  bool Ended() const { return ended_; }

 private:
  ByteStream& stream_;
  bool ended_ = false;
};

// Readers: false when the stream ends inside the record (the fields read stay filled).
bool ReadCutHeader(ByteStream& stream, CutHeader& header);
bool ReadFrameHeader(ByteStream& stream, FrameHeader& header);
// The open steps: magic, length, the OV header and cut table or the TL cut header, and
// the stream length; leaves the stream at the restart position (TL: at the first frame
// record). Fails on an unknown magic, a header cut short, a cut count below 1 or a
// table longer than the stream.
bool ReadFileHeader(ByteStream& stream, FileHeader& header);

// Frame records of the cut record in [start, end): whole ones counted, `cutShort` set
// when the last one runs past `end` (or the stream). Each record takes at least 25 bytes,
// so the walk is bounded by the stream.
int32_t CountFrames(ByteStream& stream, int32_t start, int32_t end, bool* cutShort);

// Writers, each at the stream's position; false when a byte could not be written.
// Strings longer than 255 bytes are cut on a character boundary.
bool WriteString(ByteStream& stream, const std::string& text);
bool WriteCutHeader(ByteStream& stream, const CutHeader& header);
bool WriteFrameFields(ByteStream& stream, const FrameFields& fields);
bool WriteU32At(ByteStream& stream, int32_t offset, uint32_t value);  // returns to the position

// A TL stream: BeginTl at position 0 ("TL", the length left open), the cut header and the
// frame records, then FinishLength writes the position reached as the length at offset 2.
bool BeginTl(ByteStream& stream);
bool FinishLength(ByteStream& stream);

// An OV file: Begin writes the header with the largest size and the cut table left open;
// for each cut, BeginCut enters the position reached as cut i's offset and the cut record
// follows (AppendTl copies one from a TL stream); Finish writes the file length and the
// largest image size.
class OvWriter {
 public:
  explicit OvWriter(ByteStream& stream) : stream_(stream) {}
  bool Begin(const std::string& title, const std::string& author, int16_t screenWidth,
             int16_t screenHeight, int16_t cutCount);
  bool BeginCut(int32_t index);
  // Copies a TL stream's bytes from 6 to its end onto the OV file; remembers the image size
  // of its cut header for the largest size. False when `tl` is not a TL stream.
  bool AppendTl(ByteStream& tl, int16_t* imageWidth = nullptr, int16_t* imageHeight = nullptr);
  // A cut record written straight into the OV file: its image size for the largest size.
  void NoteImageSize(int16_t width, int16_t height);
  bool Finish();

 private:
  ByteStream& stream_;
  int32_t largestAt_ = 0, tableAt_ = 0;
  int16_t cutCount_ = 0;
  int16_t largestWidth_ = 0, largestHeight_ = 0;
};

// Copies bytes [start, end) of `from` onto `to` at its position, leaving `from` where it
// was. False when the range does not lie inside `from` or a write fails.
bool CopyStreamBytes(ByteStream& from, int32_t start, int32_t end, ByteStream& to);

// Writes cut `index` of a stream whose header gave `cutOffsets` and `streamLength` as a
// TL file at `out`'s position: "TL", the record length + 6, the record's bytes from its
// offset up to the next cut's offset (the stream length for the last cut). `source` keeps
// its position. False for an index outside the table, a record outside the stream or
// ending before it starts, or a failed write.
bool ExtractCut(ByteStream& source, const std::vector<int32_t>& cutOffsets, int32_t streamLength,
                int32_t index, ByteStream& out);

}  // namespace ov
