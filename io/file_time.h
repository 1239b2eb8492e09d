#pragma once

#include <cstdint>
#include <optional>
#include <string>

// When the file at `path` was last written, in the system's own units (only comparisons
// between two files of one system mean anything); nothing when it cannot be learnt.
std::optional<int64_t> FileWriteTime(const std::string& path);
