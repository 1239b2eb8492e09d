#include "cli/cli_paths.h"

#include <vector>

#include "cli/host_path.h"
#include "files/cut_naming.h"

namespace {

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
  std::string p = WithSlashes(arg);
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
