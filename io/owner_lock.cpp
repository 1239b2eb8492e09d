#include "io/owner_lock.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace {

std::mutex gMutex;
std::set<std::string>& HeldPaths() {
  static std::set<std::string> held;
  return held;
}

}  // namespace

bool OwnerLock::Take(const std::string& path) {
  Release();
  std::lock_guard<std::mutex> guard(gMutex);
  if (path.empty() || HeldPaths().count(path)) return false;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  std::fclose(file);
  HeldPaths().insert(path);
  path_ = path;
  return true;
}

void OwnerLock::Release() {
  if (path_.empty()) return;
  std::lock_guard<std::mutex> guard(gMutex);
  HeldPaths().erase(path_);
  path_.clear();
  handle_ = nullptr;
}
