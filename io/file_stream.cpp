#include "io/file_stream.h"

#include <cerrno>

#include "io/file_sync.h"
#include "io/io_fault.h"

FileStream::~FileStream() { Close(); }

void FileStream::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void FileStream::NoteFailure() {
  if (!failed_) error_ = errno != 0 ? errno : EIO;
  failed_ = true;
}

bool FileStream::Finish() {
  if (!file_) return false;
  if (!failed_ && (IoFault(IoCall::kFlush) || std::fflush(file_) != 0 || std::ferror(file_)))
    NoteFailure();
  if (!failed_ && (IoFault(IoCall::kFlush) || !SyncFileData(file_))) NoteFailure();
  const int closeFault = IoFault(IoCall::kClose);
  // Closed in any case: the handle is gone even when closing fails.
  if (std::fclose(file_) != 0 || closeFault != 0) {
    if (closeFault != 0) errno = closeFault;
    NoteFailure();
  }
  file_ = nullptr;
  return !failed_;
}

int FileStream::Write(const void* buffer, int32_t n) {
  if (!file_ || n < 0) return 0;
  if (n == 0) return 1;
  if (!IoFault(IoCall::kWrite) && std::fwrite(buffer, size_t(n), 1, file_) == 1) return 1;
  NoteFailure();
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
  if (IoFault(IoCall::kWrite) || std::fputc(value & 0xFF, file_) == EOF) {
    NoteFailure();
    return -1;
  }
  return value & 0xFF;
}
