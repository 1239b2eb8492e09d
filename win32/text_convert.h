#pragma once

// Text between the system's ANSI code page (932 on a Japanese Windows), in which documents
// and the core keep their strings, and the UTF-16 of the wide Win32 calls.

#include <string>

// The text in UTF-16; bytes the code page cannot map become what the system makes of them.
std::wstring Widen(const std::string& text);
// The text in the ANSI code page, or empty when a character has no exact spelling there.
std::string AnsiText(const std::wstring& text);
// A path in the ANSI code page: its exact spelling, else the short form of an existing path,
// else empty.
std::string AnsiPath(const std::wstring& path);
// Text the user typed, in the ANSI code page; characters the page lacks become the system's
// nearest spelling or '?'.
std::string AnsiTextLossy(const std::wstring& text);
