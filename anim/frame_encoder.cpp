#include "anim/frame_encoder.h"

#include "model/unaligned.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "anim/frame_pixel_writer.h"
#include "anim/ov_layout.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/dirty_region.h"
#include "model/frame_surface.h"
#include "model/pixel_class.h"

namespace {

// Codes 1-15 in the order they are tried after the predicted code.
constexpr int kSearchOrder[15] = {1, 4, 5, 6, 15, 7, 9, 10, 2, 8, 11, 12, 13, 14, 3};


// Clears the rectangle of an 8-bit image (clipped to it).
void ClearArea(FrameSurface& work, const Rect& r) {
  const int32_t x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int32_t x1 = std::min<int64_t>(int64_t(r.x) + r.width, work.Width());
  const int32_t y1 = std::min<int64_t>(int64_t(r.y) + r.height, work.Height());
  for (int32_t y = y0; y < y1 && x0 < x1; ++y) std::memset(work.Row(y) + x0, 0, size_t(x1 - x0));
}

Rect ClipTo(const Rect& r, int32_t width, int32_t height) {
  const int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t(r.x) + r.width, width);
  const int64_t y1 = std::min<int64_t>(int64_t(r.y) + r.height, height);
  if (r.IsEmpty() || x0 >= x1 || y0 >= y1) return Rect{};
  return Rect{int32_t(x0), int32_t(y0), int32_t(x1 - x0), int32_t(y1 - y0)};
}

int16_t Magnitude16(int32_t v) { return int16_t(std::min<int64_t>(std::llabs(int64_t(v)), INT16_MAX)); }

}  // namespace

int PixelLevel(int pixelClass) { return IsDrawingClass(pixelClass) ? ToneLevel(pixelClass) : 3; }

int AntiAliasFactor(const Cut& cut) {
  const uint32_t a = (cut.StateFlags() & kStateAntiAliasMask) >> kStateAntiAliasShift;
  return a < 3 ? 1 << a : 0;
}

ov::CutHeader CutRecordHeader(const Cut& cut, int factor) {
  ov::CutHeader header;
  header.credit = cut.Credit();
  header.imageWidth = int16_t(cut.CanvasWidth() / factor);
  header.imageHeight = int16_t(cut.CanvasHeight() / factor);
  // A camera wider than any image can be is shown as the widest one.
  header.viewWidth = int16_t(std::clamp(cut.FrameWidth() / factor, 0, int32_t(INT16_MAX)));
  header.viewHeight = int16_t(std::clamp(cut.FrameHeight() / factor, 0, int32_t(INT16_MAX)));
  header.fps = uint8_t(cut.Fps());  // the low 8 bits
  header.levelCount = factor == 1 ? 4 : 13;
  return header;
}

ov::FrameFields FrameRecordFields(Cut& cut, int32_t index, bool firstOfRecord, int factor) {
  ov::FrameFields fields;
  Frame* frame = cut.FrameAt(index);
  if (!frame || factor < 1) return fields;
  const int32_t duration = cut.EffectiveTime(index);
  fields.duration = firstOfRecord ? Magnitude16(duration) : int16_t(duration);
  fields.repeat = int16_t(frame->Loop());
  if (firstOfRecord && fields.repeat == 0) fields.repeat = 1;
  fields.brightness = uint8_t(frame->Brightness());
  fields.viewX = int16_t(frame->X() / factor);
  fields.viewY = int16_t(frame->Y() / factor);
  return fields;
}

bool FrameEncoder::Encode(Cut& cut, FrameSurface& work, int32_t first, int32_t last) {
  factor_ = AntiAliasFactor(cut);
  if (first > last || first < 0 || last >= cut.FrameCount() || factor_ == 0) return false;
  levels_ = factor_ == 1 ? 4 : 13;
  const int32_t width = cut.CanvasWidth() / factor_, height = cut.CanvasHeight() / factor_;
  if (width < 1 || height < 1 || width > INT16_MAX || height > INT16_MAX) return false;
  if (!buffer_.Create(width, height)) return false;
  if (work.Width() != cut.CanvasWidth() || work.Height() != cut.CanvasHeight() || !work.Bits()) {
    if (!work.Create(cut.CanvasWidth(), cut.CanvasHeight(), 0)) return false;
  }
  // A decoder starts from a fresh buffer; the row padding must match it, because blocks
  // at a row's end read and write it.
  buffer_.Fill(0);
  counter_ = 0;
  previousScan_ = Rect{};
  dirty_ = DirtyRegion();

  const ov::CutHeader header = CutRecordHeader(cut, factor_);
  if (!ov::BeginTl(out_) || !ov::WriteCutHeader(out_, header)) return false;
  for (int32_t k = first; k <= last; ++k) {
    if (!CodeFrame(cut, work, k, k - first)) return false;
  }
  return ov::FinishLength(out_);
}

