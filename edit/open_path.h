#pragma once

// Which file the editor opens from its command line or a drop.

#include <string>
#include <string_view>

// The command line as one path, taken whole (no splitting); one pair of surrounding double
// quotes, as the shell adds around a path with spaces, is removed.
std::string CommandLinePath(std::string_view commandLine);

// What a path opens as, by its extension in any case: ".cut" a cut, ".lyr" a layer into the
// active cut, ".flm" a film; anything else nothing.
enum class OpenKind { kNothing, kCut, kLayer, kFilm };
OpenKind OpenKindOf(const std::string& path);
