#include <windows.h>

#include "io/owner_lock.h"

bool OwnerLock::Take(const std::string& path) {
  Release();
  if (path.empty()) return false;
  // No sharing: while the handle is open no one else opens, replaces or deletes the file.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  path_ = path;
  return true;
}

void OwnerLock::Release() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
  path_.clear();
}
