#include "io/memory_stream.h"

#include <algorithm>
#include <cstring>

void MemoryStream::Attach(void* block, int32_t capacity, int32_t length) {
  block_ = static_cast<uint8_t*>(block);
  capacity_ = block ? std::max(capacity, 0) : 0;
  length_ = std::clamp(length, 0, capacity_);
  position_ = 0;
}

void MemoryStream::Close() {
  block_ = nullptr;
  capacity_ = position_ = length_ = 0;
}

int MemoryStream::Write(const void* buffer, int32_t n) {
  const int64_t room = int64_t(capacity_) - position_;
  const int64_t count = std::clamp<int64_t>(std::min<int64_t>(n, room), 0, INT32_MAX);
  if (count > 0) {
    std::memcpy(block_ + position_, buffer, size_t(count));
    position_ += int32_t(count);
    length_ = std::max(length_, position_);
  }
  return 1;
}

int MemoryStream::Read(void* buffer, int32_t n) {
  const int64_t left = int64_t(length_) - position_;
  const int64_t count = std::clamp<int64_t>(std::min<int64_t>(n, left), 0, INT32_MAX);
  if (count > 0) {
    std::memcpy(buffer, block_ + position_, size_t(count));
    position_ += int32_t(count);
  }
  return 1;
}

int MemoryStream::Seek(int32_t offset, int whence) {
  const int64_t base = whence == kSeekCur ? position_ : whence == kSeekEnd ? length_ : 0;
  const int64_t target = base + offset;
  if (target < 0 || target > INT32_MAX) return 0;
  position_ = int32_t(target);
  return 1;
}

int MemoryStream::Putc(int value) {
  if (position_ < 0 || position_ >= capacity_) return -1;
  block_[position_++] = uint8_t(value);
  length_ = std::max(length_, position_);
  return value & 0xFF;
}
