#include "edit/open_path.h"

#include "files/cut_naming.h"

namespace {

bool SameLetters(const std::string& text, const char* upper) {
  if (text.size() != std::char_traits<char>::length(upper)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'a' && text[i] <= 'z' ? char(text[i] - 'a' + 'A') : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

OpenKind OpenKindOf(const std::string& path) {
  // Only single-byte letters can match, so comparing bytes never splits a character.
  const std::string extension = SplitPath(path).extension;
  if (SameLetters(extension, ".CUT")) return OpenKind::kCut;
  if (SameLetters(extension, ".LYR")) return OpenKind::kLayer;
  if (SameLetters(extension, ".FLM")) return OpenKind::kFilm;
  return OpenKind::kNothing;
}
