#include "anim/frame_pixel_writer.h"

#include <algorithm>

#include "anim/ov_layout.h"

bool FramePixelWriter::Begin(ByteStream& out, int32_t width, int32_t height, int levelCount) {
  out_ = &out;
  const bool empty = width <= 0 || height <= 0;
  width_ = empty ? 0 : width;
  height_ = empty ? 0 : height;
  codeBytes_ = ov::CodeBytesPerRow(width_);
  presenceBytes_ = ov::PresenceBytesPerRow(codeBytes_);
  blocksPerRow_ = (width_ + 3) / 4;
  literalBytes_ = ov::LiteralBytes(levelCount);
  row_ = nibble_ = 0;
  above_.assign(size_t(codeBytes_), ov::kFirstRowCodes);
  current_.assign(size_t(codeBytes_), 0);
  presence_.assign(size_t(presenceBytes_) * size_t(height_), 0);
  literals_.Close();
  sizesAt_ = out.Tell();
  // S1, S2 and the presence bitmaps are reserved with zeros and patched in End.
  ok_ = sizesAt_ >= 0;
  for (int64_t i = 0; ok_ && i < 8 + int64_t(presence_.size()); ++i) ok_ = out.Putc(0) >= 0;
  codesAt_ = out.Tell();
  return ok_;
}

void FramePixelWriter::AddBlock(int code, const uint8_t* pixels) {
  if (nibble_ >= blocksPerRow_ || row_ >= height_) return;
  uint8_t& byte = current_[size_t(nibble_ / 2)];
  if (nibble_ % 2 == 0) {
    byte = uint8_t(code & 15);
  } else {
    byte = uint8_t(byte | (code & 15) << 4);
  }
  ++nibble_;
  if (code != ov::kLiteralCode) return;
  static const uint8_t kBlack[4] = {0, 0, 0, 0};
  if (!pixels) pixels = kBlack;
  if (literalBytes_ == 1) {
    ok_ = ok_ && literals_.Putc(ov::PackLiteral4(pixels)) >= 0;
  } else {
    uint8_t two[2];
    ov::PackLiteral16(pixels, two);
    ok_ = ok_ && literals_.Write(two, 2) == 1;
  }
}

int FramePixelWriter::CodeAbove(int32_t index) const {
  if (index < 0 || index / 2 >= codeBytes_) return 1;
  const uint8_t byte = above_[size_t(index / 2)];
  return index % 2 == 0 ? byte & 15 : byte >> 4;
}

bool FramePixelWriter::EndRow() {
  if (row_ >= height_) return ok_;
  uint8_t* presence = presence_.data() + size_t(presenceBytes_) * size_t(row_);
  for (int32_t j = 0; j < codeBytes_ && ok_; ++j) {
    if (current_[size_t(j)] == above_[size_t(j)]) continue;
    ok_ = out_->Putc(current_[size_t(j)]) >= 0;
    presence[j / 8] = uint8_t(presence[j / 8] | 1 << (j % 8));
  }
  above_.swap(current_);
  std::fill(current_.begin(), current_.end(), 0);
  nibble_ = 0;
  ++row_;
  return ok_;
}

bool FramePixelWriter::End() {
  if (!out_ || !ok_) return false;
  const int32_t codesEnd = out_->Tell();
  const uint32_t s1 = uint32_t(codesEnd - codesAt_);
  const uint32_t s2 = uint32_t(literals_.Length());
  ok_ = codesEnd >= codesAt_ && ov::WriteU32At(*out_, sizesAt_, s1) &&
        ov::WriteU32At(*out_, sizesAt_ + 4, s2) && out_->Seek(sizesAt_ + 8, kSeekSet) &&
        (presence_.empty() || out_->Write(presence_.data(), int32_t(presence_.size())) == 1) &&
        out_->Seek(codesEnd, kSeekSet);
  std::vector<uint8_t> bytes(size_t(literals_.Length()));
  if (!bytes.empty()) {
    literals_.CopyTo(bytes.data());
    ok_ = ok_ && out_->Write(bytes.data(), int32_t(bytes.size())) == 1;
  }
  literals_.Close();
  return ok_;
}
