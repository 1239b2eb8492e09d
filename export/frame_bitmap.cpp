#include "export/frame_bitmap.h"

#include <algorithm>

#include "anim/frame_buffer.h"
#include "io/field_io.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/pixel_class.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void WriteHeaders(FieldWriter& w, int32_t width, int32_t height, int bitsPerPixel,
                  uint32_t colors, uint32_t rowSize) {
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * colors;
  w.U8('B');
  w.U8('M');
  w.U32(offset + uint32_t(height) * rowSize);
  w.U16(0);
  w.U16(0);
  w.U32(offset);
  w.U32(kInfoHeaderSize);
  w.U32(uint32_t(width));
  w.U32(uint32_t(height));
  w.U16(1);
  w.U16(uint32_t(bitsPerPixel));
  w.U32(0);  // no compression
  w.U32(0);  // image size
  w.U32(0);  // resolutions
  w.U32(0);
  w.U32(colors);
  w.U32(0);  // important colours
}

void WriteColor(FieldWriter& w, uint32_t color) {
  w.U8(uint32_t(BlueOf(color)));
  w.U8(uint32_t(GreenOf(color)));
  w.U8(uint32_t(RedOf(color)));
  w.U8(0);
}

// 1, 2 or 4 from the cut's anti-aliasing choice; 0 for the invalid choice 3.
int FactorOf(const Cut& cut) {
  const uint32_t a = (cut.StateFlags() & kStateAntiAliasMask) >> kStateAntiAliasShift;
  return a < 3 ? 1 << a : 0;
}

}  // namespace

std::vector<uint8_t> EncodeToneBitmap(const FrameBuffer& tones, int levels, int32_t frameX,
                                      int32_t frameY, int32_t width, int32_t height,
                                      int factor) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const uint32_t rowSize = ((uint32_t(width) + 1) / 2 + 3) & ~3u;
  FieldWriter w;
  w.Bytes().reserve(118 + size_t(height) * rowSize);
  WriteHeaders(w, width, height, 4, 16, rowSize);
  for (int i = 0; i < 16; ++i) WriteColor(w, tones.GetPageColor(i));

  const int white = levels - 1;
  const int64_t x0 = frameX / factor, y0 = frameY / factor;
  std::vector<uint8_t> row(rowSize);
  for (int32_t k = 1; k <= height; ++k) {
    const int64_t ty = y0 + height - k;
    std::fill(row.begin(), row.end(), 0);
    for (int32_t j = 0; j < width; ++j) {
      const int64_t tx = x0 + j;
      const bool inside = tx >= 0 && ty >= 0 && tx < tones.Width() && ty < tones.Height();
      const int level = inside ? tones.GetPixel(int32_t(tx), int32_t(ty)) : white;
      row[size_t(j) / 2] |= uint8_t((j & 1) ? (level & 0x0F) : (level & 0x0F) << 4);
    }
    w.Bytes().insert(w.Bytes().end(), row.begin(), row.end());
  }
  return std::move(w.Bytes());
}

bool ExportFrameBitmap(Cut& cut, int32_t frameIndex, FrameSurface& view, std::vector<uint8_t>& out) {
  Frame* frame = cut.FrameAt(frameIndex);
  const int factor = FactorOf(cut);
  if (!frame || factor == 0) return false;
  const int32_t width = cut.FrameWidth() / factor, height = cut.FrameHeight() / factor;
  if (width < 1 || height < 1) return false;
  // The canvas is not backed by data in the file: bound the images it asks for.
  if (int64_t(cut.CanvasWidth()) * cut.CanvasHeight() > FrameBuffer::kMaxPixels * factor * factor)
    return false;
  if (view.Width() != cut.CanvasWidth() || view.Height() != cut.CanvasHeight() || !view.Bits()) {
    if (!view.Create(cut.CanvasWidth(), cut.CanvasHeight(), 0)) return false;
  }
  view.Clear(0);
  Compose(*frame, view, 0, 0, cut.CanvasWidth(), cut.CanvasHeight(),
          cut.DisplayFlags() & kCurrentCellOnly, nullptr);

  FrameBuffer tones;
  const int levels = factor == 1 ? 4 : 13;
  // A canvas smaller than one output pixel leaves no tone image: the camera sees white.
  if (tones.Create(cut.CanvasWidth() / factor, cut.CanvasHeight() / factor)) {
    tones.Reduce(view, nullptr, factor, nullptr);
  } else if (cut.CanvasWidth() / factor >= 1 && cut.CanvasHeight() / factor >= 1) {
    return false;
  }
  tones.LevelRamp(levels);
  tones.SetBrightness(frame->Brightness());
  out = EncodeToneBitmap(tones, levels, frame->X(), frame->Y(), width, height, factor);
  return true;
}

std::vector<uint8_t> EncodeFrameImageBitmap(const FrameSurface& image) {
  const uint32_t rowSize = uint32_t(FrameSurface::StrideFor(image.Width()));
  const uint32_t colors = uint32_t(image.ColorsUsed());
  FieldWriter w;
  w.Bytes().reserve(54 + 4 * colors + size_t(image.Height()) * rowSize);
  WriteHeaders(w, image.Width(), image.Height(), 8, colors, rowSize);
  for (uint32_t i = 0; i < colors; ++i) WriteColor(w, image.Colors()[i]);
  for (int32_t y = image.Height() - 1; y >= 0; --y) {
    const uint8_t* row = image.Row(y);
    w.Bytes().insert(w.Bytes().end(), row, row + image.Width());
    w.Bytes().insert(w.Bytes().end(), rowSize - uint32_t(image.Width()), 0);
  }
  return std::move(w.Bytes());
}
