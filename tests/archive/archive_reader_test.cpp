// The readers against archives made by zip and jlha (tests/data/archive/make_fixtures.sh),
// whole and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_library.h"
#include "archive/lzh_decoder.h"
#include "io/memory_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string DataPath(const std::string& name) {
  return std::string(ORVINA_SOURCE_DIR) + "/tests/data/archive/" + name;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

ArchiveFormat FormatOf(const std::string& name) {
  return name.ends_with(".zip") ? ArchiveFormat::Zip : ArchiveFormat::Lzh;
}

const char* const kArchives[] = {"stored.zip",     "deflate.zip",    "lh0.lzh",
                                 "lh5-level0.lzh", "lh5-level1.lzh", "lh5.lzh",
                                 "lh6-level1.lzh", "lh6.lzh",        "lh7-level0.lzh",
                                 "lh7.lzh"};
const char* const kMembers[] = {"notes.txt", "sub/deep.tl", "Clip.OV", "other.ov"};

std::string Slashed(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

// An archive's bytes in memory with a reader open on them.
class Opened {
 public:
  Opened(ArchiveFormat format, Bytes bytes)
      : bytes_(std::move(bytes)),
        stream_(bytes_.data(), int32_t(bytes_.size()), int32_t(bytes_.size())),
        reader_(NewArchiveReader(format)) {
    ok_ = reader_->Open(stream_);
  }
  bool ok() const { return ok_; }
  const std::vector<ArchiveMember>& Members() const { return reader_->Members(); }

  int Find(const std::string& name) const {
    for (size_t i = 0; i < Members().size(); ++i) {
      if (Slashed(Members()[i].name) == name) return int(i);
    }
    return -1;
  }
  // Extracts with `capacity` (default: the stated size) into a block with 64 guard bytes
  // behind it, and checks the guard.
  ArchiveError Extract(int index, Bytes& out, int64_t capacity = -1) {
    const uint32_t room = capacity < 0 ? Members()[size_t(index)].originalSize : uint32_t(capacity);
    Bytes block(room + 64, 0xA5);
    const ArchiveError e = reader_->Extract(size_t(index), block.data(), room);
    EXPECT_TRUE(std::all_of(block.begin() + room, block.end(), [](uint8_t b) { return b == 0xA5; }))
        << "written past the buffer";
    out.assign(block.begin(), block.begin() + room);
    return e;
  }

 private:
  Bytes bytes_;
  MemoryStream stream_;
  std::unique_ptr<ArchiveReader> reader_;
  bool ok_ = false;
};

// Header starts of an LZH archive's members, walked the plain way.
std::vector<size_t> LzhHeaders(const Bytes& b) {
  std::vector<size_t> starts;
  size_t at = 0;
  while (at + 22 <= b.size() && b[at] != 0) {
    starts.push_back(at);
    const uint32_t packed = LoadU32(&b[at + 7]);
    at += b[at + 20] == 2 ? LoadU16(&b[at]) + packed : b[at] + 2u + packed;
  }
  return starts;
}

void FixLzhHeader(Bytes& b, size_t start) {
  if (b[start + 20] == 2) {
    ASSERT_EQ(LoadU16(&b[start + 24]), 5);  // the header-CRC extension comes first
    ASSERT_EQ(b[start + 26], 0);
    b[start + 27] = b[start + 28] = 0;
    const uint16_t crc = LzhCrc16(0, &b[start], LoadU16(&b[start]));
    b[start + 27] = uint8_t(crc);
    b[start + 28] = uint8_t(crc >> 8);
  } else {
    uint8_t sum = 0;
    for (size_t i = 2; i < b[start] + 2u; ++i) sum = uint8_t(sum + b[start + i]);
    b[start + 1] = sum;
  }
}

// The central directory entry of `name`.
size_t ZipEntry(const Bytes& b, const std::string& name) {
  for (size_t i = 0; i + 46 <= b.size(); ++i) {
    if (LoadU32(&b[i]) == 0x02014B50 && LoadU16(&b[i + 28]) == name.size() &&
        std::memcmp(&b[i + 46], name.data(), name.size()) == 0) {
      return i;
    }
  }
  ADD_FAILURE() << name << " not in the central directory";
  return 0;
}

void Store32(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(v >> (8 * k));
}

}  // namespace

