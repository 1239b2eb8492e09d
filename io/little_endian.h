#pragma once

#include <cstdint>

// Little-endian fields of a block already in memory (the size checked by the caller).
inline uint32_t LoadU16Le(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
inline uint32_t LoadU32Le(const uint8_t* p) { return LoadU16Le(p) | LoadU16Le(p + 2) << 16; }
