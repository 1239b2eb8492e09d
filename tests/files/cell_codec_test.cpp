#include "files/cell_codec.h"

#include <gtest/gtest.h>

#include <random>

#include "model/cell_surface.h"

namespace {

std::vector<uint8_t> Encode(const CellSurface& cell) {
  std::vector<uint8_t> out;
  CellEncoder().Encode(cell, out);
  return out;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// Decodes a record produced by Encode into a cell of the given size.
bool Decode(const std::vector<uint8_t>& record, CellSurface& cell) {
  const uint32_t codes = U32At(record, 0), literals = U32At(record, 4);
  const size_t map = size_t(CellMapBytesPerRow(cell.Width())) * size_t(cell.Height());
  if (record.size() != 8 + map + codes + literals) return false;
  return DecodeCell(cell, record.data() + 8, record.data() + 8 + map, codes,
                    record.data() + 8 + map + codes, literals);
}

// The group-by-group decoder, for comparison with the run decoder.
void SlowDecode(const std::vector<uint8_t>& record, CellSurface& cell) {
  const int32_t w = cell.Width(), h = cell.Height();
  const int32_t g = CellCodeBytesPerRow(w), b = CellMapBytesPerRow(w);
  const uint32_t codesSize = U32At(record, 0);
  const uint8_t* map = record.data() + 8;
  const uint8_t* codes = map + size_t(b) * size_t(h);
  const uint8_t* lit = codes + codesSize;
  std::vector<uint8_t> row(size_t(g), 0x11);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t i = 0; i < g; ++i)
      if (map[y * b + i / 8] & (1 << (i % 8))) row[size_t(i)] = *codes++;
    for (int32_t x = 0; x < w; x += 4) {
      const int gi = x / 4;
      const int code = (gi & 1) ? row[size_t(gi / 2)] >> 4 : row[size_t(gi / 2)] & 15;
      uint16_t v;
      if (code == 0) {
        v = uint16_t(lit[0] | (lit[1] << 8));
        lit += 2;
      } else {
        v = cell.GetUnit(x + kCellCodes[code].dx, y + kCellCodes[code].dy);
      }
      cell.SetUnit(x, y, v);
    }
  }
}

// The coder walked group by group exactly as the file format describes it.
std::vector<uint8_t> SlowEncode(const CellSurface& cell) {
  const int32_t w = cell.Width(), h = cell.Height();
  const int32_t g = CellCodeBytesPerRow(w), b = CellMapBytesPerRow(w);
  std::vector<uint8_t> map(size_t(b) * size_t(h)), codes, literals;
  std::vector<uint8_t> prev(static_cast<size_t>(g), 0x11), cur(static_cast<size_t>(g), 0);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; x += 4) {
      const int gi = x / 4;
      const uint16_t v = cell.GetUnit(x, y);
      auto fits = [&](int c) {
        const int rx = x + kCellCodes[c].dx, ry = y + kCellCodes[c].dy;
        return rx >= 0 && ry >= 0 && cell.GetUnit(rx, ry) == v;
      };
      int code = (gi & 1) ? prev[size_t(gi / 2)] >> 4 : prev[size_t(gi / 2)] & 15;
      if (code == 0 || !fits(code)) {
        code = 0;
        for (int c : {1, 4, 5, 6, 7, 9, 10, 2, 8, 11, 12, 13, 14, 3, 15}) {
          if (fits(c)) {
            code = c;
            break;
          }
        }
      }
      if (code == 0) {
        literals.push_back(uint8_t(v));
        literals.push_back(uint8_t(v >> 8));
      }
      if (gi & 1) cur[size_t(gi / 2)] |= uint8_t(code << 4);
      else cur[size_t(gi / 2)] = uint8_t(code);
    }
    for (int32_t i = 0; i < g; ++i) {
      if (cur[size_t(i)] != prev[size_t(i)]) {
        codes.push_back(cur[size_t(i)]);
        map[size_t(y * b + i / 8)] |= uint8_t(1 << (i % 8));
      }
    }
    prev = cur;
  }
  std::vector<uint8_t> out;
  for (uint32_t n : {uint32_t(codes.size()), uint32_t(literals.size())})
    for (int k = 0; k < 4; ++k) out.push_back(uint8_t(n >> (8 * k)));
  out.insert(out.end(), map.begin(), map.end());
  out.insert(out.end(), codes.begin(), codes.end());
  out.insert(out.end(), literals.begin(), literals.end());
  return out;
}

void FillLineArt(CellSurface& cell, uint32_t seed) {
  std::mt19937 rng(seed);
  cell.Clear(0);
  for (int n = 0; n < 12; ++n) {
    const int x0 = int(rng() % uint32_t(cell.Width())), y0 = int(rng() % uint32_t(cell.Height()));
    const int w = int(rng() % 20) + 1, h = int(rng() % 12) + 1, v = int(rng() % 16);
    const bool noisy = rng() % 3 == 0;
    for (int y = y0; y < std::min(cell.Height(), y0 + h); ++y)
      for (int x = x0; x < std::min(cell.Width(), x0 + w); ++x)
        cell.SetPixel(x, y, noisy ? int(rng() % 16) : ((x + y) % 4 == 0 ? v : 1));
  }
}

TEST(CellCodec, AllZeroSixteenByThreeIsFifteenBytes) {
  CellSurface cell;
  cell.Create(16, 3, 0);
  const std::vector<uint8_t> expected = {2, 0, 0, 0, 2, 0, 0, 0, 0x01, 0x01, 0x00,
                                         0x10, 0x14, 0x00, 0x00};
  EXPECT_EQ(Encode(cell), expected);
}

