#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The LZW coding of a GIF image's pixels, for the data sub-blocks that follow an image
// descriptor. The strings known so far are a table with a row per code and a column per
// pixel value; strings of one repeated pixel, which runs of a flat colour or of "as before"
// make by the hundred, are kept by length too, so a run is matched in one step instead of
// one step a pixel.
//
// Codes are written least significant bit first, starting 1 bit wider than the minimum
// code size and growing to 12 bits; 2^min clears the table, 2^min + 1 ends the image. The
// table is cleared when its last code (4095) is taken. Output is in sub-blocks: a length
// byte (1-255), then that many bytes; the terminating empty block is not included.
class GifLzw {
 public:
  // Starts an image whose pixels are all below 2^minCodeSize (2..8).
  void Begin(int minCodeSize);
  void Put(const uint8_t* pixels, size_t n);
  // Ends the image: the last code, the end code, the last partial block.
  void End();
  // The sub-blocks written so far.
  const std::vector<uint8_t>& Blocks() const { return out_; }

 private:
  void Emit(uint32_t code);
  void PutByte(uint8_t b);
  void Clear();
  // A code was assigned: codes widen, a full table is cleared.
  void Assigned();
  // Matches the run of `run` pixels equal to `pixel` that continues the current string.
  void PutRun(uint32_t pixel, size_t run);

  int minCodeSize_ = 2;
  uint32_t clearCode_ = 4;
  int width_ = 3;
  uint32_t lastCode_ = 5;    // the code assigned last
  int32_t current_ = -1;     // the code of the pixels read but not yet written
  // The code of string + pixel at string << minCodeSize | pixel, 0 for none.
  std::vector<uint16_t> next_;
  // The code of pixel p repeated k times at p · 4096 + k, known for k up to runMax_[p].
  std::vector<uint16_t> runCodes_;
  std::vector<uint16_t> runMax_;
  uint32_t runPixel_ = 0;
  uint32_t runLength_ = 0;  // the current string is runPixel_ this often; 0: not a run
  uint64_t bits_ = 0;
  int bitCount_ = 0;
  std::vector<uint8_t> out_;
  size_t blockAt_ = 0;  // the length byte of the block being filled
};
