#include "archive/lzh_reader.h"

#include <cstring>

#include "archive/lzh_decoder.h"

namespace {

constexpr uint32_t kBaseSize = 22;  // the fields up to the name length, all levels
constexpr uint32_t kLevel2Fixed = 26;

enum : uint8_t {
  kExtHeaderCrc = 0x00,
  kExtName = 0x01,
  kExtFolder = 0x02,
  kExtAttributes = 0x40,
  kExtLargeSizes = 0x42,
};

// Dictionary bits of a compressed method; 0 for stored ones, -1 for one not read here.
int MethodBits(const std::string& method) {
  if (method == "-lh0-" || method == "-lhd-") return 0;
  if (method == "-lh5-") return 13;
  if (method == "-lh6-") return 15;
  if (method == "-lh7-") return 16;
  return -1;
}

std::string WithBackslashes(const uint8_t* p, size_t n) {
  std::string s(reinterpret_cast<const char*>(p), n);
  for (char& c : s) {
    if (uint8_t(c) == 0xFF) c = '\\';
  }
  return s;
}

void SetDosTime(ArchiveMember& member, uint32_t unixTime) {
  // Civil date from days since 1970 (proleptic Gregorian), kept inside the DOS range.
  int64_t days = unixTime / 86400;
  const uint32_t secs = unixTime % 86400;
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  if (year < 1980 || year > 2107) return;
  member.dosDate = uint16_t((year - 1980) << 9 | month << 5 | day);
  member.dosTime = uint16_t((secs / 3600) << 11 | (secs / 60 % 60) << 5 | (secs % 60) / 2);
}

struct Extensions {
  std::string name, folder;
  bool haveName = false;
  bool largeSizes = false;
  int headerCrcAt = -1;  // offset of the header CRC field inside the level-2 header
  uint16_t headerCrc = 0;
  int attributes = -1;
};

// One extension header's body (type and data, without the trailing size).
void ReadExtension(const uint8_t* e, uint32_t n, Extensions& ext, int offsetInHeader) {
  const uint8_t* data = e + 1;
  const uint32_t size = n - 1;
  switch (e[0]) {
    case kExtHeaderCrc:
      if (size >= 2) {
        ext.headerCrc = LoadU16(data);
        ext.headerCrcAt = offsetInHeader < 0 ? -1 : offsetInHeader + 1;
      }
      break;
    case kExtName:
      ext.name = WithBackslashes(data, size);
      ext.haveName = true;
      break;
    case kExtFolder:
      ext.folder = WithBackslashes(data, size);
      break;
    case kExtAttributes:
      if (size >= 2) ext.attributes = LoadU16(data);
      break;
    case kExtLargeSizes:
      ext.largeSizes = true;
      break;
    default:
      break;
  }
}

}  // namespace

