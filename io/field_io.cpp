#include "io/field_io.h"

#include "io/cp932.h"

FieldReader::FieldReader(ByteStream& stream) : stream_(stream) {
  const int32_t here = stream.Tell();
  end_ = here + RemainingBytes(stream);
}

int32_t FieldReader::Remaining() {
  const int32_t here = stream_.Tell();
  return here < end_ ? end_ - here : 0;
}

uint8_t FieldReader::U8() {
  const int c = stream_.Getc();
  if (c < 0) {
    truncated_ = true;
    return 0;
  }
  return uint8_t(c);
}

uint16_t FieldReader::U16() {
  const uint16_t lo = U8();
  return uint16_t(lo | (U8() << 8));
}

uint32_t FieldReader::U32() {
  const uint32_t lo = U16();
  return lo | (uint32_t(U16()) << 16);
}

std::string FieldReader::String() {
  std::string text;
  for (int i = 0; i < 256; ++i) {
    const int c = stream_.Getc();
    if (c < 0) {
      truncated_ = true;
      break;
    }
    if (c == 0 || i == 255) break;
    text.push_back(char(c));
  }
  return text;
}

bool FieldReader::Bytes(std::vector<uint8_t>& out, int32_t n) {
  if (n < 0 || n > Remaining()) {
    truncated_ = true;
    return false;
  }
  out.resize(size_t(n));
  if (n > 0 && !stream_.Read(out.data(), n)) {
    truncated_ = true;
    return false;
  }
  return true;
}

void FieldWriter::String(const std::string& text) {
  const std::string cut = TruncateCp932(text, 255);
  bytes_.insert(bytes_.end(), cut.begin(), cut.end());
  bytes_.push_back(0);
}

bool FieldWriter::FlushTo(ByteStream& stream) {
  const bool ok = bytes_.empty() || stream.Write(bytes_.data(), int32_t(bytes_.size())) == 1;
  bytes_.clear();
  return ok;
}
