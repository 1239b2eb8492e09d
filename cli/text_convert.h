#pragma once

#include <optional>
#include <string>

// Conversions between document strings (code page 932 bytes) and UTF-8; nothing when the
// text cannot be converted.
std::optional<std::string> Cp932ToUtf8(const std::string& bytes);
std::optional<std::string> Utf8ToCp932(const std::string& text);
