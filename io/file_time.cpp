#include "io/file_time.h"

#include <filesystem>
#include <system_error>

std::optional<int64_t> FileWriteTime(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  const auto t = std::filesystem::last_write_time(std::filesystem::path(path), ec);
  if (ec) return std::nullopt;
  return int64_t(t.time_since_epoch().count());
}
