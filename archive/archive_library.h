#pragma once

// The body of the archive libraries' calls, free of Win32: the DLLs only add the exported
// names and the handle bookkeeping.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_api.h"
#include "archive/archive_member.h"

enum class ArchiveFormat { Zip, Lzh };

std::unique_ptr<ArchiveReader> NewArchiveReader(ArchiveFormat format);

// The member list of an archive file, or the reason it has none.
struct ArchiveListing {
  std::vector<ArchiveMember> members;
  ArchiveError error = ArchiveError::None;
};
ArchiveListing ListArchiveFile(ArchiveFormat format, const std::string& path);

// Index of the first member matching any of the wildcards, or -1.
int FindArchiveMember(const std::vector<ArchiveMember>& members,
                      const std::vector<std::string>& wildcards);

// FindFirst: fills `record` (when given) from the first member matching the wildcard list.
int FindFirstArchiveMember(const std::vector<ArchiveMember>& members, const char* wildcards,
                           ArchiveInfoRecord* record);

struct ExtractResult {
  int code = kArchiveOk;
  uint32_t written = 0;
  uint32_t unixTime = 0;
  uint16_t attributes = 0;
};
// ExtractMem: the first member of the command line's archive that matches its wildcards,
// into buffer[0, size).
ExtractResult ExtractArchiveToMemory(ArchiveFormat format, const char* commandLine,
                                     uint8_t* buffer, uint32_t size);
