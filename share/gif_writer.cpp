// Animated GIF through giflib, written as it is made. The blocks written, in file order:
//
//   "GIF89a" and the logical screen: canvas × scale, no global colour table    13 bytes
//   application extension "NETSCAPE2.0", sub-block 1 = loop count (u16)        19 bytes,
//                                              only when the animation repeats
//   for each picture:
//     graphic control extension: disposal 1 (leave in place), the transparent index when
//       the picture keeps pixels of the one before, delay in 1/100 s (u16)
//     image descriptor: the changed rectangle × scale, local colour table of the colours
//       used (2^k entries), LZW data
//   trailer ";"
//
// A delay longer than a u16 holds goes on in 1 × 1 frames of the transparent index. The
// LZW data is coded here (GifLzw: giflib's own coder takes several times as long) and
// handed to giflib as code blocks.
//
// Whether the loop block belongs in the file is known only at the end (a film that stops
// plays once), so the pictures go to a scratch file first and follow the screen and the
// loop block into the output at the end: memory holds one picture, however long the film.
#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/byte_stream.h"
#include "io/io_fault.h"
#include "share/color_index.h"
#include "share/gif_lzw.h"
#include "share/picture_writers.h"

namespace {

constexpr size_t kScreenBytes = 13;
constexpr int64_t kLongestDelay = 65535;

class GifWriter final : public PictureWriter {
 public:
  GifWriter(const WriterOptions& options, ByteStream& out) : options_(options), out_(out) {}
  ~GifWriter() override {
    if (gif_) EGifCloseFile(gif_, nullptr);
    if (spool_) std::fclose(spool_);
  }

  int64_t UnitsPerSecond() const override { return 100; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  static int Output(GifFileType* gif, const GifByteType* bytes, int n);
  bool Begin(int32_t width, int32_t height);
  bool WriteControl(int transparent, int64_t delay);
  bool WriteImage(const IndexedRect& image, int64_t delay);
  // The image descriptor and the coded pixels, rows × scale.
  bool WritePixels(int32_t x, int32_t y, int32_t w, int32_t h, const std::vector<uint32_t>& colors,
                   const uint8_t* index);
  bool GifFailed() { return Fail(std::string("GIF: ") + GifErrorString(gif_->Error)); }
  // The screen, the loop block when the animation repeats, and the spooled pictures.
  bool WriteOutput(int plays);

  const WriterOptions options_;
  ByteStream& out_;
  std::vector<uint8_t> screen_;  // what giflib writes first: the logical screen
  std::FILE* spool_ = nullptr;   // everything after it
  int64_t spooled_ = 0;
  int spoolError_ = 0;  // the errno of the first write to the spool that failed
  GifFileType* gif_ = nullptr;
  IndexedRect pending_;
  bool havePending_ = false;
  int64_t pendingStart_ = 0;
  std::vector<uint8_t> line_;
  GifLzw lzw_;
};

int GifWriter::Output(GifFileType* gif, const GifByteType* bytes, int n) {
  auto* self = static_cast<GifWriter*>(gif->UserData);
  if (self->screen_.size() < kScreenBytes) {
    self->screen_.insert(self->screen_.end(), bytes, bytes + n);
    return n;
  }
  if (!self->spool_ || IoFault(IoCall::kWrite) || std::fwrite(bytes, 1, size_t(n), self->spool_) != size_t(n)) {
    // giflib does not look at what some of its writes return: the spool remembers.
    if (self->spoolError_ == 0) self->spoolError_ = errno != 0 ? errno : EIO;
    return 0;
  }
  self->spooled_ += n;
  return n;
}

bool GifWriter::Begin(int32_t width, int32_t height) {
  if (!PictureSizeFits(width, height))
    return Fail("GIF: a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
  spool_ = IoFault(IoCall::kCreate) ? nullptr : std::tmpfile();
  if (!spool_) return Fail("GIF: cannot make a scratch file");
  int error = 0;
  gif_ = EGifOpen(this, Output, &error);
  if (!gif_) return Fail(std::string("GIF: ") + GifErrorString(error));
  EGifSetGifVersion(gif_, true);
  if (EGifPutScreenDesc(gif_, width, height, 8, 0, nullptr) == GIF_ERROR) return GifFailed();
  if (screen_.size() != kScreenBytes) return Fail("GIF: unexpected screen descriptor");
  return true;
}

bool GifWriter::WriteControl(int transparent, int64_t delay) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = int(delay);
  control.TransparentColor = transparent;
  GifByteType bytes[4];
  const size_t n = EGifGCBToExtension(&control, bytes);
  return EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, int(n), bytes) != GIF_ERROR || GifFailed();
}

bool GifWriter::WritePixels(int32_t x, int32_t y, int32_t w, int32_t h, const std::vector<uint32_t>& colors,
                            const uint8_t* index) {
  const int s = options_.scale;
  GifColorType table[256] = {};
  int size = 2;
  while (size < int(colors.size())) size *= 2;
  for (size_t i = 0; i < colors.size() && i < 256; ++i) {
    const uint32_t c = colors[i];
    table[i] = GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
  }
  ColorMapObject* map = GifMakeMapObject(size, table);
  if (!map) return Fail("GIF: out of memory");
  // giflib writes the code size byte from the table size, at least 2.
  const int codeSize = std::max(2, map->BitsPerPixel);
  const bool described = EGifPutImageDesc(gif_, x * s, y * s, w * s, h * s, false, map) != GIF_ERROR;
  GifFreeMapObject(map);
  if (!described) return GifFailed();
  lzw_.Begin(codeSize);
  line_.resize(size_t(w) * size_t(s));
  for (int32_t row = 0; row < h; ++row) {
    RepeatEach(index + size_t(row) * size_t(w), w, s, line_.data());
    for (int k = 0; k < s; ++k) lzw_.Put(line_.data(), line_.size());
  }
  lzw_.End();
  const std::vector<uint8_t>& blocks = lzw_.Blocks();
  for (size_t at = 0; at < blocks.size(); at += size_t(blocks[at]) + 1) {
    const int put = at == 0 ? EGifPutCode(gif_, codeSize, &blocks[at]) : EGifPutCodeNext(gif_, &blocks[at]);
    if (put == GIF_ERROR) return GifFailed();
  }
  return EGifPutCodeNext(gif_, nullptr) != GIF_ERROR || GifFailed();
}

bool GifWriter::WriteImage(const IndexedRect& image, int64_t delay) {
  const Rect& r = image.rect;
  int64_t left = std::max<int64_t>(delay, 0);
  const int64_t first = std::min(left, kLongestDelay);
  left -= first;
  if (!WriteControl(image.transparent, first)) return false;
  if (!WritePixels(r.x, r.y, r.width, r.height, image.colors, image.index.data())) return false;
  // The rest of a long delay: frames that change nothing.
  while (left > 0) {
    const int64_t more = std::min(left, kLongestDelay);
    left -= more;
    const uint8_t transparent = 0;
    if (!WriteControl(0, more) || !WritePixels(0, 0, 1, 1, {Canvas::kBlack}, &transparent)) return false;
  }
  return true;
}

bool GifWriter::Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) {
  if (!gif_ && !Begin(picture.width * options_.scale, picture.height * options_.scale)) return false;
  if (havePending_ && !WriteImage(pending_, start - pendingStart_)) return false;
  IndexRect(picture, before, changed, 256, true, pending_);
  havePending_ = true;
  pendingStart_ = start;
  return true;
}

