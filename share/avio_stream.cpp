extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cerrno>
#include <climits>

#include "io/byte_stream.h"
#include "share/avio_stream.h"

namespace {

constexpr int kBufferBytes = 64 * 1024;

}  // namespace

// One context's own position on the stream.
struct AvioStream::Cursor {
  AvioStream* owner;
  int64_t at = 0;
};

AvioStream::~AvioStream() { Detach(); }

AVIOContext* AvioStream::NewContext(Cursor* cursor, bool writing) {
  auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
  if (!buffer) return nullptr;
  AVIOContext* pb = avio_alloc_context(buffer, kBufferBytes, writing ? 1 : 0, cursor, writing ? nullptr : ReadPacket,
                                       writing ? WritePacket : nullptr, SeekPacket);
  if (!pb) av_free(buffer);
  return pb;
}

void AvioStream::FreeContext(AVIOContext*& pb) {
  if (!pb) return;
  delete static_cast<Cursor*>(pb->opaque);
  av_freep(&pb->buffer);
  avio_context_free(&pb);
}

bool AvioStream::Attach(AVFormatContext* muxer) {
  auto* cursor = new Cursor{this};
  pb_ = NewContext(cursor, true);
  if (!pb_) {
    delete cursor;
    return false;
  }
  muxer_ = muxer;
  muxer->pb = pb_;
  muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
  muxer->opaque = this;
  muxer->io_open = OpenForReading;
  muxer->io_close2 = CloseReading;
  return true;
}

bool AvioStream::Detach() {
  if (!pb_) return error_ == 0;
  avio_flush(pb_);
  if (muxer_ && muxer_->pb == pb_) muxer_->pb = nullptr;
  muxer_ = nullptr;
  FreeContext(pb_);
  return error_ == 0;
}

bool AvioStream::MoveTo(int64_t at, bool reading) {
  // The C library wants a seek between writing and reading, either way round.
  if (at == at_ && reading == reading_) return true;
  at_ = -1;
  if (at < 0 || !out_.Seek(0, kSeekSet)) return false;
  for (int64_t left = at; left > 0;) {
    const int32_t step = int32_t(std::min<int64_t>(left, INT32_MAX));
    if (!out_.Seek(step, kSeekCur)) return false;
    left -= step;
  }
  at_ = at;
  reading_ = reading;
  return true;
}

bool AvioStream::WriteAt(int64_t at, const void* bytes, int32_t n) {
  if (!MoveTo(at, false) || out_.Write(bytes, n) != 1) {
    if (error_ == 0) error_ = errno != 0 ? errno : EIO;
    at_ = -1;
    return false;
  }
  at_ = at + n;
  end_ = std::max(end_, at_);
  return true;
}

bool AvioStream::ReadAt(int64_t at, void* bytes, int32_t n) {
  if (n < 0 || at + n > end_ || !MoveTo(at, true) || out_.Read(bytes, n) != 1) {
    at_ = -1;
    return false;
  }
  at_ = at + n;
  return true;
}

int AvioStream::WritePacket(void* opaque, uint8_t* bytes, int n) {
  Cursor& c = *static_cast<Cursor*>(opaque);
  errno = 0;
  if (!c.owner->WriteAt(c.at, bytes, n)) return AVERROR(c.owner->error_);
  c.at += n;
  return n;
}

int AvioStream::ReadPacket(void* opaque, uint8_t* bytes, int n) {
  Cursor& c = *static_cast<Cursor*>(opaque);
  const int64_t left = c.owner->end_ - c.at;
  if (left <= 0) return AVERROR_EOF;
  const int32_t take = int32_t(std::min<int64_t>(n, left));
  if (!c.owner->ReadAt(c.at, bytes, take)) return AVERROR(EIO);
  c.at += take;
  return take;
}

int64_t AvioStream::SeekPacket(void* opaque, int64_t offset, int whence) {
  Cursor& c = *static_cast<Cursor*>(opaque);
  if (whence & AVSEEK_SIZE) return c.owner->end_;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: break;
    case SEEK_CUR: offset += c.at; break;
    case SEEK_END: offset += c.owner->end_; break;
    default: return AVERROR(EINVAL);
  }
  if (offset < 0) return AVERROR(EINVAL);
  c.at = offset;  // the stream itself moves with the next read or write
  return offset;
}

int AvioStream::OpenForReading(AVFormatContext* muxer, AVIOContext** pb, const char*, int flags, AVDictionary**) {
  // The muxer writes one file: only reading back what it wrote is let through.
  if (flags & AVIO_FLAG_WRITE) return AVERROR(EPERM);
  auto* self = static_cast<AvioStream*>(muxer->opaque);
  auto* cursor = new Cursor{self};
  *pb = NewContext(cursor, false);
  if (*pb) return 0;
  delete cursor;
  return AVERROR(ENOMEM);
}

int AvioStream::CloseReading(AVFormatContext*, AVIOContext* pb) {
  FreeContext(pb);
  return 0;
}
