#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Document strings are bytes in code page 932. These helpers never split a double-byte
// character.

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
inline bool IsCp932LeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a character
// boundary and holds no zero byte.
std::string TruncateCp932(std::string_view text, size_t maxBytes);

// Byte offset of each character start is walked with this: the length (1 or 2) of the
// character starting at `i`.
inline size_t Cp932CharLength(std::string_view text, size_t i) {
  return IsCp932LeadByte(uint8_t(text[i])) && i + 1 < text.size() ? 2 : 1;
}
