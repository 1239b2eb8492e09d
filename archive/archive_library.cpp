#include "archive/archive_library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/archive_command.h"
#include "archive/lzh_reader.h"
#include "archive/zip_reader.h"
#include "io/cp932.h"
#include "io/file_stream.h"

namespace {

uint32_t UnixTimeOf(uint16_t dosDate, uint16_t dosTime) {
  const int year = 1980 + (dosDate >> 9);
  const int month = (dosDate >> 5) & 15;
  const int day = dosDate & 31;
  if (month < 1 || month > 12 || day < 1) return 0;
  // Days from 1970-01-01 to the civil date.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = y / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = int64_t(era) * 146097 + doe - 719468;
  const int64_t secs = days * 86400 + (dosTime >> 11) * 3600 + ((dosTime >> 5) & 63) * 60 +
                       (dosTime & 31) * 2;
  return secs < 0 || secs > UINT32_MAX ? 0 : uint32_t(secs);
}

void CopyText(char* out, size_t room, std::string_view text) {
  const std::string cut = TruncateCp932(text, room - 1);
  std::memcpy(out, cut.data(), cut.size());
  out[cut.size()] = '\0';
}

}  // namespace

int ArchiveErrorCode(ArchiveError error) {
  switch (error) {
    case ArchiveError::None: return kArchiveOk;
    case ArchiveError::Command: return kArchiveErrorCommand;
    case ArchiveError::Open: return kArchiveErrorOpen;
    case ArchiveError::Format: return kArchiveErrorFormat;
    case ArchiveError::Damaged: return kArchiveErrorDamaged;
    case ArchiveError::Unsupported: return kArchiveErrorUnsupported;
    case ArchiveError::Encrypted: return kArchiveErrorEncrypted;
    case ArchiveError::BufferSmall: return kArchiveErrorBufferSmall;
    case ArchiveError::Data: return kArchiveErrorData;
    case ArchiveError::Crc: return kArchiveErrorCrc;
    case ArchiveError::NoMember: return kArchiveErrorNoMember;
  }
  return kArchiveErrorData;
}

void FillArchiveInfo(const ArchiveMember& member, ArchiveInfoRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.originalSize = member.originalSize;
  record.packedSize = member.packedSize;
  record.crc = member.crc;
  record.flag = member.refusal == ArchiveError::None ? 0u : uint32_t(ArchiveErrorCode(member.refusal));
  record.ratio = member.originalSize == 0
                     ? 0
                     : uint16_t(std::min<uint64_t>(
                           uint64_t(member.packedSize) * 1000 / member.originalSize, 0xFFFF));
  record.dosDate = member.dosDate;
  record.dosTime = member.dosTime;
  CopyText(record.fileName, sizeof record.fileName, member.name);
  const char letters[] = "RHSA";
  const uint8_t bits[] = {0x01, 0x02, 0x04, 0x20};
  for (int i = 0; i < 4; ++i) record.attributes[i] = member.attributes & bits[i] ? letters[i] : '-';
  CopyText(record.method, sizeof record.method, member.method);
}

std::unique_ptr<ArchiveReader> NewArchiveReader(ArchiveFormat format) {
  if (format == ArchiveFormat::Zip) return std::make_unique<ZipReader>();
  return std::make_unique<LzhReader>();
}

ArchiveListing ListArchiveFile(ArchiveFormat format, const std::string& path) {
  ArchiveListing listing;
  FileStream file(std::fopen(path.c_str(), "rb"));
  if (!file.IsOpen()) {
    listing.error = ArchiveError::Open;
    return listing;
  }
  std::unique_ptr<ArchiveReader> reader = NewArchiveReader(format);
  if (!reader->Open(file)) {
    listing.error = ArchiveError::Format;
    return listing;
  }
  listing.members = reader->Members();
  return listing;
}

int FindArchiveMember(const std::vector<ArchiveMember>& members,
                      const std::vector<std::string>& wildcards) {
  for (size_t i = 0; i < members.size(); ++i) {
    if (MatchAnyWildcard(wildcards, members[i].name)) return int(i);
  }
  return -1;
}

int FindFirstArchiveMember(const std::vector<ArchiveMember>& members, const char* wildcards,
                           ArchiveInfoRecord* record) {
  const int index = FindArchiveMember(members, SplitWildcards(wildcards ? wildcards : ""));
  if (index < 0) return kArchiveNoMatch;
  if (record) FillArchiveInfo(members[size_t(index)], *record);
  return kArchiveOk;
}

ExtractResult ExtractArchiveToMemory(ArchiveFormat format, const char* commandLine,
                                     uint8_t* buffer, uint32_t size) {
  ExtractResult result;
  ArchiveCommand command;
  if (!commandLine || !ParseArchiveCommand(commandLine, command)) {
    result.code = kArchiveErrorCommand;
    return result;
  }
  FileStream file(std::fopen(command.archive.c_str(), "rb"));
  if (!file.IsOpen()) {
    result.code = kArchiveErrorOpen;
    return result;
  }
  std::unique_ptr<ArchiveReader> reader = NewArchiveReader(format);
  if (!reader->Open(file)) {
    result.code = kArchiveErrorFormat;
    return result;
  }
  const int index = FindArchiveMember(reader->Members(), command.wildcards);
  if (index < 0) {
    result.code = kArchiveErrorNoMember;
    return result;
  }
  const ArchiveMember& member = reader->Members()[size_t(index)];
  const ArchiveError error = reader->Extract(size_t(index), buffer, buffer ? size : 0);
  result.code = ArchiveErrorCode(error);
  if (error == ArchiveError::None) result.written = member.originalSize;
  result.unixTime = UnixTimeOf(member.dosDate, member.dosTime);
  result.attributes = member.attributes;
  return result;
}
