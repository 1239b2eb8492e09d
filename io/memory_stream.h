#pragma once

#include <cstdint>

#include "io/byte_stream.h"

// One heap block that the owner supplies and frees. Writes never pass the capacity and
// reads never pass the length.
class MemoryStream : public ByteStream {
 public:
  MemoryStream() = default;
  // A stream over `length` bytes of data in a block of `capacity` bytes.
  MemoryStream(void* block, int32_t capacity, int32_t length = 0) { Attach(block, capacity, length); }

  void Attach(void* block, int32_t capacity, int32_t length = 0);

  bool IsOpen() const override { return block_ != nullptr; }
  void Close() override;
  int Write(const void* buffer, int32_t n) override;
  int Read(void* buffer, int32_t n) override;
  int Seek(int32_t offset, int whence) override;
  int32_t Tell() override { return position_; }
  int Getc() override {
    if (position_ < 0 || position_ >= length_) return -1;
    return block_[position_++];
  }
  int Putc(int value) override;

  uint8_t* Block() const { return block_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Length() const { return length_; }
  int32_t Position() const { return position_; }

 private:
  uint8_t* block_ = nullptr;
  int32_t capacity_ = 0;
  int32_t position_ = 0;
  int32_t length_ = 0;
};
