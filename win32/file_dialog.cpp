#include "win32/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kPathChars = 32768;

OPENFILENAMEW DialogFor(HWND owner, const wchar_t* filters, std::vector<wchar_t>& file) {
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = DWORD(file.size());
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return ofn;
}

}  // namespace

std::wstring AskOpenPath(HWND owner, const wchar_t* filters) {
  std::vector<wchar_t> file(kPathChars, L'\0');
  OPENFILENAMEW ofn = DialogFor(owner, filters, file);
  ofn.Flags |= OFN_FILEMUSTEXIST;
  return GetOpenFileNameW(&ofn) ? std::wstring(file.data()) : std::wstring();
}

std::wstring AskSavePath(HWND owner, const wchar_t* filters, const wchar_t* defaultExtension,
                         DWORD flags, const std::wstring& initialPath) {
  std::vector<wchar_t> file(kPathChars, L'\0');
  if (initialPath.size() < file.size()) std::copy(initialPath.begin(), initialPath.end(), file.begin());
  OPENFILENAMEW ofn = DialogFor(owner, filters, file);
  ofn.lpstrDefExt = defaultExtension;
  ofn.Flags |= flags;
  return GetSaveFileNameW(&ofn) ? std::wstring(file.data()) : std::wstring();
}
