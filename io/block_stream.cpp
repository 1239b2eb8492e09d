#include "io/block_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

bool BlockStream::EnsureBlock(size_t index) {
  while (blocks_.size() <= index) {
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlockSize]);
    if (!block) return false;
    blocks_.push_back(std::move(block));
  }
  return true;
}

void BlockStream::Close() {
  length_ = blockOffset_ = offset_ = 0;
  current_ = 0;
}

int BlockStream::Putc(int value) {
  if (offset_ == kBlockSize) {
    if (blockOffset_ > INT32_MAX - 2 * kBlockSize || !EnsureBlock(current_ + 1)) return -1;
    ++current_;
    blockOffset_ += kBlockSize;
    offset_ = 0;
  }
  if (!EnsureBlock(current_)) return -1;
  blocks_[current_][offset_++] = uint8_t(value);
  length_ = std::max(length_, blockOffset_ + offset_);
  return value & 0xFF;
}

int BlockStream::Write(const void* buffer, int32_t n) {
  const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
  for (int32_t i = 0; i < n; ++i) {
    if (Putc(bytes[i]) < 0) return 0;
  }
  return 1;
}

int BlockStream::Getc() {
  if (Tell() >= length_) return -1;
  if (offset_ == kBlockSize) {
    ++current_;
    blockOffset_ += kBlockSize;
    offset_ = 0;
  }
  return blocks_[current_][offset_++];
}

int BlockStream::Read(void* buffer, int32_t n) {
  uint8_t* bytes = static_cast<uint8_t*>(buffer);
  for (int32_t i = 0; i < n; ++i) {
    const int c = Getc();
    if (c < 0) return 0;
    bytes[i] = uint8_t(c);
  }
  return 1;
}

int BlockStream::Seek(int32_t offset, int whence) {
  const int64_t base = whence == kSeekCur ? Tell() : whence == kSeekEnd ? length_ : 0;
  const int64_t target = base + offset;
  if (target < 0 || target > INT32_MAX - kBlockSize) return 0;
  const size_t index = size_t(target / kBlockSize);
  if (!EnsureBlock(index)) return 0;
  current_ = index;
  blockOffset_ = int32_t(index) * kBlockSize;
  offset_ = int32_t(target - blockOffset_);
  return 1;
}

void BlockStream::CopyTo(uint8_t* out) const {
  int32_t left = length_;
  for (size_t i = 0; left > 0; ++i) {
    const int32_t n = std::min(left, kBlockSize);
    std::memcpy(out, blocks_[i].get(), size_t(n));
    out += n;
    left -= n;
  }
}
