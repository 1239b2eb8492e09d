#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr char kCannotOpenFile[] = "cannot open the file";
inline constexpr char kReadFailed[] = "read failed";
inline constexpr char kFileTooLarge[] = "the file is too large";

// Reads the whole file at `path` into `bytes`; a file fits when its size fits an int32_t,
// the size every byte stream takes. False, with `error` saying one of the three texts above,
// when it cannot be opened, read to its end or held; `bytes` is then empty.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error);
