#pragma once

// Pictures other programs put on the clipboard, read from the packed device-independent
// bitmap (format 8) without the system's help:
//
//   header           12 bytes (core: u16 sizes, 3-byte colours) or 40, 52, 56, 108, 124
//   masks            3 (bitfields) or 4 (alpha bitfields) u32 after a 40-byte header;
//                    52 bytes and more hold them in the header
//   colour table     the colours used (0: 2^depth up to 8 bits, none above); 4 bytes each
//   pixels           rows of 4-byte multiples, bottom-up unless the height is negative
//
// Depths 1, 2, 4 and 8 with the colour table (also run-length coded, 4 and 8), 16 and 32 as
// 5-5-5 and 8-8-8 or through their masks, and 24. Pictures compressed as JPEG or PNG, and
// any header or size that does not add up, are refused.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/cell_surface.h"
#include "model/pixel_class.h"

// The pixels of a bitmap in those bytes, which must outlive it.
class DibPicture {
 public:
  // False, leaving the picture empty, when the bytes are refused, the picture has more
  // pixels than `largestArea` (0: any number) or, run-coded, does not fit in memory.
  bool Open(const uint8_t* dib, size_t size, int64_t largestArea = 0);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The colour (0x00RRGGBB) of pixel (x, y) of the picture, counted from its top-left
  // corner; an index past the colour table is black.
  uint32_t Pixel(int32_t x, int32_t y) const;

 private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0, bits = 0;
    void Set(uint32_t m);
    uint32_t Of(uint32_t pixel) const;
  };
  bool Parse(const uint8_t* p, size_t size);
  bool DecodeRuns();
  uint32_t ColorAt(uint32_t index) const { return index < colors_.size() ? colors_[index] : 0; }

  int32_t width_ = 0, height_ = 0;
  bool topDown_ = false;
  uint32_t depth_ = 0, compression_ = 0;
  Channel red_, green_, blue_;
  std::vector<uint32_t> colors_;  // 0x00RRGGBB
  const uint8_t* bits_ = nullptr;
  size_t bitsSize_ = 0, stride_ = 0;
  std::unique_ptr<uint16_t[]> runs_;  // a run-coded picture's indexes, top row first
};

// The picture in the editor's greys, as PictureCell makes it (key colour, protect mask);
// null when the bytes are refused or the cell cannot be had.
std::unique_ptr<CellSurface> DibPictureCell(const uint8_t* dib, size_t size, bool keyOn, uint32_t key,
                                            ProtectMask mask);
