#include "archive/lzh_decoder.h"

#include <array>
#include <cstring>

// Block layout, most significant bit first:
//   16        number of codes in the block (at least 1)
//   table T   code lengths of the length-code alphabet (19 symbols), 5-bit count
//   table C   code lengths of the 510 literal/length symbols, coded with T, 9-bit count
//   table P   code lengths of the distance-bit-count symbols (dictionaryBits + 1), 4 or 5 bit
//   codes     C symbol < 256: a literal byte; else a match of (symbol - 253) bytes whose
//             distance - 1 is the P symbol j: 0 for j = 0, else 2^(j-1) + (j - 1) more bits
// A table whose count is 0 holds one symbol (the next field) that takes no bits at all.
// Table lengths: 3 bits, 7 continued by one more for every following 1 bit then a 0; in T,
// after the third length, 2 bits of zero lengths follow. C lengths come as T symbols:
// 0 one zero, 1 (4 bits + 3) zeros, 2 (9 bits + 20) zeros, n > 2 the length n - 2.

namespace {

constexpr int kLiteralSymbols = 256;
constexpr int kMinMatch = 3;
constexpr int kCSymbols = 256 + 256 - kMinMatch + 1;  // 510: lengths 3..256
constexpr int kTSymbols = 19;
constexpr int kMaxCodeLength = 16;

class BitReader {
 public:
  explicit BitReader(RangeInput& input) : input_(input) { Fill(); }

  uint32_t Peek16() const { return uint32_t(bits_ >> 48); }
  void Skip(int n) {
    bits_ <<= n;
    have_ -= n;
    if (have_ < 16) Fill();
  }
  uint32_t Get(int n) {
    if (n == 0) return 0;
    const uint32_t v = uint32_t(bits_ >> (64 - n));
    Skip(n);
    return v;
  }
  // True once bits past the real input (the zeros fed in after it) have been taken.
  bool Overrun() const { return int64_t(padding_) * 8 > have_; }

 private:
  void Fill() {
    while (have_ <= 56) {
      int byte = input_.Next();
      if (byte < 0) {
        byte = 0;
        if (padding_ < 64) ++padding_;
      }
      bits_ |= uint64_t(byte) << (56 - have_);
      have_ += 8;
    }
  }

  RangeInput& input_;
  uint64_t bits_ = 0;
  int have_ = 0;
  int padding_ = 0;
};

// Canonical prefix code: shorter codes first, equal lengths in symbol order.
class HuffmanTable {
 public:
  static constexpr int kFastBits = 10;

  void SetSingle(int symbol) { single_ = symbol; }

  // False when the lengths over-subscribe the code space. Unused codes of an incomplete
  // code decode as -1.
  bool Build(const uint8_t* lengths, int n) {
    single_ = -1;
    count_.fill(0);
    for (int i = 0; i < n; ++i) ++count_[lengths[i]];
    count_[0] = 0;
    int32_t left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      left = left * 2 - count_[len];
      if (left < 0) return false;
    }
    uint32_t code = 0;
    uint16_t index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      code = (code + count_[len - 1]) << 1;
      first_[len] = code;
      index_[len] = index;
      index += count_[len];
    }
    std::array<uint32_t, kMaxCodeLength + 1> next = first_;
    std::array<uint16_t, kMaxCodeLength + 1> slot = index_;
    fast_.fill(0);
    for (int s = 0; s < n; ++s) {
      const int len = lengths[s];
      if (len == 0) continue;
      symbols_[slot[len]++] = uint16_t(s);
      const uint32_t c = next[len]++;
      if (len <= kFastBits) {
        const uint32_t base = c << (kFastBits - len);
        for (uint32_t k = 0; k < (1u << (kFastBits - len)); ++k) {
          fast_[base + k] = uint16_t(len << 10 | s);
        }
      }
    }
    return true;
  }

  int Decode(BitReader& in) const {
    if (single_ >= 0) return single_;
    const uint32_t peek = in.Peek16();
    const uint16_t e = fast_[peek >> (16 - kFastBits)];
    if (e != 0) {
      in.Skip(e >> 10);
      return e & 0x3FF;
    }
    for (int len = kFastBits + 1; len <= kMaxCodeLength; ++len) {
      const uint32_t code = peek >> (16 - len);
      if (code >= first_[len] && code - first_[len] < count_[len]) {
        in.Skip(len);
        return symbols_[index_[len] + code - first_[len]];
      }
    }
    return -1;
  }

 private:
  int single_ = -1;
  std::array<uint16_t, kMaxCodeLength + 1> count_{};
  std::array<uint32_t, kMaxCodeLength + 1> first_{};
  std::array<uint16_t, kMaxCodeLength + 1> index_{};
  std::array<uint16_t, kCSymbols> symbols_{};
  std::array<uint16_t, 1 << kFastBits> fast_{};
};

