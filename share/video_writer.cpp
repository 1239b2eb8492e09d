// Video through libavcodec, libavformat and libswscale, encoded in this process:
//
//   kind   container  encoder     pixels                        frames
//   MP4    mp4        libx264     yuv420p, BT.709 limited range every one at the rate;
//                                 (tagged in stream and box)    index (moov) at the front
//   WebM   webm       libvpx-vp9  yuv420p, BT.709 limited range every one at the rate
//   APNG   apng       apng        rgb24, lossless               one per picture, its delay
//                                                               in frames of the rate
//
// Time base 1/rate everywhere: a frame's time is its number, so nothing drifts. The APNG
// muxer keeps time in 1/100000 s; the delay of each frame control chunk (fcTL: sequence,
// width, height, x, y, delay numerator u16 at 20, denominator u16 at 22, dispose, blend)
// is entered again afterwards as whole frames of the rate. Every byte goes into the
// caller's stream (AvioStream); the MP4 muxer reads it back from there to move the index to
// the front.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/crc.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "share/avio_stream.h"
#include "share/video_writer.h"

namespace {

// The libraries' own messages stay quiet; the last error among them explains a failure.
std::mutex logMutex;
std::string lastLibraryError;

void CollectErrors(void* object, int level, const char* format, va_list args) {
  if (level > AV_LOG_ERROR) return;
  char line[512];
  int prefix = 0;
  av_log_format_line(object, level, format, args, line, sizeof line, &prefix);
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  std::lock_guard<std::mutex> lock(logMutex);
  lastLibraryError = text;
}

std::string LibraryError(int code) {
  std::lock_guard<std::mutex> lock(logMutex);
  if (!lastLibraryError.empty()) return lastLibraryError;
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void PutBigEndian(uint8_t* p, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * (bytes - 1 - i)));
}

// Enters `frames[i]` frames of `rate` as the delay of the i-th frame control chunk of the
// APNG file in `file`, in place; false unless there is one chunk for each delay.
bool ExactApngDelays(AvioStream& file, const std::vector<int64_t>& frames, int rate) {
  constexpr uint32_t kFrameControl = 26, kDelayAt = 20;
  const AVCRC* crc = av_crc_get_table(AV_CRC_32_IEEE_LE);
  size_t next = 0;
  uint8_t chunk[8 + kFrameControl + 4];  // length, type, data, CRC
  for (int64_t at = 8; at + 8 <= file.Size();) {  // after the signature
    if (!file.ReadAt(at, chunk, 8)) return false;
    const uint32_t length = BigEndian32(chunk);
    if (!std::equal(chunk + 4, chunk + 8, "fcTL") || length != kFrameControl) {
      at += 8 + int64_t(length) + 4;
      continue;
    }
    if (next == frames.size() || !file.ReadAt(at + 8, chunk + 8, kFrameControl + 4)) return false;
    int num = 0, den = 1;
    av_reduce(&num, &den, frames[next++], rate, 65535);
    PutBigEndian(chunk + 8 + kDelayAt, uint32_t(num), 2);
    PutBigEndian(chunk + 8 + kDelayAt + 2, uint32_t(den), 2);
    PutBigEndian(chunk + 8 + kFrameControl, av_crc(crc, UINT32_MAX, chunk + 4, kFrameControl + 4) ^ UINT32_MAX, 4);
    if (!file.WriteAt(at + 8, chunk + 8, kFrameControl + 4)) return false;
    at += 8 + kFrameControl + 4;
  }
  return next == frames.size();
}

struct Format {
  const char* name;  // for messages
  const char* container;
  const char* encoder;
  AVPixelFormat pixels;
  bool everyFrame;  // constant rate: each picture repeated over its frames
  bool evenSize;    // 4:2:0 chroma needs whole pixel pairs
};

Format FormatOf(VideoKind kind) {
  switch (kind) {
    case VideoKind::kMp4:
      return {"MP4", "mp4", "libx264", AV_PIX_FMT_YUV420P, true, true};
    case VideoKind::kWebm:
      return {"WebM", "webm", "libvpx-vp9", AV_PIX_FMT_YUV420P, true, true};
    case VideoKind::kApng:
      break;
  }
  return {"APNG", "apng", "apng", AV_PIX_FMT_RGB24, false, false};
}

class VideoWriter final : public PictureWriter {
 public:
  VideoWriter(const WriterOptions& options, const VideoOptions& video, ByteStream& out)
      : options_(options), video_(video), format_(FormatOf(video.kind)), out_(out) {
    av_log_set_callback(CollectErrors);
    std::lock_guard<std::mutex> lock(logMutex);
    lastLibraryError.clear();
  }
  ~VideoWriter() override;

