// Row scanning and the blits of the compositor. The fast paths rely on the two fixed pixel
// layouts: 16 colours is the cell layout (even x in the high nibble), 256 is one byte per
// pixel; any other combination goes pixel by pixel.
#include <algorithm>

#include "model/unaligned.h"

#include "model/pixel_class.h"
#include "model/raster_surface.h"
#include "model/rect.h"

namespace {

bool IsCellLayout(const RasterSurface& s) { return s.ColorCount() == 16; }
bool IsByteLayout(const RasterSurface& s) { return s.ColorCount() == 256; }


// Result of drawing source value s over target value d, for s = 0..15 and d = 0..255.
struct BlitTables {
  uint8_t normal[16][256];
  uint8_t pale[16][256];
  BlitTables() {
    for (int s = 0; s < 16; ++s) {
      for (int d = 0; d < 256; ++d) {
        int v = s;
        if (s == 0) {
          v = d;
        } else if (ModifierStep(s) != 0) {
          v = ShiftTone(d, ModifierStep(s));
          if (v == 0) v = s;  // nothing shiftable below: shown in its own colour
        }
        normal[s][d] = uint8_t(v);
        pale[s][d] = uint8_t(IsDrawingClass(s) ? kPixelPaleBlack + ToneLevel(s) : d);
      }
    }
  }
};

const BlitTables& Tables() {
  static const BlitTables tables;
  return tables;
}

bool Protected(uint32_t mask, int value) { return value < 32 && ((mask >> value) & 1u); }

int CellPixel(const uint8_t* row, int32_t x) {
  const uint8_t b = row[x >> 1];
  return (x & 1) ? (b & 0x0F) : (b >> 4);
}

void SetCellPixel(uint8_t* row, int32_t x, int value) {
  uint8_t& b = row[x >> 1];
  b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | ((value & 0x0F) << 4));
}

// Applies table[s][d] to the source span first..last (inclusive) of a cell row onto a byte
// row, where source x maps to target index x + offset. Zero pixels are skipped a word at a
// time; masks are tested only when given.
template <bool kMasked>
void DrawCellSpan(const uint8_t* src, uint8_t* dst, int32_t offset, int32_t first, int32_t last,
                  const uint8_t (*table)[256], uint32_t dstMask, uint32_t srcMask) {
  auto put = [&](int32_t x, int s) {
    uint8_t& d = dst[x + offset];
    if (kMasked && (Protected(dstMask, d) || Protected(srcMask, s))) return;
    d = table[s][d];
  };
  int32_t x = first;
  if (x & 1) {
    if (const int s = src[x >> 1] & 0x0F) put(x, s);
    ++x;
  }
  while (x < last) {  // x even: the pair x, x + 1 is one byte
    if (x + 8 <= last && Load32(src + (x >> 1)) == 0) {
      x += 8;
      continue;
    }
    const uint8_t b = src[x >> 1];
    if (b) {
      if (b >> 4) put(x, b >> 4);
      if (b & 0x0F) put(x + 1, b & 0x0F);
    }
    x += 2;
  }
  if (x == last) {
    if (const int s = src[x >> 1] >> 4) put(x, s);
  }
}

// Eight cell pixels (a 4-byte load) as eight bytes, pixel 0 in the lowest byte.
uint64_t ExpandNibbles(uint32_t w) {
  uint64_t y = uint64_t(w);
  y = (y | (y << 16)) & 0x0000FFFF0000FFFFull;
  y = (y | (y << 8)) & 0x00FF00FF00FF00FFull;
  return ((y >> 4) & 0x000F000F000F000Full) | ((y & 0x000F000F000F000Full) << 8);
}

constexpr uint64_t kHighBits = 0x8080808080808080ull;
constexpr uint64_t Bytes(uint8_t v) { return 0x0101010101010101ull * v; }

