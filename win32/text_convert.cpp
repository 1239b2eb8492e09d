#include "win32/text_convert.h"

#include <windows.h>

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
  return wide;
}

std::string AnsiText(const std::wstring& text) {
  if (text.empty()) return std::string();
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
                                    nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return std::string();
  std::string narrow(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), narrow.data(),
                      n, nullptr, &lossy);
  return lossy ? std::string() : narrow;
}

std::string AnsiPath(const std::wstring& path) {
  std::string ansi = AnsiText(path);
  if (!ansi.empty() || path.empty()) return ansi;
  std::wstring shortPath(32768, L'\0');
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), DWORD(shortPath.size()));
  if (n == 0 || n >= shortPath.size()) return std::string();
  shortPath.resize(n);
  return AnsiText(shortPath);
}

std::string AnsiTextLossy(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  if (n <= 0) return std::string();
  std::string narrow(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), narrow.data(), n, nullptr, nullptr);
  return narrow;
}
