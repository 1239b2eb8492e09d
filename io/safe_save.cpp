#include "io/safe_save.h"

#include <cstdio>

#include "io/file_stream.h"

bool SaveFileSafely(const std::string& path, const std::function<bool(ByteStream&)>& write,
                    std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (path.empty()) return fail("no file name");
  const std::string temp = path + ".saving";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return fail("cannot create the file");
  FileStream stream(file);
  const bool written = write(stream);
  const bool finished = stream.Finish();
  if (!written || !finished) {
    std::remove(temp.c_str());
    if (error && error->empty()) *error = "write failed";
    return false;
  }
  if (!ReplaceFileAtomically(temp, path)) {
    std::remove(temp.c_str());
    return fail("cannot replace the file");
  }
  return true;
}
