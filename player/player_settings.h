#pragma once

#include <string>

// The player's two settings, kept in section "setup" of the INI file beside the program.
struct PlayerSettings {
  static constexpr int kMinSlow = 2, kMaxSlow = 10;
  int slow = 10;  // step factor in step mode
  int red = 255, green = 255, blue = 255;  // highlight: the brightest level of every cut
};

// The program's own path with its extension replaced by "ini".
std::wstring PlayerSettingsPath();

// Values out of range are brought into it (slow 2-10, colour channels 0-255); a highlight
// component that cannot be parsed keeps 255.
PlayerSettings ReadPlayerSettings(const std::wstring& path);
void WriteSlowSetting(const std::wstring& path, int slow);
void WriteHighlightSetting(const std::wstring& path, int red, int green, int blue);