// T and P tables: a count of `countBits`, then lengths; `special` is the position after
// which 2 bits of zero lengths follow (-1: none).
bool ReadLengthTable(BitReader& in, HuffmanTable& table, int symbols, int countBits,
                     int special) {
  const int n = int(in.Get(countBits));
  if (n == 0) {
    const int c = int(in.Get(countBits));
    if (c >= symbols) return false;
    table.SetSingle(c);
    return true;
  }
  if (n > symbols) return false;
  uint8_t lengths[kTSymbols + 1] = {};
  int i = 0;
  while (i < n) {
    int c = int(in.Get(3));
    if (c == 7) {
      while (in.Get(1) == 1) {
        if (++c > kMaxCodeLength) return false;
      }
    }
    lengths[i++] = uint8_t(c);
    if (i == special) {
      int zeros = int(in.Get(2));
      while (zeros-- > 0 && i < symbols) lengths[i++] = 0;
    }
  }
  return table.Build(lengths, symbols);
}

bool ReadCTable(BitReader& in, const HuffmanTable& t, HuffmanTable& table) {
  const int n = int(in.Get(9));
  if (n == 0) {
    const int c = int(in.Get(9));
    if (c >= kCSymbols) return false;
    table.SetSingle(c);
    return true;
  }
  if (n > kCSymbols) return false;
  uint8_t lengths[kCSymbols] = {};
  int i = 0;
  while (i < n) {
    const int c = t.Decode(in);
    if (c < 0) return false;
    if (c <= 2) {
      const int zeros = c == 0 ? 1 : c == 1 ? int(in.Get(4)) + 3 : int(in.Get(9)) + 20;
      if (zeros > kCSymbols - i) return false;
      i += zeros;  // already zero
    } else {
      lengths[i++] = uint8_t(c - 2);
    }
  }
  return table.Build(lengths, kCSymbols);
}

std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0xA001 : c >> 1;
    table[i] = uint16_t(c);
  }
  return table;
}

}  // namespace

uint16_t LzhCrc16(uint16_t crc, const uint8_t* data, size_t n) {
  static const std::array<uint16_t, 256> table = MakeCrcTable();
  for (size_t i = 0; i < n; ++i) crc = uint16_t(table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
  return crc;
}

ArchiveError DecodeLzh(RangeInput& input, int dictionaryBits, uint8_t* out, uint32_t size) {
  const int pSymbols = dictionaryBits + 1;
  const int pCountBits = dictionaryBits == 13 ? 4 : 5;
  BitReader in(input);
  HuffmanTable t, c, p;
  uint32_t pos = 0;
  while (pos < size) {
    uint32_t codes = in.Get(16);
    if (codes == 0 || in.Overrun()) return ArchiveError::Data;
    if (!ReadLengthTable(in, t, kTSymbols, 5, 3) || !ReadCTable(in, t, c) ||
        !ReadLengthTable(in, p, pSymbols, pCountBits, -1)) {
      return ArchiveError::Data;
    }
    for (; codes > 0 && pos < size; --codes) {
      const int symbol = c.Decode(in);
      if (symbol < 0) return ArchiveError::Data;
      if (symbol < kLiteralSymbols) {
        out[pos++] = uint8_t(symbol);
      } else {
        const uint32_t length = uint32_t(symbol - kLiteralSymbols + kMinMatch);
        const int j = p.Decode(in);
        if (j < 0) return ArchiveError::Data;
        const uint32_t distance = (j == 0 ? 0 : (1u << (j - 1)) + in.Get(j - 1)) + 1;
        if (distance > pos || length > size - pos) return ArchiveError::Data;
        const uint8_t* from = out + pos - distance;
        if (distance >= length) {
          std::memcpy(out + pos, from, length);
        } else {
          for (uint32_t k = 0; k < length; ++k) out[pos + k] = from[k];
        }
        pos += length;
      }
      if (in.Overrun()) return ArchiveError::Data;
    }
  }
  if (in.Overrun() || input.Failed()) return ArchiveError::Data;
  return ArchiveError::None;
}
