#include "archive/archive_dll_win32.h"

#include <cstring>
#include <new>
#include <set>

namespace archive_dll {
namespace {

struct OpenArchive {
  ArchiveFormat format;
  std::vector<ArchiveMember> members;
};

// Handles this library gave out and has not closed; anything else is refused.
SRWLOCK gLock = SRWLOCK_INIT;
std::set<OpenArchive*>* gOpen = nullptr;

class Locked {
 public:
  Locked() { AcquireSRWLockExclusive(&gLock); }
  ~Locked() { ReleaseSRWLockExclusive(&gLock); }
};

OpenArchive* Known(ArchiveFormat format, ArchiveHandle handle) {
  auto* archive = static_cast<OpenArchive*>(handle);
  if (!gOpen || !gOpen->count(archive) || archive->format != format) return nullptr;
  return archive;
}

}  // namespace

ArchiveHandle Open(ArchiveFormat format, LPCSTR path) {
  if (!path) return nullptr;
  try {
    ArchiveListing listing = ListArchiveFile(format, path);
    if (listing.error != ArchiveError::None) return nullptr;
    auto* archive = new OpenArchive{format, std::move(listing.members)};
    Locked lock;
    if (!gOpen) gOpen = new std::set<OpenArchive*>;
    gOpen->insert(archive);
    return archive;
  } catch (...) {
    return nullptr;
  }
}

int FindFirst(ArchiveFormat format, ArchiveHandle handle, LPCSTR wildcards,
              ArchiveInfoRecord* record) {
  try {
    Locked lock;
    OpenArchive* archive = Known(format, handle);
    if (!archive) return kArchiveErrorHandle;
    return FindFirstArchiveMember(archive->members, wildcards, record);
  } catch (...) {
    return kArchiveErrorData;
  }
}

int Close(ArchiveFormat format, ArchiveHandle handle) {
  Locked lock;
  OpenArchive* archive = Known(format, handle);
  if (!archive) return kArchiveErrorHandle;
  gOpen->erase(archive);
  delete archive;
  return kArchiveOk;
}

int ExtractMem(ArchiveFormat format, LPCSTR commandLine, LPBYTE buffer, DWORD size, void* time,
               LPWORD attributes, LPDWORD written) {
  if (written) *written = 0;
  try {
    const ExtractResult result = ExtractArchiveToMemory(format, commandLine, buffer, size);
    if (written) *written = result.written;
    // 32 bits whatever the caller's time_t, so a narrower one is never overrun.
    if (time && result.code == kArchiveOk) std::memcpy(time, &result.unixTime, 4);
    if (attributes && result.code == kArchiveOk) *attributes = result.attributes;
    return result.code;
  } catch (...) {
    return kArchiveErrorData;
  }
}

}  // namespace archive_dll
