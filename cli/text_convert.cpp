#include "cli/text_convert.h"

#include "cli/code_page.h"

namespace {

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(const std::string& bytes) {
  if (IsAscii(bytes)) return bytes;
  return SystemCp932ToUtf8(bytes);
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
  if (IsAscii(text)) return text;
  return SystemUtf8ToCp932(text);
}
