#include "share/gif_lzw.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// A GIF LZW reader as the format describes it, one dictionary string per code: the slow,
// obvious reference. Empty on any inconsistency.
std::vector<uint8_t> Decode(const std::vector<uint8_t>& blocks, int minCodeSize) {
  std::vector<uint8_t> data;
  for (size_t at = 0; at < blocks.size(); at += size_t(blocks[at]) + 1) {
    if (blocks[at] == 0 || at + blocks[at] >= blocks.size()) return {};
    data.insert(data.end(), blocks.begin() + std::ptrdiff_t(at) + 1, blocks.begin() + std::ptrdiff_t(at) + 1 + blocks[at]);
  }
  const uint32_t clear = 1u << minCodeSize, end = clear + 1;
  std::vector<std::vector<uint8_t>> dict;
  int width = minCodeSize + 1;
  auto reset = [&] {
    dict.assign(clear + 2, {});
    for (uint32_t i = 0; i < clear; ++i) dict[i] = {uint8_t(i)};
    width = minCodeSize + 1;
  };
  reset();
  std::vector<uint8_t> out;
  size_t bit = 0;
  int32_t prev = -1;
  bool ended = false;
  while (bit + size_t(width) <= data.size() * 8) {
    uint32_t code = 0;
    for (int k = 0; k < width; ++k, ++bit) code |= uint32_t((data[bit / 8] >> (bit % 8)) & 1) << k;
    if (code == clear) {
      reset();
      prev = -1;
      continue;
    }
    if (code == end) {
      ended = true;
      break;
    }
    std::vector<uint8_t> entry;
    if (code < dict.size() && (code < clear || code > end)) {
      entry = dict[code];
    } else if (code == dict.size() && prev >= 0) {
      entry = dict[size_t(prev)];
      entry.push_back(entry[0]);
    } else {
      return {};
    }
    if (prev >= 0 && dict.size() < 4096) {
      std::vector<uint8_t> added = dict[size_t(prev)];
      added.push_back(entry[0]);
      dict.push_back(added);
    }
    out.insert(out.end(), entry.begin(), entry.end());
    prev = int32_t(code);
    if (dict.size() == (1u << width) && width < 12) ++width;
  }
  // What follows the end code is padding to the byte.
  if (!ended || data.size() * 8 - bit >= 8) return {};
  return out;
}

TEST(GifLzwTest, EveryCodeSizeReadsBackThroughTableClearsAndWidthChanges) {
  std::mt19937 rng(7);
  GifLzw lzw;
  for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
    const uint32_t symbols = 1u << minCodeSize;
    // Runs (long strings, few codes), noise (many codes: several table clears), runs of
    // random lengths mixed with noise, and sizes around the points where codes widen.
    for (size_t n : {size_t(1), size_t(2), size_t(5), size_t(300), size_t(20000), size_t(100000)}) {
      for (int kind = 0; kind < 3; ++kind) {
        std::vector<uint8_t> pixels(n);
        for (size_t i = 0; i < n;) {
          const size_t run = kind == 0 ? 37 : kind == 1 ? 1 : 1 + rng() % (rng() % 2 ? 3 : 600);
          const uint8_t v = uint8_t(kind == 0 ? (i / 37) % symbols : rng() % symbols);
          for (size_t k = 0; k < run && i < n; ++k) pixels[i++] = v;
        }
        lzw.Begin(minCodeSize);
        // In pieces, as rows arrive.
        for (size_t at = 0; at < n; at += 97) lzw.Put(pixels.data() + at, std::min<size_t>(97, n - at));
        lzw.End();
        EXPECT_EQ(Decode(lzw.Blocks(), minCodeSize), pixels) << "code size " << minCodeSize << ", " << n
                                                              << " pixels of kind " << kind;
      }
    }
  }
  // Every length from 1 to a few hundred with 4 symbols: the end code after each width.
  for (size_t n = 1; n < 400; ++n) {
    std::vector<uint8_t> pixels(n);
    for (size_t i = 0; i < n; ++i) pixels[i] = uint8_t(rng() % 4);
    lzw.Begin(2);
    lzw.Put(pixels.data(), n);
    lzw.End();
    ASSERT_EQ(Decode(lzw.Blocks(), 2), pixels) << n << " pixels";
  }
}

}  // namespace
