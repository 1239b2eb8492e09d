// Animated WebP, lossless, written as it is made: each picture's changed rectangle is coded
// by libwebp's lossless encoder (a colour-indexed image where few colours are used) and
// framed here, so memory holds one picture however long the film. The chunks, in file
// order (sizes little-endian, u24 fields 3 bytes):
//
//   "RIFF" u32 size "WEBP"                       size of what follows "RIFF" and it
//   "VP8X" u32 10: flags 0x02 (animation), 3 reserved bytes, canvas width − 1 and height − 1 (u24)
//   "ANIM" u32 6: background colour (blue, green, red, alpha: opaque black), loop count (u16)
//   for each picture:
//     "ANMF" u32 size: x / 2, y / 2, width − 1, height − 1, duration in ms (u24 each),
//       flags 0x02 (no blending, no disposal), then the rectangle's "VP8L" chunk
//   (every chunk padded to an even size)
//
// The rectangle is the changed one with its left and top edges moved to even positions.
// A duration longer than a u24 holds goes on in 2 × 2 frames that repeat the corner. The
// RIFF size and the loop count are written last, when the film's end is known (a film that
// stops plays once). A film of one picture is a still image: its "VP8L" chunk alone.
#include <webp/encode.h>

#include <algorithm>
#include <cstring>

#include "io/byte_stream.h"
#include "io/little_endian.h"
#include "share/picture_writers.h"

namespace {

// Lossless effort (0 fastest … 9 smallest): pictures of few flat colours gain little from more.
constexpr int kLosslessLevel = 1;
constexpr int64_t kLongestDuration = 0xFFFFFF;
// The loop count's place: after the RIFF header (12 bytes), "VP8X" (18) and the "ANIM"
// chunk's tag, size and background colour.
constexpr size_t kLoopAt = 12 + 18 + 12;
// A RIFF size is a u32 of what follows its field.
constexpr int64_t kLargestFile = int64_t(0xFFFFFFFF) + 8 - 1;

void Put16(std::vector<uint8_t>& b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put24(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v), b.push_back(uint8_t(v >> 16)); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v), Put16(b, v >> 16); }
void PutTag(std::vector<uint8_t>& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(tag[i]));
}

class WebpWriter final : public PictureWriter {
 public:
  WebpWriter(const WriterOptions& options, ByteStream& out) : options_(options), out_(out) {}

