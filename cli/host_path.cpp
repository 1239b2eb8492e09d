#include "cli/host_path.h"

#include <unistd.h>

#include <vector>

std::string WithSlashes(std::string path) { return path; }

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  if (!getcwd(buffer.data(), buffer.size())) return "/";
  return buffer.data();
}

size_t RootLength(const std::string& p) { return !p.empty() && p[0] == '/' ? 1 : 0; }
