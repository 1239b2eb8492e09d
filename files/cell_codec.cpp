#include "files/cell_codec.h"

#include "model/unaligned.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#if defined(__SSE2__) && !defined(ORVINA_PORTABLE_CODEC)
#include <emmintrin.h>
#endif

#include "model/raster_surface.h"

namespace {

inline bool RefInside(int code, int32_t x, int32_t y) {
  return x + kCellCodes[code].dx >= 0 && y + kCellCodes[code].dy >= 0;
}

// Byte offset from a group to the unit code `code` copies, for a row stride; a literal
// (code 0) points at the group itself.
constexpr ptrdiff_t SourceOffset(int code, ptrdiff_t stride) {
  return kCellCodes[code].dy * stride + kCellCodes[code].dx / 2;
}

// The source offsets of every code, for a row stride.
struct CodeOffsets {
  ptrdiff_t bytes[16];
  explicit CodeOffsets(int32_t stride) {
    for (int c = 0; c < 16; ++c) bytes[c] = SourceOffset(c, stride);
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

// The source unit of code `Code` for the group at `p`.
template <int Code>
inline int SourceUnit(const uint8_t* p, ptrdiff_t stride) {
  return LoadUnit(p + SourceOffset(Code, stride));
}

#if defined(__SSE2__) && !defined(ORVINA_PORTABLE_CODEC)
inline __m128i LoadVector(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Lane k: the unit at `block` + 2k + the offset of code byte k of `codes`.
template <size_t... Lane>
inline __m128i CodedSources(const uint8_t* block, uint64_t codes, const CodeOffsets& offsets,
                            std::index_sequence<Lane...>) {
  __m128i units = _mm_setzero_si128();
  ((units = _mm_insert_epi16(units, LoadUnit(block + 2 * Lane + offsets.bytes[(codes >> (8 * Lane)) & 0xFF]), Lane)),
   ...);
  return units;
}

// Lane k: the source unit of code First + k of the search order, for the group at `p`.
template <size_t First, size_t... Lane>
inline __m128i SearchedSources(const uint8_t* p, ptrdiff_t stride, std::index_sequence<Lane...>) {
  __m128i units = _mm_setzero_si128();
  ((units = _mm_insert_epi16(units, SourceUnit<kCellCodeSearchOrder[First + Lane]>(p, stride), Lane)), ...);
  return units;
}

// Bit k: 16-bit lane k of `a` (then of `b`, from bit 8) equals that of `c` (of `d`).
inline uint32_t EqualLanes(__m128i a, __m128i c, __m128i b, __m128i d) {
  return uint32_t(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, c), _mm_cmpeq_epi16(b, d))));
}
#endif

// Bit k set: group k of the sixteen at `block` equals the unit its code (a byte of `above`)
// points at. A literal, pointing at its own group, counts as equal here.
inline uint32_t FitsAbove(const uint8_t* block, const uint8_t* above, const CodeOffsets& offsets) {
#if defined(__SSE2__) && !defined(ORVINA_PORTABLE_CODEC)
  const auto eight = std::make_index_sequence<8>();
  return EqualLanes(CodedSources(block, Load64(above), offsets, eight), LoadVector(block),
                    CodedSources(block + 16, Load64(above + 8), offsets, eight), LoadVector(block + 16));
#else
  uint32_t fits = 0;
  for (int k = 0; k < 16; ++k)
    fits |= uint32_t(LoadUnit(block + 2 * k + offsets.bytes[above[k]]) == LoadUnit(block + 2 * k)) << k;
  return fits;
#endif
}

// The first code in the search order whose source equals the group at `p`, 0 (a literal)
// when none does. Every source must lie inside the cell.
inline uint8_t FirstMatch(const uint8_t* p, ptrdiff_t stride) {
#if defined(__SSE2__) && !defined(ORVINA_PORTABLE_CODEC)
  static constexpr std::array<uint8_t, 16> kCodeOfLane = [] {
    std::array<uint8_t, 16> codes{};  // lane 15 holds no code: a literal
    for (size_t k = 0; k < 15; ++k) codes[k] = kCellCodeSearchOrder[k];
    return codes;
  }();
  const __m128i v = _mm_set1_epi16(short(LoadUnit(p)));
  const uint32_t matches = EqualLanes(SearchedSources<0>(p, stride, std::make_index_sequence<8>()), v,
                                      SearchedSources<8>(p, stride, std::make_index_sequence<7>()), v);
  return kCodeOfLane[size_t(__builtin_ctz((matches & 0x7FFF) | 0x8000))];
#else
  const int v = LoadUnit(p);
  for (uint8_t c : kCellCodeSearchOrder)
    if (LoadUnit(p + SourceOffset(c, stride)) == v) return c;
  return 0;
#endif
}

// Bit k set: byte k of the sixteen at `codes` is 0.
inline uint32_t ZeroBytes(const uint8_t* codes) {
#if defined(__SSE2__) && !defined(ORVINA_PORTABLE_CODEC)
  return uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(LoadVector(codes), _mm_setzero_si128())));
