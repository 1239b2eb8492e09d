#include "cli/cli_paths.h"

#include <vector>

#include "files/cut_naming.h"
#include "io/cp932.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

namespace {

std::string Slashes(std::string path) {
#ifdef _WIN32
  for (size_t i = 0; i < path.size(); i += Cp932CharLength(path, i)) {
    if (path[i] == '\\') path[i] = '/';
  }
#endif
  return path;
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
#ifdef _WIN32
  if (!_getcwd(buffer.data(), int(buffer.size()))) return "/";
#else
  if (!getcwd(buffer.data(), buffer.size())) return "/";
#endif
  return Slashes(buffer.data());
}

// The root part of an absolute path ("/", "//", "C:/"), or empty for a relative one.
size_t RootLength(const std::string& p) {
#ifdef _WIN32
  if (p.size() >= 3 && p[1] == ':' && p[2] == '/') return 3;
  if (p.size() >= 2 && p[0] == '/' && p[1] == '/') return 2;
#endif
  return !p.empty() && p[0] == '/' ? 1 : 0;
}

// Drops "." folders and folds "name/.." away; "/" is never the second byte of a character.
std::string Normal(const std::string& p) {
  const size_t root = RootLength(p);
  std::vector<std::string> parts;
  size_t start = root;
  for (size_t i = root; i <= p.size(); ++i) {
    if (i < p.size() && p[i] != '/') continue;
    const std::string part = p.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part == ".." && !parts.empty()) parts.pop_back();
    else if (part != "..") parts.push_back(part);
  }
  std::string out = p.substr(0, root);
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? "/" : "") + parts[i];
  return out;
}

}  // namespace

std::string AbsolutePath(const std::string& arg) {
  std::string p = Slashes(arg);
  if (RootLength(p) == 0) p = CurrentFolder() + "/" + p;
  return Normal(p);
}

std::string ShownPath(const std::string& absolute) {
  if (absolute.empty()) return absolute;
  // Measured against a file in the current folder.
  std::string here = Normal(CurrentFolder());
  here += here.back() == '/' ? "." : "/.";
  const std::string relative = RelativePath(absolute, here, '/');
  return ResolvePath(relative, here, '/') == absolute ? relative : absolute;
}
