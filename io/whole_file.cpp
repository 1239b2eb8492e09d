#include "io/whole_file.h"

#include <cstdio>

#include "io/failure.h"

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Fail(error, kCannotOpenFile);
  uint8_t buffer[65536];
  size_t n;
  bool tooLarge = false;
  while (!tooLarge && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    tooLarge = bytes.size() + n > size_t(INT32_MAX);
    if (!tooLarge) bytes.insert(bytes.end(), buffer, buffer + n);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (!failed && !tooLarge) return true;
  bytes.clear();
  return Fail(error, tooLarge ? kFileTooLarge : kReadFailed);
}
