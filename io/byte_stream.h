#pragma once

#include <cstdint>

// The abstract byte stream every file format goes through. Positions, counts and offsets
// are 32-bit signed.
class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Virtual operations, in their fixed slot order.
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  virtual int Write(const void* buffer, int32_t n) = 0;  // 1 on success
  virtual int Read(void* buffer, int32_t n) = 0;         // 1 on success
  virtual int Seek(int32_t offset, int whence) = 0;      // 0 start, 1 current, 2 end
  virtual int32_t Tell() = 0;
  virtual int Getc() = 0;           // 0-255, or -1 at the end
  virtual int Putc(int value) = 0;  // the byte stored, or -1
};

inline constexpr int kSeekSet = 0;
inline constexpr int kSeekCur = 1;
inline constexpr int kSeekEnd = 2;

// Bytes between the current position and the end (0 when the end cannot be found).
int32_t RemainingBytes(ByteStream& stream);