  int64_t UnitsPerSecond() const override { return 1000; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  // `r` (scaled) of `picture` as a "VP8L" chunk in `chunk_`.
  bool CodeRect(const Canvas& picture, const Rect& r);
  // The pending picture's frame; the rest of a long duration in frames of its corner.
  bool WritePending(int64_t duration);
  bool WriteFrame(const Rect& r, int64_t duration);
  bool Write(const uint8_t* bytes, size_t n);

  const WriterOptions options_;
  ByteStream& out_;
  WebPConfig config_;
  int32_t width_ = 0, height_ = 0;  // the canvas, scale included
  int64_t pictures_ = 0;
  int64_t written_ = 0;
  // The picture added last, coded but not yet written: its time is known with the next one.
  Rect pendingRect_;  // scaled
  int64_t pendingStart_ = 0;
  Canvas corner_;     // its top-left 2 × 2 pixels, for a duration too long for one frame
  std::vector<uint8_t> chunk_;
  std::vector<uint32_t> argb_;
  std::vector<uint8_t> bytes_;
};

bool WebpWriter::Write(const uint8_t* bytes, size_t n) {
  if (written_ + int64_t(n) > kLargestFile) return Fail("WebP: the animation passes 4 GiB, the format's limit");
  if (n > 0 && out_.Write(bytes, int32_t(n)) != 1) return Fail("WebP: write failed");
  written_ += int64_t(n);
  return true;
}

bool WebpWriter::CodeRect(const Canvas& picture, const Rect& r) {
  const int s = options_.scale;
  argb_.resize(size_t(r.width) * size_t(r.height));
  for (int32_t y = 0; y < r.height; ++y) {
    const uint32_t* row = picture.Row((r.y + y) / s);
    uint32_t* to = argb_.data() + size_t(y) * size_t(r.width);
    for (int32_t x = 0; x < r.width; ++x) to[x] = row[(r.x + x) / s];
  }
  WebPPicture frame;
  if (!WebPPictureInit(&frame)) return Fail("WebP: the library does not match its headers");
  frame.use_argb = 1;
  frame.width = r.width, frame.height = r.height;
  frame.argb = argb_.data();
  frame.argb_stride = r.width;
  WebPMemoryWriter memory;
  WebPMemoryWriterInit(&memory);
  frame.writer = WebPMemoryWrite;
  frame.custom_ptr = &memory;
  const bool coded = WebPEncode(&config_, &frame) != 0;
  // An opaque lossless picture comes as "RIFF" size "WEBP" and one "VP8L" chunk.
  const size_t chunk = memory.size >= 20 ? 8 + ((size_t(LoadU32Le(memory.mem + 16)) + 1) & ~size_t(1)) : 0;
  const bool simple = coded && chunk > 0 && std::memcmp(memory.mem + 12, "VP8L", 4) == 0 && 12 + chunk <= memory.size;
  if (simple) chunk_.assign(memory.mem + 12, memory.mem + 12 + chunk);
  const WebPEncodingError error = frame.error_code;
  WebPMemoryWriterClear(&memory);
  WebPPictureFree(&frame);
  if (!coded) return Fail(error == VP8_ENC_ERROR_OUT_OF_MEMORY ? "WebP: out of memory" : "WebP: a picture cannot be coded");
  if (!simple) return Fail("WebP: the library coded a picture in an unexpected form");
  return true;
}

bool WebpWriter::WriteFrame(const Rect& r, int64_t duration) {
  bytes_.clear();
  PutTag(bytes_, "ANMF");
  Put32(bytes_, uint32_t(16 + chunk_.size()));
  Put24(bytes_, uint32_t(r.x / 2)), Put24(bytes_, uint32_t(r.y / 2));
  Put24(bytes_, uint32_t(r.width - 1)), Put24(bytes_, uint32_t(r.height - 1));
  Put24(bytes_, uint32_t(duration));
  bytes_.push_back(0x02);  // no blending, no disposal
  return Write(bytes_.data(), bytes_.size()) && Write(chunk_.data(), chunk_.size());
}

bool WebpWriter::WritePending(int64_t duration) {
  int64_t left = std::max<int64_t>(duration, 0);
  const int64_t first = std::min(left, kLongestDuration);
  left -= first;
  if (!WriteFrame(pendingRect_, first)) return false;
  if (left > 0 && !CodeRect(corner_, corner_.Whole())) return false;
  while (left > 0) {
    const int64_t more = std::min(left, kLongestDuration);
    left -= more;
    if (!WriteFrame(corner_.Whole(), more)) return false;
  }
  return true;
}

bool WebpWriter::Add(const Canvas& picture, const Canvas*, const Rect& changed, int64_t start) {
  const int s = options_.scale;
  if (pictures_ == 0) {
    width_ = picture.width * s, height_ = picture.height * s;
    if (!PictureSizeFits(width_, height_))
      return Fail("WebP: a picture of " + std::to_string(width_) + " x " + std::to_string(height_) + " is too large");
    if (!WebPConfigInit(&config_) || !WebPConfigLosslessPreset(&config_, kLosslessLevel))
      return Fail("WebP: the library does not match its headers");
    config_.exact = 1;
  } else {
    if (pictures_ == 1) {
      // A second picture: the file is an animation, whose header goes before the first
      // frame (held back in case it stayed the only picture).
      bytes_.clear();
      PutTag(bytes_, "RIFF");
      Put32(bytes_, 0);  // written at the end
      PutTag(bytes_, "WEBP");
      PutTag(bytes_, "VP8X");
      Put32(bytes_, 10);
      Put32(bytes_, 0x02);  // animation; 3 reserved bytes
      Put24(bytes_, uint32_t(width_ - 1)), Put24(bytes_, uint32_t(height_ - 1));
      PutTag(bytes_, "ANIM");
      Put32(bytes_, 6);
      Put32(bytes_, 0xFF000000u);  // blue, green, red, alpha
      Put16(bytes_, 0);             // the loop count, written at the end
      if (!Write(bytes_.data(), bytes_.size())) return false;
    }
    if (!WritePending(start - pendingStart_)) return false;
  }
  const Rect c = pictures_ == 0 ? picture.Whole() : ClipToCanvas(picture, changed);
  const int32_t x = c.x * s & ~1, y = c.y * s & ~1;
  pendingRect_ = Rect{x, y, c.Right() * s - x, c.Bottom() * s - y};
  if (!CodeRect(picture, pendingRect_)) return false;
  corner_.Resize(std::min(width_, 2), std::min(height_, 2));
  for (int32_t j = 0; j < corner_.height; ++j)
    for (int32_t i = 0; i < corner_.width; ++i) corner_.Row(j)[i] = picture.At(i / s, j / s);
  pendingStart_ = start;
  ++pictures_;
  return true;
}

bool WebpWriter::Finish(int64_t end, bool held) {
  if (pictures_ == 0) return Fail("WebP: no pictures");
  if (pictures_ == 1) {
    // A still image.
    bytes_.clear();
    PutTag(bytes_, "RIFF");
    Put32(bytes_, uint32_t(4 + chunk_.size()));
    PutTag(bytes_, "WEBP");
    return Write(bytes_.data(), bytes_.size()) && Write(chunk_.data(), chunk_.size());
  }
  // A held picture has no time of its own (0); the animation then plays once.
  if (!WritePending(held ? 0 : end - pendingStart_)) return false;
  const uint32_t riff = uint32_t(written_ - 8);
  const int plays = held ? 1 : options_.loopCount;
  const uint8_t size[4] = {uint8_t(riff), uint8_t(riff >> 8), uint8_t(riff >> 16), uint8_t(riff >> 24)};
  const uint8_t loops[2] = {uint8_t(plays), uint8_t(plays >> 8)};
  if (out_.Seek(4, kSeekSet) != 1 || out_.Write(size, 4) != 1 || out_.Seek(int32_t(kLoopAt), kSeekSet) != 1 ||
      out_.Write(loops, 2) != 1 || out_.Seek(0, kSeekEnd) != 1)
    return Fail("WebP: write failed");
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewWebpWriter(const WriterOptions& options, ByteStream& out) {
  return std::make_unique<WebpWriter>(options, out);
}
