#include <windows.h>

#include <io.h>

#include "io/file_sync.h"

bool SyncFileData(std::FILE* file) {
  if (!file) return false;
  const intptr_t handle = _get_osfhandle(_fileno(file));
  return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

void SyncFolder(const std::string&) {}
