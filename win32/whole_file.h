#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole file; empty when it cannot be read or is larger than a memory stream can hold.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);
