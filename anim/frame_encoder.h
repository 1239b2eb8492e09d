#pragma once

#include <cstdint>

#include "anim/frame_buffer.h"
#include "anim/frame_pixel_writer.h"
#include "anim/ov_layout.h"
#include "io/byte_stream.h"
#include "model/dirty_region.h"
#include "model/rect.h"

class Cut;
class FrameSurface;

// Compiles frames of a cut into a TL stream. Each frame is composed into a work image of
// canvas size (only the area that can differ from the frame before), reduced to grey
// levels into the frame buffer's current page, and coded block by block against the two
// pages. The buffer then holds what a decoder holds after decoding the same frame, which
// is what keeps every block code one the decoder can follow.
//
// Block search: the code of the block above first (when not 0), then
// 1, 4, 5, 6, 15, 7, 9, 10, 2, 8, 11, 12, 13, 14, 3; the first whose 4 pixels equal the
// block wins, else a literal. Codes never look left of column 0 or above row 0, and 15
// never in the first frame.
class FrameEncoder {
 public:
  // `out` receives the TL stream from position 0; `buffer` is made at the image size.
  FrameEncoder(ByteStream& out, FrameBuffer& buffer) : out_(out), buffer_(buffer) {}

  // Frames first..last (0-based) of the cut as one TL stream. `work` is (re)made at canvas
  // size when it has another size. Fails writing nothing for first > last, first < 0,
  // last ≥ the frame count, the anti-aliasing choice 3, an image size (cut size ÷ factor)
  // below one pixel or beyond 16 bits, or memory that cannot be had; fails later only when
  // the stream refuses a write.
  bool Encode(Cut& cut, FrameSurface& work, int32_t first, int32_t last);

 private:
  bool CodeFrame(Cut& cut, FrameSurface& work, int32_t index, int32_t i);
  bool CodePixels(const Rect& changed, bool firstFrame);

  ByteStream& out_;
  FrameBuffer& buffer_;
  int factor_ = 1;
  int levels_ = 4;
  int32_t counter_ = 0;  // coded frames: its parity selects the page
  Rect previousScan_;
  DirtyRegion dirty_;
  FramePixelWriter writer_;
};

// The level (0-3) a drawing pixel class adds to its block's sum: black 0 .. white 3, the
// dark and light greys and line shades between; every other class counts as white.
int PixelLevel(int pixelClass);

// 1, 2 or 4 from the cut's anti-aliasing choice; 0 for the invalid choice 3.
int AntiAliasFactor(const Cut& cut);

// The cut header a TL stream of the cut carries (factor from AntiAliasFactor, not 0).
ov::CutHeader CutRecordHeader(const Cut& cut, int factor);

// The timing and camera fields of frame `index`'s record, the changed rectangle left 0:
// the effective time (its magnitude for the first frame of a record), the loop count (0
// written as 1 for the first frame), the brightness and the frame position ÷ factor.
ov::FrameFields FrameRecordFields(Cut& cut, int32_t index, bool firstOfRecord, int factor);
