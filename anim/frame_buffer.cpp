#include "anim/frame_buffer.h"

#include "model/unaligned.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "model/pixel_class.h"
#include "model/raster_surface.h"

// Pixel bytes are read four and eight at a time; byte k of a load is pixel k.
static_assert(std::endian::native == std::endian::little);

namespace {

// Black and the greys of a fresh buffer.
constexpr uint8_t kCreateGreys[13] = {0, 22, 43, 64, 85, 107, 128, 149, 170, 192, 213, 234, 255};

int ClampChannel(int64_t v) { return int(std::clamp<int64_t>(v, 0, 255)); }


// Four bytes holding one nibble each (bits 0..3 of every byte) → a PixelBlock.
PixelBlock PackNibbles(uint32_t v) {
  v &= 0x0F0F0F0F;
  v = (v | (v >> 4)) & 0x00FF00FF;
  return PixelBlock((v | (v >> 8)) & 0xFFFF);
}
// A PixelBlock → four bytes holding one nibble each.
uint32_t SpreadNibbles(PixelBlock block) {
  uint32_t v = block;
  v = (v | (v << 8)) & 0x00FF00FF;
  return (v | (v << 4)) & 0x0F0F0F0F;
}

// Tone of a frame pixel value (white for values without one), and of two values at once
// indexed by a little-endian 16-bit load.
struct ToneTables {
  uint8_t one[256];
  uint8_t two[65536];
  ToneTables() {
    for (int v = 0; v < 256; ++v) one[v] = uint8_t(IsDrawingClass(v) ? ToneLevel(v) : 3);
    for (int v = 0; v < 65536; ++v) two[v] = uint8_t(one[v & 0xFF] + one[v >> 8]);
  }
};

const ToneTables& Tones() {
  static const ToneTables tables;
  return tables;
}

// Ordered dither bit of factor 4 by sum mod 4, row parity and column parity.
constexpr uint8_t kDither[4][2][2] = {
    {{0, 0}, {0, 0}},
    {{1, 0}, {0, 0}},
    {{1, 0}, {0, 1}},
    {{1, 1}, {0, 1}},
};

}  // namespace

FrameBuffer::FrameBuffer() = default;
FrameBuffer::~FrameBuffer() = default;

void FrameBuffer::SetBaseColor(int index, int red, int green, int blue) {
  if (index >= 0 && index < 16) base_[index] = PackColor(red, green, blue);
}

uint32_t FrameBuffer::GetBaseColor(int index) const {
  return index >= 0 && index < 16 ? base_[index] : 0;
}

uint32_t FrameBuffer::GetPageColor(int index) const {
  return index >= 0 && index < 16 ? palette_[currentPage_][index] : 0;
}

void FrameBuffer::SetPageColor(int index, int red, int green, int blue) {
  if (index >= 0 && index < 16) palette_[currentPage_][index] = PackColor(red, green, blue);
}

uint32_t FrameBuffer::GetOtherPageColor(int index) const {
  return index >= 0 && index < 16 ? palette_[currentPage_ ^ 1][index] : 0;
}

void FrameBuffer::SetOtherPageColor(int index, int red, int green, int blue) {
  if (index >= 0 && index < 16) palette_[currentPage_ ^ 1][index] = PackColor(red, green, blue);
}

uint32_t FrameBuffer::GetCombinedColor(int current, int other) const {
  if (current < 0 || current > 15 || other < 0 || other > 15) return 0;
  return combined_[CombinedIndex(current, other)];
}

void FrameBuffer::SetCombinedColor(int current, int other, int red, int green, int blue) {
  if (current < 0 || current > 15 || other < 0 || other > 15) return;
  combined_[CombinedIndex(current, other)] = PackColor(red, green, blue);
}

void FrameBuffer::Save() {
  if (bits_) std::memcpy(snapshot_.data(), bits_, imageSize_);
}

void FrameBuffer::Restore() {
  if (bits_) std::memcpy(bits_, snapshot_.data(), imageSize_);
}

void FrameBuffer::Fill(uint8_t value) {
  if (bits_) std::memset(bits_, value, imageSize_);
}