TEST(ArchiveReader, EveryFixtureListsAndExtractsItsMembers) {
  for (const char* archive : kArchives) {
    SCOPED_TRACE(archive);
    Opened a(FormatOf(archive), ReadBytes(DataPath(archive)));
    ASSERT_TRUE(a.ok());
    ASSERT_EQ(a.Members().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE(kMembers[i]);
      EXPECT_EQ(Slashed(a.Members()[i].name), kMembers[i]);
      const Bytes expected = ReadBytes(DataPath(std::string("src/") + kMembers[i]));
      EXPECT_EQ(a.Members()[i].originalSize, expected.size());
      Bytes out;
      EXPECT_EQ(a.Extract(int(i), out), ArchiveError::None);
      EXPECT_TRUE(out == expected);
    }
  }
}

TEST(ArchiveReader, MethodsAreTheOnesTheToolsWrote) {
  const std::pair<const char*, const char*> cases[] = {
      {"stored.zip", "stored"}, {"deflate.zip", "deflate"}, {"lh0.lzh", "-lh0-"},
      {"lh5-level0.lzh", "-lh5-"}, {"lh6-level1.lzh", "-lh6-"}, {"lh7.lzh", "-lh7-"}};
  for (const auto& [archive, method] : cases) {
    Opened a(FormatOf(archive), ReadBytes(DataPath(archive)));
    ASSERT_TRUE(a.ok()) << archive;
    EXPECT_EQ(a.Members()[size_t(a.Find("Clip.OV"))].method, method) << archive;
  }
}

TEST(ArchiveLibrary, FirstOvMemberThroughThePlayersCalls) {
  const Bytes clip = ReadBytes(DataPath("src/Clip.OV"));
  for (const char* archive : {"deflate.zip", "lh7.lzh", "lh5-level0.lzh"}) {
    SCOPED_TRACE(archive);
    const ArchiveFormat format = FormatOf(archive);
    const ArchiveListing listing = ListArchiveFile(format, DataPath(archive));
    ASSERT_EQ(listing.error, ArchiveError::None);
    ArchiveInfoRecord record;
    ASSERT_EQ(FindFirstArchiveMember(listing.members, "*.ov", &record), kArchiveOk);
    EXPECT_EQ(record.originalSize, clip.size());
    EXPECT_STREQ(record.fileName, "Clip.OV");

    const std::string line = (format == ArchiveFormat::Zip ? "--i \"" : "-n1 \"") +
                             DataPath(archive) + "\" *.ov";
    Bytes block(clip.size());
    ExtractResult r = ExtractArchiveToMemory(format, line.c_str(), block.data(), uint32_t(block.size()));
    EXPECT_EQ(r.code, kArchiveOk);
    EXPECT_EQ(r.written, clip.size());
    EXPECT_TRUE(block == clip);
    EXPECT_EQ(r.unixTime, 1714979290u);  // 2024-05-06 07:08:10 UTC

    r = ExtractArchiveToMemory(format, line.c_str(), block.data(), uint32_t(block.size() - 1));
    EXPECT_EQ(r.code, kArchiveErrorBufferSmall);
    EXPECT_EQ(r.written, 0u);
  }
}

TEST(ArchiveLibrary, NoOvMemberMissingAndForeignFiles) {
  for (const char* archive : {"noov.zip", "noov.lzh"}) {
    const ArchiveFormat format = FormatOf(archive);
    const ArchiveListing listing = ListArchiveFile(format, DataPath(archive));
    ASSERT_EQ(listing.error, ArchiveError::None) << archive;
    EXPECT_EQ(FindFirstArchiveMember(listing.members, "*.ov", nullptr), kArchiveNoMatch);
    EXPECT_EQ(FindFirstArchiveMember(listing.members, "*.TL", nullptr), kArchiveOk);
    uint8_t block[16];
    const std::string line = "\"" + DataPath(archive) + "\" *.ov";
    const ExtractResult r = ExtractArchiveToMemory(format, line.c_str(), block, sizeof block);
    EXPECT_EQ(r.code, kArchiveErrorNoMember);
    EXPECT_EQ(r.written, 0u);
  }
  EXPECT_EQ(ListArchiveFile(ArchiveFormat::Zip, DataPath("missing.zip")).error, ArchiveError::Open);
  EXPECT_EQ(ListArchiveFile(ArchiveFormat::Lzh, DataPath("fixtures.txt")).error, ArchiveError::Format);
  EXPECT_EQ(ListArchiveFile(ArchiveFormat::Zip, DataPath("lh5.lzh")).error, ArchiveError::Format);
  EXPECT_EQ(ListArchiveFile(ArchiveFormat::Lzh, DataPath("deflate.zip")).error, ArchiveError::Format);
  EXPECT_EQ(ExtractArchiveToMemory(ArchiveFormat::Lzh, "-n1", nullptr, 0).code, kArchiveErrorCommand);
}

