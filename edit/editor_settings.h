#pragma once

// Values of the editor's settings file. Every value read back is checked, field by field: a
// field out of range takes its own default; a field that is missing or unreadable takes its
// default and so do the fields after it. Texts are code-page-932 bytes, never transcoded.

#include <cstdint>
#include <string>
#include <string_view>

#include "edit/drawing_settings.h"

// setup/font: "face, size, line spacing, weight". The default face is "ＭＳ Ｐゴシック".
inline constexpr std::string_view kDefaultFontFace =
    "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
struct FontSetting {
  std::string face{kDefaultFontFace};  // up to the first comma
  int32_t size = 24;                   // 0-32767
  int32_t lineSpacing = 12;            // 0-32767
  int32_t weight = 400;                // 0-1000
  bool operator==(const FontSetting&) const = default;
};
FontSetting ParseFontSetting(std::string_view value);
std::string FormatFontSetting(const FontSetting& font);

// setup/brush: "shape, colour A, colour B, density, smoothing-skip, square". The shape is
// taken as written and then made to agree with the square flag (a square pen saved at exit
// comes back square, of the same size).
DrawingSettings ParseBrushSetting(std::string_view value);
std::string FormatBrushSetting(const DrawingSettings& settings);

// OnClipTrans/RGB: "#RRGGBB" as 0x00RRGGBB, default #00FF00; written upper-case.
inline constexpr uint32_t kDefaultClipColor = 0x00FF00;
uint32_t ParseClipColor(std::string_view value);
std::string FormatClipColor(uint32_t color);

// A number key: its default and the range it must lie in.
struct NumberSetting {
  int32_t fallback;
  int32_t min;
  int32_t max;
};
inline constexpr NumberSetting kClipFlagSetting{0, 0, 1};      // OnClipTrans/Flag
inline constexpr NumberSetting kNewFilmWidth{320, 1, 32767};   // OnNewFilm/width
inline constexpr NumberSetting kNewFilmHeight{240, 1, 32767};  // OnNewFilm/height
inline constexpr NumberSetting kNewCutWidth{240, 1, 32767};    // OnNewCut/width
inline constexpr NumberSetting kNewCutHeight{180, 1, 32767};   // OnNewCut/height
inline constexpr NumberSetting kNewCutFps{24, 1, 32767};       // OnNewCut/fps
inline constexpr NumberSetting kNewCutAntiAlias{0, 0, 2};      // OnNewCut/anti
// Recovery/Interval: seconds between recovery copies of a changed document, 0 for none.
inline constexpr NumberSetting kRecoveryInterval{30, 0, 86400};
int32_t ParseNumberSetting(std::string_view value, const NumberSetting& setting);
std::string FormatNumberSetting(int32_t value);

// Text keys as their fixed buffers keep them: OnNewFilm/title and author, OnNewCut/credit
// (79 bytes), setup/film (259 bytes); never a split double-byte character.
inline constexpr size_t kSettingTextMax = 79;
inline constexpr size_t kSettingPathMax = 259;
std::string ParseTextSetting(std::string_view value, size_t maxBytes);
