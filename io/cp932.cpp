#include "io/cp932.h"

std::string TruncateCp932(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size() && text[end] != '\0') {
    const size_t n = Cp932CharLength(text, end);
    if (end + n > maxBytes) break;
    if (n == 2 && text[end + 1] == '\0') break;
    end += n;
  }
  return std::string(text.substr(0, end));
}
