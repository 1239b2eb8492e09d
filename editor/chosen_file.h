#pragma once

// Files the user picks in the editor's open and save dialogs, and what the editor does with
// a picked file that cannot be written.

#include <windows.h>

#include <functional>
#include <string>

enum class ChosenSave { kCancelled, kSaved, kFailed };

// Writes to the document path `path`; false when it failed, with the reason in `why` when
// there is one.
using FileWriter = std::function<bool(const std::string& path, std::string* why)>;

// Asks for a path with the save dialog (overwriting asks first), starting at the document
// path `initial` when there is one, and writes it under the wait cursor. A failure, also a
// path the code page cannot hold, is told: with the writer's reason, else with `failure`.
ChosenSave SaveToChosenFile(HWND owner, const wchar_t* filters, const wchar_t* extension,
                            const std::string& initial, const FileWriter& write,
                            const wchar_t* failure = L"保存できませんでした。");

// The document path picked in the open dialog, or empty when the user cancelled; a path the
// code page cannot hold is told and gives empty too.
std::string ChooseFileToOpen(HWND owner, const wchar_t* filters);

// Tells that the document file `path` failed, and why.
void ShowFileFailure(HWND owner, const std::string& path, const std::string& why);

// The name the save questions show: the file name of `path`, or "untitled.cut" without one.
std::string SaveQuestionName(const std::string& path);
