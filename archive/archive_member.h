#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/byte_stream.h"

// Why an archive operation failed. The library layer turns these into its return codes.
enum class ArchiveError {
  None,
  Command,      // the command line names no archive
  Open,         // the archive file cannot be opened
  Format,       // the bytes are not an archive of this kind
  Damaged,      // headers or sizes do not fit the file
  Unsupported,  // a method or feature this reader does not decode
  Encrypted,
  BufferSmall,  // the member does not fit the buffer it was asked to fill
  Data,         // the compressed data is broken (bad tables, references before the start)
  Crc,
  NoMember,     // nothing matches the wildcard
};

// One member as the directory describes it. Sizes and CRC are the stored values; extraction
// checks the data against them.
struct ArchiveMember {
  std::string name;  // bytes as stored (the archive's code page); LZH folders joined with '\'
  uint32_t originalSize = 0;
  uint32_t packedSize = 0;
  uint32_t crc = 0;  // CRC-32 for ZIP, CRC-16 for LZH
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  uint8_t attributes = 0;  // MS-DOS attribute bits
  std::string method;      // "-lh5-", "stored", "deflate", ...
  // None when the member can be extracted; otherwise why extraction refuses it.
  ArchiveError refusal = ArchiveError::None;
  uint32_t offset = 0;  // where its data starts (LZH) or its local header (ZIP)
};

// Reads one archive kind from a stream. Every size and offset in the stream is checked
// against the stream's length before anything is read or allocated for it.
class ArchiveReader {
 public:
  virtual ~ArchiveReader() = default;

  // Lists the members. False when the stream does not begin (ZIP: end) as an archive of
  // this kind. A damaged tail keeps the members before it; the stream must stay open for
  // Extract.
  virtual bool Open(ByteStream& stream) = 0;

  // Writes member `index` into out[0, capacity): exactly its original size on success.
  // Nothing is ever written at or past out + capacity; on failure the bytes written so far
  // are not valid.
  virtual ArchiveError Extract(size_t index, uint8_t* out, uint32_t capacity) = 0;

  const std::vector<ArchiveMember>& Members() const { return members_; }

 protected:
  std::vector<ArchiveMember> members_;
};

// The stream's bytes with their length found once; reads never pass that length.
class ArchiveSource {
 public:
  // False when the stream's length cannot be found or is not below 2 GB.
  bool Attach(ByteStream& stream);
  uint32_t Length() const { return length_; }
  // Exactly n bytes from `offset`; false when they are not all inside the stream.
  bool ReadAt(uint32_t offset, void* out, uint32_t n);
  bool Contains(uint64_t offset, uint64_t n) const { return offset + n <= length_; }

 private:
  ByteStream* stream_ = nullptr;
  uint32_t length_ = 0;
};

// Sequential reading of one range of a source in chunks.
class RangeInput {
 public:
  RangeInput(ArchiveSource& source, uint32_t offset, uint32_t length)
      : source_(source), next_(offset), left_(length) {}

  // The next byte, or -1 after the range (or when the source cannot be read).
  int Next() {
    if (at_ == end_ && !Refill()) return -1;
    return buffer_[at_++];
  }
  // Up to `n` bytes into `out`; the count delivered, 0 at the end.
  uint32_t Read(uint8_t* out, uint32_t n);
  // A pointer to the next chunk and its size (0 at the end); the chunk is consumed.
  uint32_t NextChunk(const uint8_t** chunk);
  bool Failed() const { return failed_; }

 private:
  bool Refill();

  static constexpr uint32_t kChunk = 16384;
  ArchiveSource& source_;
  uint32_t next_;
  uint32_t left_;
  uint8_t buffer_[kChunk];
  uint32_t at_ = 0;
  uint32_t end_ = 0;
  bool failed_ = false;
};

inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t LoadU32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
