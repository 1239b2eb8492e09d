#include "files/cut_naming.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "io/cp932.h"
#include "io/file_system.h"

namespace {

// Byte offsets of the character starts that hold `c`.
std::vector<size_t> Find(const std::string& text, size_t from, char c) {
  std::vector<size_t> at;
  for (size_t i = from; i < text.size(); i += Cp932CharLength(text, i)) {
    if (text[i] == c) at.push_back(i);
  }
  return at;
}

// `text` from `from` on with every character `was` turned into `now`.
std::string Replaced(const std::string& text, size_t from, char was, char now) {
  std::string out;
  out.reserve(text.size() - from);
  for (size_t i = from; i < text.size();) {
    const size_t n = Cp932CharLength(text, i);
    if (text[i] == was) out.push_back(now);
    else out.append(text, i, n);
    i += n;
  }
  return out;
}

bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(uint8_t(path[0]));
}

// Drive letters name the same drive in either case.
bool SameDrive(const std::string& a, const std::string& b) {
  return HasDriveLetter(a) && HasDriveLetter(b) &&
         std::tolower(uint8_t(a[0])) == std::tolower(uint8_t(b[0]));
}

}  // namespace

bool SamePathText(const std::string& a, const std::string& b) {
  if (a == b) return true;
  return a.size() == b.size() && SameDrive(a, b) && a.compare(1, std::string::npos, b, 1) == 0;
}

std::string RelativePath(const std::string& cutPath, const std::string& filmPath, char sep) {
  size_t common = 0;
  for (size_t i = 0; i < cutPath.size() && i < filmPath.size();) {
    const size_t n = Cp932CharLength(cutPath, i);
    const bool drive = i == 0 && SameDrive(cutPath, filmPath);
    if (!drive && cutPath.compare(i, n, filmPath, i, n) != 0) break;
    if (cutPath[i] == sep) common = i + 1;
    i += n;
  }
  std::string out;
  for (size_t k = Find(filmPath, common, sep).size(); k > 0; --k) out += "../";
  return out + Replaced(cutPath, common, sep, '/');
}

std::string ResolvePath(const std::string& relative, const std::string& filmPath, char sep) {
  size_t k = 1, from = 0;
  while (relative.compare(from, 3, "../") == 0) {
    ++k;
    from += 3;
  }
  const std::vector<size_t> seps = Find(filmPath, 0, sep);
  if (seps.size() < k) return std::string();
  const size_t at = seps[seps.size() - k];
  if (at == 0) return std::string();
  return filmPath.substr(0, at + 1) + Replaced(relative, from, '/', sep);
}

PathParts SplitPath(const std::string& path) {
  size_t nameStart = 0;
  if (path.size() >= 2 && path[1] == ':' && uint8_t(path[0]) < 0x80) nameStart = 2;
  size_t dot = std::string::npos;
  for (size_t i = nameStart; i < path.size(); i += Cp932CharLength(path, i)) {
    if (IsFolderSeparator(path[i])) {
      nameStart = i + 1;
      dot = std::string::npos;
    } else if (path[i] == '.') {
      dot = i;
    }
  }
  // Character starts were walked from the beginning, so `dot` lies after `nameStart`.
  const size_t end = dot == std::string::npos ? path.size() : dot;
  return {path.substr(0, nameStart), path.substr(nameStart, end - nameStart), path.substr(end)};
}

std::string FileNameOf(const std::string& path) {
  const PathParts parts = SplitPath(path);
  return parts.name + parts.extension;
}

std::string BaseNameOf(const std::string& path) { return SplitPath(path).name; }

bool NextNumberedName(std::string& path) {
  const PathParts parts = SplitPath(path);
  const std::string& name = parts.name;
  size_t run = std::string::npos;
  for (size_t i = 0; i < name.size(); i += Cp932CharLength(name, i)) {
    const bool digit = Cp932CharLength(name, i) == 1 && IsDigit(name[i]);
    if (!digit) run = std::string::npos;
    else if (run == std::string::npos) run = i;
  }
  int n = 0;
  if (run != std::string::npos) {
    for (size_t i = run; i < name.size() && n < 1000; ++i) n = n * 10 + (name[i] - '0');
  }
  const std::string stem = name.substr(0, run == std::string::npos ? name.size() : run);
  for (int m = n + 1; m < 1000; ++m) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", m);
    std::string candidate = parts.folder + stem + number + parts.extension;
    if (!FileExists(candidate)) {
      path = std::move(candidate);
      return true;
    }
  }
  return false;
}

bool UsableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (size_t i = 0; i < name.size(); i += Cp932CharLength(name, i)) {
    if (Cp932CharLength(name, i) == 2) continue;
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos)
      return false;
  }
  return true;
}