bool FrameEncoder::CodeFrame(Cut& cut, FrameSurface& work, int32_t index, int32_t i) {
  Frame& frame = *cut.FrameAt(index);
  const bool currentOnly = (cut.DisplayFlags() & kCurrentCellOnly) != 0;
  const int32_t width = buffer_.Width(), height = buffer_.Height();
  const int f = factor_;
  Rect changed{0, 0, width, height};

  Frame* previous = i > 0 ? cut.FrameAt(index - 1) : nullptr;
  if (previous && SamePicture(*previous, frame, currentOnly)) {
    changed = Rect{};
  } else {
    const Rect canvas{0, 0, cut.CanvasWidth(), cut.CanvasHeight()};
    const Rect area =
        previous ? ClipTo(dirty_.Between(*previous, frame, currentOnly), canvas.width, canvas.height)
                 : canvas;
    if (!area.IsEmpty()) {
      ClearArea(work, area);
      Compose(frame, work, area.x, area.y, area.width, area.height,
              cut.DisplayFlags() & kCurrentCellOnly, nullptr);
    }
    buffer_.SetCurrentPage(counter_ & 1);
    ++counter_;

    Rect scan{0, 0, width, height};
    if (previous) {
      scan = Rect{};
      if (!area.IsEmpty()) {
        // Outward to whole blocks of f × f drawing pixels.
        const int32_t x0 = area.x / f, y0 = area.y / f;
        const int32_t x1 = std::min<int64_t>((int64_t(area.x) + area.width + f - 1) / f, width);
        const int32_t y1 = std::min<int64_t>((int64_t(area.y) + area.height + f - 1) / f, height);
        if (x0 < x1 && y0 < y1) scan = Rect{x0, y0, x1 - x0, y1 - y0};
      }
      const Rect& p = previousScan_;
      if (scan.IsEmpty()) {
        buffer_.CopyFromOtherPage(p.x, p.y, p.width, p.height);
      } else {
        const Rect u = UnionRect(p, scan);
        buffer_.CopyFromOtherPage(u.x, u.y, u.width, scan.y - u.y);
        buffer_.CopyFromOtherPage(u.x, scan.y, scan.x - u.x, scan.height);
        buffer_.CopyFromOtherPage(scan.Right(), scan.y, u.Right() - scan.Right(), scan.height);
        buffer_.CopyFromOtherPage(u.x, scan.Bottom(), u.width, u.Bottom() - scan.Bottom());
      }
    }
    previousScan_ = scan;
    if (!scan.IsEmpty()) {
      Rect differ;
      if (!buffer_.Reduce(work, previous ? &differ : nullptr, f, &scan)) return false;
      if (previous) changed = differ;
    } else {
      changed = Rect{};
    }
  }

  ov::FrameFields fields = FrameRecordFields(cut, index, i == 0, f);
  fields.x = int16_t(changed.x);
  fields.y = int16_t(changed.y);
  fields.width = int16_t(changed.width);
  fields.height = int16_t(changed.height);
  return ov::WriteFrameFields(out_, fields) && CodePixels(changed, i == 0);
}

bool FrameEncoder::CodePixels(const Rect& changed, bool firstFrame) {
  FramePixelWriter& writer = writer_;  // reused frame after frame: its buffers stay
  if (!writer.Begin(out_, changed.width, changed.height, levels_)) return false;
  const uint8_t* bits = buffer_.Bits();
  const int32_t stride = buffer_.Stride();
  const unsigned cur = buffer_.CurrentPage() ? 4 : 0, other = 4 - cur;
  constexpr uint32_t kNibbles = 0x0F0F0F0F;
  for (int32_t y = changed.y; y < changed.Bottom(); ++y) {
    const uint8_t* row = bits + size_t(y) * size_t(stride);
    int32_t block = 0;
    for (int32_t x = changed.x; x < changed.Right(); x += 4, ++block) {
      // Four pixels of the current page, one nibble per byte, in memory order (the last
      // block of a row may run into the padding or the next row, as the decoder's does).
      const uint32_t b = (Load32(row + x) >> cur) & kNibbles;
      auto matches = [&](int code) {
        if (code == ov::kPreviousCode) return !firstFrame && ((Load32(row + x) >> other) & kNibbles) == b;
        const ov::BlockOffset d = ov::kBlockOffsets[code];
        if (x + d.dx < 0 || y + d.dy < 0) return false;
        const uint8_t* p = row + int64_t(d.dy) * stride + d.dx + x;
        return ((Load32(p) >> cur) & kNibbles) == b;
      };
      int code = ov::kLiteralCode;
      const int predicted = writer.CodeAbove(block);
      if (predicted != ov::kLiteralCode && matches(predicted)) {
        code = predicted;
      } else {
        for (const int k : kSearchOrder) {
          if (matches(k)) {
            code = k;
            break;
          }
        }
      }
      if (code == ov::kLiteralCode) {
        const uint8_t px[4] = {uint8_t(b), uint8_t(b >> 8), uint8_t(b >> 16), uint8_t(b >> 24)};
        writer.AddBlock(code, px);
      } else {
        writer.AddBlock(code);
      }
    }
    if (!writer.EndRow()) return false;
  }
  return writer.End();
}
