#include "anim/ov_layout.h"

#include <algorithm>

#include "io/cp932.h"

namespace ov {

int64_t FrameHeader::PresenceBytes() const {
  if (fields.width <= 0 || fields.height <= 0) return 0;
  return int64_t(PresenceBytesPerRow(CodeBytesPerRow(fields.width))) * fields.height;
}

int64_t FrameHeader::RecordBytes() const {
  return kFrameHeaderSize + PresenceBytes() + int64_t(codeBytes) + int64_t(literalBytes);
}

std::string FieldSource::String() {
  std::string text;
  // Bounded by the stream: every step consumes a byte or ends.
  for (;;) {
    const int c = stream_.Getc();
    if (c < 0) {
      ended_ = true;
      break;
    }
    if (c == 0) break;
    if (text.size() < size_t(kMaxString)) text.push_back(char(c));
  }
  return text;
}

bool ReadCutHeader(ByteStream& stream, CutHeader& header) {
  FieldSource in(stream);
  header.credit = in.String();
  header.imageWidth = in.I16();
  header.imageHeight = in.I16();
  header.viewWidth = in.I16();
  header.viewHeight = in.I16();
  header.fps = in.U8();
  header.levelCount = in.U8() + 1;
  return !in.Ended();
}

bool ReadFrameHeader(ByteStream& stream, FrameHeader& header) {
  FieldSource in(stream);
  FrameFields& f = header.fields;
  f.duration = in.I16();
  f.repeat = in.I16();
  f.brightness = in.U8();
  f.viewX = in.I16();
  f.viewY = in.I16();
  f.x = in.I16();
  f.y = in.I16();
  f.width = in.I16();
  f.height = in.I16();
  header.codeBytes = in.U32();
  header.literalBytes = in.U32();
  return !in.Ended();
}

bool ReadFileHeader(ByteStream& stream, FileHeader& header) {
  if (!stream.IsOpen() || !stream.Seek(0, kSeekEnd)) return false;
  const int32_t length = stream.Tell();
  if (length < 0 || !stream.Seek(0, kSeekSet)) return false;
  FileHeader h;
  h.streamLength = length;
  FieldSource in(stream);
  const char m0 = char(in.U8()), m1 = char(in.U8());
  if (m0 == kOvMagic[0] && m1 == kOvMagic[1]) {
    h.kind = Kind::kOv;
  } else if (m0 == kTlMagic[0] && m1 == kTlMagic[1]) {
    h.kind = Kind::kTl;
  } else {
    return false;
  }
  h.storedLength = in.U32();
  if (h.kind == Kind::kOv) {
    h.title = in.String();
    h.author = in.String();
    h.screenWidth = in.I16();
    h.screenHeight = in.I16();
    h.largestWidth = in.I16();
    h.largestHeight = in.I16();
    const int16_t count = in.I16();
    if (in.Ended() || count < 1) return false;
    const int32_t tableBytes = 4 * int32_t(count);
    if (tableBytes > length - stream.Tell()) return false;
    h.cutOffsets.resize(size_t(count));
    for (int32_t& offset : h.cutOffsets) offset = int32_t(in.U32());
    if (in.Ended()) return false;
    h.restart = stream.Tell();
  } else {
    if (in.Ended() || !ReadCutHeader(stream, h.tlCut)) return false;
    h.screenWidth = h.tlCut.viewWidth;
    h.screenHeight = h.tlCut.viewHeight;
    h.largestWidth = h.tlCut.imageWidth;
    h.largestHeight = h.tlCut.imageHeight;
    h.cutOffsets.assign(1, kTlCutOffset);
    h.restart = kTlCutOffset;
  }
  header = std::move(h);
  return true;
}

int32_t CountFrames(ByteStream& stream, int32_t start, int32_t end, bool* cutShort) {
  const int32_t back = stream.Tell();
  int32_t count = 0;
  bool shortRecord = false;
  CutHeader cut;
  if (!stream.Seek(start, kSeekSet) || !ReadCutHeader(stream, cut)) {
    shortRecord = true;
  } else {
    int64_t at = stream.Tell();
    while (at < end) {
      FrameHeader frame;
      if (!stream.Seek(int32_t(at), kSeekSet) || !ReadFrameHeader(stream, frame) ||
          at + frame.RecordBytes() > end) {
        shortRecord = true;
        break;
      }
      at += frame.RecordBytes();
      ++count;
    }
  }
  stream.Seek(back, kSeekSet);
  if (cutShort) *cutShort = shortRecord;
  return count;
}

namespace {

bool PutU8(ByteStream& s, uint32_t v) { return s.Putc(int(v & 0xFF)) >= 0; }
bool PutU16(ByteStream& s, uint32_t v) { return PutU8(s, v) && PutU8(s, v >> 8); }
bool PutU32(ByteStream& s, uint32_t v) { return PutU16(s, v & 0xFFFF) && PutU16(s, v >> 16); }
bool PutI16(ByteStream& s, int32_t v) { return PutU16(s, uint32_t(v) & 0xFFFF); }

}  // namespace

bool WriteString(ByteStream& stream, const std::string& text) {
  const std::string cut = TruncateCp932(text, size_t(kMaxString));
  return (cut.empty() || stream.Write(cut.data(), int32_t(cut.size())) == 1) && PutU8(stream, 0);
}

bool WriteCutHeader(ByteStream& stream, const CutHeader& header) {
  return WriteString(stream, header.credit) && PutI16(stream, header.imageWidth) &&
         PutI16(stream, header.imageHeight) && PutI16(stream, header.viewWidth) &&
         PutI16(stream, header.viewHeight) && PutU8(stream, header.fps) &&
         PutU8(stream, uint32_t(header.levelCount - 1));
}

bool WriteFrameFields(ByteStream& stream, const FrameFields& f) {
  return PutI16(stream, f.duration) && PutI16(stream, f.repeat) && PutU8(stream, f.brightness) &&
         PutI16(stream, f.viewX) && PutI16(stream, f.viewY) && PutI16(stream, f.x) &&
         PutI16(stream, f.y) && PutI16(stream, f.width) && PutI16(stream, f.height);
}

bool WriteU32At(ByteStream& stream, int32_t offset, uint32_t value) {
  const int32_t back = stream.Tell();
  const bool ok = stream.Seek(offset, kSeekSet) && PutU32(stream, value);
  return stream.Seek(back, kSeekSet) && ok;
}

bool BeginTl(ByteStream& stream) {
  // The length is written as zeros first so a stream left unfinished reads as length 0.
  return stream.Seek(0, kSeekSet) && PutU8(stream, uint8_t(kTlMagic[0])) &&
         PutU8(stream, uint8_t(kTlMagic[1])) && PutU32(stream, 0);
}

bool FinishLength(ByteStream& stream) {
  const int32_t end = stream.Tell();
  return end >= 0 && WriteU32At(stream, kLengthOffset, uint32_t(end));
}

bool OvWriter::Begin(const std::string& title, const std::string& author, int16_t screenWidth,
                     int16_t screenHeight, int16_t cutCount) {
  if (cutCount < 0 || !stream_.Seek(0, kSeekSet)) return false;
  bool ok = PutU8(stream_, uint8_t(kOvMagic[0])) && PutU8(stream_, uint8_t(kOvMagic[1])) &&
            PutU32(stream_, 0) && WriteString(stream_, title) && WriteString(stream_, author) &&
            PutI16(stream_, screenWidth) && PutI16(stream_, screenHeight);
  largestAt_ = stream_.Tell();
  ok = ok && PutU32(stream_, 0) && PutI16(stream_, cutCount);
  tableAt_ = stream_.Tell();
  for (int32_t i = 0; i < cutCount && ok; ++i) ok = PutU32(stream_, 0);
  cutCount_ = cutCount;
  largestWidth_ = largestHeight_ = 0;
  return ok;
}

bool OvWriter::BeginCut(int32_t index) {
  if (index < 0 || index >= cutCount_) return false;
  const int32_t here = stream_.Tell();
  return here >= 0 && WriteU32At(stream_, tableAt_ + 4 * index, uint32_t(here));
}

void OvWriter::NoteImageSize(int16_t width, int16_t height) {
  largestWidth_ = std::max(largestWidth_, width);
  largestHeight_ = std::max(largestHeight_, height);
}

bool OvWriter::AppendTl(ByteStream& tl, int16_t* imageWidth, int16_t* imageHeight) {
  const int32_t back = tl.Tell();
  FileHeader header;
  if (!ReadFileHeader(tl, header) || header.kind != Kind::kTl) {
    tl.Seek(back, kSeekSet);
    return false;
  }
  tl.Seek(back, kSeekSet);
  NoteImageSize(header.tlCut.imageWidth, header.tlCut.imageHeight);
  if (imageWidth) *imageWidth = header.tlCut.imageWidth;
  if (imageHeight) *imageHeight = header.tlCut.imageHeight;
  return CopyStreamBytes(tl, kTlCutOffset, header.streamLength, stream_);
}

bool OvWriter::Finish() {
  const int32_t end = stream_.Tell();
  if (end < 0 || !WriteU32At(stream_, kLengthOffset, uint32_t(end))) return false;
  const uint32_t largest = uint32_t(uint16_t(largestWidth_)) | uint32_t(uint16_t(largestHeight_)) << 16;
  return WriteU32At(stream_, largestAt_, largest);
}

bool CopyStreamBytes(ByteStream& from, int32_t start, int32_t end, ByteStream& to) {
  const int32_t back = from.Tell();
  if (start < 0 || end < start || !from.Seek(0, kSeekEnd)) return false;
  const int32_t length = from.Tell();
  bool ok = end <= length && from.Seek(start, kSeekSet);
  uint8_t buffer[4096];
  for (int32_t at = start; ok && at < end;) {
    const int32_t n = std::min<int32_t>(end - at, int32_t(sizeof buffer));
    ok = from.Read(buffer, n) == 1 && to.Write(buffer, n) == 1;
    at += n;
  }
  from.Seek(back, kSeekSet);
  return ok;
}

bool ExtractCut(ByteStream& source, const std::vector<int32_t>& cutOffsets, int32_t streamLength,
                int32_t index, ByteStream& out) {
  if (index < 0 || size_t(index) >= cutOffsets.size()) return false;
  const int32_t start = cutOffsets[size_t(index)];
  const int32_t end = size_t(index) + 1 < cutOffsets.size() ? cutOffsets[size_t(index) + 1] : streamLength;
  if (start < 0 || end < start || end > streamLength || end - start > INT32_MAX - kTlCutOffset) return false;
  return PutU8(out, uint8_t(kTlMagic[0])) && PutU8(out, uint8_t(kTlMagic[1])) &&
         PutU32(out, uint32_t(end - start + kTlCutOffset)) && CopyStreamBytes(source, start, end, out);
}

}  // namespace ov
