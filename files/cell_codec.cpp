#include "files/cell_codec.h"

#include "model/unaligned.h"

#include <algorithm>
#include <cstring>

#include "model/raster_surface.h"

namespace {

inline int Nibble(const uint8_t* row, int32_t g) {
  const uint8_t b = row[g >> 1];
  return (g & 1) ? (b >> 4) : (b & 0x0F);
}

inline bool RefInside(int code, int32_t x, int32_t y) {
  return x + kCellCodes[code].dx >= 0 && y + kCellCodes[code].dy >= 0;
}


// Byte offset from a group to the group its code copies, for a row stride (code 0: set per
// row by the decoder).
struct CodeOffsets {
  ptrdiff_t bytes[16];
  explicit CodeOffsets(int32_t stride) {
    for (int c = 0; c < 16; ++c)
      bytes[c] = ptrdiff_t(kCellCodes[c].dy) * stride + kCellCodes[c].dx / 2;
  }
};

// The offset of code 1, which no other code has: the group copies the group before it.
constexpr ptrdiff_t kRepeatOffset = -2;

// For each code byte, the byte offsets from its low and its high group to their sources (a
// literal is its own source). A high group of code 1 takes the low group's source, unless
// both repeat the group before the byte: marked by an offset no copy has (all are even).
struct PairTable {
  static constexpr ptrdiff_t kBothRepeat = 1;
  ptrdiff_t low[256], high[256];
  explicit PairTable(const CodeOffsets& offsets) {
    for (int b = 0; b < 256; ++b) {
      low[b] = offsets.bytes[b & 15];
      high[b] = b == 0x11 ? kBothRepeat : (b >> 4) == 1 ? low[b] - 2 : offsets.bytes[b >> 4];
    }
  }
};

// `a` when `condition`, else `b`; as a conditional move, as the condition follows no pattern.
inline uintptr_t Choose(bool condition, uintptr_t a, uintptr_t b) {
  return __builtin_expect_with_probability(condition, 1, 0.5) ? a : b;
}

}  // namespace

