#pragma once

// libavformat's output on one of our byte streams, so that every byte of a video goes
// through our own writes (and the safe save around them) instead of the library's file
// code. The stream is written from its position 0. Positions are kept here in 64 bits and
// reached on the stream by steps of 32-bit seeks. A muxer that reads back what it wrote
// (MP4 moving its index to the front) reads the same stream, which must then be readable;
// each reader and the writer keep a position of their own.

#include <cstdint>

struct AVDictionary;
struct AVFormatContext;
struct AVIOContext;
class ByteStream;

class AvioStream {
 public:
  explicit AvioStream(ByteStream& out) : out_(out) {}
  ~AvioStream();
  AvioStream(const AvioStream&) = delete;
  AvioStream& operator=(const AvioStream&) = delete;

  // Makes `muxer` write here (and read back from here); false when out of memory.
  bool Attach(AVFormatContext* muxer);
  // Writes what the muxer's buffer still holds and lets go of the muxer; false when a
  // write failed at any time.
  bool Detach();

  // The end of what was written.
  int64_t Size() const { return end_; }
  // `n` bytes at `at`, directly on the stream (after Detach); false on failure.
  bool ReadAt(int64_t at, void* bytes, int32_t n);
  bool WriteAt(int64_t at, const void* bytes, int32_t n);
  // The errno of the first failed write, 0 before one.
  int Error() const { return error_; }

 private:
  struct Cursor;
  static int WritePacket(void* opaque, uint8_t* bytes, int n);
  static int ReadPacket(void* opaque, uint8_t* bytes, int n);
  static int64_t SeekPacket(void* opaque, int64_t offset, int whence);
  static int OpenForReading(AVFormatContext* muxer, AVIOContext** pb, const char* url, int flags,
                            AVDictionary** options);
  static int CloseReading(AVFormatContext* muxer, AVIOContext* pb);
  static AVIOContext* NewContext(Cursor* cursor, bool writing);
  static void FreeContext(AVIOContext*& pb);
  // Puts the stream at `at` for a read (`reading`) or a write.
  bool MoveTo(int64_t at, bool reading);

  ByteStream& out_;
  AVFormatContext* muxer_ = nullptr;
  AVIOContext* pb_ = nullptr;
  int64_t end_ = 0;
  int64_t at_ = 0;  // the stream's position; -1 when unknown
  bool reading_ = false;
  int error_ = 0;
};