TEST(ArchiveLibrary, InfoRecordCutsLongNamesOnCharacterBoundaries) {
  ArchiveMember m;
  m.name = std::string(511, 'a') + "\x83\x76" + "tail";
  m.method = "-lh5-";
  m.originalSize = 1000;
  m.packedSize = 250;
  m.attributes = 0x21;
  ArchiveInfoRecord r;
  FillArchiveInfo(m, r);
  EXPECT_EQ(std::string(r.fileName), std::string(511, 'a'));
  EXPECT_EQ(r.ratio, 250);
  EXPECT_STREQ(r.method, "-lh5-");
  EXPECT_STREQ(r.attributes, "R--A");
}

TEST(ArchiveDamage, FlippedDataFailsEveryMethod) {
  for (const char* archive : kArchives) {
    SCOPED_TRACE(archive);
    Bytes bytes = ReadBytes(DataPath(archive));
    Opened whole(FormatOf(archive), bytes);
    const int k = whole.Find("Clip.OV");
    const ArchiveMember& m = whole.Members()[size_t(k)];
    // ZIP offsets name the local header; its data starts 30 + name bytes later.
    const size_t data = m.offset + (FormatOf(archive) == ArchiveFormat::Zip ? 30 + 7 : 0);
    bytes[data + m.packedSize / 2] ^= 0x10;
    Opened a(FormatOf(archive), bytes);
    ASSERT_TRUE(a.ok());
    Bytes out;
    const ArchiveError e = a.Extract(k, out);
    EXPECT_TRUE(e == ArchiveError::Crc || e == ArchiveError::Data) << int(e);
    // The members beside it are unharmed.
    EXPECT_EQ(a.Extract(a.Find("other.ov"), out), ArchiveError::None);
  }
}

TEST(ArchiveDamage, TruncatedArchivesNeverYieldWrongBytes) {
  for (const char* archive : kArchives) {
    SCOPED_TRACE(archive);
    const Bytes whole = ReadBytes(DataPath(archive));
    for (size_t cut = 0; cut < whole.size(); cut += 397) {
      Opened a(FormatOf(archive), Bytes(whole.begin(), whole.begin() + cut));
      if (!a.ok()) continue;
      for (size_t i = 0; i < a.Members().size(); ++i) {
        const std::string name = Slashed(a.Members()[i].name);
        Bytes out;
        if (a.Extract(int(i), out) == ArchiveError::None) {
          EXPECT_TRUE(out == ReadBytes(DataPath("src/" + name))) << name << " cut at " << cut;
        }
      }
    }
    // An LZH archive cut inside Clip.OV keeps the members before it.
    if (FormatOf(archive) == ArchiveFormat::Lzh) {
      Opened full(ArchiveFormat::Lzh, whole);
      const ArchiveMember& clip = full.Members()[2];
      Opened a(ArchiveFormat::Lzh, Bytes(whole.begin(), whole.begin() + clip.offset + 100));
      ASSERT_TRUE(a.ok());
      ASSERT_EQ(a.Members().size(), 3u);
      Bytes out;
      EXPECT_EQ(a.Extract(0, out), ArchiveError::None);
      EXPECT_EQ(a.Extract(2, out), ArchiveError::Damaged);
    }
  }
}

