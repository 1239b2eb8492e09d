#include "files/film_text.h"

#include "io/byte_stream.h"
#include "io/failure.h"
#include "io/safe_save.h"
#include "io/whole_file.h"

namespace {

// Characters of a film file as a text-mode reader sees them: CR LF arrives as LF.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }

  // Up to a line feed or the end, at most 255 bytes: a 256th byte that is no line end is
  // dropped and what follows it is the next line. A zero byte ends the text.
  std::string Line() {
    std::string line;
    for (int i = 0; i < 256; ++i) {
      const int c = Get();
      if (c < 0 || c == '\n' || i == 255) break;
      line.push_back(char(c));
    }
    const size_t zero = line.find('\0');
    if (zero != std::string::npos) line.resize(zero);
    return line;
  }

 private:
  int Get() {
    if (AtEnd()) return -1;
    const char c = bytes_[pos_++];
    if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
      ++pos_;
      return '\n';
    }
    return uint8_t(c);
  }

  std::string_view bytes_;
  size_t pos_ = 0;
};

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// As "%d" reads: spaces, an optional sign, digits. The value saturates at the int32 range.
bool ReadInt(const std::string& s, size_t& i, int32_t& value) {
  while (i < s.size() && IsSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (v <= int64_t(INT32_MAX) + 1) v = v * 10 + (s[i] - '0');
  }
  if (negative) v = -v;
  value = int32_t(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  return true;
}

// "%d, %d": each number is taken only as far as the line matches.
void ReadSize(const std::string& line, FilmText& film) {
  size_t i = 0;
  if (!ReadInt(line, i, film.width)) return;
  if (i >= line.size() || line[i] != ',') return;
  ++i;
  ReadInt(line, i, film.height);
}

}  // namespace

std::optional<std::string> CheckFilmLine(const std::string& text) {
  if (text.size() > kFilmLineMax)
    return "is longer than " + std::to_string(kFilmLineMax) + " bytes (" + std::to_string(text.size()) + ")";
  if (text.find_first_of("\r\n") != std::string::npos) return "holds a line break";
  if (text.find('\0') != std::string::npos) return "holds a zero byte";
  return std::nullopt;
}

bool FormatFilmText(const FilmText& film, std::string* out, std::string* error) {
  if (auto why = CheckFilmLine(film.title)) return Fail(error, "the title " + *why);
  if (auto why = CheckFilmLine(film.author)) return Fail(error, "the author " + *why);
  std::string text = film.title + "\r\n" + film.author + "\r\n";
  text += std::to_string(film.width) + ", " + std::to_string(film.height) + "\r\n";
  for (size_t i = 0; i < film.lines.size(); ++i) {
    const std::string& line = film.lines[i];
    auto why = line.empty() ? std::optional<std::string>("is empty") : CheckFilmLine(line);
    if (why) return Fail(error, "cut line " + std::to_string(i + 1) + " " + *why);
    text += line + "\r\n";
  }
  *out = std::move(text);
  return true;
}

FilmText ParseFilmText(std::string_view bytes) {
  FilmText film;
  LineReader reader(bytes);
  film.title = reader.Line();
  film.author = reader.Line();
  ReadSize(reader.Line(), film);
  while (!reader.AtEnd()) {
    std::string line = reader.Line();
    if (!line.empty()) film.lines.push_back(std::move(line));
  }
  return film;
}

bool ReadFilmFile(const std::string& path, FilmText* film, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  *film = ParseFilmText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}

bool WriteFilmFile(const std::string& path, const FilmText& film, std::string* error) {
  std::string bytes;
  if (!FormatFilmText(film, &bytes, error)) return false;
  return SaveFileSafely(
      path, [&](ByteStream& s) { return s.Write(bytes.data(), int32_t(bytes.size())) == 1; }, error);
}
