#include "anim/decoder.h"

#include <algorithm>
#include <cstring>

namespace {

// A 4-level literal byte (2 bits a pixel from bit 0) as a PixelBlock (4 bits a pixel).
struct Literal4Table {
  PixelBlock block[256];
  Literal4Table() {
    for (int b = 0; b < 256; ++b) {
      uint8_t px[4];
      ov::UnpackLiteral4(uint8_t(b), px);
      block[b] = PixelBlock(px[0] | px[1] << 4 | px[2] << 8 | px[3] << 12);
    }
  }
};
const Literal4Table kLiteral4;

}  // namespace

bool Decoder::Open(ByteStream& stream) {
  ov::FileHeader header;
  if (!ov::ReadFileHeader(stream, header)) return false;
  if (!buffer_.Create(header.largestWidth, header.largestHeight)) return false;
  stream_ = &stream;
  kind_ = header.kind;
  cutOffsets_ = std::move(header.cutOffsets);
  restart_ = header.restart;
  length_ = header.streamLength;
  viewAreaWidth_ = header.screenWidth;
  viewAreaHeight_ = header.screenHeight;
  nextCut_ = 0;
  passesLeft_ = 1;
  cut_ = ov::CutHeader();
  cut_.imageWidth = cut_.imageHeight = 0;
  frame_ = ov::FrameFields();
  frameAt_ = restart_;
  changed_ = Rect();
  counter_ = 0;
  codeRow_.assign(size_t(ov::CodeBytesPerRow(buffer_.Width())), ov::kFirstRowCodes);
  stream.Seek(restart_, kSeekSet);
  return true;
}

int32_t Decoder::CurrentCut() const {
  if (cutOffsets_.empty()) return -1;
  return nextCut_ > 0 ? nextCut_ - 1 : CutCount() - 1;
}

bool Decoder::AtEnd() const {
  return stream_ && stream_->Tell() >= length_ && passesLeft_ < 2;
}

void Decoder::SeekTo(int64_t position) {
  // A record that claims to run past the stream ends it, so the next frame restarts.
  stream_->Seek(int32_t(std::clamp<int64_t>(position, 0, length_)), kSeekSet);
}

bool Decoder::ReadRecord(ov::FrameHeader& record) {
  frameAt_ = stream_->Tell();
  const bool whole = ov::ReadFrameHeader(*stream_, record);
  // The first frame of a cut is played with the magnitude of its duration.
  if (counter_ == 0 && record.fields.duration < 0) {
    record.fields.duration = int16_t(std::min(-int32_t(record.fields.duration), 32767));
  }
  return whole;
}

int Decoder::NextFrame() {
  if (!stream_) return 0;
  int32_t at = stream_->Tell();
  if (at < 0 || at >= length_) {
    stream_->Seek(restart_, kSeekSet);
    at = restart_;
    nextCut_ = 0;
  }
  if (nextCut_ >= 0 && nextCut_ < CutCount() && at == cutOffsets_[size_t(nextCut_)]) {
    ov::CutHeader header;
    ov::ReadCutHeader(*stream_, header);
    // While a loop is open the header of the next cut is read past: the loop repeats
    // through the end of its own cut.
    if (passesLeft_ < 2) {
      cut_ = std::move(header);
      cut_.fps = std::max<uint8_t>(cut_.fps, 1);
      counter_ = 0;
      changed_ = Rect{0, 0, cut_.imageWidth, cut_.imageHeight};
      ++nextCut_;
      buffer_.LevelRamp(cut_.levelCount);
    }
  }

  ov::FrameHeader record;
  ReadRecord(record);
  if (passesLeft_ > 1 && record.fields.repeat != 0) {
    // The loop closes here: back to its first frame; the closing frame is shown only
    // after the last pass.
    buffer_.Restore();
    counter_ = loopCounter_;
    changed_ = loopChanged_;
    stream_->Seek(loopAt_, kSeekSet);
    ReadRecord(record);
    --passesLeft_;
  } else if (record.fields.repeat > 1) {
    loopAt_ = frameAt_;
    loopCounter_ = counter_;
    loopChanged_ = changed_;
    passesLeft_ = record.fields.repeat;
    buffer_.Save();
  }

  buffer_.SetCurrentPage(counter_ & 1);
  ++counter_;
  const Rect previous = changed_;
  const ov::FrameFields& f = record.fields;
  changed_ = Rect{f.x, f.y, std::max<int32_t>(f.width, 0), std::max<int32_t>(f.height, 0)};
  frame_ = f;

  const int64_t dataAt = int64_t(frameAt_) + ov::kFrameHeaderSize;
  const int64_t end = frameAt_ + record.RecordBytes();
  const bool fits = buffer_.Width() >= cut_.imageWidth && buffer_.Height() >= cut_.imageHeight;
  // A changed rectangle outside the image only comes from a damaged record.
  const bool inside = changed_.IsEmpty() ||
                      (changed_.x >= 0 && changed_.y >= 0 && changed_.Right() <= cut_.imageWidth &&
                       changed_.Bottom() <= cut_.imageHeight);
  if (!fits || !inside) {
    SeekTo(end);
    return f.duration;
  }
  BringUpOtherPage(previous);
  if (!changed_.IsEmpty()) DecodePixels(record, dataAt);
  SeekTo(end);
  buffer_.SetBrightness(f.brightness);
  return f.duration;
}

