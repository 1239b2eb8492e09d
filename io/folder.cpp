#include "io/folder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> EntriesIn(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind;
    if (it->is_directory(kind) == folders && !kind) names.push_back(it->path().filename().string());
  }
  return names;
}

}  // namespace

bool MakeFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(fs::path(path), ec);
  return fs::is_directory(fs::path(path), ec);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  return EntriesIn(folder, false);
}
std::vector<std::string> FoldersIn(const std::string& folder) {
  return EntriesIn(folder, true);
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(fs::path(path), ec);
  return !fs::exists(fs::symlink_status(fs::path(path), ec));
}

bool RemoveFolder(const std::string& path) {
  return RemoveFile(path);
}