LzhReader::Header LzhReader::ReadHeader(uint32_t offset, ArchiveMember& member, uint32_t& next) {
  uint8_t base[kBaseSize];
  if (offset >= source_.Length()) return Header::End;
  if (!source_.ReadAt(offset, base, 1)) return Header::Bad;
  if (base[0] == 0) return Header::End;
  if (!source_.ReadAt(offset, base, kBaseSize)) return Header::Bad;
  if (base[2] != '-' || base[6] != '-') return Header::Bad;

  const int level = base[20];
  member = ArchiveMember();
  member.method.assign(reinterpret_cast<const char*>(base + 2), 5);
  member.originalSize = LoadU32(base + 11);
  uint32_t packed = LoadU32(base + 7);
  Extensions ext;
  uint32_t dataStart = 0;

  if (level == 0 || level == 1) {
    const uint32_t total = base[0] + 2u;
    uint8_t h[257];
    if (total < kBaseSize + 2 || !source_.ReadAt(offset, h, total)) return Header::Bad;
    uint8_t sum = 0;
    for (uint32_t i = 2; i < total; ++i) sum = uint8_t(sum + h[i]);
    if (sum != h[1]) return Header::Bad;
    const uint32_t nameLength = h[21];
    const uint32_t afterName = kBaseSize + nameLength;
    if (afterName + 2 + (level == 1 ? 3 : 0) > total) return Header::Bad;
    member.name = WithBackslashes(h + kBaseSize, nameLength);
    member.crc = LoadU16(h + afterName);
    member.dosTime = LoadU16(h + 15);
    member.dosDate = LoadU16(h + 17);
    member.attributes = h[19];
    dataStart = offset + total;
    if (level == 1) {
      uint32_t extSize = LoadU16(h + afterName + 3);
      uint32_t extTotal = 0;
      std::vector<uint8_t> e;
      while (extSize != 0) {
        e.resize(extSize);
        if (extSize < 3 || !source_.ReadAt(dataStart, e.data(), extSize)) return Header::Bad;
        ReadExtension(e.data(), extSize - 2, ext, -1);
        extTotal += extSize;
        dataStart += extSize;
        extSize = LoadU16(e.data() + extSize - 2);
      }
      if (extTotal > packed) return Header::Bad;
      packed -= extTotal;
    }
  } else if (level == 2) {
    const uint32_t total = LoadU16(base);
    std::vector<uint8_t> h(total);
    if (total < kLevel2Fixed || !source_.ReadAt(offset, h.data(), total)) return Header::Bad;
    member.crc = LoadU16(h.data() + 21);
    SetDosTime(member, LoadU32(h.data() + 15));
    uint32_t at = kLevel2Fixed;
    uint32_t extSize = LoadU16(h.data() + 24);
    while (extSize != 0) {
      if (extSize < 3 || at + extSize > total) return Header::Bad;
      ReadExtension(h.data() + at, extSize - 2, ext, int(at));
      at += extSize;
      extSize = LoadU16(h.data() + at - 2);
    }
    if (ext.headerCrcAt >= 0) {
      h[ext.headerCrcAt] = h[ext.headerCrcAt + 1] = 0;
      if (LzhCrc16(0, h.data(), total) != ext.headerCrc) return Header::Bad;
    }
    dataStart = offset + total;
  } else {
    return Header::Bad;
  }

  if (ext.haveName) member.name = ext.name;
  if (!ext.folder.empty()) {
    if (ext.folder.back() != '\\') ext.folder += '\\';
    member.name = ext.folder + member.name;
  }
  if (ext.attributes >= 0) member.attributes = uint8_t(ext.attributes);
  member.packedSize = packed;
  member.offset = dataStart;

  const int bits = MethodBits(member.method);
  if (ext.largeSizes || bits < 0) {
    member.refusal = ArchiveError::Unsupported;
  } else if (bits == 0 && packed != member.originalSize) {
    member.refusal = ArchiveError::Damaged;
  }
  if (!source_.Contains(dataStart, packed)) {
    member.refusal = ArchiveError::Damaged;
    next = source_.Length();
  } else {
    next = dataStart + packed;
  }
  return Header::Member;
}

bool LzhReader::Open(ByteStream& stream) {
  members_.clear();
  if (!source_.Attach(stream) || source_.Length() == 0) return false;
  uint32_t offset = 0;
  for (;;) {
    ArchiveMember member;
    uint32_t next = 0;
    const Header h = ReadHeader(offset, member, next);
    if (h == Header::Bad && offset == 0) return false;
    if (h != Header::Member) break;
    members_.push_back(std::move(member));
    if (next <= offset) break;
    offset = next;
  }
  return true;
}

ArchiveError LzhReader::Extract(size_t index, uint8_t* out, uint32_t capacity) {
  if (index >= members_.size()) return ArchiveError::NoMember;
  const ArchiveMember& m = members_[index];
  if (m.refusal != ArchiveError::None) return m.refusal;
  if (m.originalSize > capacity) return ArchiveError::BufferSmall;
  if (m.originalSize > 0 && !out) return ArchiveError::BufferSmall;
  RangeInput input(source_, m.offset, m.packedSize);
  const int bits = MethodBits(m.method);
  if (bits == 0) {
    if (input.Read(out, m.originalSize) != m.originalSize) return ArchiveError::Damaged;
  } else {
    const ArchiveError e = DecodeLzh(input, bits, out, m.originalSize);
    if (e != ArchiveError::None) return input.Failed() ? ArchiveError::Damaged : e;
  }
  if (m.originalSize > 0 && LzhCrc16(0, out, m.originalSize) != m.crc) return ArchiveError::Crc;
  return ArchiveError::None;
}
