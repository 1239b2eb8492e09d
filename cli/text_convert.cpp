#include "cli/text_convert.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

#ifdef _WIN32

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

#else

std::optional<std::string> Convert(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == size_t(-1) || srcLeft != 0) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

#endif

}  // namespace

std::optional<std::string> Cp932ToUtf8(const std::string& bytes) {
  if (IsAscii(bytes)) return bytes;
#ifdef _WIN32
  return Convert(bytes, 932, CP_UTF8);
#else
  return Convert(bytes, "CP932", "UTF-8");
#endif
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
  if (IsAscii(text)) return text;
#ifdef _WIN32
  return Convert(text, CP_UTF8, 932);
#else
  return Convert(text, "UTF-8", "CP932");
#endif
}
