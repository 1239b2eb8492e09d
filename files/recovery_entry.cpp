#include "files/recovery_entry.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kFirstLine = "Orvina recovery entry 1";

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return text;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// "KEY value": the value, or nothing when the line holds another key.
std::optional<std::string_view> Field(std::string_view line, std::string_view key) {
  if (line.size() < key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ')
    return std::nullopt;
  return line.substr(key.size() + 1);
}

bool Number(std::string_view& text, int64_t& value) {
  const size_t end = std::min(text.find(' '), text.size());
  const auto [rest, error] = std::from_chars(text.data(), text.data() + end, value);
  if (error != std::errc() || rest != text.data() + end || value < 0) return false;
  text.remove_prefix(end < text.size() ? end + 1 : end);
  return true;
}

std::optional<RecoveryCopy> ParseCopy(std::string_view line) {
  auto fields = Field(line, "copy");
  if (!fields) return std::nullopt;
  RecoveryCopy copy;
  if (!Number(*fields, copy.generation) || !Number(*fields, copy.time) ||
      !Number(*fields, copy.size))
    return std::nullopt;
  if (!PlainFileName(*fields)) return std::nullopt;
  copy.file = std::string(*fields);
  return copy;
}

}  // namespace

bool PlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (!plain) return false;
  }
  return true;
}

std::string FormatRecoveryEntry(const RecoveryEntry& entry) {
  std::string text(kFirstLine);
  text += "\r\nkind ";
  text += entry.kind == DocumentKind::kFilm ? "film" : "cut";
  text += "\r\npath " + OneLine(entry.path) + "\r\ncaption " + OneLine(entry.caption) + "\r\n";
  for (const RecoveryCopy& copy : entry.copies) {
    text += "copy " + std::to_string(copy.generation) + " " + std::to_string(copy.time) + " " +
            std::to_string(copy.size) + " " + copy.file + "\r\n";
  }
  return text;
}

std::optional<RecoveryEntry> ParseRecoveryEntry(std::string_view text) {
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.size() < 4 || lines[0] != kFirstLine) return std::nullopt;
  RecoveryEntry entry;
  const auto kind = Field(lines[1], "kind");
  if (kind == "cut")
    entry.kind = DocumentKind::kCut;
  else if (kind == "film")
    entry.kind = DocumentKind::kFilm;
  else
    return std::nullopt;
  const auto path = Field(lines[2], "path");
  const auto caption = Field(lines[3], "caption");
  if (!path || !caption) return std::nullopt;
  entry.path = std::string(*path);
  entry.caption = std::string(*caption);
  for (size_t i = 4; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    auto copy = ParseCopy(lines[i]);
    if (!copy || entry.copies.size() >= kRecoveryCopiesKept) return std::nullopt;
    entry.copies.push_back(std::move(*copy));
  }
  return entry;
}
