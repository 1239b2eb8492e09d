#include "share/gif_lzw.h"

#include <algorithm>

namespace {

constexpr uint32_t kCodes = 4096;
constexpr int kWidest = 12;
constexpr size_t kBlockBytes = 255;

}  // namespace

void GifLzw::Begin(int minCodeSize) {
  minCodeSize_ = std::clamp(minCodeSize, 2, 8);
  clearCode_ = 1u << minCodeSize_;
  // The table is all zeros between images: Clear leaves it so.
  if (next_.size() < (size_t(kCodes) << minCodeSize_)) next_.resize(size_t(kCodes) << minCodeSize_, 0);
  runCodes_.resize(size_t(clearCode_) * kCodes);
  runMax_.assign(clearCode_, 1);
  for (uint32_t p = 0; p < clearCode_; ++p) runCodes_[size_t(p) * kCodes + 1] = uint16_t(p);
  runLength_ = 0;
  out_.clear();
  blockAt_ = 0;
  out_.push_back(0);
  bits_ = 0, bitCount_ = 0;
  current_ = -1;
  width_ = minCodeSize_ + 1;
  lastCode_ = clearCode_ + 1;
  Emit(clearCode_);
}

void GifLzw::Clear() {
  std::fill(next_.begin(), next_.begin() + std::ptrdiff_t((size_t(lastCode_) + 1) << minCodeSize_), 0);
  std::fill(runMax_.begin(), runMax_.end(), 1);
  width_ = minCodeSize_ + 1;
  lastCode_ = clearCode_ + 1;
}

void GifLzw::PutByte(uint8_t b) {
  if (out_[blockAt_] == kBlockBytes) {
    blockAt_ = out_.size();
    out_.push_back(0);
  }
  out_.push_back(b);
  ++out_[blockAt_];
}

void GifLzw::Emit(uint32_t code) {
  bits_ |= uint64_t(code) << bitCount_;
  bitCount_ += width_;
  while (bitCount_ >= 8) {
    PutByte(uint8_t(bits_));
    bits_ >>= 8;
    bitCount_ -= 8;
  }
}

void GifLzw::Assigned() {
  // The reader widens its codes once it has assigned 2^width of them, one code later than
  // this writer, which is one code ahead.
  if (lastCode_ >= (1u << width_)) ++width_;
  if (lastCode_ == kCodes - 1) {
    Emit(clearCode_);
    Clear();
  }
}

void GifLzw::PutRun(uint32_t pixel, size_t run) {
  uint16_t* codes = runCodes_.data() + size_t(pixel) * kCodes;
  while (run > 0) {
    const uint32_t known = runMax_[pixel];
    if (runLength_ + run <= known) {
      runLength_ += uint32_t(run);
      current_ = codes[runLength_];
      return;
    }
    // The longest known run matches; the pixel after it starts the next string.
    run -= known - runLength_;
    Emit(codes[known]);
    ++lastCode_;
    codes[known + 1] = uint16_t(lastCode_);
    runMax_[pixel] = uint16_t(known + 1);
    Assigned();
    current_ = int32_t(pixel);
    runLength_ = 1;
    --run;
  }
}

void GifLzw::Put(const uint8_t* pixels, size_t n) {
  const uint32_t mask = clearCode_ - 1;
  size_t i = 0;
  if (current_ < 0 && n > 0) {
    current_ = pixels[i++] & mask;
    runPixel_ = uint32_t(current_);
    runLength_ = 1;
  }
  uint16_t* next = next_.data();
  const int shift = minCodeSize_;
  while (i < n) {
    const uint32_t pixel = pixels[i] & mask;
    if (runLength_ > 0 && pixel == runPixel_) {
      size_t run = 1;
      while (i + run < n && (pixels[i + run] & mask) == pixel) ++run;
      PutRun(pixel, run);
      i += run;
      continue;
    }
    uint16_t& slot = next[(uint32_t(current_) << shift) | pixel];
    ++i;
    if (slot) {
      current_ = slot;
      runLength_ = 0;
      continue;
    }
    Emit(uint32_t(current_));
    slot = uint16_t(++lastCode_);
    Assigned();
    current_ = int32_t(pixel);
    runPixel_ = pixel;
    runLength_ = 1;
  }
}

void GifLzw::End() {
  if (current_ >= 0) {
    Emit(uint32_t(current_));
    // The reader assigns one more code on reading it, and may widen before the end code.
    if (lastCode_ + 1 >= (1u << width_) && width_ < kWidest) ++width_;
  }
  Emit(clearCode_ + 1);
  if (bitCount_ > 0) PutByte(uint8_t(bits_));
  bits_ = 0, bitCount_ = 0;
  if (out_[blockAt_] == 0) out_.resize(blockAt_);
  Clear();
  current_ = -1;
}