#else
  uint32_t zeros = 0;
  for (int k = 0; k < 16; ++k) zeros |= uint32_t(codes[k] == 0) << k;
  return zeros;
#endif
}

}  // namespace

void CellEncoder::Encode(const RasterSurface& cell, std::vector<uint8_t>& out) {
  const int32_t width = cell.Width();
  const int32_t height = cell.Height();
  const int32_t codeBytes = CellCodeBytesPerRow(width);
  const int32_t mapBytes = CellMapBytesPerRow(width);
  const int32_t groups = (width + 3) / 4;
  const CodeOffsets offsets(cell.Stride());  // a literal is checked apart
  const ptrdiff_t stride = cell.Stride();

  map_.assign(size_t(mapBytes) * size_t(height), 0);
  // Room for the worst case, so the row loop writes without checks; kept between cells.
  uint8_t* const codesStart = codes_.Room(size_t(codeBytes) * size_t(height) + 8);
  uint8_t* const literalsStart = literals_.Room(size_t(groups) * size_t(height) * 2);
  uint8_t* codesOut = codesStart;
  uint8_t* literalsOut = literalsStart;
  // A code a group, and the code bytes they make; the row above the first is all code 1.
  previous_.assign(size_t(2 * codeBytes) + 16, 1);
  current_.assign(size_t(2 * codeBytes) + 16, 0);

  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = cell.Row(y);
    uint8_t* cur = current_.data();
    const uint8_t* above = previous_.data();
    uint8_t* mapRow = map_.data() + size_t(y) * size_t(mapBytes);
    // The first match in the search order; a literal (stored) when none matches. Checked:
    // only copies from inside the cell count.
    auto search = [&](int32_t g, bool checked) {
      const uint8_t* p = row + 2 * g;
      uint8_t code = 0;
      if (!checked) {
        code = FirstMatch(p, stride);
      } else {
        for (uint8_t c : kCellCodeSearchOrder) {
          if (RefInside(c, 4 * g, y) && LoadUnit(p + offsets.bytes[c]) == LoadUnit(p)) {
            code = c;
            break;
          }
        }
      }
      std::memcpy(literalsOut, p, 2);  // there is room: at most one literal a group
      literalsOut += code == 0 ? 2 : 0;
      return code;
    };
    // The code above when it fits, else the search's.
    auto choose = [&](int32_t g, bool checked) {
      const uint8_t c = above[g];
      const uint8_t* p = row + 2 * g;
      cur[g] = c != 0 && (!checked || RefInside(c, 4 * g, y)) && LoadUnit(p + offsets.bytes[c]) == LoadUnit(p)
                   ? c
                   : search(g, checked);
    };
    // Map bits and code bytes of code bytes from .. to - 1, one at a time.
    auto emit = [&](int32_t from, int32_t to) {
      for (int32_t i = from; i < to; ++i) {
        const uint8_t now = uint8_t(cur[2 * i] | cur[2 * i + 1] << 4);
        if (now != uint8_t(above[2 * i] | above[2 * i + 1] << 4)) {
          mapRow[i >> 3] |= uint8_t(1 << (i & 7));
          *codesOut++ = now;
        }
      }
    };
    cur[groups] = 0;  // the high nibble of a last code byte with one group
    // Near the top and left edges a copy can refer outside the cell: check each group. The
    // rest starts at a map byte.
    const int32_t checkedGroups = y < 16 ? groups : std::min(groups, 4);
    int32_t g = 0;
    for (; g < checkedGroups; ++g) choose(g, true);
    for (; g < std::min(groups, 16); ++g) choose(g, false);
    emit(0, (g + 1) / 2);
    // Sixteen groups at a time, eight code bytes, one map byte: each group is tried with the
    // code above it, and only those it does not fit are searched.
    for (; g + 16 <= groups; g += 16) {
      std::memcpy(cur + g, above + g, 16);
      uint32_t misfits = (~FitsAbove(row + 2 * g, above + g, offsets) | ZeroBytes(above + g)) & 0xFFFF;
      if (misfits == 0) continue;
      uint32_t changed = 0;
      for (; misfits; misfits &= misfits - 1) {
        const int k = __builtin_ctz(misfits);
        const uint8_t code = search(g + k, false);
        cur[g + k] = code;
        changed |= uint32_t(code != above[g + k]) << k;
      }
      // A code byte changes with either of its groups.
      uint32_t bytes = (changed | changed >> 1) & 0x5555;
      bytes = (bytes | bytes >> 1) & 0x3333;
      bytes = (bytes | bytes >> 2) & 0x0F0F;
      bytes = (bytes | bytes >> 4) & 0x00FF;
      mapRow[g >> 4] = uint8_t(bytes);
      for (; bytes; bytes &= bytes - 1) {
        const int32_t i = g / 2 + __builtin_ctz(bytes);
        *codesOut++ = uint8_t(cur[2 * i] | cur[2 * i + 1] << 4);
      }
    }
    const int32_t tailFrom = (g + 1) / 2;
    for (; g < groups; ++g) choose(g, false);
    emit(tailFrom, codeBytes);
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

// Bytes of literals a code byte takes: two for each zero nibble.
constexpr std::array<uint8_t, 256> kLiteralSize = [] {
  std::array<uint8_t, 256> sizes{};
  for (int b = 0; b < 256; ++b) sizes[size_t(b)] = uint8_t(2 * (int((b & 0x0F) == 0) + int((b & 0xF0) == 0)));
  return sizes;
}();
inline uint32_t LiteralSize(uint8_t codeByte) { return kLiteralSize[codeByte]; }

// Whether either group of a code byte is a literal.
inline bool HoldsLiteral(uint8_t codeByte) { return kLiteralSize[codeByte] != 0; }

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
  const CodeOffsets offsets(cell.Stride());
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
      uint8_t* const codeWord = codeRow.data() + m * 8;
      if (codesSize - nextCode >= 64 && y >= 16 && (m > 0 || (bits & 3) == 0)) {
        // Away from the edges, with codes enough for every bit.
        for (; bits; bits &= bits - 1) {
          const int k = __builtin_ctzll(bits);
          const uint8_t codeByte = codes[nextCode++];
          codeWord[k] = codeByte;
          holding |= uint64_t(HoldsLiteral(codeByte)) << k;
        }
      }
      for (; bits; bits &= bits - 1) {
        if (nextCode == codesSize) return false;
        const int k = __builtin_ctzll(bits);
        const uint8_t codeByte = codes[nextCode++];
        if (NearEdge(m * 8 + k, y) && !CopiesInside(codeByte, m * 8 + k, y, groups)) return false;
        codeWord[k] = codeByte;
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
