#include "edit/clipboard_dib.h"

#include <algorithm>
#include <bit>
#include <new>

#include "edit/clipboard_image.h"
#include "io/little_endian.h"

namespace {

// Compression values of the header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitfields = 3;
constexpr uint32_t kAlphaBitfields = 6;

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kInfoHeader = 40;
// No cell is wider or higher.
constexpr int64_t kLargestSide = 65535;
// A run-coded pixel that no run drew: black, as on the empty bitmap the system draws runs
// into.
constexpr uint16_t kUndrawn = 256;


bool DepthFits(uint32_t depth, uint32_t compression) {
  switch (compression) {
    case kRgb:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    case kRle8: return depth == 8;
    case kRle4: return depth == 4;
    case kBitfields:
    case kAlphaBitfields: return depth == 16 || depth == 32;
    default: return false;  // JPEG, PNG and what no system writes
  }
}

bool IsRunCoded(uint32_t compression) { return compression == kRle8 || compression == kRle4; }

}  // namespace

// A masked colour is widened to 8 bits by repeating its bits, or cut to its top 8.
void DibPicture::Channel::Set(uint32_t m) {
  mask = m;
  shift = m == 0 ? 0 : std::countr_zero(m);
  bits = m == 0 ? 0 : 32 - std::countl_zero(m >> shift);
}

uint32_t DibPicture::Channel::Of(uint32_t pixel) const {
  if (bits == 0) return 0;
  const uint32_t v = (pixel & mask) >> shift;
  if (bits >= 8) return v >> (bits - 8);
  uint32_t out = 0;
  for (int filled = 0; filled < 8; filled += bits) out = out << bits | v;
  return out >> ((8 + bits - 1) / bits * bits - 8);
}

bool DibPicture::Open(const uint8_t* dib, size_t size, int64_t largestArea) {
  *this = DibPicture();
  if (dib && Parse(dib, size) && (largestArea == 0 || int64_t(width_) * height_ <= largestArea) &&
      (!IsRunCoded(compression_) || DecodeRuns()))
    return true;
  *this = DibPicture();
  return false;
}

bool DibPicture::Parse(const uint8_t* p, size_t size) {
  if (size < 4) return false;
  const uint32_t header = LoadU32Le(p);
  uint64_t colorCount = 0;
  size_t colorBytes = 4, at = header;
  if (header == kCoreHeader) {
    if (size < kCoreHeader) return false;
    width_ = int32_t(LoadU16Le(p + 4));
    height_ = int32_t(LoadU16Le(p + 6));
    depth_ = LoadU16Le(p + 10);
    if (depth_ != 1 && depth_ != 4 && depth_ != 8 && depth_ != 24) return false;
    colorBytes = 3;
    colorCount = depth_ <= 8 ? uint64_t(1) << depth_ : 0;
  } else {
    if (header != kInfoHeader && header != 52 && header != 56 && header != 108 && header != 124) return false;
    if (size < header) return false;
    width_ = int32_t(LoadU32Le(p + 4));
    const int32_t height = int32_t(LoadU32Le(p + 8));
    depth_ = LoadU16Le(p + 14);
    compression_ = LoadU32Le(p + 16);
    const uint32_t used = LoadU32Le(p + 32);
    if (height == INT32_MIN || !DepthFits(depth_, compression_)) return false;
    topDown_ = height < 0;
    height_ = height < 0 ? -height : height;
    if (topDown_ && IsRunCoded(compression_)) return false;
    colorCount = used != 0 ? used : depth_ <= 8 ? uint64_t(1) << depth_ : 0;
    if (compression_ == kBitfields || compression_ == kAlphaBitfields) {
      const uint8_t* masks = p + kInfoHeader;
      if (header == kInfoHeader) {
        at += compression_ == kAlphaBitfields ? 16 : 12;
        if (size < at) return false;
      }
      red_.Set(LoadU32Le(masks)), green_.Set(LoadU32Le(masks + 4)), blue_.Set(LoadU32Le(masks + 8));
    } else if (depth_ == 16) {
      red_.Set(0x7C00), green_.Set(0x03E0), blue_.Set(0x001F);
    } else if (depth_ == 32) {
      red_.Set(0xFF0000), green_.Set(0xFF00), blue_.Set(0xFF);
    }
  }
  if (width_ < 1 || height_ < 1 || width_ > kLargestSide || height_ > kLargestSide) return false;
  if (colorCount * colorBytes > size - at) return false;
  // Colours past what the pixels can name are never looked up.
  const size_t kept = size_t(std::min<uint64_t>(colorCount, 256));
  colors_.resize(kept);
  for (size_t i = 0; i < kept; ++i) {
    const uint8_t* c = p + at + i * colorBytes;
    colors_[i] = uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
  }
  at += size_t(colorCount * colorBytes);
  bits_ = p + at;
  bitsSize_ = size - at;
  if (IsRunCoded(compression_)) return true;
  const uint64_t stride = (uint64_t(width_) * depth_ + 31) / 32 * 4;
  if (stride * uint64_t(height_) > bitsSize_) return false;
  stride_ = size_t(stride);
  return true;
}

