#pragma once

#include <string>

// Questions about files on disk. Paths are code-page-932 byte strings, passed to the system
// as they are.

// True when something (a file or a folder) exists at `path`.
bool FileExists(const std::string& path);

// True when both paths name one existing file (also through links, other spellings or a
// case-insensitive file system).
bool SameFile(const std::string& a, const std::string& b);
