#pragma once

#include <cstdint>

#include "archive/archive_member.h"

// CRC-16 of LZH members (polynomial 0x8005 reflected, initial value 0).
uint16_t LzhCrc16(uint16_t crc, const uint8_t* data, size_t n);

// Decodes one -lh5- (dictionaryBits 13), -lh6- (15) or -lh7- (16) member: static Huffman
// blocks of literals and matches. Writes exactly `size` bytes to `out` or fails; a match
// that reaches before the first byte or past `size`, a table that does not form a prefix
// code, or input that ends early is Data.
ArchiveError DecodeLzh(RangeInput& input, int dictionaryBits, uint8_t* out, uint32_t size);
