#pragma once

// Texts of the editor's resources and documents as the windows show them.

#include <windows.h>

#include <string>

// The frame's caption, alone or before the film's name.
inline constexpr wchar_t kFrameTitle[] = L"Orvina Developer";

// The string resource `id` (at most `limit` characters), or empty when there is none.
std::wstring LoadUiString(HINSTANCE instance, int id, int limit = 511);
// Help strings are "tooltip\nstatus-bar text": the tooltip, and the status-bar part (the
// text after the first line feed up to the next one, or the whole string without one).
std::wstring FirstLine(const std::wstring& help);
std::wstring StatusHelp(const std::wstring& help);
// A yes/no question captioned "Orvinade" with string `id` filled with `name`.
bool AskYesNo(HWND owner, HINSTANCE instance, int id, const std::string& name,
              UINT icon = MB_ICONQUESTION);
// A failure message captioned "Orvinade".
void ShowFailure(HWND owner, const std::wstring& text);
