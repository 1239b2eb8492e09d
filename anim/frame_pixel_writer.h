#pragma once

#include <cstdint>
#include <vector>

#include "io/block_stream.h"
#include "io/byte_stream.h"

// Writes the pixel part of a frame record (S1, S2, presence bitmaps, code bytes, literal
// bytes) as the blocks of the changed rectangle are coded, row by row. Each row's code
// bytes go to the stream when the row ends; the presence bitmaps and the two counts are
// patched in at the end, the literal bytes collected meanwhile are appended after them.
class FramePixelWriter {
 public:
  // At the stream position of S1, directly after the frame fields, for a changed
  // rectangle of width × height (0 for an unchanged frame) and the cut's level count.
  bool Begin(ByteStream& out, int32_t width, int32_t height, int levelCount);
  // The next block of the current row: its code and, for code 0, its 4 pixel values.
  // Blocks past the row's end are ignored.
  void AddBlock(int code, const uint8_t* pixels = nullptr);
  // The code of block `index` in the row above, 1 above the first row: the prediction.
  int CodeAbove(int32_t index) const;
  bool EndRow();
  // Leaves the stream at the end of the record.
  bool End();

  int32_t BlocksPerRow() const { return blocksPerRow_; }

 private:
  ByteStream* out_ = nullptr;
  int32_t width_ = 0, height_ = 0, codeBytes_ = 0, presenceBytes_ = 0, blocksPerRow_ = 0;
  int literalBytes_ = 1;
  int32_t sizesAt_ = 0, codesAt_ = 0, row_ = 0, nibble_ = 0;
  std::vector<uint8_t> above_, current_, presence_;
  BlockStream literals_;
  bool ok_ = false;
};