void Decoder::BringUpOtherPage(const Rect& previous) {
  // The current page held the frame before the previous one: outside the new rectangle
  // it must show the previous frame, which differs from it only inside the previous
  // rectangle.
  const Rect& c = changed_;
  if (c.IsEmpty()) {
    buffer_.CopyFromOtherPage(previous.x, previous.y, previous.width, previous.height);
    return;
  }
  const Rect u = UnionRect(previous, c);
  buffer_.CopyFromOtherPage(u.x, u.y, u.width, c.y - u.y);
  buffer_.CopyFromOtherPage(u.x, c.y, c.x - u.x, c.height);
  buffer_.CopyFromOtherPage(c.Right(), c.y, u.Right() - c.Right(), c.height);
  buffer_.CopyFromOtherPage(u.x, c.Bottom(), u.width, u.Bottom() - c.Bottom());
}

void Decoder::DecodePixels(const ov::FrameHeader& record, int64_t dataAt) {
  const int32_t width = changed_.width, height = changed_.height;
  const int32_t k = ov::CodeBytesPerRow(width);
  const int32_t p = ov::PresenceBytesPerRow(k);
  // The presence, code and literal bytes of the record in one read. Bytes a damaged
  // record claims beyond the stream read as 0.
  const int64_t want = record.RecordBytes() - ov::kFrameHeaderSize;
  const int64_t have = std::clamp<int64_t>(length_ - dataAt, 0, want);
  data_.assign(size_t(have), 0);
  if (have > 0 && (!stream_->Seek(int32_t(dataAt), kSeekSet) ||
                   stream_->Read(data_.data(), int32_t(have)) != 1)) {
    std::fill(data_.begin(), data_.end(), 0);
  }
  const uint8_t* data = data_.data();
  auto byteAt = [&](int64_t i) -> uint8_t { return i < have ? data[i] : 0; };

  // The three positions: the row's presence bytes, the next code byte, the next literal.
  int64_t presenceAt = 0;
  int64_t codeAt = int64_t(p) * height;
  int64_t literalAt = codeAt + record.codeBytes;
  const bool wideLiterals = ov::LiteralBytes(cut_.levelCount) == 2;
  codeRow_.assign(size_t(k), ov::kFirstRowCodes);
  uint8_t* codes = codeRow_.data();

  for (int32_t y = changed_.y; y < changed_.y + height; ++y) {
    for (int32_t j = 0; j < k; ++j) {
      if (byteAt(presenceAt + j / 8) & (1 << (j % 8))) codes[j] = byteAt(codeAt++);
    }
    presenceAt += p;
    int32_t nibble = 0;
    for (int32_t x = changed_.x; x < changed_.x + width; x += 4, ++nibble) {
      const int code = (codes[nibble / 2] >> (4 * (nibble % 2))) & 15;
      PixelBlock block;
      if (code == ov::kLiteralCode) {
        if (wideLiterals) {
          block = PixelBlock(byteAt(literalAt) | byteAt(literalAt + 1) << 8);
          literalAt += 2;
        } else {
          block = kLiteral4.block[byteAt(literalAt++)];
        }
      } else if (code == ov::kPreviousCode) {
        block = buffer_.ReadOther4(x, y);
      } else {
        const ov::BlockOffset d = ov::kBlockOffsets[code];
        block = buffer_.Read4(x + d.dx, y + d.dy);
      }
      buffer_.Write4(x, y, block);
    }
  }
}

int Decoder::GotoCut(int32_t k) {
  if (!stream_ || k < 0 || k >= CutCount()) return 0;
  const int32_t offset = cutOffsets_[size_t(k)];
  // A table entry outside the stream lands at its end, so the frame restarts the stream.
  if (offset < 0 || offset > length_ || !stream_->Seek(offset, kSeekSet)) {
    stream_->Seek(length_, kSeekSet);
  }
  nextCut_ = k;
  passesLeft_ = 1;
  return NextFrame();
}

int Decoder::NextCut() {
  if (!stream_) return 0;
  return GotoCut(nextCut_ >= CutCount() ? 0 : nextCut_);
}

int Decoder::PreviousCut() {
  if (!stream_) return 0;
  const int32_t k = nextCut_ - 2;
  return GotoCut(k < 0 ? CutCount() - 1 : k);
}
