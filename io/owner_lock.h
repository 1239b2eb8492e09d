#pragma once

#include <string>

// The mark of a running owner: a file held for as long as this object holds it, so that no
// other owner can take it. The hold ends with its holder, also when the holder's process is
// killed; the file itself stays. On Windows the file is held open without sharing, against
// every process; elsewhere only holders in this process count.
class OwnerLock {
 public:
  OwnerLock() = default;
  ~OwnerLock() { Release(); }
  OwnerLock(const OwnerLock&) = delete;
  OwnerLock& operator=(const OwnerLock&) = delete;

  // Makes the file when it is missing and holds it; false when another owner holds it or
  // it cannot be made. A lock holds one file at a time.
  bool Take(const std::string& path);
  void Release();
  bool Held() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  void* handle_ = nullptr;
};
