// UNZIP32.DLL: ZIP members into memory.
#include "archive/archive_dll_win32.h"

extern "C" {

ArchiveHandle WINAPI UnZipOpenArchive(HWND, LPCSTR path, DWORD) {
  return archive_dll::Open(ArchiveFormat::Zip, path);
}

int WINAPI UnZipFindFirst(ArchiveHandle archive, LPCSTR wildcards, ArchiveInfoRecord* record) {
  return archive_dll::FindFirst(ArchiveFormat::Zip, archive, wildcards, record);
}

int WINAPI UnZipCloseArchive(ArchiveHandle archive) {
  return archive_dll::Close(ArchiveFormat::Zip, archive);
}

int WINAPI UnZipExtractMem(HWND, LPCSTR commandLine, LPBYTE buffer, DWORD size, void* time,
                           LPWORD attributes, LPDWORD written) {
  return archive_dll::ExtractMem(ArchiveFormat::Zip, commandLine, buffer, size, time, attributes,
                                 written);
}

}  // extern "C"
