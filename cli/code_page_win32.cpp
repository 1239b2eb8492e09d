#include "cli/code_page.h"

#include <windows.h>

#include <vector>

namespace {

std::optional<std::string> Convert(const std::string& in, UINT from, UINT to) {
  if (in.empty()) return std::string();
  const int wide = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::vector<wchar_t> w(static_cast<size_t>(wide));
  MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), w.data(), wide);
  BOOL usedDefault = FALSE;
  BOOL* usedPtr = to == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD flags = to == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(to, flags, w.data(), wide, nullptr, 0, nullptr, usedPtr);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(to, flags, w.data(), wide, out.data(), n, nullptr, usedPtr);
  if (usedDefault) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> SystemCp932ToUtf8(const std::string& in) { return Convert(in, 932, CP_UTF8); }
std::optional<std::string> SystemUtf8ToCp932(const std::string& in) { return Convert(in, CP_UTF8, 932); }