bool GifWriter::Finish(int64_t end, bool held) {
  if (!gif_ || !havePending_) return Fail("GIF: no pictures");
  if (!WriteImage(pending_, held ? 0 : end - pendingStart_)) return false;
  havePending_ = false;
  int error = 0;
  const int closed = EGifCloseFile(gif_, &error);
  gif_ = nullptr;
  if (closed == GIF_ERROR) return Fail(std::string("GIF: ") + GifErrorString(error));
  // Whether the animation repeats is known only now: a film that stops plays once.
  return WriteOutput(held ? 1 : options_.loopCount);
}

bool GifWriter::WriteOutput(int plays) {
  if (spoolError_ != 0) return Fail(std::string("GIF: scratch file failed (") + std::strerror(spoolError_) + ")");
  if (out_.Write(screen_.data(), int32_t(screen_.size())) != 1) return Fail("GIF: write failed");
  if (plays != 1) {
    // The loop count counts the repeats after the first play; 0 repeats for ever.
    const int repeats = plays == 0 ? 0 : std::min(plays - 1, 65535);
    const uint8_t loop[19] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                              0x03, 0x01, uint8_t(repeats), uint8_t(repeats >> 8), 0x00};
    if (out_.Write(loop, int32_t(sizeof loop)) != 1) return Fail("GIF: write failed");
  }
  if (IoFault(IoCall::kFlush) || std::fflush(spool_) != 0 || std::fseek(spool_, 0, SEEK_SET) != 0) return Fail("GIF: scratch file failed");
  std::vector<uint8_t> chunk(size_t(1) << 16);
  for (int64_t left = spooled_; left > 0;) {
    const size_t n = size_t(std::min<int64_t>(left, int64_t(chunk.size())));
    if (std::fread(chunk.data(), 1, n, spool_) != n) return Fail("GIF: scratch file failed");
    if (out_.Write(chunk.data(), int32_t(n)) != 1) return Fail("GIF: write failed");
    left -= int64_t(n);
  }
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewGifWriter(const WriterOptions& options, ByteStream& out) {
  return std::make_unique<GifWriter>(options, out);
}
