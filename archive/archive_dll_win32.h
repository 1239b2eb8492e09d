#pragma once

// The shared body of the two DLLs' exported calls (see archive/archive_api.h).

#include <windows.h>

#include "archive/archive_api_win32.h"
#include "archive/archive_library.h"

namespace archive_dll {

ArchiveHandle Open(ArchiveFormat format, LPCSTR path);
int FindFirst(ArchiveFormat format, ArchiveHandle archive, LPCSTR wildcards,
              ArchiveInfoRecord* record);
int Close(ArchiveFormat format, ArchiveHandle archive);
int ExtractMem(ArchiveFormat format, LPCSTR commandLine, LPBYTE buffer, DWORD size, void* time,
               LPWORD attributes, LPDWORD written);

}  // namespace archive_dll