// The normal transparent draw without masks: eight pixels at a time with byte selects;
// groups holding a brightness modifier (11..14) go pixel by pixel.
void DrawCellSpanPlain(const uint8_t* src, uint8_t* dst, int32_t offset, int32_t first,
                       int32_t last) {
  const uint8_t(*table)[256] = Tables().normal;
  auto put = [&](int32_t x, int s) {
    uint8_t& d = dst[x + offset];
    d = table[s][d];
  };
  int32_t x = first;
  if (x & 1) {
    if (const int s = src[x >> 1] & 0x0F) put(x, s);
    ++x;
  }
  // Empty stretches are skipped 16 pixels at a time; inside inked stretches every group is
  // merged without a branch on its content.
  auto group = [&](int32_t at) {
    const uint64_t e = ExpandNibbles(Load32(src + (at >> 1)));
    // Values are at most 15, so adding to each byte never carries into the next.
    const uint64_t nonZero = (e + Bytes(0x7F)) & kHighBits;
    const uint64_t modifier = (e + Bytes(0x80 - 11)) & ~(e + Bytes(0x80 - 15)) & kHighBits;
    uint8_t* d = dst + at + offset;
    if (modifier == 0) {
      const uint64_t select = (nonZero >> 7) * 0xFF;
      uint64_t old;
      std::memcpy(&old, d, 8);
      const uint64_t merged = (old & ~select) | (e & select);
      std::memcpy(d, &merged, 8);
    } else {
      for (int k = 0; k < 8; ++k)
        if (const int v = int((e >> (8 * k)) & 0x0F)) put(at + k, v);
    }
  };
  for (; x + 16 <= last + 1; x += 16) {
    uint64_t pair;
    std::memcpy(&pair, src + (x >> 1), 8);
    if (pair == 0) continue;
    group(x);
    group(x + 8);
  }
  if (x + 8 <= last + 1) {
    group(x);
    x += 8;
  }
  for (; x <= last; ++x)
    if (const int v = CellPixel(src, x)) put(x, v);
}

// The plain draw in chunks of whole cell bytes. A chunk whose nibbles all lie below the
// brightness modifiers (11..14) is drawn by loops over bytes that compilers turn into
// vector code; any other goes through DrawCellSpanPlain.
template <int32_t kPixels>
void DrawChunk(const uint8_t* src, uint8_t* dst, int32_t offset, int32_t x) {
  constexpr int32_t kBytes = kPixels / 2;
  const uint8_t* s = src + (x >> 1);
  // The largest nibble of the chunk, in the high half of `top`: 0 when all paper.
  uint8_t top = 0;
  for (int32_t i = 0; i < kBytes; ++i) top = std::max({top, s[i], uint8_t(s[i] << 4)});
  if (top == 0) return;
  if (top >= kPixelPlus2 << 4) return DrawCellSpanPlain(src, dst, offset, x, x + kPixels - 1);
  uint8_t* d = dst + x + offset;
  for (int32_t i = 0; i < kBytes; ++i) {
    const uint8_t even = uint8_t(s[i] >> 4), odd = uint8_t(s[i] & 15);
    d[2 * i] = uint8_t((d[2 * i] & (even ? 0 : 0xFF)) | even);
    d[2 * i + 1] = uint8_t((d[2 * i + 1] & (odd ? 0 : 0xFF)) | odd);
  }
}

void DrawCellSpanChunked(const uint8_t* src, uint8_t* dst, int32_t offset, int32_t first,
                         int32_t last) {
  int32_t x = first;
  if (x & 1) {
    DrawCellSpanPlain(src, dst, offset, x, x);
    ++x;
  }
  for (; x + 255 <= last; x += 256) DrawChunk<256>(src, dst, offset, x);
  if (x + 127 <= last) DrawChunk<128>(src, dst, offset, x), x += 128;
  if (x + 63 <= last) DrawChunk<64>(src, dst, offset, x), x += 64;
  if (x + 31 <= last) DrawChunk<32>(src, dst, offset, x), x += 32;
  if (x + 15 <= last) DrawChunk<16>(src, dst, offset, x), x += 16;
  if (x <= last) DrawCellSpanPlain(src, dst, offset, x, last);
}

// The pale display and the onion skins: drawing classes 1..3 and 8..10 become base + their
// tone level, every other value leaves the target. Vectorisable like DrawChunk.
uint8_t ToneOf(uint8_t s, uint8_t d, uint8_t base) {
  const uint8_t black = uint8_t(s - kPixelBlack), line = uint8_t(s - kPixelLine);
  return black < 3 ? uint8_t(base + black) : line < 3 ? uint8_t(base + line) : d;
}

template <int32_t kPixels>
void DrawToneChunk(const uint8_t* s, uint8_t* d, uint8_t base) {
  uint8_t any = 0;
  for (int32_t i = 0; i < kPixels / 2; ++i) any |= s[i];
  if (!any) return;
  for (int32_t i = 0; i < kPixels / 2; ++i) {
    d[2 * i] = ToneOf(uint8_t(s[i] >> 4), d[2 * i], base);
    d[2 * i + 1] = ToneOf(uint8_t(s[i] & 15), d[2 * i + 1], base);
  }
}

