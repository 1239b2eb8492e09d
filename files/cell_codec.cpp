#include "files/cell_codec.h"

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

// Copies `n` bytes forward from `distance` bytes back, repeating the pattern.
inline void RepeatBack(uint8_t* dst, size_t distance, size_t n) {
  size_t done = 0;
  size_t period = distance;
  while (done < n) {
    const size_t chunk = period < n - done ? period : n - done;
    std::memcpy(dst + done, dst + done - period, chunk);
    done += chunk;
    period *= 2;
  }
}

}  // namespace

void CellEncoder::Encode(const RasterSurface& cell, std::vector<uint8_t>& out) {
  const int32_t width = cell.Width();
  const int32_t height = cell.Height();
  const int32_t codeBytes = CellCodeBytesPerRow(width);
  const int32_t mapBytes = CellMapBytesPerRow(width);
  const int32_t groups = (width + 3) / 4;

  map_.assign(size_t(mapBytes) * size_t(height), 0);
  codes_.clear();
  literals_.clear();
  previous_.assign(size_t(codeBytes), 0x11);
  current_.assign(size_t(codeBytes), 0);

  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = cell.Row(y);
    uint8_t* cur = current_.data();
    const uint8_t* prev = previous_.data();
    for (int32_t g = 0; g < groups; ++g) {
      const int32_t x = g * 4;
      const uint16_t v = LoadUnit(row + x / 2);
      int code = Nibble(prev, g);
      auto matches = [&](int c) {
        return RefInside(c, x, y) &&
               LoadUnit(cell.Row(y + kCellCodes[c].dy) + (x + kCellCodes[c].dx) / 2) == v;
      };
      if (code == 0 || !matches(code)) {
        code = 0;
        for (uint8_t c : kCellCodeSearchOrder) {
          if (matches(c)) {
            code = c;
            break;
          }
        }
        if (code == 0) {
          literals_.push_back(row[x / 2]);
          literals_.push_back(row[x / 2 + 1]);
        }
      }
      if (g & 1) cur[g >> 1] |= uint8_t(code << 4);
      else cur[g >> 1] = uint8_t(code);
    }
    uint8_t* mapRow = map_.data() + size_t(y) * size_t(mapBytes);
    for (int32_t i = 0; i < codeBytes; ++i) {
      if (cur[i] != prev[i]) {
        codes_.push_back(cur[i]);
        mapRow[i >> 3] |= uint8_t(1u << (i & 7));
      }
    }
    previous_.swap(current_);
  }

  const uint32_t codesSize = uint32_t(codes_.size());
  const uint32_t literalsSize = uint32_t(literals_.size());
  const uint8_t sizes[8] = {uint8_t(codesSize),        uint8_t(codesSize >> 8),
                            uint8_t(codesSize >> 16),  uint8_t(codesSize >> 24),
                            uint8_t(literalsSize),     uint8_t(literalsSize >> 8),
                            uint8_t(literalsSize >> 16), uint8_t(literalsSize >> 24)};
  out.insert(out.end(), sizes, sizes + 8);
  out.insert(out.end(), map_.begin(), map_.end());
  out.insert(out.end(), codes_.begin(), codes_.end());
  out.insert(out.end(), literals_.begin(), literals_.end());
}

bool DecodeCell(RasterSurface& cell, const uint8_t* map, const uint8_t* codes,
                uint32_t codesSize, const uint8_t* literals, uint32_t literalsSize) {
  const int32_t width = cell.Width();
  const int32_t height = cell.Height();
  const int32_t codeBytes = CellCodeBytesPerRow(width);
  const int32_t mapBytes = CellMapBytesPerRow(width);
  const int32_t groups = (width + 3) / 4;
  std::vector<uint8_t> codeRow(size_t(codeBytes), 0x11);
  uint32_t nextCode = 0;
  uint32_t nextLiteral = 0;

  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* mapRow = map + size_t(y) * size_t(mapBytes);
    for (int32_t m = 0; m < mapBytes; ++m) {
      uint32_t bits = mapRow[m];
      while (bits) {
        const int32_t i = m * 8 + __builtin_ctz(bits);
        bits &= bits - 1;
        if (i >= codeBytes) continue;  // bits past the row's code bytes mean nothing
        if (nextCode >= codesSize) return false;
        codeRow[size_t(i)] = codes[nextCode++];
      }
    }
    uint8_t* row = cell.Row(y);
    int32_t g = 0;
    while (g < groups) {
      const int code = Nibble(codeRow.data(), g);
      const int32_t start = g;
      // Whole code bytes of the same code in both nibbles go two groups at a time.
      ++g;
      const uint8_t pair = uint8_t(code * 0x11);
      if (g & 1) {
        if (g < groups && Nibble(codeRow.data(), g) == code) ++g;
      }
      while (g + 1 < groups && codeRow[size_t(g >> 1)] == pair) g += 2;
      while (g < groups && Nibble(codeRow.data(), g) == code) ++g;
      const size_t bytes = size_t(g - start) * 2;
      uint8_t* dst = row + start * 2;
      if (code == 0) {
        if (literalsSize - nextLiteral < bytes) return false;
        std::memcpy(dst, literals + nextLiteral, bytes);
        nextLiteral += uint32_t(bytes);
        continue;
      }
      const int32_t x = start * 4;
      if (!RefInside(code, x, y)) return false;
      const CellCode c = kCellCodes[code];
      if (c.dy == 0) {
        RepeatBack(dst, size_t(-c.dx / 2), bytes);
      } else {
        std::memcpy(dst, cell.Row(y + c.dy) + (x + c.dx) / 2, bytes);
      }
    }
  }
  return nextLiteral == literalsSize;
}
