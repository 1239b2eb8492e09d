// Arbitrary bytes as a film file: parsing never fails, every line resolves and relativizes
// without trouble, and a film that can be written reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/cut_naming.h"
#include "files/film_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FilmText text = ParseFilmText(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const std::string& line : text.lines) {
    if (line.empty() || line.size() > kFilmLineMax) std::abort();
    for (const char* film : {"D:\\p\\q\\f.flm", "/home/p/f.flm", "f.flm"}) {
      const char sep = film[0] == '/' ? '/' : '\\';
      const std::string path = ResolvePath(line, film, sep);
      RelativePath(path, film, sep);
      RelativePath(line, film, sep);
      SplitPath(path);
    }
  }
  std::string bytes;
  if (!FormatFilmText(text, &bytes, nullptr)) return 0;
  const FilmText back = ParseFilmText(bytes);
  if (back.title != text.title || back.author != text.author || back.width != text.width ||
      back.height != text.height || back.lines != text.lines)
    std::abort();
  return 0;
}
