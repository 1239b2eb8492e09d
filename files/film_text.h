#pragma once

// Film file (*.flm): text, one field a line. Lines end with CR LF on disk; LF alone is read
// too.
//
//   line    content
//   1       title
//   2       author
//   3       width and height, "%d, %d"
//   4 ...   one cut file path a line, relative to the film file's folder, "/" between
//           folders; empty lines are skipped
//
// A line holds at most 255 bytes. A reader meeting a longer one keeps 255 bytes, drops the
// 256th and reads the rest as the next line, so writers refuse longer lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kFilmLineMax = 255;

struct FilmText {
  std::string title;
  std::string author;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::string> lines;  // the cut lines as stored, none empty
  bool operator==(const FilmText&) const = default;
};

// Why `text` cannot be stored as one film line, or nothing when it can.
std::optional<std::string> CheckFilmLine(const std::string& text);

// The bytes of a film file. False, with `error` naming the field, when a field cannot be
// stored as a line.
bool FormatFilmText(const FilmText& film, std::string* out, std::string* error);

// Any bytes read as a film: missing lines are empty and a size that cannot be read is 0.
FilmText ParseFilmText(std::string_view bytes);

// Reads and parses a film file; false only when it cannot be read.
bool ReadFilmFile(const std::string& path, FilmText* film, std::string* error);

// Writes a film file safely (the old file stays on any failure).
bool WriteFilmFile(const std::string& path, const FilmText& film, std::string* error);
