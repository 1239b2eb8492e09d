// UNLHA32.DLL: LZH members into memory.
#include "archive/archive_dll_win32.h"

extern "C" {

ArchiveHandle WINAPI UnlhaOpenArchive(HWND, LPCSTR path, DWORD) {
  return archive_dll::Open(ArchiveFormat::Lzh, path);
}

int WINAPI UnlhaFindFirst(ArchiveHandle archive, LPCSTR wildcards, ArchiveInfoRecord* record) {
  return archive_dll::FindFirst(ArchiveFormat::Lzh, archive, wildcards, record);
}

int WINAPI UnlhaCloseArchive(ArchiveHandle archive) {
  return archive_dll::Close(ArchiveFormat::Lzh, archive);
}

int WINAPI UnlhaExtractMem(HWND, LPCSTR commandLine, LPBYTE buffer, DWORD size, void* time,
                           LPWORD attributes, LPDWORD written) {
  return archive_dll::ExtractMem(ArchiveFormat::Lzh, commandLine, buffer, size, time, attributes,
                                 written);
}

}  // extern "C"