void DrawToneSpan(const uint8_t* src, uint8_t* dst, int32_t offset, int32_t first, int32_t last,
                  int base) {
  const uint8_t b = uint8_t(base);
  int32_t x = first;
  if (x & 1) {
    dst[x + offset] = ToneOf(src[x >> 1] & 15, dst[x + offset], b);
    ++x;
  }
  for (; x + 255 <= last; x += 256) DrawToneChunk<256>(src + (x >> 1), dst + x + offset, b);
  for (; x + 1 <= last; x += 2) {
    dst[x + offset] = ToneOf(uint8_t(src[x >> 1] >> 4), dst[x + offset], b);
    dst[x + 1 + offset] = ToneOf(uint8_t(src[x >> 1] & 15), dst[x + 1 + offset], b);
  }
  if (x == last) dst[x + offset] = ToneOf(uint8_t(src[x >> 1] >> 4), dst[x + offset], b);
}

}  // namespace

int32_t RasterSurface::ScanRow(int32_t xFrom, int32_t y, int32_t xTo, bool forward) const {
  if (y < 0 || y >= height_ || !pixels_) return xTo;
  const uint8_t* row = Row(y);
  if (forward) {
    int32_t x = std::max(xFrom, 0);
    const int32_t end = std::min(xTo, width_);
    if (IsCellLayout(*this)) {
      if ((x & 1) && x < end) {
        if (row[x >> 1] & 0x0F) return x;
        ++x;
      }
      while (x + 1 < end) {
        if (x + 8 <= end && Load32(row + (x >> 1)) == 0) {
          x += 8;
          continue;
        }
        const uint8_t b = row[x >> 1];
        if (b) return (b & 0xF0) ? x : x + 1;
        x += 2;
      }
      if (x < end && (row[x >> 1] & 0xF0)) return x;
      return xTo;
    }
    if (IsByteLayout(*this)) {
      for (; x + 4 <= end && Load32(row + x) == 0; x += 4) {
      }
      for (; x < end; ++x)
        if (row[x]) return x;
      return xTo;
    }
    for (; x < end; ++x)
      if (GetPixel(x, y)) return x;
    return xTo;
  }
  int32_t x = std::min(xFrom, width_ - 1);
  const int32_t stop = std::max(xTo, -1);  // scans x > stop
  if (IsCellLayout(*this)) {
    if (x > stop && !(x & 1)) {
      if (row[x >> 1] & 0xF0) return x;
      --x;
    }
    while (x - 1 > stop) {  // x odd: the pair x - 1, x is one byte
      if (x - 8 > stop && Load32(row + ((x - 7) >> 1)) == 0) {
        x -= 8;
        continue;
      }
      const uint8_t b = row[x >> 1];
      if (b) return (b & 0x0F) ? x : x - 1;
      x -= 2;
    }
    if (x > stop && (row[x >> 1] & 0x0F)) return x;
    return xTo;
  }
  if (IsByteLayout(*this)) {
    for (; x - 4 > stop && Load32(row + x - 3) == 0; x -= 4) {
    }
    for (; x > stop; --x)
      if (row[x]) return x;
    return xTo;
  }
  for (; x > stop; --x)
    if (GetPixel(x, y)) return x;
  return xTo;
}

