// Arbitrary bytes as the editor's settings file: every value, read as the editor reads its
// key, lands in its field's range, and what the editor writes back reads as the same value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "edit/editor_settings.h"
#include "io/cp932.h"

namespace {

void Check(std::string_view key, std::string_view value) {
  if (key == "font") {
    const FontSetting font = ParseFontSetting(value);
    if (font.size < 0 || font.size > 32767 || font.weight < 0 || font.weight > 1000) std::abort();
    // A face holding a comma is cut there when read back; the rest must come back as it was.
    if (font.face.find(',') == std::string::npos && !(ParseFontSetting(FormatFontSetting(font)) == font))
      std::abort();
  } else if (key == "brush") {
    const DrawingSettings brush = ParseBrushSetting(value);
    const DrawingSettings back = ParseBrushSetting(FormatBrushSetting(brush));
    if (brush.pen.shape < 0 || brush.pen.shape >= kPenShapeCount || brush.pen.colorA < 0 ||
        brush.pen.colorA > 15 || brush.pen.colorB < 0 || brush.pen.colorB > 15 ||
        brush.pen.density < 0 || brush.pen.density > kMaxDensity)
      std::abort();
    if (back.pen.shape != brush.pen.shape || back.pen.colorA != brush.pen.colorA ||
        back.pen.colorB != brush.pen.colorB || back.pen.density != brush.pen.density ||
        back.smoothingSkip != brush.smoothingSkip || back.squarePen != brush.squarePen)
      std::abort();
  } else if (key == "RGB") {
    const uint32_t color = ParseClipColor(value);
    if (color > 0xFFFFFF || ParseClipColor(FormatClipColor(color)) != color) std::abort();
  } else if (key == "film" || key == "title" || key == "author" || key == "credit") {
    const size_t max = key == "film" ? kSettingPathMax : kSettingTextMax;
    const std::string text = ParseTextSetting(value, max);
    if (text.size() > max || value.substr(0, text.size()) != text) std::abort();
    // Never half a double-byte character at the end.
    size_t i = 0;
    while (i < text.size()) i += Cp932CharLength(text, i);
    if (i != text.size()) std::abort();
  } else {
    for (const NumberSetting& s : {kClipFlagSetting, kNewFilmWidth, kNewFilmHeight, kNewCutWidth,
                                   kNewCutHeight, kNewCutFps, kNewCutAntiAlias}) {
      const int32_t v = ParseNumberSetting(value, s);
      if (v < s.min || v > s.max || ParseNumberSetting(FormatNumberSetting(v), s) != v) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Lines of key=value, as the system's profile reader hands the values over.
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos) Check(line.substr(0, eq), line.substr(eq + 1));
    at = end + 1;
  }
  return 0;
}
