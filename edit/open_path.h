#pragma once

// Which file the editor opens from its command line or a drop.

#include <string>

// What a path opens as, by its extension in any case: ".cut" a cut, ".lyr" a layer into the
// active cut, ".flm" a film; anything else nothing.
enum class OpenKind { kNothing, kCut, kLayer, kFilm };
OpenKind OpenKindOf(const std::string& path);
