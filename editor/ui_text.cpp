#include "editor/ui_text.h"

#include <vector>

#include "win32/text_convert.h"

namespace {

// The last path separator of a code-page-932 path: a trail byte is never one.
size_t NameStart(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return start;
}

}  // namespace

std::wstring LoadUiString(HINSTANCE instance, int id, int limit) {
  std::vector<wchar_t> buffer(size_t(limit) + 1, L'\0');
  const int n = LoadStringW(instance, UINT(id), buffer.data(), limit + 1);
  return std::wstring(buffer.data(), size_t(n > 0 ? n : 0));
}

std::wstring FirstLine(const std::wstring& help) { return help.substr(0, help.find(L'\n')); }

std::wstring StatusHelp(const std::wstring& help) {
  const size_t feed = help.find(L'\n');
  if (feed == std::wstring::npos) return help;
  const std::wstring rest = help.substr(feed + 1);
  return rest.substr(0, rest.find(L'\n'));
}

std::string FileNameOf(const std::string& path) { return path.substr(NameStart(path)); }

std::string BaseNameOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool AskYesNo(HWND owner, HINSTANCE instance, int id, const std::string& name, UINT icon) {
  const std::wstring format = LoadUiString(instance, id, 255);
  std::wstring text = format;
  const size_t at = format.find(L"%s");
  if (at != std::wstring::npos) text = format.substr(0, at) + Widen(name) + format.substr(at + 2);
  return MessageBoxW(owner, text.c_str(), L"Orvinade", MB_YESNO | icon) == IDYES;
}

void ShowFailure(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), L"Orvinade", MB_OK | MB_ICONEXCLAMATION);
}
