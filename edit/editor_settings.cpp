#include "edit/editor_settings.h"

#include <cstdio>
#include <optional>

#include "io/cp932.h"
#include "model/pixel_class.h"

namespace {

// Reads a value the way its scanf format would, but a number too large for its field is
// reported instead of left undefined. Once a field fails to match, every later one fails.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // "%[^,]": one or more bytes up to the next comma.
  std::optional<std::string> Face() {
    const size_t end = std::min(text_.find(','), text_.size());
    if (end == 0) return Fail<std::string>();
    std::string face(text_.substr(0, end));
    text_.remove_prefix(end);
    return face;
  }

  // ", " before a field: the comma exactly, then any white space.
  bool Separator() {
    if (failed_ || text_.empty() || text_[0] != ',') return failed_ = true, false;
    text_.remove_prefix(1);
    SkipSpace();
    return true;
  }

  // "%d": white space, a sign, digits; a value beyond the 32-bit range is nullopt.
  std::optional<int64_t> Int() {
    if (failed_) return std::nullopt;
    SkipSpace();
    size_t i = 0;
    const bool negative = i < text_.size() && text_[i] == '-';
    if (i < text_.size() && (text_[i] == '-' || text_[i] == '+')) ++i;
    const size_t digits = i;
    int64_t v = 0;
    for (; i < text_.size() && text_[i] >= '0' && text_[i] <= '9'; ++i)
      v = std::min<int64_t>(v * 10 + (text_[i] - '0'), int64_t(1) << 40);
    if (i == digits) return Fail<int64_t>();
    text_.remove_prefix(i);
    return negative ? -v : v;
  }

  // "%02X": white space, then one or two hexadecimal digits.
  std::optional<int32_t> HexByte() {
    if (failed_) return std::nullopt;
    SkipSpace();
    int32_t v = 0;
    size_t i = 0;
    for (; i < 2 && i < text_.size(); ++i) {
      const int d = HexDigit(text_[i]);
      if (d < 0) break;
      v = v * 16 + d;
    }
    if (i == 0) return Fail<int32_t>();
    text_.remove_prefix(i);
    return v;
  }

  bool Literal(char c) {
    if (failed_ || text_.empty() || text_[0] != c) return failed_ = true, false;
    text_.remove_prefix(1);
    return true;
  }

  bool Failed() const { return failed_; }

 private:
  template <typename T>
  std::optional<T> Fail() {
    failed_ = true;
    return std::nullopt;
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }

  void SkipSpace() {
    while (!text_.empty() && (text_[0] == ' ' || (text_[0] >= '\t' && text_[0] <= '\r')))
      text_.remove_prefix(1);
  }

  std::string_view text_;
  bool failed_ = false;
};

int32_t InRange(std::optional<int64_t> v, int32_t fallback, int32_t min, int32_t max) {
  return v && *v >= min && *v <= max ? int32_t(*v) : fallback;
}

// The next ", %d" field, or the default when it is missing or out of range.
int32_t NextInt(FieldReader& reader, int32_t fallback, int32_t min, int32_t max) {
  if (!reader.Separator()) return fallback;
  return InRange(reader.Int(), fallback, min, max);
}

constexpr int32_t kAnyInt = INT32_MAX;

}  // namespace

FontSetting ParseFontSetting(std::string_view value) {
  const FontSetting defaults;
  FontSetting font;
  FieldReader reader(value);
  if (auto face = reader.Face()) font.face = std::move(*face);
  font.size = NextInt(reader, defaults.size, 0, 32767);
  font.lineSpacing = NextInt(reader, defaults.lineSpacing, 0, 32767);
  font.weight = NextInt(reader, defaults.weight, 0, 1000);
  return font;
}

std::string FormatFontSetting(const FontSetting& font) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, ", %d, %d, %d", int(font.size), int(font.lineSpacing),
                int(font.weight));
  return font.face + numbers;
}

DrawingSettings ParseBrushSetting(std::string_view value) {
  const DrawingSettings defaults;
  DrawingSettings s;
  FieldReader reader(value);
  s.pen.shape = InRange(reader.Int(), defaults.pen.shape, 0, kPenShapeCount - 1);
  s.pen.colorA = NextInt(reader, defaults.pen.colorA, 0, 15);
  s.pen.colorB = NextInt(reader, defaults.pen.colorB, 0, 15);
  s.pen.density = NextInt(reader, defaults.pen.density, 0, kMaxDensity);
  s.smoothingSkip = NextInt(reader, defaults.smoothingSkip, -kAnyInt, kAnyInt) != 0;
  s.squarePen = NextInt(reader, defaults.squarePen, -kAnyInt, kAnyInt) != 0;
  RederivePenShape(s);
  return s;
}

std::string FormatBrushSetting(const DrawingSettings& s) {
  char text[96];
  std::snprintf(text, sizeof text, "%d, %d, %d, %d, %d, %d", int(s.pen.shape), int(s.pen.colorA),
                int(s.pen.colorB), int(s.pen.density), s.smoothingSkip ? 1 : 0,
                s.squarePen ? 1 : 0);
  return text;
}

uint32_t ParseClipColor(std::string_view value) {
  FieldReader reader(value);
  reader.Literal('#');
  const int32_t red = reader.HexByte().value_or(RedOf(kDefaultClipColor));
  const int32_t green = reader.HexByte().value_or(GreenOf(kDefaultClipColor));
  const int32_t blue = reader.HexByte().value_or(BlueOf(kDefaultClipColor));
  return PackColor(red, green, blue);
}

std::string FormatClipColor(uint32_t color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
  return text;
}

int32_t ParseNumberSetting(std::string_view value, const NumberSetting& setting) {
  FieldReader reader(value);
  return InRange(reader.Int(), setting.fallback, setting.min, setting.max);
}

std::string FormatNumberSetting(int32_t value) {
  return std::to_string(value);
}

std::string ParseTextSetting(std::string_view value, size_t maxBytes) {
  return TruncateCp932(value, maxBytes);
}
