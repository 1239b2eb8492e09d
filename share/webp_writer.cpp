// Animated WebP through libwebp's animation encoder, lossless, collected in memory. Every
// picture goes in whole with the time it appears; the encoder stores only the changed
// sub-frame of each (and a colour-indexed image where few colours are used). The loop
// count is that of the ANIM chunk: how often the animation plays, 0 for ever.
#include <webp/encode.h>
#include <webp/mux.h>

#include <climits>

#include "share/picture_writers.h"

namespace {

// Lossless effort (0 fastest … 9 smallest): pictures of few flat colours gain little from more.
constexpr int kLosslessLevel = 1;

class WebpWriter final : public PictureWriter {
 public:
  WebpWriter(const WriterOptions& options, std::vector<uint8_t>& out) : options_(options), out_(out) {}
  ~WebpWriter() override {
    if (encoder_) WebPAnimEncoderDelete(encoder_);
  }

  int64_t UnitsPerSecond() const override { return 1000; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  bool Begin(int32_t width, int32_t height);
  bool EncoderFailed() { return Fail(std::string("WebP: ") + WebPAnimEncoderGetError(encoder_)); }

  const WriterOptions options_;
  std::vector<uint8_t>& out_;
  WebPAnimEncoder* encoder_ = nullptr;
  WebPConfig config_;
  int32_t width_ = 0, height_ = 0;
  std::vector<uint32_t> argb_;
  int64_t lastStart_ = 0;
};

bool WebpWriter::Begin(int32_t width, int32_t height) {
  if (!PictureSizeFits(width, height))
    return Fail("WebP: a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
  WebPAnimEncoderOptions options;
  if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_) ||
      !WebPConfigLosslessPreset(&config_, kLosslessLevel))
    return Fail("WebP: the library does not match its headers");
  options.anim_params.loop_count = options_.loopCount;
  options.anim_params.bgcolor = 0x000000FF;  // opaque black (blue, green, red, alpha from the top)
  options.kmin = 0;
  options.kmax = 0;  // no key frames: each frame only what changed
  options.allow_mixed = 0;
  config_.exact = 1;
  encoder_ = WebPAnimEncoderNew(width, height, &options);
  if (!encoder_) return Fail("WebP: out of memory");
  width_ = width, height_ = height;
  argb_.resize(size_t(width) * size_t(height));
  return true;
}

bool WebpWriter::Add(const Canvas& picture, const Canvas*, const Rect&, int64_t start) {
  const int s = options_.scale;
  if (!encoder_ && !Begin(picture.width * s, picture.height * s)) return false;
  if (start > INT_MAX) return Fail("WebP: the animation is too long");
  for (int32_t y = 0; y < picture.height; ++y) {
    uint32_t* row = argb_.data() + size_t(y) * size_t(s) * size_t(width_);
    RepeatEach(picture.Row(y), picture.width, s, row);
    for (int k = 1; k < s; ++k) std::copy(row, row + width_, row + size_t(k) * size_t(width_));
  }
  WebPPicture frame;
  if (!WebPPictureInit(&frame)) return Fail("WebP: the library does not match its headers");
  frame.use_argb = 1;
  frame.width = width_, frame.height = height_;
  frame.argb = argb_.data();
  frame.argb_stride = width_;
  if (!WebPAnimEncoderAdd(encoder_, &frame, int(start), &config_)) return EncoderFailed();
  lastStart_ = start;
  return true;
}

bool WebpWriter::Finish(int64_t end, bool held) {
  if (!encoder_) return Fail("WebP: no pictures");
  // A held picture has no time of its own (0); the animation then plays once.
  if (held || end < lastStart_) end = lastStart_;
  if (end > INT_MAX) return Fail("WebP: the animation is too long");
  if (!WebPAnimEncoderAdd(encoder_, nullptr, int(end), nullptr)) return EncoderFailed();
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(encoder_, &data)) return EncoderFailed();
  const int plays = held ? 1 : options_.loopCount;
  if (plays != options_.loopCount) {
    WebPMux* mux = WebPMuxCreate(&data, 1);
    WebPMuxAnimParams params;
    WebPData again;
    WebPDataInit(&again);
    // A single picture is a still image without animation parameters: nothing to change.
    if (mux && WebPMuxGetAnimationParams(mux, &params) == WEBP_MUX_OK) {
      params.loop_count = plays;
      if (WebPMuxSetAnimationParams(mux, &params) != WEBP_MUX_OK || WebPMuxAssemble(mux, &again) != WEBP_MUX_OK) {
        WebPMuxDelete(mux);
        WebPDataClear(&data);
        WebPDataClear(&again);
        return Fail("WebP: cannot set the loop count");
      }
      WebPDataClear(&data);
      data = again;
    }
    if (mux) WebPMuxDelete(mux);
  }
  out_.assign(data.bytes, data.bytes + data.size);
  WebPDataClear(&data);
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewWebpWriter(const WriterOptions& options, std::vector<uint8_t>& out) {
  return std::make_unique<WebpWriter>(options, out);
}