TEST(ArchiveDamage, StatedSizesThatLie) {
  // Four gigabytes: refused for the buffer it is given, nothing allocated for it.
  Bytes lzh = ReadBytes(DataPath("lh5-level0.lzh"));
  const size_t clip = LzhHeaders(lzh)[2];
  Store32(lzh, clip + 11, 0xFFFFFFFF);
  FixLzhHeader(lzh, clip);
  Bytes zip = ReadBytes(DataPath("deflate.zip"));
  Store32(zip, ZipEntry(zip, "Clip.OV") + 24, 0xFFFFFFF0);
  for (Opened* a : {new Opened(ArchiveFormat::Lzh, lzh), new Opened(ArchiveFormat::Zip, zip)}) {
    std::unique_ptr<Opened> owned(a);
    ASSERT_TRUE(a->ok());
    const int k = a->Find("Clip.OV");
    EXPECT_GE(a->Members()[size_t(k)].originalSize, 0xFFFFFFF0u);
    Bytes out;
    EXPECT_EQ(a->Extract(k, out, 49000), ArchiveError::BufferSmall);
    EXPECT_EQ(a->Extract(k, out, 1 << 20), ArchiveError::BufferSmall);
  }

  // Smaller than the data: decoding stops at the stated size and fails.
  lzh = ReadBytes(DataPath("lh7-level0.lzh"));
  Store32(lzh, LzhHeaders(lzh)[2] + 11, 100);
  FixLzhHeader(lzh, LzhHeaders(lzh)[2]);
  zip = ReadBytes(DataPath("deflate.zip"));
  Store32(zip, ZipEntry(zip, "Clip.OV") + 24, 100);
  for (Opened* a : {new Opened(ArchiveFormat::Lzh, lzh), new Opened(ArchiveFormat::Zip, zip)}) {
    std::unique_ptr<Opened> owned(a);
    Bytes out;
    EXPECT_EQ(a->Extract(a->Find("Clip.OV"), out), ArchiveError::Data);
  }
  // A stored member whose two sizes differ is damaged.
  zip = ReadBytes(DataPath("stored.zip"));
  Store32(zip, ZipEntry(zip, "Clip.OV") + 24, 48999);
  Opened stored(ArchiveFormat::Zip, zip);
  EXPECT_EQ(stored.Members()[2].refusal, ArchiveError::Damaged);
}

TEST(ArchiveDamage, BadTablesMethodsAndHeaders) {
  // A length-table count of 31 where 19 is the most.
  Bytes lzh = ReadBytes(DataPath("lh5.lzh"));
  {
    Opened whole(ArchiveFormat::Lzh, lzh);
    lzh[whole.Members()[2].offset + 2] = 0xFF;
    Opened a(ArchiveFormat::Lzh, lzh);
    Bytes out;
    EXPECT_EQ(a.Extract(2, out), ArchiveError::Data);
  }
  // A method this reader does not decode, with a valid header checksum and header CRC.
  for (const char* archive : {"lh5-level0.lzh", "lh5-level1.lzh", "lh5.lzh"}) {
    lzh = ReadBytes(DataPath(archive));
    const size_t clip = LzhHeaders(lzh)[2];
    lzh[clip + 5] = '1';
    FixLzhHeader(lzh, clip);
    Opened a(ArchiveFormat::Lzh, lzh);
    ASSERT_EQ(a.Members().size(), 4u) << archive;
    EXPECT_EQ(a.Members()[2].method, "-lh1-");
    Bytes out;
    EXPECT_EQ(a.Extract(2, out), ArchiveError::Unsupported) << archive;
  }
  // A broken header checksum (level 0) or header CRC (level 2) ends the listing there.
  for (const char* archive : {"lh5-level0.lzh", "lh5.lzh"}) {
    lzh = ReadBytes(DataPath(archive));
    lzh[LzhHeaders(lzh)[1] + 12] ^= 1;
    Opened a(ArchiveFormat::Lzh, lzh);
    EXPECT_EQ(a.Members().size(), 1u) << archive;
    lzh[0 + 12] ^= 1;
    EXPECT_FALSE(Opened(ArchiveFormat::Lzh, lzh).ok()) << archive;
  }

  Bytes zip = ReadBytes(DataPath("deflate.zip"));
  zip[ZipEntry(zip, "Clip.OV") + 8] |= 1;  // encrypted
  Store32(zip, ZipEntry(zip, "other.ov") + 10, 12);  // method 12 (and a zero time)
  Opened a(ArchiveFormat::Zip, zip);
  Bytes out;
  EXPECT_EQ(a.Extract(2, out), ArchiveError::Encrypted);
  EXPECT_EQ(a.Extract(3, out), ArchiveError::Unsupported);
  EXPECT_EQ(a.Extract(0, out), ArchiveError::None);
  // A central directory that runs past its end is not an archive.
  zip = ReadBytes(DataPath("deflate.zip"));
  Store32(zip, zip.size() - 22 + 12, uint32_t(zip.size()));
  EXPECT_FALSE(Opened(ArchiveFormat::Zip, zip).ok());
}
