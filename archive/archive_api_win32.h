#pragma once

// The archive libraries' entry points as Win32 sees them (see archive/archive_api.h), for the
// DLLs that export them and the programs that load them.

#include <windows.h>

#include "archive/archive_api.h"

using ArchiveHandle = HANDLE;
using ArchiveOpenProc = ArchiveHandle(WINAPI*)(HWND owner, LPCSTR path, DWORD mode);
using ArchiveFindFirstProc = int(WINAPI*)(ArchiveHandle archive, LPCSTR wildcards,
                                          ArchiveInfoRecord* record);
using ArchiveCloseProc = int(WINAPI*)(ArchiveHandle archive);
using ArchiveExtractMemProc = int(WINAPI*)(HWND owner, LPCSTR commandLine, LPBYTE buffer,
                                           DWORD size, void* time, LPWORD attributes,
                                           LPDWORD written);

// An entry point by name, or null; the cast passes through a plain function type.
template <class Proc>
Proc ArchiveEntry(HMODULE module, const char* name) {
  FARPROC p = module ? GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(p));
}
