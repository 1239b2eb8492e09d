#pragma once

// The common open and save dialogs as both programs set them up.

#include <windows.h>

#include <string>

// Filters as the dialog takes them: "Name\0pattern\0...\0".
// The chosen path, or empty when the user cancelled.
std::wstring AskOpenPath(HWND owner, const wchar_t* filters);
// `defaultExtension` is added when the typed name has none; `flags` are added to the
// dialog's own (explorer style, existing folder, no read-only box). The dialog starts at
// `initialPath` when one is given.
std::wstring AskSavePath(HWND owner, const wchar_t* filters, const wchar_t* defaultExtension,
                         DWORD flags = 0, const std::wstring& initialPath = {});
