#pragma once

// What UNZIP32.DLL and UNLHA32.DLL export, and the information record they fill. The same
// four calls exist in each under its own prefix (UnZip..., Unlha...), all __stdcall with
// undecorated names:
//   handle OpenArchive(HWND owner, const char* path, DWORD mode)       null on failure
//   int    FindFirst(handle, const char* wildcards, ArchiveInfoRecord*)  0 found, -1 none
//   int    CloseArchive(handle)                                          0
//   int    ExtractMem(HWND owner, const char* commandLine, BYTE* buffer, DWORD size,
//                     uint32_t* time, WORD* attributes, DWORD* written)   0 on success
// ExtractMem writes the first member matching the command line's wildcards; `written` is
// 0 whenever the result is not 0. `time` (Unix time, 32 bits) and `attributes` may be null.

#include <cstdint>

#include "archive/archive_member.h"

enum : int {
  kArchiveOk = 0,
  kArchiveNoMatch = -1,  // FindFirst: no member matches
  kArchiveErrorHandle = 0x8001,
  kArchiveErrorCommand = 0x8002,
  kArchiveErrorOpen = 0x8003,
  kArchiveErrorFormat = 0x8004,
  kArchiveErrorDamaged = 0x8005,
  kArchiveErrorUnsupported = 0x8006,
  kArchiveErrorEncrypted = 0x8007,
  kArchiveErrorBufferSmall = 0x8008,
  kArchiveErrorData = 0x8009,
  kArchiveErrorCrc = 0x800A,
  kArchiveErrorNoMember = 0x800B,
};

int ArchiveErrorCode(ArchiveError error);

// The information record; callers rely only on its first field.
struct ArchiveInfoRecord {
  uint32_t originalSize;
  uint32_t packedSize;
  uint32_t crc;
  uint32_t flag;    // why the member cannot be extracted (an error code), or 0
  uint32_t osType;  // 0
  uint16_t ratio;   // packed size per mille of the original
  uint16_t dosDate;
  uint16_t dosTime;
  char fileName[513];  // truncated on a character boundary, always NUL-terminated
  char reserved[3];
  char attributes[8];  // "RHSA" letters, '-' where clear
  char method[8];      // "-lh5-", "stored", "deflate", ...
};
static_assert(sizeof(ArchiveInfoRecord) == 560);

void FillArchiveInfo(const ArchiveMember& member, ArchiveInfoRecord& record);
