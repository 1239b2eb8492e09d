#include <cstdio>
#include <filesystem>

#include "io/file_sync.h"
#include "io/io_fault.h"
#include "io/safe_save.h"

bool ReplaceFileAtomically(const std::string& source, const std::string& target) {
  if (IoFault(IoCall::kRename) || std::rename(source.c_str(), target.c_str()) != 0) return false;
  SyncFolder(std::filesystem::path(target).parent_path().string());
  return true;
}
