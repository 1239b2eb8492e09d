#pragma once

#include <cstdio>

#include "io/byte_stream.h"

// Wraps a standard-library file handle that the owner opened; Close closes it.
class FileStream : public ByteStream {
 public:
  explicit FileStream(std::FILE* file = nullptr) : file_(file) {}
  ~FileStream() override;

  bool IsOpen() const override { return file_ != nullptr; }
  void Close() override;
  int Write(const void* buffer, int32_t n) override;
  int Read(void* buffer, int32_t n) override;
  int Seek(int32_t offset, int whence) override;
  int32_t Tell() override;
  int Getc() override;
  int Putc(int value) override;

  // True when any write or flush has failed since the file was attached.
  bool Failed() const { return failed_; }
  // The errno of the first failure, 0 before one.
  int Error() const { return error_; }
  // Flushes what was written onto the disk and closes; false when anything written was lost.
  bool Finish();

 private:
  void NoteFailure();

  std::FILE* file_;
  bool failed_ = false;
  int error_ = 0;
};
