#pragma once

#include <cstddef>
#include <string>

// The system's side of paths; the tool itself puts "/" between folders.

// `path` with the system's other separator ("\" on Windows) turned into "/".
std::string WithSlashes(std::string path);
// The current folder with "/" separators, or "/" when it cannot be had.
std::string CurrentFolder();
// The length of the root of an absolute path ("/", and on Windows "//" or "C:/"), 0 for a
// relative one.
size_t RootLength(const std::string& path);
