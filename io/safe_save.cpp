#include "io/safe_save.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/file_stream.h"
#include "io/io_fault.h"

namespace {

// Keeps a reason already given (by the caller's writer).
bool Fail(std::string* error, const char* what, int reason) {
  if (error && error->empty()) *error = reason ? std::string(what) + " (" + std::strerror(reason) + ")" : what;
  return false;
}

}  // namespace

bool WriteNewFile(const std::string& path, const std::function<bool(ByteStream&)>& write,
                  std::string* error) {
  if (error) error->clear();
  if (path.empty()) return Fail(error, "no file name", 0);
  std::FILE* file = IoFault(IoCall::kCreate) ? nullptr : std::fopen(path.c_str(), "w+b");
  if (!file) return Fail(error, "cannot create the file", errno);
  FileStream stream(file);
  const bool written = write(stream);
  const bool finished = stream.Finish();
  if (written && finished) return true;
  std::remove(path.c_str());
  return Fail(error, "write failed", stream.Error());
}

bool SaveFileSafely(const std::string& path, const std::function<bool(ByteStream&)>& write,
                    std::string* error) {
  if (error) error->clear();
  if (path.empty()) return Fail(error, "no file name", 0);
  const std::string temp = path + ".saving";
  if (!WriteNewFile(temp, write, error)) return false;
  if (!ReplaceFileAtomically(temp, path)) {
    const int reason = errno;
    std::remove(temp.c_str());
    return Fail(error, "cannot replace the file", reason);
  }
  return true;
}