int FrameBuffer::GetPixel(int32_t x, int32_t y) const {
  if (!Inside(x, y)) return 0;
  const uint8_t b = bits_[size_t(y) * size_t(stride_) + size_t(x)];
  return currentPage_ ? b >> 4 : b & 0x0F;
}

int FrameBuffer::GetOtherPixel(int32_t x, int32_t y) const {
  if (!Inside(x, y)) return 0;
  const uint8_t b = bits_[size_t(y) * size_t(stride_) + size_t(x)];
  return currentPage_ ? b & 0x0F : b >> 4;
}

void FrameBuffer::SetPixel(int32_t x, int32_t y, int value) {
  if (!Inside(x, y)) return;
  uint8_t& b = bits_[size_t(y) * size_t(stride_) + size_t(x)];
  b = currentPage_ ? uint8_t((b & 0x0F) | ((value & 0x0F) << 4))
                   : uint8_t((b & 0xF0) | (value & 0x0F));
}

bool FrameBuffer::Create(int32_t width, int32_t height) {
  if (bits_ && width == width_ && height == height_) return true;
  if (width < 1 || height < 1 || int64_t(width) * int64_t(height) > kMaxPixels) return false;
  const int32_t stride = StrideFor(width);
  const size_t imageSize = size_t(stride) * size_t(height);
  uint32_t colors[13];
  for (int i = 0; i < 13; ++i)
    colors[i] = PackColor(kCreateGreys[i], kCreateGreys[i], kCreateGreys[i]);
  // One spare row: blocks may reach past the last row's stride.
  auto fresh = CreatePixelBuffer(width, height + 1, stride, colors, 13);
  if (!fresh) return false;
  std::vector<uint8_t> snapshot(imageSize);
  buffer_ = std::move(fresh);
  bits_ = buffer_->Bits();
  std::memset(bits_, 0, imageSize + size_t(stride));
  snapshot_ = std::move(snapshot);
  width_ = width;
  height_ = height;
  stride_ = stride;
  imageSize_ = imageSize;
  std::fill(std::begin(combined_), std::end(combined_), 0u);
  std::copy(colors, colors + 13, combined_);
  std::copy(colors, colors + 13, base_);
  return true;
}

PixelBlock FrameBuffer::Read4(int32_t x, int32_t y) const {
  if (!Inside(x, y)) return 0;
  const uint32_t w = Load32(bits_ + size_t(y) * size_t(stride_) + size_t(x));
  return PackNibbles(currentPage_ ? w >> 4 : w);
}

PixelBlock FrameBuffer::ReadOther4(int32_t x, int32_t y) const {
  if (!Inside(x, y)) return 0;
  const uint32_t w = Load32(bits_ + size_t(y) * size_t(stride_) + size_t(x));
  return PackNibbles(currentPage_ ? w : w >> 4);
}

void FrameBuffer::Write4(int32_t x, int32_t y, PixelBlock block) {
  if (!Inside(x, y)) return;
  uint8_t* p = bits_ + size_t(y) * size_t(stride_) + size_t(x);
  const uint32_t w = Load32(p);
  const uint32_t spread = SpreadNibbles(block);
  Store32(p, currentPage_ ? (w & 0x0F0F0F0F) | (spread << 4) : (w & 0xF0F0F0F0) | spread);
}

void FrameBuffer::LevelRamp(int count) {
  count = std::clamp(count, 2, 16);
  const int d = count - 1;
  const int h[3] = {RedOf(highlight_), GreenOf(highlight_), BlueOf(highlight_)};
  for (int i = 0; i < count; ++i) {
    int c[3];
    for (int k = 0; k < 3; ++k) c[k] = i * (h[k] / d) + std::min(i, h[k] % d);
    base_[i] = PackColor(c[0], c[1], c[2]);
  }
}

