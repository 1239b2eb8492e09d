#pragma once

// The index entry of one document in the recovery copies (see recovery_store.h): a short
// text file, one field a line, CR LF (LF alone is read too).
//
//   line        content
//   1           "Orvina recovery entry 1"
//   2           "kind cut" or "kind film"
//   3           "path " and the document's own file (nothing after the space: untitled)
//   4           "caption " and the caption of its window
//   5, 6        "copy G T S FILE": generation, time of the copy (seconds since 1970, UTC),
//               size in bytes and the copy's file name in the session folder; oldest
//               first, at most two lines
//
// Paths and captions are code-page bytes. A copy's file name is a plain name: letters,
// digits, "-", "_" and ".", never a folder.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class DocumentKind { kCut, kFilm };

struct RecoveryCopy {
  int64_t generation = 0;
  int64_t time = 0;
  int64_t size = 0;
  std::string file;
  bool operator==(const RecoveryCopy&) const = default;
};

struct RecoveryEntry {
  DocumentKind kind = DocumentKind::kCut;
  std::string path;
  std::string caption;
  std::vector<RecoveryCopy> copies;  // oldest first
  bool operator==(const RecoveryEntry&) const = default;
};

inline constexpr size_t kRecoveryCopiesKept = 2;

// Line breaks in the path or caption become spaces.
std::string FormatRecoveryEntry(const RecoveryEntry& entry);
// Nothing when the text is not a whole, sound entry.
std::optional<RecoveryEntry> ParseRecoveryEntry(std::string_view text);
// Whether `name` may stand as a copy's file name.
bool PlainFileName(std::string_view name);
