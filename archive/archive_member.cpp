#include "archive/archive_member.h"

#include <algorithm>
#include <cstring>

bool ArchiveSource::Attach(ByteStream& stream) {
  stream_ = nullptr;
  length_ = 0;
  if (!stream.IsOpen() || !stream.Seek(0, kSeekEnd)) return false;
  const int32_t end = stream.Tell();
  if (end < 0 || !stream.Seek(0, kSeekSet)) return false;
  stream_ = &stream;
  length_ = uint32_t(end);
  return true;
}

bool ArchiveSource::ReadAt(uint32_t offset, void* out, uint32_t n) {
  if (!stream_ || !Contains(offset, n)) return false;
  if (n == 0) return true;
  if (!stream_->Seek(int32_t(offset), kSeekSet)) return false;
  return stream_->Read(out, int32_t(n)) == 1 && stream_->Tell() == int32_t(offset + n);
}

bool RangeInput::Refill() {
  at_ = end_ = 0;
  if (left_ == 0 || failed_) return false;
  const uint32_t n = std::min(left_, kChunk);
  if (!source_.ReadAt(next_, buffer_, n)) {
    failed_ = true;
    left_ = 0;
    return false;
  }
  next_ += n;
  left_ -= n;
  end_ = n;
  return true;
}

uint32_t RangeInput::Read(uint8_t* out, uint32_t n) {
  uint32_t done = 0;
  while (done < n) {
    if (at_ == end_ && !Refill()) break;
    const uint32_t step = std::min(n - done, end_ - at_);
    std::memcpy(out + done, buffer_ + at_, step);
    at_ += step;
    done += step;
  }
  return done;
}

uint32_t RangeInput::NextChunk(const uint8_t** chunk) {
  if (at_ == end_ && !Refill()) return 0;
  *chunk = buffer_ + at_;
  const uint32_t n = end_ - at_;
  at_ = end_;
  return n;
}