void FrameBuffer::SetBrightness(int a) {
  brightness_ = a;
  const int h[3] = {RedOf(highlight_), GreenOf(highlight_), BlueOf(highlight_)};
  for (int i = 0; i < 16; ++i) {
    const int base[3] = {RedOf(base_[i]), GreenOf(base_[i]), BlueOf(base_[i])};
    int c[3];
    for (int k = 0; k < 3; ++k) {
      if (a == 50) {
        c[k] = base[k];
      } else if (a < 50) {
        c[k] = ClampChannel(int64_t(base[k]) * a / 50);
      } else if (h[k] == 0) {
        c[k] = 0;
      } else {
        // Brightness above 100 would run past the highlight; the channel is clamped.
        const int64_t e = a - 50;
        const int64_t k50 = e * h[k] / 50;
        c[k] = ClampChannel((h[k] - k50) * base[k] / h[k] + k50);
      }
    }
    palette_[currentPage_][i] = PackColor(c[0], c[1], c[2]);
  }
}

void FrameBuffer::Blend(int a, int b) {
  if (b == 0) a = 0, b = 1;
  const uint32_t* current = palette_[currentPage_];
  const uint32_t* other = palette_[currentPage_ ^ 1];
  for (int i = 0; i < 16; ++i) {
    const int ci[3] = {RedOf(current[i]), GreenOf(current[i]), BlueOf(current[i])};
    for (int j = 0; j < 16; ++j) {
      const int oj[3] = {RedOf(other[j]), GreenOf(other[j]), BlueOf(other[j])};
      int c[3];
      for (int k = 0; k < 3; ++k)
        c[k] = ClampChannel((int64_t(oj[k]) * a + int64_t(ci[k]) * (int64_t(b) - a)) / b);
      combined_[CombinedIndex(i, j)] = PackColor(c[0], c[1], c[2]);
    }
  }
}

void FrameBuffer::SetHighlight(int red, int green, int blue) {
  highlight_ = PackColor(red, green, blue);
}

void FrameBuffer::CopyFromOtherPage(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (width < 1 || height < 1 || !bits_) return;
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t(x) + width, width_);
  const int64_t y1 = std::min<int64_t>(int64_t(y) + height, height_);
  if (x0 >= x1 || y0 >= y1) return;
  for (int64_t row = y0; row < y1; ++row) {
    uint8_t* p = bits_ + size_t(row) * size_t(stride_);
    if (currentPage_ == 0) {
      for (int64_t col = x0; col < x1; ++col) p[col] = uint8_t((p[col] & 0xF0) | (p[col] >> 4));
    } else {
      for (int64_t col = x0; col < x1; ++col) p[col] = uint8_t((p[col] & 0x0F) | (p[col] << 4));
    }
  }
}

// Levels of output row oy, columns x0..x1-1, into levels[0..x1-x0-1].
void FrameBuffer::ReduceRow(const RasterSurface& work, int factor, int32_t oy, int32_t x0,
                            int32_t x1, uint8_t* levels) const {
  const ToneTables& t = Tones();
  const int32_t n = x1 - x0;
  if (factor == 1) {
    const uint8_t* src = work.Row(oy) + x0;
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
      if (Load64(src + i) == 0) {
        std::memset(levels + i, 3, 8);
      } else {
        for (int k = 0; k < 8; ++k) levels[i + k] = t.one[src[i + k]];
      }
    }
    for (; i < n; ++i) levels[i] = t.one[src[i]];
  } else if (factor == 2) {
    const uint8_t* r0 = work.Row(2 * oy) + 2 * x0;
    const uint8_t* r1 = work.Row(2 * oy + 1) + 2 * x0;
    int32_t i = 0;
    // Four output pixels read 8 bytes of each row.
    for (; i + 4 <= n; i += 4) {
      const uint64_t a = Load64(r0 + 2 * i), b = Load64(r1 + 2 * i);
      if ((a | b) == 0) {
        std::memset(levels + i, 12, 4);
        continue;
      }
      for (int k = 0; k < 4; ++k) {
        const unsigned sh = 16u * unsigned(k);
        levels[i + k] = uint8_t(t.two[(a >> sh) & 0xFFFF] + t.two[(b >> sh) & 0xFFFF]);
      }
    }
    for (; i < n; ++i) {
      uint16_t a, b;
      std::memcpy(&a, r0 + 2 * i, 2);
      std::memcpy(&b, r1 + 2 * i, 2);
      levels[i] = uint8_t(t.two[a] + t.two[b]);
    }
  } else {
    const uint8_t* rows[4];
    for (int k = 0; k < 4; ++k) rows[k] = work.Row(4 * oy + k) + 4 * x0;
    const int rowParity = oy & 1;
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t w0 = Load32(rows[0] + 4 * i), w1 = Load32(rows[1] + 4 * i);
      const uint32_t w2 = Load32(rows[2] + 4 * i), w3 = Load32(rows[3] + 4 * i);
      if ((w0 | w1 | w2 | w3) == 0) {
        levels[i] = 12;  // 16 paper pixels: sum 48, no remainder
        continue;
      }
      const int s = t.two[w0 & 0xFFFF] + t.two[w0 >> 16] + t.two[w1 & 0xFFFF] +
                    t.two[w1 >> 16] + t.two[w2 & 0xFFFF] + t.two[w2 >> 16] +
                    t.two[w3 & 0xFFFF] + t.two[w3 >> 16];
      levels[i] = uint8_t((s >> 2) + kDither[s & 3][rowParity][(x0 + i) & 1]);
    }
  }
}