// Runs: a count and an index (two alternating 4-bit indexes), or 0 and an escape: 0 end of
// the row, 1 end of the picture, 2 a move right and up by the next two bytes, n ≥ 3 the next
// n indexes as they stand, padded to 2 bytes. Rows count from the bottom.
bool DibPicture::DecodeRuns() {
  const size_t w = size_t(width_), h = size_t(height_);
  runs_.reset(new (std::nothrow) uint16_t[w * h]);
  if (!runs_) return false;
  std::fill(runs_.get(), runs_.get() + w * h, kUndrawn);
  const bool four = compression_ == kRle4;
  const uint8_t* p = bits_;
  const uint8_t* const end = bits_ + bitsSize_;
  int64_t x = 0, y = 0;
  auto put = [&](uint32_t index) {
    if (x < int64_t(w)) runs_[(h - 1 - size_t(y)) * w + size_t(x)] = uint16_t(index);
    ++x;
  };
  while (end - p >= 2 && y < int64_t(h)) {
    const uint32_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (end - p < 2) break;
      x += p[0], y += p[1];
      p += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (size_t(end - p) < bytes) break;
      for (uint32_t i = 0; i < value; ++i) put(four ? (i % 2 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
      p += std::min(size_t(end - p), bytes + bytes % 2);
    }
  }
  return true;
}

uint32_t DibPicture::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const size_t i = size_t(x);
  if (runs_) {
    const uint16_t index = runs_[size_t(y) * size_t(width_) + i];
    return index == kUndrawn ? 0 : ColorAt(index);
  }
  const uint8_t* r = bits_ + size_t(topDown_ ? y : height_ - 1 - y) * stride_;
  switch (depth_) {
    case 1: return ColorAt(r[i / 8] >> (7 - i % 8) & 1);
    case 2: return ColorAt(r[i / 4] >> (6 - 2 * (i % 4)) & 3);
    case 4: return ColorAt(r[i / 2] >> (i % 2 ? 0 : 4) & 15);
    case 8: return ColorAt(r[i]);
    case 24: return uint32_t(r[3 * i + 2]) << 16 | uint32_t(r[3 * i + 1]) << 8 | r[3 * i];
    default: break;
  }
  const uint32_t v = depth_ == 16 ? LoadU16Le(r + 2 * i) : LoadU32Le(r + 4 * i);
  return red_.Of(v) << 16 | green_.Of(v) << 8 | blue_.Of(v);
}

std::unique_ptr<CellSurface> DibPictureCell(const uint8_t* dib, size_t size, bool keyOn, uint32_t key,
                                            ProtectMask mask) {
  DibPicture picture;
  if (!picture.Open(dib, size)) return nullptr;
  // Only the part of a tile inside the picture is ever looked at.
  auto read = [&](int32_t tx, int32_t ty, uint32_t* pixels) {
    const int32_t rows = std::min(kPictureTile, picture.Height() - ty);
    const int32_t columns = std::min(kPictureTile, picture.Width() - tx);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < columns; ++x) pixels[y * kPictureTile + x] = picture.Pixel(tx + x, ty + y);
  };
  return PictureCell(picture.Width(), picture.Height(), read, keyOn, key, mask);
}
