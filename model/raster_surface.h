#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

struct Pen;
struct Rect;

// A raster bitmap: row 0 is the top row, pixel (x, y) lives in row y. The two kinds are
// CellSurface (4 bits per pixel, every cell) and FrameSurface (8 bits per pixel).
class RasterSurface {
 public:
  virtual ~RasterSurface() = default;
  RasterSurface(const RasterSurface&) = delete;
  RasterSurface& operator=(const RasterSurface&) = delete;

  // Virtual operations, in their fixed slot order. The drawing ones are defined by the drawing
  // engine in raster/.

  // Forward: the first x with xFrom <= x < xTo whose pixel is not 0; backward: the first x
  // going down from xFrom with x > xTo whose pixel is not 0; xTo when there is none.
  virtual int32_t ScanRow(int32_t xFrom, int32_t y, int32_t xTo, bool forward) const;
  // The 16 raw bits at pixel x: 4 pixels of a CellSurface (x a multiple of 4), 2 of a
  // FrameSurface, in memory order.
  virtual uint16_t GetUnit(int32_t x, int32_t y) const = 0;
  virtual void SetUnit(int32_t x, int32_t y, uint16_t bits) = 0;
  // Every pixel := value.
  virtual void Clear(int value) = 0;
  // Fills the closed area under (x, y) with the pen; false when it lies outside or its value
  // is protected.
  virtual bool FloodFill(int32_t x, int32_t y, const Pen& pen, uint32_t mask, Rect* dirty);
  // Grows a border of the pen's colour into the ground colour (the value at the
  // rectangle's top-left corner), one pixel per pass, pen size passes.
  virtual bool Border(int32_t x, int32_t y, int32_t width, int32_t height, const Pen& pen,
                      uint32_t mask);
  // Clipped like a blit; every pixel of the rectangle that differs from the matching
  // source pixel is exchanged with it.
  virtual void SwapRect(int32_t dstX, int32_t dstY, RasterSurface& source, int32_t srcX,
                        int32_t srcY, int32_t width, int32_t height);
  // Drawing colours of the rectangle become underdrawing, white the replacement;
  // protected values stay.
  virtual void ToUnderdrawing(int32_t x, int32_t y, int32_t width, int32_t height,
                              int whiteReplacement, uint32_t mask);
  // Paints the rectangle with the pen's pattern; false when it lies wholly outside. `bounds`
  // receives the rectangle painted (clipped).
  virtual bool FillRect(int32_t x, int32_t y, int32_t width, int32_t height, const Pen& pen,
                        uint32_t mask, Rect* bounds);
  virtual int GetPixel(int32_t x, int32_t y) const = 0;
  virtual void SetPixel(int32_t x, int32_t y, int value) = 0;
  // Draws the source rectangle (clipped by ClipBlit) at (dstX, dstY). Mode kBlitTransparent
  // skips 0 pixels and applies the brightness modifiers to what lies below; with kBlitPale
  // too, drawing classes become the pale values and nothing else is drawn. With non-zero
  // masks a pixel is drawn only when bit d of dstMask and bit s of srcMask are clear.
  // `bounds` receives the source area that holds non-zero pixels (transparent mode; zero
  // otherwise). False when nothing is left after clipping.
  virtual bool Blit(int32_t dstX, int32_t dstY, const RasterSurface& source, int32_t srcX,
                    int32_t srcY, int32_t width, int32_t height, int mode, uint32_t dstMask,
                    uint32_t srcMask, Rect* bounds);
  // Onion skin: the source's drawing classes become the previous (19..21) or next (22..24)
  // cell's tints. False on a target without those colours or when clipped away.
  virtual bool BlitTint(int32_t dstX, int32_t dstY, const RasterSurface& source, int32_t srcX,
                        int32_t srcY, int32_t width, int32_t height, bool next);
  // A new surface of the same kind and size, every pixel 0.
  virtual std::unique_ptr<RasterSurface> CloneEmpty() const = 0;
  // (Re)allocates for the size and clears to `fill`; false when the memory cannot be had
  // (the surface is then left as it was).
  virtual bool Create(int32_t width, int32_t height, int fill) = 0;
  // One pen dab centred on (x, y).
  virtual void Stamp(int32_t x, int32_t y, const Pen& pen, uint32_t mask, Rect* dirty);
  // The outline of the rectangle drawn as four lines with the pen; false when it lies
  // wholly outside.
  virtual bool FrameRect(int32_t x, int32_t y, int32_t width, int32_t height, const Pen& pen,
                         uint32_t mask, Rect* dirty);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t ColorCount() const { return colorCount_; }
  int32_t Stride() const { return stride_; }
  // The writable pixels mark the surface as touched.
  uint8_t* Bits() {
    touched_ = true;
    return pixels_;
  }
  const uint8_t* Bits() const { return pixels_; }
  uint8_t* Row(int32_t y) {
    touched_ = true;
    return pixels_ + size_t(y) * size_t(stride_);
  }
  const uint8_t* Row(int32_t y) const { return pixels_ + size_t(y) * size_t(stride_); }
  size_t ByteSize() const { return size_t(stride_) * size_t(height_); }
  bool Contains(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }
  // Whether the pixels may have changed since the mark was last forgotten: every way to
  // write them (the writable Bits and Row, Clear, Create) sets it. Reading never does.
  bool Touched() const { return touched_; }
  void ForgetTouch() { touched_ = false; }

 protected:
  explicit RasterSurface(int32_t colorCount) : colorCount_(colorCount) {}

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t colorCount_;
  uint8_t* pixels_ = nullptr;
  int32_t stride_ = 0;
  bool touched_ = true;
};

// Blit mode bits.
inline constexpr int kBlitTransparent = 1;
inline constexpr int kBlitPale = 2;

// The clipping of blits: source rectangle (srcX, srcY, w, h) placed at (dstX, dstY).
// Returns false when nothing is left.
struct BlitRect {
  int32_t dstX, dstY, srcX, srcY, width, height;
};
bool ClipBlit(BlitRect& r, int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
              int32_t targetHeight);

inline uint16_t LoadUnit(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void StoreUnit(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
