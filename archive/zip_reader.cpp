#include "archive/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kEntrySignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kEndSize = 22;
constexpr uint32_t kEntrySize = 46;
constexpr uint32_t kLocalSize = 30;
constexpr uint32_t kMaxComment = 65535;

constexpr uint16_t kFlagEncrypted = 1 << 0;
constexpr uint16_t kFlagStrongEncryption = 1 << 6;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kMethodAes = 99;

ArchiveError Inflate(RangeInput& input, uint8_t* out, uint32_t size) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return ArchiveError::Data;
  // Output past the stated size lands in `spill` and fails the member.
  uint8_t spill[1];
  z.next_out = size > 0 ? out : spill;
  z.avail_out = size > 0 ? size : sizeof spill;
  ArchiveError result = ArchiveError::Data;
  for (;;) {
    if (z.avail_in == 0) {
      const uint8_t* chunk = nullptr;
      z.avail_in = input.NextChunk(&chunk);
      z.next_in = const_cast<Bytef*>(chunk);
      if (z.avail_in == 0) {
        if (input.Failed()) result = ArchiveError::Damaged;
        break;
      }
    }
    const int r = inflate(&z, Z_NO_FLUSH);
    if (z.total_out > size) break;
    if (r == Z_STREAM_END) {
      if (z.total_out == size) result = ArchiveError::None;
      break;
    }
    if (r != Z_OK) break;
    if (z.avail_out == 0) {
      z.next_out = spill;
      z.avail_out = sizeof spill;
    }
  }
  inflateEnd(&z);
  return result;
}

}  // namespace

bool ZipReader::Open(ByteStream& stream) {
  members_.clear();
  if (!source_.Attach(stream) || source_.Length() < kEndSize) return false;
  const uint32_t length = source_.Length();
  const uint32_t tailSize = std::min(length, kEndSize + kMaxComment);
  std::vector<uint8_t> tail(tailSize);
  if (!source_.ReadAt(length - tailSize, tail.data(), tailSize)) return false;

  int64_t end = -1;
  for (int64_t i = int64_t(tailSize) - kEndSize; i >= 0; --i) {
    const uint8_t* e = tail.data() + i;
    if (LoadU32(e) == kEndSignature && i + kEndSize + LoadU16(e + 20) <= tailSize) {
      end = i;
      break;
    }
  }
  if (end < 0) return false;
  const uint8_t* e = tail.data() + end;
  const uint32_t endOffset = length - tailSize + uint32_t(end);
  const uint16_t entries = LoadU16(e + 10);
  const uint32_t dirSize = LoadU32(e + 12);
  const uint32_t dirOffset = LoadU32(e + 16);
  if (LoadU16(e + 4) != 0 || LoadU16(e + 6) != 0 || LoadU16(e + 8) != entries) return false;
  if (entries == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF) return false;
  if (uint64_t(dirOffset) + dirSize > endOffset) return false;
  if (uint64_t(entries) * kEntrySize > dirSize) return false;

  std::vector<uint8_t> dir(dirSize);
  if (!source_.ReadAt(dirOffset, dir.data(), dirSize)) return false;
  std::vector<ArchiveMember> members;
  members.reserve(entries);
  uint32_t at = 0;
  for (uint32_t k = 0; k < entries; ++k) {
    if (at + kEntrySize > dirSize) return false;
    const uint8_t* c = dir.data() + at;
    if (LoadU32(c) != kEntrySignature) return false;
    const uint32_t nameSize = LoadU16(c + 28);
    const uint32_t entrySize = kEntrySize + nameSize + LoadU16(c + 30) + LoadU16(c + 32);
    if (at + entrySize > dirSize) return false;

    ArchiveMember m;
    const uint16_t flags = LoadU16(c + 8);
    const uint16_t method = LoadU16(c + 10);
    m.name.assign(reinterpret_cast<const char*>(c + kEntrySize), nameSize);
    m.dosTime = LoadU16(c + 12);
    m.dosDate = LoadU16(c + 14);
    m.crc = LoadU32(c + 16);
    m.packedSize = LoadU32(c + 20);
    m.originalSize = LoadU32(c + 24);
    m.attributes = uint8_t(LoadU32(c + 38));
    m.offset = LoadU32(c + 42);
    m.method = method == kMethodStored    ? "stored"
               : method == kMethodDeflate ? "deflate"
                                          : "method" + std::to_string(method);
    if ((flags & (kFlagEncrypted | kFlagStrongEncryption)) || method == kMethodAes) {
      m.refusal = ArchiveError::Encrypted;
    } else if (m.packedSize == 0xFFFFFFFF || m.originalSize == 0xFFFFFFFF ||
               (method != kMethodStored && method != kMethodDeflate)) {
      m.refusal = ArchiveError::Unsupported;
    } else if (LoadU16(c + 34) != 0 || uint64_t(m.offset) + kLocalSize + m.packedSize > dirOffset ||
               (method == kMethodStored && m.packedSize != m.originalSize)) {
      m.refusal = ArchiveError::Damaged;
    }
    members.push_back(std::move(m));
    at += entrySize;
  }
  members_ = std::move(members);
  directoryOffset_ = dirOffset;
  return true;
}

ArchiveError ZipReader::Extract(size_t index, uint8_t* out, uint32_t capacity) {
  if (index >= members_.size()) return ArchiveError::NoMember;
  const ArchiveMember& m = members_[index];
  if (m.refusal != ArchiveError::None) return m.refusal;
  if (m.originalSize > capacity) return ArchiveError::BufferSmall;
  if (m.originalSize > 0 && !out) return ArchiveError::BufferSmall;

  uint8_t local[kLocalSize];
  if (!source_.ReadAt(m.offset, local, kLocalSize) || LoadU32(local) != kLocalSignature) {
    return ArchiveError::Damaged;
  }
  const uint16_t flags = LoadU16(local + 6);
  if (flags & (kFlagEncrypted | kFlagStrongEncryption)) return ArchiveError::Encrypted;
  if (LoadU16(local + 8) != (m.method == "stored" ? kMethodStored : kMethodDeflate)) {
    return ArchiveError::Damaged;
  }
  const uint64_t data = uint64_t(m.offset) + kLocalSize + LoadU16(local + 26) + LoadU16(local + 28);
  if (data + m.packedSize > directoryOffset_) return ArchiveError::Damaged;

  RangeInput input(source_, uint32_t(data), m.packedSize);
  if (m.method == "stored") {
    if (input.Read(out, m.originalSize) != m.originalSize) return ArchiveError::Damaged;
  } else {
    const ArchiveError e = Inflate(input, out, m.originalSize);
    if (e != ArchiveError::None) return e;
  }
  const uint32_t crc = uint32_t(crc32(0L, out, m.originalSize));
  if (crc != m.crc) return ArchiveError::Crc;
  return ArchiveError::None;
}
