#include "io/file_stream.h"

FileStream::~FileStream() { Close(); }

void FileStream::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool FileStream::Finish() {
  if (!file_) return false;
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

int FileStream::Write(const void* buffer, int32_t n) {
  if (!file_ || n < 0) return 0;
  if (n == 0) return 1;
  if (std::fwrite(buffer, size_t(n), 1, file_) == 1) return 1;
  failed_ = true;
  return 0;
}

int FileStream::Read(void* buffer, int32_t n) {
  if (!file_ || n < 0) return 0;
  if (n == 0) return 1;
  return std::fread(buffer, size_t(n), 1, file_) == 1 ? 1 : 0;
}

int FileStream::Seek(int32_t offset, int whence) {
  if (!file_) return 0;
  const int origin = whence == kSeekCur ? SEEK_CUR : whence == kSeekEnd ? SEEK_END : SEEK_SET;
  return std::fseek(file_, offset, origin) == 0 ? 1 : 0;
}

int32_t FileStream::Tell() { return file_ ? int32_t(std::ftell(file_)) : -1; }

int FileStream::Getc() { return file_ ? std::fgetc(file_) : -1; }

int FileStream::Putc(int value) {
  if (!file_) return -1;
  const int r = std::fputc(value & 0xFF, file_);
  if (r == EOF) failed_ = true;
  return r == EOF ? -1 : r;
}
