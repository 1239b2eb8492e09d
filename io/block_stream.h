#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "io/byte_stream.h"

// A growing sequence of 4096-byte blocks. Close empties the stream but keeps its blocks,
// so a stream reused frame after frame stops allocating once it has grown.
class BlockStream : public ByteStream {
 public:
  static constexpr int32_t kBlockSize = 4096;

  BlockStream() = default;

  bool IsOpen() const override { return true; }
  void Close() override;
  int Write(const void* buffer, int32_t n) override;
  int Read(void* buffer, int32_t n) override;
  int Seek(int32_t offset, int whence) override;
  int32_t Tell() override { return blockOffset_ + offset_; }
  int Getc() override;
  int Putc(int value) override;

  int32_t Length() const { return length_; }
  int32_t BlockCount() const { return int32_t(blocks_.size()); }
  // Copies the first Length() bytes out, in order.
  void CopyTo(uint8_t* out) const;

 private:
  bool EnsureBlock(size_t index);

  std::vector<std::unique_ptr<uint8_t[]>> blocks_;
  size_t current_ = 0;       // index of the current block
  int32_t blockOffset_ = 0;  // stream offset of the current block
  int32_t offset_ = 0;       // offset within the current block
  int32_t length_ = 0;       // high-water mark
};
