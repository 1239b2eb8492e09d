#include "player/player_settings.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace {

constexpr wchar_t kSection[] = L"setup";
constexpr wchar_t kSlowKey[] = L"slow";
constexpr wchar_t kHighlightKey[] = L"hilight";

}  // namespace

std::wstring PlayerSettingsPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return L"OrvinaPlayer.ini";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.resize(dot);
  return path + L".ini";
}

PlayerSettings ReadPlayerSettings(const std::wstring& path) {
  PlayerSettings s;
  const int slow = int(GetPrivateProfileIntW(kSection, kSlowKey, s.slow, path.c_str()));
  s.slow = std::clamp(slow, PlayerSettings::kMinSlow, PlayerSettings::kMaxSlow);
  wchar_t text[64] = {};
  GetPrivateProfileStringW(kSection, kHighlightKey, L"255, 255, 255", text, 64, path.c_str());
  int c[3] = {255, 255, 255};
  std::swscanf(text, L"%d, %d, %d", &c[0], &c[1], &c[2]);
  s.red = std::clamp(c[0], 0, 255);
  s.green = std::clamp(c[1], 0, 255);
  s.blue = std::clamp(c[2], 0, 255);
  return s;
}

void WriteSlowSetting(const std::wstring& path, int slow) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", slow);
  WritePrivateProfileStringW(kSection, kSlowKey, text, path.c_str());
}

void WriteHighlightSetting(const std::wstring& path, int red, int green, int blue) {
  wchar_t text[48];
  std::swprintf(text, 48, L"%d, %d, %d", red, green, blue);
  WritePrivateProfileStringW(kSection, kHighlightKey, text, path.c_str());
}