bool FrameBuffer::Reduce(const RasterSurface& work, Rect* changed, int factor, const Rect* scan) {
  if (factor != 1 && factor != 2 && factor != 4) return false;
  if (work.ColorCount() != 256) return false;
  if (changed) *changed = Rect{};
  if (!bits_) return true;
  Rect r = scan ? *scan : Rect{0, 0, width_, height_};
  const int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
  const int64_t x1 = std::min<int64_t>({int64_t(r.x) + r.width, width_, work.Width() / factor});
  const int64_t y1 = std::min<int64_t>({int64_t(r.y) + r.height, height_, work.Height() / factor});
  if (x0 >= x1 || y0 >= y1) return true;

  std::vector<uint8_t> levels(size_t(x1 - x0) + 4);
  const unsigned curShift = currentPage_ ? 4 : 0;
  const unsigned otherShift = currentPage_ ? 0 : 4;
  const uint32_t keep = currentPage_ ? 0x0F0F0F0Fu : 0xF0F0F0F0u;
  int64_t cx0 = x1, cx1 = x0, cy0 = y1, cy1 = y0;  // bounding box of differences

  for (int64_t oy = y0; oy < y1; ++oy) {
    ReduceRow(work, factor, int32_t(oy), int32_t(x0), int32_t(x1), levels.data());
    uint8_t* dst = bits_ + size_t(oy) * size_t(stride_) + size_t(x0);
    const int64_t n = x1 - x0;
    int64_t first = n, last = -1;
    int64_t i = 0;
    for (; i + 4 <= n; i += 4) {
      const uint32_t d = Load32(dst + i);
      const uint32_t e = Load32(levels.data() + i);
      if (changed) {
        const uint32_t diff = ((d >> otherShift) & 0x0F0F0F0Fu) ^ e;
        if (diff) {
          first = std::min<int64_t>(first, i + std::countr_zero(diff) / 8);
          last = i + 3 - std::countl_zero(diff) / 8;
        }
      }
      Store32(dst + i, (d & keep) | (e << curShift));
    }
    for (; i < n; ++i) {
      const uint8_t d = dst[i];
      const uint8_t e = levels[size_t(i)];
      if (changed && ((d >> otherShift) & 0x0F) != e) {
        first = std::min(first, i);
        last = i;
      }
      dst[i] = uint8_t((d & keep) | (e << curShift));
    }
    if (last >= 0) {
      cx0 = std::min(cx0, x0 + first);
      cx1 = std::max(cx1, x0 + last + 1);
      cy0 = std::min(cy0, oy);
      cy1 = oy + 1;
    }
  }
  if (changed && cx0 < cx1) {
    if (cx0 & 1) --cx0;  // rows are coded from an even column
    *changed = Rect{int32_t(cx0), int32_t(cy0), int32_t(cx1 - cx0), int32_t(cy1 - cy0)};
  }
  return true;
}
