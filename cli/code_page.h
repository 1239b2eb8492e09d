#pragma once

#include <optional>
#include <string>

// The system's converter between the document code page (932) and UTF-8: `in` converted,
// or nothing when it does not convert exactly (a byte or character without a counterpart).
std::optional<std::string> SystemCp932ToUtf8(const std::string& in);
std::optional<std::string> SystemUtf8ToCp932(const std::string& in);
