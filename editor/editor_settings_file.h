#pragma once

// The editor's settings file: OrvinaDeveloper.ini beside the program, read and written
// through the private-profile functions. Values are code-page bytes.

#include <cstdint>
#include <string>

#include "edit/editor_settings.h"

// The program's path with its extension replaced by "ini".
std::string SettingsPath();
// The folder of the recovery copies, beside the settings file: the extension "recovery".
std::string RecoveryFolderPath();
std::string ReadSetting(const char* section, const char* key, size_t bufferBytes);
void WriteSetting(const char* section, const char* key, const std::string& value);
// The values a dialog remembers ([OnNewFilm], [OnNewCut]): a number (its default when
// missing or out of range) and a text cut to the length a setting keeps.
int32_t ReadNumberSetting(const char* section, const char* key, const NumberSetting& setting);
std::string ReadTextSetting(const char* section, const char* key);

// Start-up: font, brush, clipboard colour and the recovery interval into the program state. Exit: film, font,
// brush back.
void ReadStartSettings();
std::string ReadFilmSetting();
void WriteExitSettings(const std::string& filmPath);
void WriteClipboardFlag(bool on);
void WriteClipboardColor(uint32_t color);
