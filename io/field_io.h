#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/byte_stream.h"

// Little-endian field reading with a remembered end: reads past the end deliver zeros and
// mark the reader truncated, so callers check once per record.
class FieldReader {
 public:
  explicit FieldReader(ByteStream& stream);

  ByteStream& Stream() { return stream_; }
  int32_t Remaining();
  bool Truncated() const { return truncated_; }
  void MarkTruncated() { truncated_ = true; }

  uint8_t U8();
  uint16_t U16();
  int16_t I16() { return int16_t(U16()); }
  uint32_t U32();
  // Bytes up to a zero byte or the end, at most 255 kept: a 256th byte without a zero is
  // taken as the terminator.
  std::string String();
  // Exactly n bytes into `out`; false (and truncated) when fewer remain.
  bool Bytes(std::vector<uint8_t>& out, int32_t n);

 private:
  ByteStream& stream_;
  int32_t end_;
  bool truncated_ = false;
};

// Little-endian field writing into a byte vector.
class FieldWriter {
 public:
  std::vector<uint8_t>& Bytes() { return bytes_; }
  void U8(uint32_t v) { bytes_.push_back(uint8_t(v)); }
  void U16(uint32_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // Cut to 255 bytes on a character boundary, then the zero byte.
  void String(const std::string& text);
  // Writes the collected bytes to the stream and empties the buffer.
  bool FlushTo(ByteStream& stream);

 private:
  std::vector<uint8_t> bytes_;
};
