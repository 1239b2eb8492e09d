#include "editor/editor_settings_file.h"

#include <windows.h>

#include <vector>

#include "editor/program_state.h"

namespace {

constexpr size_t kFontBytes = 256;
constexpr size_t kBrushBytes = 256;
constexpr size_t kColorBytes = 8;
constexpr size_t kPathBytes = 260;
constexpr size_t kNumberBytes = 16;
constexpr size_t kTextBytes = 80;

}  // namespace

std::string SettingsPath() {
  std::vector<char> path(32768, '\0');
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
  std::string p(path.data(), n < path.size() ? n : 0);
  const size_t dot = p.rfind('.');
  const size_t slash = p.find_last_of("\\/");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) p.resize(dot);
  return p + ".ini";
}

std::string RecoveryFolderPath() {
  const std::string settings = SettingsPath();
  return settings.substr(0, settings.size() - 3) + "recovery";
}

std::string ReadSetting(const char* section, const char* key, size_t bufferBytes) {
  std::vector<char> value(bufferBytes, '\0');
  const DWORD n = GetPrivateProfileStringA(section, key, "", value.data(), DWORD(value.size()),
                                           SettingsPath().c_str());
  return std::string(value.data(), n);
}

void WriteSetting(const char* section, const char* key, const std::string& value) {
  WritePrivateProfileStringA(section, key, value.c_str(), SettingsPath().c_str());
}

int32_t ReadNumberSetting(const char* section, const char* key, const NumberSetting& setting) {
  return ParseNumberSetting(ReadSetting(section, key, kNumberBytes), setting);
}

std::string ReadTextSetting(const char* section, const char* key) {
  return ParseTextSetting(ReadSetting(section, key, kTextBytes), kSettingTextMax);
}

void ReadStartSettings() {
  ProgramState& p = Program();
  const std::string fontValue = ReadSetting("setup", "font", kFontBytes);
  const FontSetting font = fontValue.empty() ? FontSetting{} : ParseFontSetting(fontValue);
  SetTextFont(font.face, font.size, font.lineSpacing, font.weight);
  const std::string brush = ReadSetting("setup", "brush", kBrushBytes);
  p.drawing = brush.empty() ? DrawingSettings{} : ParseBrushSetting(brush);
  p.clipTransparent =
      ParseNumberSetting(ReadSetting("OnClipTrans", "Flag", kBrushBytes), kClipFlagSetting) != 0;
  p.clipColor = ParseClipColor(ReadSetting("OnClipTrans", "RGB", kColorBytes));
  p.recoveryInterval = ParseNumberSetting(ReadSetting("Recovery", "Interval", kBrushBytes), kRecoveryInterval);
}

std::string ReadFilmSetting() {
  return ParseTextSetting(ReadSetting("setup", "film", kPathBytes), kSettingPathMax);
}

void WriteExitSettings(const std::string& filmPath) {
  const ProgramState& p = Program();
  WriteSetting("setup", "film", filmPath);
  FontSetting font;
  font.face = p.font.face;
  font.size = p.font.size;
  font.lineSpacing = p.font.lineSpacing;
  font.weight = p.font.weight;
  WriteSetting("setup", "font", FormatFontSetting(font));
  WriteSetting("setup", "brush", FormatBrushSetting(p.drawing));
}

void WriteClipboardFlag(bool on) { WriteSetting("OnClipTrans", "Flag", on ? "1" : "0"); }

void WriteClipboardColor(uint32_t color) { WriteSetting("OnClipTrans", "RGB", FormatClipColor(color)); }
