#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/pixel_buffer.h"
#include "model/rect.h"

class RasterSurface;

// A 4-pixel block of one page: pixel k (k = 0..3, left to right) in bits 4k..4k+3.
using PixelBlock = uint16_t;

// Two 4-bit pictures in one 8-bit top-down buffer: page 0 in the low nibble, page 1 in the
// high nibble of every byte. The decoder draws into the current page while the other page
// still holds the frame before; the 256-entry combined colour table lets each buffer byte
// show a colour made from both pages, so switching frames changes only colours.
//
// The pixel storage is a PixelBuffer (a DIB section in the Windows programs) with one spare
// row after the last one, because a 4-pixel block that starts inside a row may reach 3
// bytes past the stride; the platform bitmap is one row taller than Height().
//
// Colours are 0x00RRGGBB (blue, green, red, reserved in memory, as a DIB colour table).
// Pixel and colour operations outside the buffer or the tables are ignored (reads give 0).
class FrameBuffer {
 public:
  FrameBuffer();
  virtual ~FrameBuffer();
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  // Virtual operations, in their fixed slot order.

  // Base colours 0..15: the level colours before brightness.
  virtual void SetBaseColor(int index, int red, int green, int blue);
  virtual uint32_t GetBaseColor(int index) const;
  // The 16-entry palettes of the current and the other page.
  virtual uint32_t GetPageColor(int index) const;
  virtual void SetPageColor(int index, int red, int green, int blue);
  virtual uint32_t GetOtherPageColor(int index) const;
  virtual void SetOtherPageColor(int index, int red, int green, int blue);
  // The combined colour shown where the current page holds `current` and the other page
  // `other`: table entry current + 16·other while page 0 is current, 16·current + other
  // while page 1 is.
  virtual uint32_t GetCombinedColor(int current, int other) const;
  virtual void SetCombinedColor(int current, int other, int red, int green, int blue);
  // Copies all pixel bytes to the snapshot buffer, and back.
  virtual void Save();
  virtual void Restore();
  // Every pixel byte (both pages) := value.
  virtual void Fill(uint8_t value);
  virtual int GetPixel(int32_t x, int32_t y) const;
  virtual int GetOtherPixel(int32_t x, int32_t y) const;
  // Sets the current page's pixel, leaving the other page.
  virtual void SetPixel(int32_t x, int32_t y, int value);
  // Makes a width × height buffer, every byte 0, with the 13 create colours (black and the
  // greys 22, 43, ..., 255) as colour table entries and base colours 0..12. An existing
  // buffer of exactly that size is kept as it is. Fails for a size below 1 or too large, or
  // when the memory cannot be had; the buffer is then left as it was.
  virtual bool Create(int32_t width, int32_t height);
  // The 4 pixels (x, y) .. (x + 3, y) in memory order: near the right edge they continue
  // into the next row, past the last row into the spare bytes. (x, y) must lie inside the
  // buffer, otherwise the read gives 0 and the write does nothing.
  virtual PixelBlock Read4(int32_t x, int32_t y) const;
  virtual PixelBlock ReadOther4(int32_t x, int32_t y) const;
  // Writes the current page's 4 pixels, leaving the other page's nibbles.
  virtual void Write4(int32_t x, int32_t y, PixelBlock block);

  // Palette arithmetic.

  // Base colours 0..count-1 (count clamped to 2..16) := a ramp from black to the highlight
  // colour; channel i·(h ÷ d) + min(i, h mod d) with d = count − 1. Higher base colours keep
  // their values.
  void LevelRamp(int count);
  // Remembers the brightness a (50 normal) and rebuilds the current page's 16 palette
  // entries from the base colours: darker below 50, towards the highlight above.
  void SetBrightness(int a);
  int Brightness() const { return brightness_; }
  // Combined colour (i, j) := (other palette j · a + current palette i · (b − a)) ÷ b per
  // channel. Blend(0, 1) shows the current page alone. b = 0 is treated as Blend(0, 1).
  void Blend(int a, int b);
  void SetHighlight(int red, int green, int blue);
  uint32_t Highlight() const { return highlight_; }

  // Pixel work.

  // Every pixel of the rectangle (clipped to the buffer) takes the other page's value on the
  // current page; nothing happens for a width or height below 1.
  void CopyFromOtherPage(int32_t x, int32_t y, int32_t width, int32_t height);
  // Reduces a composed frame image (8 bits per pixel, frame pixel values) into the current
  // page with factor 1, 2 or 4: each output pixel sums the tones (black 0 .. white 3; every
  // value without a tone counts as white) of its factor × factor block; factor 4 divides by
  // 4 and adds an ordered-dither bit. The scan rectangle is in output pixels; null covers
  // the whole buffer. It is clipped to the buffer and to the part of the work image that
  // holds whole blocks. With `changed`, each level is also compared with the other page and
  // *changed receives the bounding box of the differing pixels with its left edge moved to
  // an even column, or (0, 0, 0, 0). Fails (nothing written) for another factor or a work
  // image that is not 8 bits per pixel.
  bool Reduce(const RasterSurface& work, Rect* changed, int factor, const Rect* scan);

  int CurrentPage() const { return currentPage_; }
  void SetCurrentPage(int page) { currentPage_ = page & 1; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Stride() const { return stride_; }
  // Bytes of the pixel rows (stride × height), without the spare row.
  size_t ImageSize() const { return imageSize_; }
  uint8_t* Bits() { return bits_; }
  const uint8_t* Bits() const { return bits_; }
  // The 256 combined colours, loaded as the bitmap's colour table when it is painted.
  const uint32_t* CombinedColors() const { return combined_; }
  // The platform storage (its Handle() is the bitmap on Windows), null before Create.
  PixelBuffer* Buffer() { return buffer_.get(); }

  static int32_t StrideFor(int32_t width) { return (width + 3) & ~3; }
  // Largest pixel area Create accepts.
  static constexpr int64_t kMaxPixels = int64_t(1) << 26;

 private:
  int CombinedIndex(int current, int other) const {
    return currentPage_ == 0 ? current + 16 * other : 16 * current + other;
  }
  bool Inside(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  void ReduceRow(const RasterSurface& work, int factor, int32_t oy, int32_t x0, int32_t x1,
                 uint8_t* levels) const;

  int currentPage_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int brightness_ = 50;
  uint32_t highlight_ = 0xFFFFFF;
  std::unique_ptr<PixelBuffer> buffer_;
  uint8_t* bits_ = nullptr;
  std::vector<uint8_t> snapshot_;
  int32_t stride_ = 0;
  size_t imageSize_ = 0;
  uint32_t base_[16] = {};
  uint32_t palette_[2][16] = {};
  uint32_t combined_[256] = {};
};
