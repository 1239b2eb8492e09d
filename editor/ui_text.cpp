#include "editor/ui_text.h"

#include <vector>

#include "win32/text_convert.h"

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
