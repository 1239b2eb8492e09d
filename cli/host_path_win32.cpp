#include "cli/host_path.h"

#include <direct.h>

#include <vector>

#include "io/cp932.h"

std::string WithSlashes(std::string path) {
  for (size_t i = 0; i < path.size(); i += Cp932CharLength(path, i)) {
    if (path[i] == '\\') path[i] = '/';
  }
  return path;
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  if (!_getcwd(buffer.data(), int(buffer.size()))) return "/";
  return WithSlashes(buffer.data());
}

size_t RootLength(const std::string& p) {
  if (p.size() >= 3 && p[1] == ':' && p[2] == '/') return 3;
  if (p.size() >= 2 && p[0] == '/' && p[1] == '/') return 2;
  return !p.empty() && p[0] == '/' ? 1 : 0;
}