void CellEncoder::Encode(const RasterSurface& cell, std::vector<uint8_t>& out) {
  const int32_t width = cell.Width();
  const int32_t height = cell.Height();
  const int32_t codeBytes = CellCodeBytesPerRow(width);
  const int32_t mapBytes = CellMapBytesPerRow(width);
  const int32_t groups = (width + 3) / 4;
  CodeOffsets offsets(cell.Stride());
  offsets.bytes[0] = 0;  // a literal never matches (checked apart); its load stays in place
  uint32_t literal[16] = {1};

  map_.assign(size_t(mapBytes) * size_t(height), 0);
  // Room for the worst case, so the row loop writes without checks; kept between cells.
  uint8_t* const codesStart = codes_.Room(size_t(codeBytes) * size_t(height) + 8);
  uint8_t* const literalsStart = literals_.Room(size_t(groups) * size_t(height) * 2);
  uint8_t* codesOut = codesStart;
  uint8_t* literalsOut = literalsStart;
  previous_.assign(size_t(codeBytes) + 8, 0x11);
  current_.assign(size_t(codeBytes) + 8, 0);

  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = cell.Row(y);
    uint8_t* cur = current_.data();
    const uint8_t* prev = previous_.data();
    // The first match in the search order; a literal when none matches.
    auto search = [&](int32_t g, bool checked) {
      const int32_t x = g * 4;
      const uint8_t* p = row + x / 2;
      const uint16_t v = LoadUnit(p);
      for (uint8_t c : kCellCodeSearchOrder) {
        if ((!checked || RefInside(c, x, y)) && LoadUnit(p + offsets.bytes[c]) == v) return int(c);
      }
      std::memcpy(literalsOut, p, 2);
      literalsOut += 2;
      return 0;
    };
    // Near the top and left edges a copy can refer outside the cell: check each group.
    const int32_t checkedGroups = y < 16 ? groups : std::min(groups, 4);
    int32_t g = 0;
    for (; g < checkedGroups; ++g) {
      const int above = Nibble(prev, g);
      const uint8_t* p = row + g * 2;
      const int code = above != 0 && RefInside(above, g * 4, y) && LoadUnit(p + offsets.bytes[above]) == LoadUnit(p)
                           ? above
                           : search(g, true);
      if (g & 1) cur[g >> 1] |= uint8_t(code << 4);
      else cur[g >> 1] = uint8_t(code);
    }
    // The rest sixteen groups (eight code bytes) at a time: every group is tried with the
    // code above it without a branch, and only those it does not fit are searched.
    for (; g < groups; g += 16) {
      const uint64_t above = Load64(prev + g / 2);  // g is even here
      const int32_t span = std::min(groups - g, 16);
      const uint8_t* block = row + g * 2;
      const int first = int(above & 15);
      if (span == 16 && first != 0 && above == uint64_t(first) * 0x1111111111111111ull) {
        // Sixteen groups that all still match the one code above them.
        const ptrdiff_t off = offsets.bytes[first];
        if (Load64(block + off) == Load64(block) && Load64(block + 8 + off) == Load64(block + 8) &&
            Load64(block + 16 + off) == Load64(block + 16) &&
            Load64(block + 24 + off) == Load64(block + 24)) {
          Store64(cur + g / 2, above);
          continue;
        }
      }
      uint32_t misfits = 0;
      auto tryAbove = [&](int k) {
        const uint64_t c = (above >> (4 * k)) & 15;
        const uint8_t* p = block + 2 * k;
        const uint32_t differs = uint32_t(LoadUnit(p + offsets.bytes[c]) ^ LoadUnit(p)) | literal[c];
        misfits |= uint32_t(differs != 0) << k;
      };
      if (span == 16) {
        for (int k = 0; k < 16; ++k) tryAbove(k);
      } else {
        for (int32_t k = 0; k < span; ++k) tryAbove(k);
      }
      uint64_t codes = span == 16 ? above : above & ((uint64_t(1) << (4 * span)) - 1);
      for (; misfits; misfits &= misfits - 1) {
        const int k = __builtin_ctz(misfits);
        codes = (codes & ~(uint64_t(15) << (4 * k))) | uint64_t(search(g + k, false)) << (4 * k);
      }
      Store64(cur + g / 2, codes);
    }
    // The change map and the changed code bytes, eight code bytes a map byte.
    uint8_t* mapRow = map_.data() + size_t(y) * size_t(mapBytes);
    for (int32_t i = 0; i < codeBytes; i += 8) {
      uint64_t d = Load64(cur + i) ^ Load64(prev + i);
      if (codeBytes - i < 8) d &= (uint64_t(1) << (8 * (codeBytes - i))) - 1;
      // The top bit of every byte that differs, gathered into one byte.
      const uint64_t tops = (((d & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | d) & 0x8080808080808080ull;
      const uint32_t changed = uint32_t((tops >> 7) * 0x0102040810204080ull >> 56);
      mapRow[i >> 3] = uint8_t(changed);
      for (int j = 0; j < 8; ++j) {
        *codesOut = cur[i + j];
        codesOut += (changed >> j) & 1;
      }
    }
    previous_.swap(current_);
  }

  const uint32_t codesSize = uint32_t(codesOut - codesStart);
  const uint32_t literalsSize = uint32_t(literalsOut - literalsStart);
  const uint8_t sizes[8] = {uint8_t(codesSize),        uint8_t(codesSize >> 8),
                            uint8_t(codesSize >> 16),  uint8_t(codesSize >> 24),
                            uint8_t(literalsSize),     uint8_t(literalsSize >> 8),
                            uint8_t(literalsSize >> 16), uint8_t(literalsSize >> 24)};
  out.insert(out.end(), sizes, sizes + 8);
  out.insert(out.end(), map_.begin(), map_.end());
  out.insert(out.end(), codesStart, codesOut);
  out.insert(out.end(), literalsStart, literalsOut);
}

namespace {

// Map bytes at .. at + 7 of a map of `size` bytes, the first in the low byte; bytes past the
// map read as 0.
uint64_t LoadMapBytes(const uint8_t* map, size_t at, size_t size) {
  if (size - at >= 8) return Load64(map + at);
  uint64_t w = 0;
  for (size_t k = 0; at + k < size; ++k) w |= uint64_t(map[at + k]) << (8 * k);
  return w;
}

// Whether either group of a code byte is a literal.
inline bool HoldsLiteral(uint8_t codeByte) { return (codeByte & 0x0F) == 0 || (codeByte & 0xF0) == 0; }

// Bytes of literals a code byte takes: two for each zero nibble.
inline uint32_t LiteralSize(uint8_t codeByte) {
  return 2u * (uint32_t((codeByte & 0x0F) == 0) + uint32_t((codeByte & 0xF0) == 0));
}

// Stores the literals of code byte `codeByte` at `at` (its two groups) from `lit`, four
// bytes: a group that is not a literal gets two bytes its copy replaces later. Literals
// come in coding order, so the first goes to the high group when the low one copies.
inline void PlaceLiterals(uint8_t* at, uint8_t codeByte, const uint8_t* lit) {
  Store32(at, Load32(lit) << (16 * uint32_t((codeByte & 0x0F) != 0)));
}

// The same near the ends of the row and of the literals, two bytes at a time.
inline void PlaceLiteralsCarefully(uint8_t* at, uint8_t codeByte, const uint8_t* lit) {
  const bool low = (codeByte & 0x0F) == 0, high = (codeByte & 0xF0) == 0;
  if (low) StoreUnit(at, LoadUnit(lit));
  if (high) StoreUnit(at + 2, LoadUnit(lit + 2 * low));
}

// Copies every group of a decoded row from the unit its code points at (its literals
// already in place), without a branch: which codes come next follows no pattern a
// predictor could learn, and a wrong guess costs more than copying the groups of a run one
// by one. Code 1 takes the source of the group before it instead of that group, so no
// unit waits for the one just stored. (Addresses as integers: on pointers the compiler
// made the choices jumps.) Every code must copy from inside the cell.
void CopyGroups(uint8_t* row, const uint8_t* codeRow, int32_t groups, const PairTable& pairs) {
  uintptr_t dst = reinterpret_cast<uintptr_t>(row);
  uintptr_t source = dst - 2;  // never read: the first group cannot repeat the one before
  auto copy = [](uintptr_t to, uintptr_t from) {
    StoreUnit(reinterpret_cast<uint8_t*>(to), LoadUnit(reinterpret_cast<const uint8_t*>(from)));
  };
  // Both groups' sources hang on the source before them only: one choice a byte in the chain.
  auto stepPair = [&](uint8_t codeByte) {
    const ptrdiff_t low = pairs.low[codeByte], high = pairs.high[codeByte];
    const uintptr_t lowSource = Choose(low == kRepeatOffset, source, dst + uintptr_t(low));
    source = Choose(high == PairTable::kBothRepeat, source, dst + 2 + uintptr_t(high));
    copy(dst, lowSource);
    copy(dst + 2, source);
    dst += 4;
  };
  auto stepEight = [&](const uint8_t* codes) {
    for (int k = 0; k < 8; ++k) stepPair(codes[k]);
  };
  const int32_t pairCount = groups / 2;
  int32_t i = 0;
  if (pairCount >= 8) {
    for (;;) {
      stepEight(codeRow + i);
      if (i + 8 == pairCount) break;
      if (i + 16 > pairCount) {
        // The last eight code bytes, some again: a group copied twice gets the same unit.
        i = pairCount - 8;
        dst = reinterpret_cast<uintptr_t>(row + 4 * i);
        source = dst - 2;
      } else {
        i += 8;
      }
    }
    i = pairCount;
  }
  for (; i < pairCount; ++i) stepPair(codeRow[i]);
  if (groups & 1) {  // the last group, alone in its code byte
    const ptrdiff_t low = pairs.low[codeRow[i]];
    copy(dst, Choose(low == kRepeatOffset, source, dst + uintptr_t(low)));
  }
}

// Whether a code of byte i of row y may reach outside the cell: only 16 pixels or rows
// from the left and top edges.
inline bool NearEdge(int32_t i, int32_t y) { return y < 16 || i < 2; }

// Whether both groups of code byte i copy from inside the cell in row y. A byte that does
// so in one row does so in the rows below it.
bool CopiesInside(uint8_t codeByte, int32_t i, int32_t y, int32_t groups) {
  return RefInside(codeByte & 15, 8 * i, y) && (2 * i + 1 >= groups || RefInside(codeByte >> 4, 8 * i + 4, y));
}

}  // namespace

bool DecodeCell(RasterSurface& cell, const uint8_t* map, const uint8_t* codes,
                uint32_t codesSize, const uint8_t* literals, uint32_t literalsSize) {
  const int32_t width = cell.Width();
  const int32_t height = cell.Height();
  const int32_t codeBytes = CellCodeBytesPerRow(width);
  const int32_t mapBytes = CellMapBytesPerRow(width);
  const int32_t groups = (width + 3) / 4;
  const size_t mapSize = size_t(mapBytes) * size_t(height);
  std::vector<uint8_t> codeRow(size_t(codeBytes) + 8, 0x11);
  // Bit i of word i / 64: code byte i of the row holds a literal.
  std::vector<uint64_t> literalWords(size_t(codeBytes + 63) / 64, 0);
  // A literal is stored at its own group before the row is decoded: it is then a copy from
  // offset 0 like every other code a copy from its own offset.
  CodeOffsets offsets(cell.Stride());
  offsets.bytes[0] = 0;
  const PairTable pairs(offsets);
  uint32_t nextCode = 0;
  const uint8_t* lit = literals;
  const uint8_t* const litEnd = literals + literalsSize;

  for (int32_t y = 0; y < height; ++y) {
    const size_t mapRow = size_t(y) * size_t(mapBytes);
    for (int32_t m = 0; m < mapBytes; m += 8) {
      uint64_t bits = LoadMapBytes(map, mapRow + size_t(m), mapSize);
      // Bits past the row's code bytes (and so past its map bytes) mean nothing.
      if (codeBytes - m * 8 < 64) bits &= (uint64_t(1) << (codeBytes - m * 8)) - 1;
      // These 64 code bytes are the ones of literal word m / 8.
      uint64_t holding = 0;
      const uint64_t changed = bits;
      for (; bits; bits &= bits - 1) {
        if (nextCode == codesSize) return false;
        const int k = __builtin_ctzll(bits);
        const uint8_t codeByte = codes[nextCode++];
        if (NearEdge(m * 8 + k, y) && !CopiesInside(codeByte, m * 8 + k, y, groups)) return false;
        codeRow[size_t(m * 8 + k)] = codeByte;
        holding |= uint64_t(HoldsLiteral(codeByte)) << k;
      }
      literalWords[size_t(m / 8)] = (literalWords[size_t(m / 8)] & ~changed) | holding;
    }
    // The row above the first is not checked: its code 1 at the left edge must change.
    if (y == 0)
      for (int32_t i = 0; i < codeBytes; ++i)
        if (!CopiesInside(codeRow[size_t(i)], i, 0, groups)) return false;
    uint8_t* row = cell.Row(y);
    for (size_t w = 0; w < literalWords.size(); ++w) {
      for (uint64_t bits = literalWords[w]; bits; bits &= bits - 1) {
        const int32_t i = int32_t(w * 64) + __builtin_ctzll(bits);
        const uint8_t codeByte = codeRow[size_t(i)];
        if (i + 1 < codeBytes && litEnd - lit >= 4) {
          PlaceLiterals(row + 4 * i, codeByte, lit);
          lit += LiteralSize(codeByte);
        } else {
          // The last code byte may have no high group: its nibble means nothing.
          const uint8_t used = 2 * i + 1 < groups ? codeByte : codeByte | 0xF0;
          if (uint32_t(litEnd - lit) < LiteralSize(used)) return false;
          PlaceLiteralsCarefully(row + 4 * i, used, lit);
          lit += LiteralSize(used);
        }
      }
    }
    CopyGroups(row, codeRow.data(), groups, pairs);
  }
  return lit == litEnd;
}
