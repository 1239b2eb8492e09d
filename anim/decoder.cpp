#include "anim/decoder.h"

#include "model/unaligned.h"

#include <algorithm>
#include <bit>
#include <cstring>

// Pixel words are loaded 4 bytes at a time; byte k of a load is pixel k.
static_assert(std::endian::native == std::endian::little);


namespace {


// Two literal bytes (in bits 0-7 and 16-23) as 4 pixel bytes: low nibble, high nibble.
inline uint32_t Spread16(uint32_t v) { return (v | v << 4) & 0x0F0F0F0F; }

// A 4-level literal byte (2 bits a pixel from bit 0) as 4 pixel bytes, pixel k in byte k.
struct Literal4Table {
  uint32_t word[256];
  Literal4Table() {
    for (int b = 0; b < 256; ++b) {
      uint8_t px[4];
      ov::UnpackLiteral4(uint8_t(b), px);
      word[b] = px[0] | px[1] << 8 | px[2] << 16 | uint32_t(px[3]) << 24;
    }
  }
};
const Literal4Table kLiteral4;

// Set bits of a byte (a table: the baseline instruction sets have no bit count).
struct BitCountTable {
  uint8_t count[256];
  constexpr BitCountTable() : count() {
    for (int b = 0; b < 256; ++b) {
      for (int v = b; v; v >>= 1) count[b] = uint8_t(count[b] + (v & 1));
    }
  }
  constexpr uint8_t operator[](uint32_t b) const { return count[b]; }
};
constexpr BitCountTable kBitCount;

// One frame's pixel data and where it goes.
struct PixelJob {
  const uint8_t* data;  // presence bytes, code bytes, literal bytes
  int64_t have;         // bytes in `data`; reads past them give 0
  uint32_t codeBytes;   // S1
  uint8_t* codes;       // the code row, K bytes of 0x11
  uint8_t* bits;        // the frame buffer's pixel bytes
  int32_t stride;
  Rect rect;            // inside the image, the image inside the buffer
  uint32_t* staging;    // eight rows of `stride` bytes, the last with 17 words more
};

// A bit at the bottom of every nibble of `w` that is 0.
inline uint64_t ZeroNibbles(uint64_t w) {
  uint64_t z = ~w;
  z &= z >> 1;
  z &= z >> 2;
  return z & 0x1111111111111111ull;
}

// The set bits of a word whose bits lie at the bottoms of nibbles.
inline int NibbleBits(uint64_t z) {
  z = (z + (z >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return int((z * 0x0101010101010101ull) >> 56);
}

// The unit `offset` bytes from `p`, as an address: an offset may lead from the frame
// buffer's row into the staged blocks, another block of memory.
inline uintptr_t At(const uint8_t* p, ptrdiff_t offset) {
  return reinterpret_cast<uintptr_t>(p) + uintptr_t(offset);
}

// Which blocks of a code byte's pair are code 1: bit 0 the first, bit 1 the second.
struct LeftTable {
  uint8_t bits[256];
  constexpr LeftTable() : bits() {
    for (int b = 0; b < 256; ++b) bits[b] = uint8_t(((b & 15) == 1) | ((b >> 4) == 1) << 1);
  }
};
constexpr LeftTable kLeft;

// Per code: the byte offset to its source (a literal's is set for each staging row; the
// previous frame's is the block itself) and the shift that brings the source's nibbles to
// the current page. By code byte, for a pair of blocks none of which copies the previous
// frame: the offsets of the first and the second block's sources from the first block
// (codes 1 and 15 get their own block's neighbours, never read), and the code 1 bits. All
// made for the frame, on the stack, where they are reached without a register of their own.
struct StagedCodes {
  ptrdiff_t offset[16] = {};
  int shift[16] = {};
  ptrdiff_t first[256], second[256];
  uint8_t left[256];
  explicit StagedCodes(const ptrdiff_t* delta) {
    for (int c = 1; c < 15; ++c) offset[c] = delta[c];
    shift[ov::kPreviousCode] = 4;
    for (int b = 0; b < 256; ++b) {
      first[b] = offset[b & 15];
      second[b] = offset[b >> 4] + 4;
    }
    std::memcpy(left, kLeft.bits, sizeof left);
  }
  // Literals are staged apart from the row; the distance changes every eight rows.
  void SetLiteralOffset(ptrdiff_t d) {
    offset[ov::kLiteralCode] = d;
    for (int c = 0; c < 16; ++c) first[c << 4] = d, second[c] = d + 4;
  }
};

// One row of blocks whose literals all lie in the record, below the first 8 rows: each
// group of sixteen blocks first stages its literals as current-page words, so every block
// is then a masked copy from an address (the previous frame's from its own, shifted), and
// code 1 takes the address of the block before it, so no block waits for the one just
// stored. Only runs of eight or sixteen blocks of one code are told apart. Returns the
// literal bytes used.
template <int kShift, bool kWide>
int64_t DecodeRowStaged(uint8_t* row, const uint8_t* codes, int32_t blocks, const uint8_t* literals,
                        int32_t rectX, StagedCodes& table, uint32_t* staging) {
  constexpr uint32_t kCurrent = 0x0F0F0F0Fu << kShift, kOther = ~kCurrent;
  constexpr uint64_t kCurrent2 = 0x0F0F0F0F0F0F0F0Full << kShift, kOther2 = ~kCurrent2;
  constexpr int kLiteralBytes = kWide ? 2 : 1;
  const uint8_t* lit = literals;
  auto spread = [](const uint8_t* b) {
    return (kWide ? Spread16(uint32_t(b[0]) | uint32_t(b[1]) << 16) : kLiteral4.word[b[0]]) << kShift;
  };
  // The literals of the sixteen blocks from n0 (codes `w`) to their slots, before the
  // blocks are decoded.
  auto stage = [&](int32_t n0, uint64_t w) {
    const uint64_t valid = blocks - n0 >= 16 ? ~uint64_t(0) : (uint64_t(1) << (4 * (blocks - n0))) - 1;
    uint32_t* const slots = staging + n0;
    for (uint64_t z = ZeroNibbles(w) & valid; z; z &= z - 1) {
      slots[unsigned(__builtin_ctzll(z)) / 4] = spread(lit);
      lit += kLiteralBytes;
    }
  };
  stage(0, Load64(codes));
  ptrdiff_t* const offset = table.offset;
  const int* const shift = table.shift;
  auto page = [](uint32_t word, int s) { return (kShift ? word << s : word >> s) & kCurrent; };
  auto code = [codes](int32_t n) { return (codes[n >> 1] >> (4 * (n & 1))) & 15; };
  uint8_t* dst = row;
  int32_t n = 0;
  // The first blocks may reach left of column 0, which reads black.
  for (; n < 4; ++n, dst += 4) {
    const int c = code(n);
    const bool outside = c >= 1 && c <= 14 && rectX + 4 * n + ov::kBlockOffsets[c].dx < 0;
    const uint32_t value = outside ? 0 : page(Load32(reinterpret_cast<const uint8_t*>(At(dst, offset[c]))), shift[c]);
    Store32(dst, (Load32(dst) & kOther) | value);
  }
  uintptr_t source = reinterpret_cast<uintptr_t>(dst - 4);
  // A block of the previous frame becomes the source of the blocks after it once stored.
  auto step = [&](uint64_t c) {
    const uintptr_t from = At(dst, offset[c]);
    // A choice of two addresses, not a branch: which codes come next follows no pattern a
    // predictor could learn.
    source = __builtin_expect_with_probability(c == 1, 1, 0.5) ? source : from;
    const uint32_t word = Load32(dst);
    Store32(dst, (word & kOther) | page(Load32(reinterpret_cast<const uint8_t*>(source)), shift[c]));
    dst += 4;
  };
  // Blocks none of which copies the previous frame, with no shift to look up: two by
  // their code byte, stored together (codes 2 and 3 reach only blocks stored before).
  const ptrdiff_t* const first = table.first;
  const ptrdiff_t* const second = table.second;
  const uint8_t* const left = table.left;
  auto pairCurrent = [&](uint32_t b) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(dst);
    source = __builtin_expect_with_probability(left[b] & 1, 1, 0.5) ? source : at + uintptr_t(first[b]);
    const uint32_t a = Load32(reinterpret_cast<const uint8_t*>(source));
    source = __builtin_expect_with_probability(left[b] & 2, 1, 0.5) ? source : at + uintptr_t(second[b]);
    const uint64_t value = a | uint64_t(Load32(reinterpret_cast<const uint8_t*>(source))) << 32;
    const uint64_t word = Load64(dst);
    Store64(dst, ((word ^ value) & kCurrent2) ^ word);
    dst += 8;
  };
  if (blocks >= 16 && (ZeroNibbles(~Load64(codes)) & 0x1111111111110000ull) == 0) {
    for (; n < 16; n += 2) pairCurrent(codes[n / 2]);
  }
  for (; n < blocks && (n & 15); ++n) step(uint64_t(code(n)));
  // Blocks of one code (not 2 or 3, which copy from blocks of the run): eight bytes at a time.
  auto run = [&](int c, int count) {
    if (c == 1) {
      const uint64_t value = uint64_t(page(Load32(reinterpret_cast<const uint8_t*>(source)), 0)) * 0x100000001ull;
      for (int k = 0; k < count / 2; ++k) Store64(dst + 8 * k, (Load64(dst + 8 * k) & kOther2) | value);
    } else if (c == ov::kPreviousCode) {
      for (int k = 0; k < count / 2; ++k) {
        const uint64_t word = Load64(dst + 8 * k);
        Store64(dst + 8 * k, (word & kOther2) | ((kShift ? word << 4 : word >> 4) & kCurrent2));
      }
      source = reinterpret_cast<uintptr_t>(dst + 4 * count - 4);
    } else {
      const uint8_t* from = reinterpret_cast<const uint8_t*>(At(dst, offset[c]));
      for (int k = 0; k < count / 2; ++k)
        Store64(dst + 8 * k, (Load64(dst + 8 * k) & kOther2) | (Load64(from + 8 * k) & kCurrent2));
      source = reinterpret_cast<uintptr_t>(from + 4 * count - 4);
    }
    dst += 4 * count;
  };
  // `count` codes from the bottom of `codes` all `c`, a code that `run` takes.
  auto uniform = [](uint64_t codes, int count, int c) {
    const uint64_t all = count == 16 ? ~uint64_t(0) : (uint64_t(1) << (4 * count)) - 1;
    return codes == (uint64_t(c) * 0x1111111111111111ull & all) && (c < 2 || c > 3);
  };
  for (; n < blocks; n += 16) {
    const uint64_t w = Load64(codes + n / 2);
    if (blocks - n < 16) {
      stage(n, w);
      for (int32_t k = 0; k < blocks - n; ++k) step((w >> (4 * k)) & 15);
    } else if (w == 0) {
      // Sixteen literals, read where they lie.
      for (int k = 0; k < 8; ++k, lit += 2 * kLiteralBytes) {
        const uint64_t value = spread(lit) | uint64_t(spread(lit + kLiteralBytes)) << 32;
        Store64(dst + 8 * k, (Load64(dst + 8 * k) & kOther2) | value);
      }
      source = reinterpret_cast<uintptr_t>(dst + 60);
      dst += 64;
    } else {
      stage(n, w);
      // Each half: eight blocks of one code, or one by one.
      for (int half = 0; half < 2; ++half) {
        const uint64_t h = (w >> (32 * half)) & 0xFFFFFFFFu;
        const int c = int(h & 15);
        if (uniform(h, 8, c)) {
          run(c, 8);
        } else if (ZeroNibbles(~h) == 0) {
          const uint8_t* const bytes = codes + n / 2 + 4 * half;
          for (int k = 0; k < 4; ++k) pairCurrent(bytes[k]);
        } else {
          for (int k = 0; k < 8; ++k) step((h >> (4 * k)) & 15);
        }
      }
    }
  }
  return lit - literals;
}

// Decodes the blocks of the changed rectangle into the page whose nibbles start at bit
// kShift of every pixel byte, with literals of 2 bytes (kWide) or 1. Blocks are worked on
// the pixel bytes directly, 4 or 8 at a time: the current page's nibbles are replaced,
// the other page's kept.
template <int kShift, bool kWide>
void DecodeRows(const PixelJob& job) {
  constexpr uint32_t kCurrent = 0x0F0F0F0Fu << kShift, kOther = ~kCurrent;
  constexpr uint64_t kCurrent2 = 0x0F0F0F0F0F0F0F0Full << kShift, kOther2 = ~kCurrent2;
  constexpr int kLiteralBytes = kWide ? 2 : 1;
  const uint8_t* data = job.data;
  const int64_t have = job.have;
  const Rect r = job.rect;
  const int32_t stride = job.stride;
  const int32_t k = ov::CodeBytesPerRow(r.width);
  const int32_t p = ov::PresenceBytesPerRow(k);
  const int32_t blocks = (r.width + 3) / 4;
  uint8_t* codes = job.codes;
  auto byteAt = [data, have](int64_t i) -> uint32_t { return i < have ? data[i] : 0; };
  ptrdiff_t delta[16] = {};
  for (int c = 1; c < 15; ++c) delta[c] = ov::kBlockOffsets[c].dy * stride + ov::kBlockOffsets[c].dx;
  // The same for the codes loaded from the buffer; codes 1-3 are taken from the row's last
  // blocks instead, codes 0 and 15 read the block's own bytes.
  StagedCodes staged(delta);
  ptrdiff_t reach[16] = {};
  for (int c = 4; c < 15; ++c) reach[c] = delta[c];

  // The three positions: the row's presence bytes, the next code byte, the next literal.
  int64_t presenceAt = 0;
  int64_t codeAt = int64_t(p) * r.height;
  int64_t literalAt = codeAt + job.codeBytes;

  for (int32_t y = r.y; y < r.y + r.height; ++y) {
    // The row's code bytes: those whose presence bit is set come from the code bytes.
    if (presenceAt + p <= have) {
      const uint8_t* presence = data + presenceAt;
      auto rowBits = [&](int32_t i) {
        const uint32_t set = presence[i];
        return 8 * i + 8 > k ? set & ((1u << (k - 8 * i)) - 1) : set;
      };
      // A row changes at most k code bytes; only near the end of a damaged record are they
      // counted.
      bool inside = codeAt + k <= have;
      if (!inside) {
        int32_t count = 0;
        for (int32_t i = 0; i < p; ++i) count += kBitCount[rowBits(i)];
        inside = codeAt + count <= have;
      }
      // Eight presence bytes at a time; bits past the row's k code bytes mean nothing.
      for (int32_t i = 0; i < p; i += 8) {
        uint64_t set = 0;
        if (presenceAt + i + 8 <= have) {
          set = Load64(presence + i);
        } else {
          for (int32_t b = 0; b < 8 && i + b < p; ++b) set |= uint64_t(presence[i + b]) << (8 * b);
        }
        if (k - 8 * i < 64) set &= (uint64_t(1) << (k - 8 * i)) - 1;
        for (; set; set &= set - 1) {
          codes[8 * i + std::countr_zero(set)] = uint8_t(inside ? data[codeAt] : byteAt(codeAt));
          ++codeAt;
        }
      }
    } else {
      for (int32_t j = 0; j < k; ++j) {
        if (byteAt(presenceAt + j / 8) & (1u << (j % 8))) codes[j] = uint8_t(byteAt(codeAt++));
      }
    }
    presenceAt += p;

    uint8_t* row = job.bits + size_t(y) * size_t(stride) + r.x;
    if (y >= 8 && blocks >= 4) {
      auto literalsFit = [&] {
        if (literalAt + int64_t(blocks) * kLiteralBytes <= have) return true;
        int32_t literalBlocks = 0;
        for (int32_t n0 = 0; n0 < blocks; n0 += 16) {
          const uint64_t valid = blocks - n0 >= 16 ? ~uint64_t(0) : (uint64_t(1) << (4 * (blocks - n0))) - 1;
          literalBlocks += NibbleBits(ZeroNibbles(Load64(codes + n0 / 2)) & valid);
        }
        return literalAt + int64_t(literalBlocks) * kLiteralBytes <= have;
      };
      if (literalsFit()) {
        // Row y stages at y % 8 rows into the staging rows: for eight rows in turn the
        // distance from the row is the same.
        uint32_t* staging = job.staging + size_t(y & 7) * size_t(stride / 4);
        const ptrdiff_t d = ptrdiff_t(reinterpret_cast<uintptr_t>(staging) - reinterpret_cast<uintptr_t>(row));
        if (d != staged.offset[ov::kLiteralCode]) staged.SetLiteralOffset(d);
        literalAt += DecodeRowStaged<kShift, kWide>(row, codes, blocks, data + literalAt, r.x, staged, staging);
        continue;
      }
    }
    const bool literalsInside = literalAt + int64_t(blocks) * kLiteralBytes <= have;
    // Only a pointer into the data is formed; outside it the literals are read by index.
    const uint8_t* literals = literalsInside ? data + literalAt : nullptr;
    // Below row 8 and from block 4 on every source of codes 1-14 lies inside the buffer.
    const bool deep = y >= 8;
    auto literal = [&]() -> uint32_t {
      uint32_t spread;
      if (!literalsInside) {
        spread = kWide ? Spread16(byteAt(literalAt) | byteAt(literalAt + 1) << 16)
                       : kLiteral4.word[byteAt(literalAt)];
        literalAt += kLiteralBytes;
      } else if (kWide) {
        spread = Spread16(uint32_t(literals[0]) | uint32_t(literals[1]) << 16);
        literals += 2;
      } else {
        spread = kLiteral4.word[*literals++];
      }
      return spread << kShift;
    };
    // The values written for the last 4 blocks of this row, newest first: codes 1, 2 and 3
    // copy one of them without waiting for the store just made.
    uint32_t last1 = 0, last2 = 0, last3 = 0, last4 = 0;
    auto one = [&](int32_t n, int code) {
      uint8_t* at = row + 4 * n;
      const uint32_t word = Load32(at);
      uint32_t value;
      if (code == ov::kLiteralCode) {
        value = literal();
      } else if (code == ov::kPreviousCode) {
        value = (kShift ? word << 4 : word >> 4) & kCurrent;
      } else if (code == 1 && n >= 1) {
        value = last1;
      } else if (code == 2 && n >= 2) {
        value = last2;
      } else if (code == 3 && n >= 4) {
        value = last4;
      } else {
        const ov::BlockOffset d = ov::kBlockOffsets[code];
        // A source left of column 0 or above row 0 reads black.
        value = r.x + 4 * n + d.dx < 0 || y + d.dy < 0 ? 0 : Load32(at + delta[code]) & kCurrent;
      }
      Store32(at, (word & kOther) | value);
      last4 = last3, last3 = last2, last2 = last1, last1 = value;
    };
    // Pairs of blocks by code byte; the commonest pairs of literals, copies from the left
    // (1), from above (4) and from the previous frame (15) 8 bytes at a time.
    const int32_t pairs = blocks / 2;
    for (int32_t j = 0; j < pairs; ++j) {
      const uint8_t pair = codes[j];
      uint8_t* at = row + 8 * j;
      uint32_t a, b;
      const bool left = j > 0, up = y > 0;
      if (pair == 0x11 && left) {
        // A run of copies from the left repeats the last block.
        const uint64_t value = uint64_t(last1) * 0x100000001ull;
        const int32_t first = j;
        do {
          Store64(at, (Load64(at) & kOther2) | value);
          at += 8;
        } while (++j < pairs && codes[j] == 0x11);
        last4 = j - first > 1 ? last1 : last2;
        last3 = last2 = last1;
        --j;
        continue;
      }
      if (pair == 0x44 && up) {
        // A run of copies from above.
        uint64_t above = uint64_t(last2) | uint64_t(last1) << 32, before;
        do {
          before = above;
          above = Load64(at - stride) & kCurrent2;
          Store64(at, (Load64(at) & kOther2) | above);
          at += 8;
        } while (++j < pairs && codes[j] == 0x44);
        --j;
        last4 = uint32_t(before), last3 = uint32_t(before >> 32);
        last2 = uint32_t(above), last1 = uint32_t(above >> 32);
        continue;
      }
      if (pair == 0x00 && literalsInside) {
        a = literal(), b = literal();
      } else if (pair == 0xFF) {
        const uint64_t word = Load64(at);
        const uint64_t previous = (kShift ? word << 4 : word >> 4) & kCurrent2;
        a = uint32_t(previous), b = uint32_t(previous >> 32);
      } else if (j >= 2 && deep && literalsInside) {
        // Any other pair, without branches: every candidate is computed and one chosen.
        auto pick = [&](const uint8_t* block, int code) {
          const uint32_t word = Load32(block);
          const uint32_t copied = Load32(block + reach[code]) & kCurrent;
          const uint32_t lit = (kWide ? Spread16(uint32_t(literals[0]) | uint32_t(literals[1]) << 16)
                                      : kLiteral4.word[literals[0]]) << kShift;
          const uint32_t previous = (kShift ? word << 4 : word >> 4) & kCurrent;
          uint32_t v = copied;
          v = code == ov::kLiteralCode ? lit : v;
          v = code == ov::kPreviousCode ? previous : v;
          v = code == 1 ? last1 : v;
          v = code == 2 ? last2 : v;
          v = code == 3 ? last4 : v;
          literals += code == ov::kLiteralCode ? kLiteralBytes : 0;
          last4 = last3, last3 = last2, last2 = last1, last1 = v;
          return v;
        };
        a = pick(at, pair & 15);
        b = pick(at + 4, pair >> 4);
        Store64(at, (Load64(at) & kOther2) | (a | uint64_t(b) << 32));
        continue;
      } else {
        one(2 * j, pair & 15);
        one(2 * j + 1, pair >> 4);
        continue;
      }
      Store64(at, (Load64(at) & kOther2) | (a | uint64_t(b) << 32));
      last4 = last2, last3 = last1, last2 = a, last1 = b;
    }
    if (blocks % 2) one(blocks - 1, codes[pairs] & 15);
    if (literalsInside) literalAt = literals - data;
  }
}

}  // namespace

bool Decoder::Open(ByteStream& stream) {
  ov::FileHeader header;
  if (!ov::ReadFileHeader(stream, header)) return false;
  if (!buffer_.Create(header.largestWidth, header.largestHeight)) return false;
  stream_ = &stream;
  kind_ = header.kind;
  cutOffsets_ = std::move(header.cutOffsets);
  restart_ = header.restart;
  length_ = header.streamLength;
  viewAreaWidth_ = header.screenWidth;
  viewAreaHeight_ = header.screenHeight;
  nextCut_ = 0;
  restarts_ = 0;
  passesLeft_ = 1;
  cut_ = ov::CutHeader();
  cut_.imageWidth = cut_.imageHeight = 0;
  frame_ = ov::FrameFields();
  frameAt_ = restart_;
  changed_ = Rect();
  counter_ = 0;
  codeRow_.assign(size_t(ov::CodeBytesPerRow(buffer_.Width())), ov::kFirstRowCodes);
  stream.Seek(restart_, kSeekSet);
  return true;
}

int32_t Decoder::CurrentCut() const {
  if (cutOffsets_.empty()) return -1;
  return nextCut_ > 0 ? nextCut_ - 1 : CutCount() - 1;
}

bool Decoder::AtEnd() const {
  return stream_ && stream_->Tell() >= length_ && passesLeft_ < 2;
}

void Decoder::SeekTo(int64_t position) {
  // A record that claims to run past the stream ends it, so the next frame restarts.
  stream_->Seek(int32_t(std::clamp<int64_t>(position, 0, length_)), kSeekSet);
}

bool Decoder::ReadRecord(ov::FrameHeader& record) {
  frameAt_ = stream_->Tell();
  const bool whole = ov::ReadFrameHeader(*stream_, record);
  // The first frame of a cut is played with the magnitude of its duration.
  if (counter_ == 0 && record.fields.duration < 0) {
    record.fields.duration = int16_t(std::min(-int32_t(record.fields.duration), 32767));
  }
  return whole;
}

int Decoder::NextFrame() {
  if (!stream_) return 0;
  int32_t at = stream_->Tell();
  if (at < 0 || at >= length_) {
    if (passesLeft_ < 2) ++restarts_;
    stream_->Seek(restart_, kSeekSet);
    at = restart_;
    nextCut_ = 0;
  }
  if (nextCut_ >= 0 && nextCut_ < CutCount() && at == cutOffsets_[size_t(nextCut_)]) {
    ov::CutHeader header;
    ov::ReadCutHeader(*stream_, header);
    // While a loop is open the header of the next cut is read past: the loop repeats
    // through the end of its own cut.
    if (passesLeft_ < 2) {
      cut_ = std::move(header);
      cut_.fps = std::max<uint8_t>(cut_.fps, 1);
      counter_ = 0;
      changed_ = Rect{0, 0, cut_.imageWidth, cut_.imageHeight};
      ++nextCut_;
      buffer_.LevelRamp(cut_.levelCount);
    }
  }

  ov::FrameHeader record;
  ReadRecord(record);
  if (passesLeft_ > 1 && record.fields.repeat != 0) {
    // The loop closes here: back to its first frame; the closing frame is shown only
    // after the last pass.
    buffer_.Restore();
    counter_ = loopCounter_;
    changed_ = loopChanged_;
    stream_->Seek(loopAt_, kSeekSet);
    ReadRecord(record);
    --passesLeft_;
  } else if (record.fields.repeat > 1) {
    loopAt_ = frameAt_;
    loopCounter_ = counter_;
    loopChanged_ = changed_;
    passesLeft_ = record.fields.repeat;
    buffer_.Save();
  }

  buffer_.SetCurrentPage(counter_ & 1);
  ++counter_;
  const Rect previous = changed_;
  const ov::FrameFields& f = record.fields;
  changed_ = Rect{f.x, f.y, std::max<int32_t>(f.width, 0), std::max<int32_t>(f.height, 0)};
  frame_ = f;

  const int64_t dataAt = int64_t(frameAt_) + ov::kFrameHeaderSize;
  const int64_t end = frameAt_ + record.RecordBytes();
  const bool fits = buffer_.Width() >= cut_.imageWidth && buffer_.Height() >= cut_.imageHeight;
  // A changed rectangle outside the image only comes from a damaged record.
  const bool inside = changed_.IsEmpty() ||
                      (changed_.x >= 0 && changed_.y >= 0 && changed_.Right() <= cut_.imageWidth &&
                       changed_.Bottom() <= cut_.imageHeight);
  if (!fits || !inside) {
    SeekTo(end);
    return f.duration;
  }
  BringUpOtherPage(previous);
  if (!changed_.IsEmpty()) DecodePixels(record, dataAt);
  SeekTo(end);
  buffer_.SetBrightness(f.brightness);
  return f.duration;
}

void Decoder::BringUpOtherPage(const Rect& previous) {
  // The current page held the frame before the previous one: outside the new rectangle
  // it must show the previous frame, which differs from it only inside the previous
  // rectangle.
  const Rect& c = changed_;
  if (c.IsEmpty()) {
    buffer_.CopyFromOtherPage(previous.x, previous.y, previous.width, previous.height);
    return;
  }
  const Rect u = UnionRect(previous, c);
  buffer_.CopyFromOtherPage(u.x, u.y, u.width, c.y - u.y);
  buffer_.CopyFromOtherPage(u.x, c.y, c.x - u.x, c.height);
  buffer_.CopyFromOtherPage(c.Right(), c.y, u.Right() - c.Right(), c.height);
  buffer_.CopyFromOtherPage(u.x, c.Bottom(), u.width, u.Bottom() - c.Bottom());
}

void Decoder::DecodePixels(const ov::FrameHeader& record, int64_t dataAt) {
  // The presence, code and literal bytes of the record in one read. Bytes a damaged
  // record claims beyond the stream read as 0.
  const int64_t want = record.RecordBytes() - ov::kFrameHeaderSize;
  const int64_t have = std::clamp<int64_t>(length_ - dataAt, 0, want);
  data_.resize(size_t(have));
  if (have > 0 && ((stream_->Tell() != dataAt && !stream_->Seek(int32_t(dataAt), kSeekSet)) ||
                   stream_->Read(data_.data(), int32_t(have)) != 1)) {
    std::fill(data_.begin(), data_.end(), 0);
  }
  // Eight more bytes: the code row is read eight bytes at a time.
  codeRow_.assign(size_t(ov::CodeBytesPerRow(changed_.width)) + 8, ov::kFirstRowCodes);
  const int32_t stride = buffer_.Stride();
  staging_.resize(size_t(2 * stride) + size_t(changed_.width) / 4 + 17);
  PixelJob job{data_.data(), have, record.codeBytes, codeRow_.data(), buffer_.Bits(),
               stride, changed_, staging_.data()};
  const bool wide = ov::LiteralBytes(cut_.levelCount) == 2;
  if (buffer_.CurrentPage() == 0) {
    wide ? DecodeRows<0, true>(job) : DecodeRows<0, false>(job);
  } else {
    wide ? DecodeRows<4, true>(job) : DecodeRows<4, false>(job);
  }
}

int Decoder::GotoCut(int32_t k) {
  if (!stream_ || k < 0 || k >= CutCount()) return 0;
  const int32_t offset = cutOffsets_[size_t(k)];
  // A table entry outside the stream lands at its end, so the frame restarts the stream.
  if (offset < 0 || offset > length_ || !stream_->Seek(offset, kSeekSet)) {
    stream_->Seek(length_, kSeekSet);
  }
  nextCut_ = k;
  passesLeft_ = 1;
  return NextFrame();
}

int Decoder::NextCut() {
  if (!stream_) return 0;
  return GotoCut(nextCut_ >= CutCount() ? 0 : nextCut_);
}

int Decoder::PreviousCut() {
  if (!stream_) return 0;
  const int32_t k = nextCut_ - 2;
  return GotoCut(k < 0 ? CutCount() - 1 : k);
}