  int64_t UnitsPerSecond() const override { return video_.rate; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  bool Begin(int32_t width, int32_t height);
  bool OpenEncoder(const AVCodec* encoder);
  bool MakeFrame();
  void Convert(const Canvas& picture);
  // Encodes the converted picture as frame `number`.
  bool Send(int64_t number);
  // Writes what the encoder has ready; `draining` after the last frame.
  bool Drain(bool draining);
  bool LibraryFailed(const std::string& what, int code) {
    return Fail(std::string(format_.name) + ": " + what + ": " + LibraryError(code));
  }

  const WriterOptions options_;
  const VideoOptions video_;
  const Format format_;
  AvioStream out_;
  AVFormatContext* muxer_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVStream* stream_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* scaler_ = nullptr;
  int32_t width_ = 0, height_ = 0;  // encoded, padding included
  std::vector<uint32_t> argb_;      // the scaled picture in the top-left, black around
  int64_t pendingStart_ = 0;        // the picture converted last starts here
  std::vector<int64_t> delays_;     // APNG: each picture's frames
};

VideoWriter::~VideoWriter() {
  sws_freeContext(scaler_);
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  avcodec_free_context(&codec_);
  out_.Detach();
  avformat_free_context(muxer_);
}

bool VideoWriter::OpenEncoder(const AVCodec* encoder) {
  codec_ = avcodec_alloc_context3(encoder);
  if (!codec_) return Fail(std::string(format_.name) + ": out of memory");
  codec_->width = width_;
  codec_->height = height_;
  codec_->pix_fmt = format_.pixels;
  codec_->time_base = AVRational{1, video_.rate};
  codec_->framerate = AVRational{video_.rate, 1};
  if (format_.pixels == AV_PIX_FMT_YUV420P) {
    codec_->color_primaries = AVCOL_PRI_BT709;
    codec_->color_trc = AVCOL_TRC_BT709;
    codec_->colorspace = AVCOL_SPC_BT709;
    codec_->color_range = AVCOL_RANGE_MPEG;
    // A key frame every ten seconds, so players can seek.
    codec_->gop_size = std::min(10 * video_.rate, 600);
  }
  if (muxer_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int quality = video_.quality >= 0 ? video_.quality : DefaultVideoQuality(video_.kind);
  AVDictionary* settings = nullptr;
  if (video_.kind == VideoKind::kMp4) {
    av_dict_set(&settings, "preset", "veryfast", 0);
    av_dict_set(&settings, "tune", "animation", 0);
    av_dict_set_int(&settings, "crf", quality, 0);
  } else if (video_.kind == VideoKind::kWebm) {
    codec_->bit_rate = 0;  // constant quality alone
    av_dict_set_int(&settings, "crf", quality, 0);
    av_dict_set(&settings, "deadline", "realtime", 0);
    av_dict_set(&settings, "cpu-used", "6", 0);
    av_dict_set(&settings, "row-mt", "1", 0);
  }
  const int opened = avcodec_open2(codec_, encoder, &settings);
  av_dict_free(&settings);
  if (opened < 0) return LibraryFailed(std::string("cannot start the ") + encoder->name + " encoder", opened);
  return true;
}

bool VideoWriter::MakeFrame() {
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!frame_ || !packet_) return Fail(std::string(format_.name) + ": out of memory");
  frame_->format = format_.pixels;
  frame_->width = width_;
  frame_->height = height_;
  if (const int got = av_frame_get_buffer(frame_, 0); got < 0) return LibraryFailed("no frame", got);
  scaler_ = sws_getContext(width_, height_, AV_PIX_FMT_RGB32, width_, height_, format_.pixels,
                           SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
  if (!scaler_) return Fail(std::string(format_.name) + ": no colour conversion to " + av_get_pix_fmt_name(format_.pixels));
  if (format_.pixels == AV_PIX_FMT_YUV420P) {
    // Full-range RGB in, BT.709 limited range out.
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler_, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
  }
  argb_.assign(size_t(width_) * size_t(height_), Canvas::kBlack);
  return true;
}

bool VideoWriter::Begin(int32_t width, int32_t height) {
  if (!PictureSizeFits(width, height))
    return Fail(std::string(format_.name) + ": a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                " is too large");
  width_ = format_.evenSize ? (width + 1) & ~1 : width;
  height_ = format_.evenSize ? (height + 1) & ~1 : height;
  const AVCodec* encoder = avcodec_find_encoder_by_name(format_.encoder);
  if (!encoder) return Fail(std::string(format_.name) + ": this system's libavcodec has no " + format_.encoder + " encoder");
  if (const int made = avformat_alloc_output_context2(&muxer_, nullptr, format_.container, nullptr); made < 0)
    return LibraryFailed("no muxer", made);
  if (!OpenEncoder(encoder) || !MakeFrame()) return false;

  stream_ = avformat_new_stream(muxer_, nullptr);
  if (!stream_) return Fail(std::string(format_.name) + ": out of memory");
  if (const int copied = avcodec_parameters_from_context(stream_->codecpar, codec_); copied < 0)
    return LibraryFailed("stream parameters", copied);
  stream_->time_base = codec_->time_base;
  if (format_.everyFrame) stream_->avg_frame_rate = codec_->framerate;

  if (!out_.Attach(muxer_)) return Fail(std::string(format_.name) + ": out of memory");
  AVDictionary* settings = nullptr;
  if (video_.kind == VideoKind::kMp4) av_dict_set(&settings, "movflags", "+faststart", 0);
  const int written = avformat_write_header(muxer_, &settings);
  av_dict_free(&settings);
  if (written < 0) return LibraryFailed("cannot write the header", written);
  return true;
}

void VideoWriter::Convert(const Canvas& picture) {
  const int s = options_.scale;
  for (int32_t y = 0; y < picture.height; ++y) {
    uint32_t* row = argb_.data() + size_t(y) * size_t(s) * size_t(width_);
    RepeatEach(picture.Row(y), picture.width, s, row);
    for (int k = 1; k < s; ++k) std::copy(row, row + picture.width * s, row + size_t(k) * size_t(width_));
  }
  const uint8_t* planes[1] = {reinterpret_cast<const uint8_t*>(argb_.data())};
  const int strides[1] = {width_ * 4};
  sws_scale(scaler_, planes, strides, 0, height_, frame_->data, frame_->linesize);
}

bool VideoWriter::Drain(bool draining) {
  for (;;) {
    const int got = avcodec_receive_packet(codec_, packet_);
    if (got == AVERROR(EAGAIN) && !draining) return true;
    if (got == AVERROR_EOF) return true;
    if (got < 0) return LibraryFailed("encoding failed", got);
    // Every frame lasts one frame of the rate, the last one too.
    if (format_.everyFrame && packet_->duration == 0) packet_->duration = 1;
    av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
    packet_->stream_index = stream_->index;
    if (const int put = av_interleaved_write_frame(muxer_, packet_); put < 0) return LibraryFailed("write failed", put);
  }
}

bool VideoWriter::Send(int64_t number) {
  frame_->pts = number;
  if (const int sent = avcodec_send_frame(codec_, frame_); sent < 0) return LibraryFailed("encoding failed", sent);
  return Drain(false);
}

bool VideoWriter::Add(const Canvas& picture, const Canvas*, const Rect&, int64_t start) {
  const int s = options_.scale;
  if (!muxer_ && !Begin(picture.width * s, picture.height * s)) return false;
  if (format_.everyFrame) {
    for (int64_t f = pendingStart_; f < start; ++f)
      if (!Send(f)) return false;
  }
  // The encoder may still hold the frame it was given last.
  if (const int writable = av_frame_make_writable(frame_); writable < 0) return LibraryFailed("no frame", writable);
  Convert(picture);
  if (!format_.everyFrame && start > 0) delays_.push_back(start - pendingStart_);
  pendingStart_ = start;
  return format_.everyFrame || Send(start);
}

bool VideoWriter::Finish(int64_t end, bool held) {
  if (!muxer_) return Fail(std::string(format_.name) + ": no pictures");
  if (format_.everyFrame) {
    // A picture is seen for a frame at least: the one a film stops on, too.
    const int64_t last = std::max(end, pendingStart_ + 1);
    for (int64_t f = pendingStart_; f < last; ++f)
      if (!Send(f)) return false;
  } else {
    // The last picture's delay; a film that stops holds it and plays once.
    const int64_t delay = held ? 0 : std::max<int64_t>(end - pendingStart_, 0);
    delays_.push_back(delay);
    const std::string finalDelay = std::to_string(delay) + "/" + std::to_string(video_.rate);
    const int plays = held ? 1 : options_.loopCount;
    if (av_opt_set(muxer_->priv_data, "final_delay", finalDelay.c_str(), 0) < 0 ||
        av_opt_set_int(muxer_->priv_data, "plays", plays, 0) < 0)
      return Fail("APNG: the muxer takes no delay or play count");
  }
  if (const int sent = avcodec_send_frame(codec_, nullptr); sent < 0) return LibraryFailed("encoding failed", sent);
  if (!Drain(true)) return false;
  if (const int ended = av_write_trailer(muxer_); ended < 0) return LibraryFailed("write failed", ended);
  if (!out_.Detach() || (!format_.everyFrame && !ExactApngDelays(out_, delays_, video_.rate)))
    return Fail(std::string(format_.name) + ": write failed" +
                (out_.Error() ? std::string(": ") + std::strerror(out_.Error()) : ""));
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewVideoWriter(const WriterOptions& options, const VideoOptions& video,
                                              ByteStream& out) {
  return std::make_unique<VideoWriter>(options, video, out);
}
