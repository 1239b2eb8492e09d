#include "win32/command_line.h"

#include <windows.h>

std::wstring CommandLinePath() {
  const wchar_t* p = GetCommandLineW();
  if (!p) return std::wstring();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  std::wstring path(p);
  const size_t first = path.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  path = path.substr(first, path.find_last_not_of(L" \t") - first + 1);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  return path;
}
