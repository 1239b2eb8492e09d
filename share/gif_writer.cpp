// Animated GIF through giflib, collected in memory. The blocks written, in file order:
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
// A delay longer than a u16 holds goes on in 1 × 1 frames of the transparent index.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "share/color_index.h"
#include "share/picture_writers.h"

namespace {

constexpr size_t kScreenBytes = 13;
constexpr int64_t kLongestDelay = 65535;

class GifWriter final : public PictureWriter {
 public:
  GifWriter(const WriterOptions& options, std::vector<uint8_t>& out) : options_(options), out_(out) {}
  ~GifWriter() override {
    if (gif_) EGifCloseFile(gif_, nullptr);
  }

  int64_t UnitsPerSecond() const override { return 100; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  static int Output(GifFileType* gif, const GifByteType* bytes, int n);
  bool Begin(int32_t width, int32_t height);
  bool WriteControl(int transparent, int64_t delay);
  bool WriteImage(const IndexedRect& image, int64_t delay);
  bool GifFailed() { return Fail(std::string("GIF: ") + GifErrorString(gif_->Error)); }

  const WriterOptions options_;
  std::vector<uint8_t>& out_;
  GifFileType* gif_ = nullptr;
  IndexedRect pending_;
  bool havePending_ = false;
  int64_t pendingStart_ = 0;
  std::vector<GifPixelType> line_;
};

int GifWriter::Output(GifFileType* gif, const GifByteType* bytes, int n) {
  auto* self = static_cast<GifWriter*>(gif->UserData);
  try {
    self->out_.insert(self->out_.end(), bytes, bytes + n);
  } catch (...) {
    return 0;
  }
  return n;
}

bool GifWriter::Begin(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kLargestPictureSide || height > kLargestPictureSide)
    return Fail("GIF: a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
  out_.clear();
  int error = 0;
  gif_ = EGifOpen(this, Output, &error);
  if (!gif_) return Fail(std::string("GIF: ") + GifErrorString(error));
  EGifSetGifVersion(gif_, true);
  if (EGifPutScreenDesc(gif_, width, height, 8, 0, nullptr) == GIF_ERROR) return GifFailed();
  if (out_.size() != kScreenBytes) return Fail("GIF: unexpected screen descriptor");
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

bool GifWriter::WriteImage(const IndexedRect& image, int64_t delay) {
  const int s = options_.scale;
  const Rect& r = image.rect;
  int64_t left = std::max<int64_t>(delay, 0);
  const int64_t now = std::min(left, kLongestDelay);
  left -= now;
  if (!WriteControl(image.transparent, now)) return false;
  GifColorType colors[256] = {};
  int size = 2;
  while (size < int(image.colors.size())) size *= 2;
  for (size_t i = 0; i < image.colors.size(); ++i) {
    const uint32_t c = image.colors[i];
    colors[i] = GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
  }
  ColorMapObject* map = GifMakeMapObject(size, colors);
  if (!map) return Fail("GIF: out of memory");
  const bool described = EGifPutImageDesc(gif_, r.x * s, r.y * s, r.width * s, r.height * s, false, map) != GIF_ERROR;
  GifFreeMapObject(map);
  if (!described) return GifFailed();
  line_.resize(size_t(r.width) * size_t(s));
  for (int32_t y = 0; y < r.height; ++y) {
    RepeatEach(image.index.data() + size_t(y) * size_t(r.width), r.width, s, line_.data());
    for (int k = 0; k < s; ++k) {
      if (EGifPutLine(gif_, line_.data(), int(line_.size())) == GIF_ERROR) return GifFailed();
    }
  }
  // The rest of a long delay: frames that change nothing.
  while (left > 0) {
    const int64_t more = std::min(left, kLongestDelay);
    left -= more;
    if (!WriteControl(0, more)) return false;
    GifColorType two[2] = {};
    ColorMapObject* tiny = GifMakeMapObject(2, two);
    if (!tiny) return Fail("GIF: out of memory");
    const bool ok = EGifPutImageDesc(gif_, 0, 0, 1, 1, false, tiny) != GIF_ERROR;
    GifFreeMapObject(tiny);
    GifPixelType pixel = 0;
    if (!ok || EGifPutLine(gif_, &pixel, 1) == GIF_ERROR) return GifFailed();
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
  const int plays = held ? 1 : options_.loopCount;
  if (plays != 1) {
    // The loop count counts the repeats after the first play; 0 repeats for ever.
    const int repeats = plays == 0 ? 0 : std::min(plays - 1, 65535);
    const uint8_t loop[19] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                              0x03, 0x01, uint8_t(repeats), uint8_t(repeats >> 8), 0x00};
    out_.insert(out_.begin() + kScreenBytes, std::begin(loop), std::end(loop));
  }
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewGifWriter(const WriterOptions& options, std::vector<uint8_t>& out) {
  return std::make_unique<GifWriter>(options, out);
}
