#pragma once

#include <cstdint>
#include <vector>

#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "io/byte_stream.h"
#include "model/rect.h"

// Plays an OV or TL stream cut by cut and frame by frame into a two-page frame buffer:
// each frame is decoded into the page selected by the frame counter's parity while the
// other page holds the frame before. After the last frame record the stream starts again
// with the first cut.
//
// Damaged data decodes into wrong pixels but never reads outside the stream or writes
// outside the frame buffer, and every call does work bounded by the frame buffer's size.
class Decoder {
 public:
  explicit Decoder(FrameBuffer& frameBuffer) : buffer_(frameBuffer) {}

  // Reads the file header, creates the frame buffer with the largest image size (OV) or
  // the cut's image size (TL) and stands before the first cut. The stream stays the
  // caller's and must outlive the decoder's use of it. Fails, changing nothing, when the
  // header is not OV or TL (or cut short, without cuts) or the frame buffer cannot be made.
  bool Open(ByteStream& stream);

  // Decodes the next frame; its duration in ticks (negative: a dissolve), 0 without a
  // stream.
  int NextFrame();
  // Jumps to cut k and decodes its first frame; its duration, 0 for k outside the cut
  // table or without a stream.
  int GotoCut(int32_t k);
  // The cut after the one whose header was read last (after the last: the first) and the
  // one before it (before the first: the last).
  int NextCut();
  int PreviousCut();

  bool HasStream() const { return stream_ != nullptr; }
  ov::Kind Kind() const { return kind_; }
  int32_t CutCount() const { return int32_t(cutOffsets_.size()); }
  const std::vector<int32_t>& CutOffsets() const { return cutOffsets_; }
  int32_t RestartPosition() const { return restart_; }
  int32_t StreamLength() const { return length_; }
  // The cut whose header is read next. The player sets it back to a mark it took, to
  // undo a look-ahead into the next cut's header.
  int32_t NextCutIndex() const { return nextCut_; }
  void SetNextCutIndex(int32_t k) { nextCut_ = k; }
  // The cut being shown: the one before the next cut index, the last one at index 0.
  int32_t CurrentCut() const;
  // True when the stream stands at its end with no loop open: the next frame starts the
  // first cut again.
  bool AtEnd() const;
  // How often reading started again at the first cut with no loop open since Open: the
  // passes through the whole film begun after the first.
  int32_t Restarts() const { return restarts_; }

  int32_t ViewAreaWidth() const { return viewAreaWidth_; }
  int32_t ViewAreaHeight() const { return viewAreaHeight_; }
  // The current cut's header (its frame rate raised to at least 1).
  const ov::CutHeader& Cut() const { return cut_; }
  // The fields of the frame shown last; the duration as returned.
  const ov::FrameFields& Frame() const { return frame_; }
  // Where the record of the frame shown last begins (after a loop closes: the loop's
  // first record).
  int32_t FrameOffset() const { return frameAt_; }
  // Frames decoded since the cut began.
  int32_t FrameCounter() const { return counter_; }
  const Rect& ChangedRect() const { return changed_; }
  // Passes of the open loop still to play; 1 when no loop is open.
  int32_t PassesLeft() const { return passesLeft_; }
  FrameBuffer& Buffer() { return buffer_; }

 private:
  bool ReadRecord(ov::FrameHeader& record);
  void BringUpOtherPage(const Rect& previous);
  void DecodePixels(const ov::FrameHeader& record, int64_t dataAt);
  void SeekTo(int64_t position);

  FrameBuffer& buffer_;
  ByteStream* stream_ = nullptr;
  ov::Kind kind_ = ov::Kind::kTl;
  std::vector<int32_t> cutOffsets_;
  int32_t nextCut_ = 0, restart_ = 0, length_ = 0;
  int32_t restarts_ = 0;
  int32_t viewAreaWidth_ = 0, viewAreaHeight_ = 0;

  ov::CutHeader cut_;
  ov::FrameFields frame_;
  int32_t frameAt_ = 0;
  Rect changed_;
  int32_t counter_ = 0;

  int32_t passesLeft_ = 1;
  int32_t loopAt_ = 0, loopCounter_ = 0;
  Rect loopChanged_;

  // The presence, code and literal bytes of one record, and the code row.
  std::vector<uint8_t> data_;
  std::vector<uint8_t> codeRow_;
  std::vector<uint32_t> staging_;  // eight rows' literals
};
