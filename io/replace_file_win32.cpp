#include <windows.h>

#include <cerrno>

#include "io/io_fault.h"
#include "io/safe_save.h"

bool ReplaceFileAtomically(const std::string& source, const std::string& target) {
  if (IoFault(IoCall::kRename)) return false;
  if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}