bool RasterSurface::Blit(int32_t dstX, int32_t dstY, const RasterSurface& source, int32_t srcX,
                         int32_t srcY, int32_t width, int32_t height, int mode, uint32_t dstMask,
                         uint32_t srcMask, Rect* bounds) {
  if (bounds) *bounds = Rect{};
  BlitRect r{dstX, dstY, srcX, srcY, width, height};
  if (!pixels_ || !source.Bits() ||
      !ClipBlit(r, source.Width(), source.Height(), width_, height_))
    return false;
  const bool masked = (dstMask | srcMask) != 0;
  const bool cellToBytes = IsCellLayout(source) && IsByteLayout(*this);

  if (!(mode & kBlitTransparent)) {
    for (int32_t row = 0; row < r.height; ++row) {
      const int32_t sy = r.srcY + row, dy = r.dstY + row;
      if (!masked && cellToBytes) {
        const uint8_t* src = source.Row(sy);
        uint8_t* dst = Row(dy) + r.dstX;
        for (int32_t i = 0; i < r.width; ++i) dst[i] = uint8_t(CellPixel(src, r.srcX + i));
      } else if (!masked && IsByteLayout(source) && IsByteLayout(*this)) {
        std::memmove(Row(dy) + r.dstX, source.Row(sy) + r.srcX, size_t(r.width));
      } else if (!masked && IsCellLayout(source) && IsCellLayout(*this)) {
        const uint8_t* src = source.Row(sy);
        uint8_t* dst = Row(dy);
        for (int32_t i = 0; i < r.width; ++i)
          SetCellPixel(dst, r.dstX + i, CellPixel(src, r.srcX + i));
      } else {
        for (int32_t i = 0; i < r.width; ++i) {
          const int s = source.GetPixel(r.srcX + i, sy);
          if (masked && (Protected(dstMask, GetPixel(r.dstX + i, dy)) || Protected(srcMask, s)))
            continue;
          SetPixel(r.dstX + i, dy, s);
        }
      }
    }
    return true;
  }

  const bool pale = (mode & kBlitPale) != 0;
  const uint8_t(*table)[256] = pale ? Tables().pale : Tables().normal;
  const int32_t end = r.srcX + r.width;
  if (!bounds && cellToBytes && !masked) {
    // Without bounds to measure, the chunks skip the paper themselves.
    for (int32_t row = 0; row < r.height; ++row) {
      const uint8_t* src = source.Row(r.srcY + row);
      uint8_t* dst = Row(r.dstY + row);
      if (pale)
        DrawToneSpan(src, dst, r.dstX - r.srcX, r.srcX, end - 1, kPixelPaleBlack);
      else
        DrawCellSpanChunked(src, dst, r.dstX - r.srcX, r.srcX, end - 1);
    }
    return true;
  }
  int32_t left = end, right = r.srcX, top = -1, bottom = -1;
  for (int32_t row = 0; row < r.height; ++row) {
    const int32_t sy = r.srcY + row, dy = r.dstY + row;
    const int32_t first = source.ScanRow(r.srcX, sy, end, true);
    if (first >= end) continue;
    const int32_t last = source.ScanRow(end - 1, sy, r.srcX - 1, false);
    left = std::min(left, first);
    right = std::max(right, last + 1);
    if (top < 0) top = sy;
    bottom = sy + 1;
    const int32_t offset = r.dstX - r.srcX;
    if (cellToBytes) {
      if (masked)
        DrawCellSpan<true>(source.Row(sy), Row(dy), offset, first, last, table, dstMask, srcMask);
      else if (pale)
        DrawToneSpan(source.Row(sy), Row(dy), offset, first, last, kPixelPaleBlack);
      else
        DrawCellSpanChunked(source.Row(sy), Row(dy), offset, first, last);
      continue;
    }
    for (int32_t x = first; x <= last; ++x) {
      const int s = source.GetPixel(x, sy) & 0xFF;
      if (s == 0) continue;
      const int d = GetPixel(x + offset, dy) & 0xFF;
      if (masked && (Protected(dstMask, d) || Protected(srcMask, s))) continue;
      // Frame values above 15 in the source are drawn as they are.
      const int v = s < 16 ? table[s][d] : (pale ? d : s);
      if (v != d) SetPixel(x + offset, dy, v);
    }
  }
  if (bounds && top >= 0) *bounds = Rect{left, top, right - left, bottom - top};
  return true;
}

bool RasterSurface::BlitTint(int32_t dstX, int32_t dstY, const RasterSurface& source,
                             int32_t srcX, int32_t srcY, int32_t width, int32_t height,
                             bool next) {
  if (colorCount_ < 17) return false;
  BlitRect r{dstX, dstY, srcX, srcY, width, height};
  if (!pixels_ || !source.Bits() ||
      !ClipBlit(r, source.Width(), source.Height(), width_, height_))
    return false;
  const int base = next ? kPixelNextBlack : kPixelPrevBlack;
  const bool cellToBytes = IsCellLayout(source) && IsByteLayout(*this);
  const int32_t end = r.srcX + r.width;
  const int32_t offset = r.dstX - r.srcX;
  for (int32_t row = 0; row < r.height; ++row) {
    const int32_t sy = r.srcY + row, dy = r.dstY + row;
    if (cellToBytes) {
      DrawToneSpan(source.Row(sy), Row(dy), offset, r.srcX, end - 1, base);
      continue;
    }
    const int32_t first = source.ScanRow(r.srcX, sy, end, true);
    if (first >= end) continue;
    const int32_t last = source.ScanRow(end - 1, sy, r.srcX - 1, false);
    for (int32_t x = first; x <= last; ++x) {
      const int s = source.GetPixel(x, sy);
      if (IsDrawingClass(s)) SetPixel(x + offset, dy, base + ToneLevel(s));
    }
  }
  return true;
}