TEST(CellCodec, OddGroupCountLeavesTheSpareNibbleZero) {
  CellSurface cell;
  cell.Create(12, 1, 0);  // 3 groups, 2 code bytes
  const std::vector<uint8_t> record = Encode(cell);
  // Row 0: group 0 literal, groups 1 and 2 copy left: bytes 0x10 and 0x01.
  const std::vector<uint8_t> expected = {2, 0, 0, 0, 2, 0, 0, 0, 0x03, 0x10, 0x01, 0x00, 0x00};
  EXPECT_EQ(record, expected);
}

TEST(CellCodec, RoundTripsOddWidthsAndOnePixelCells) {
  for (int32_t w : {1, 2, 3, 5, 7, 8, 9, 15, 17, 33, 63, 64, 65, 130}) {
    for (int32_t h : {1, 2, 17, 40, 70}) {
      CellSurface cell, back, slow;
      cell.Create(w, h, 0);
      FillLineArt(cell, uint32_t(w * 100 + h));
      const std::vector<uint8_t> record = Encode(cell);
      ASSERT_EQ(record, SlowEncode(cell)) << w << "x" << h;
      back.Create(w, h, 5);
      slow.Create(w, h, 5);
      ASSERT_TRUE(Decode(record, back)) << w << "x" << h;
      SlowDecode(record, slow);
      // Every coded byte (whole groups, padding pixels included) comes back.
      const size_t coded = size_t((w + 3) / 4) * 2;
      for (int32_t y = 0; y < h; ++y) {
        ASSERT_EQ(0, std::memcmp(back.Row(y), cell.Row(y), coded)) << w << "x" << h << " row " << y;
        ASSERT_EQ(0, std::memcmp(slow.Row(y), cell.Row(y), coded)) << w << "x" << h << " row " << y;
      }
    }
  }
}

TEST(CellCodec, LongRunsOfOneCodeRoundTrip) {
  // Random vertical stripes: a first row of literals, then rows that copy the row above,
  // sixteen groups of one code at a time. From row 17 on, group 20 repeats group 19 (the
  // last of such a run), and a flat band crosses the stripes lower down.
  std::mt19937 rng(5);
  CellSurface cell, back;
  cell.Create(200, 40, 0);
  std::vector<int> column(200);
  for (int& v : column) v = int(rng() % 16);
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 200; ++x) {
      int v = column[size_t(x)];
      if (y >= 17 && x >= 80 && x < 84) v = column[size_t(x - 4)];
      if (y >= 30 && y < 34 && x >= 100) v = 7;
      cell.SetPixel(x, y, v);
    }
  const std::vector<uint8_t> record = Encode(cell);
  ASSERT_EQ(record, SlowEncode(cell));
  back.Create(200, 40, 3);
  ASSERT_TRUE(Decode(record, back));
  for (int32_t y = 0; y < 40; ++y) ASSERT_EQ(0, std::memcmp(back.Row(y), cell.Row(y), 100)) << "row " << y;
}

TEST(CellCodec, DamagedRecordsFail) {
  CellSurface cell;
  cell.Create(16, 4, 0);
  FillLineArt(cell, 7);
  std::vector<uint8_t> record = Encode(cell);
  CellSurface out;
  out.Create(16, 4, 0);

  // A copy code whose reference lies above the first row.
  {
    const uint8_t map[4] = {1, 0, 0, 0};
    const uint8_t codes[1] = {0x44};
    EXPECT_FALSE(DecodeCell(out, map, codes, 1, nullptr, 0));
  }
  // Code 3 reaches 16 pixels left, outside a row's first groups.
  {
    const uint8_t map[4] = {1, 0, 0, 0};
    const uint8_t codes[1] = {0x30};
    const uint8_t lit[2] = {0, 0};
    EXPECT_FALSE(DecodeCell(out, map, codes, 1, lit, 2));
  }
  // A code that changes lower down can still reach above the first row (code 9: four rows
  // up, from row 3), or left of the first group (code 3 in group 3 of row 16).
  {
    const uint8_t map[4] = {3, 0, 0, 2};
    const uint8_t lit[40] = {};  // one literal a row
    const uint8_t fine[3] = {0x10, 0x11, 0x66}, above[3] = {0x10, 0x11, 0x99};
    EXPECT_TRUE(DecodeCell(out, map, fine, 3, lit, 8));
    EXPECT_FALSE(DecodeCell(out, map, above, 3, lit, 8));
    CellSurface tall;
    tall.Create(16, 20, 0);
    uint8_t tallMap[20] = {3};
    tallMap[16] = 2;
    const uint8_t left[3] = {0x10, 0x11, 0x31};
    EXPECT_FALSE(DecodeCell(tall, tallMap, left, 3, lit, 40));
    tallMap[16] = 0;
    EXPECT_TRUE(DecodeCell(tall, tallMap, left, 2, lit, 40));
  }
  // Codes that run out, and literals that run out or are left over.
  {
    const uint8_t map[4] = {3, 1, 1, 1};
    const uint8_t codes[2] = {0x00, 0x00};
    const uint8_t lit[16] = {};
    EXPECT_FALSE(DecodeCell(out, map, codes, 2, lit, 16));
    const uint8_t all[5] = {0x00, 0x00, 0x44, 0x44, 0x44};
    EXPECT_FALSE(DecodeCell(out, map, all, 5, lit, 6));
    EXPECT_FALSE(DecodeCell(out, map, all, 5, lit, 10));
  }
}

}  // namespace
