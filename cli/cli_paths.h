#pragma once

#include <string>

// Paths for commands that resolve one file's path against another (films and their
// cuts). Inside, paths are absolute with "/" between folders (Windows takes "/" too); what
// is shown is relative to the current folder, so output is the same on every system.

// `arg` as an absolute path with "/" separators and no "." or ".." folders.
std::string AbsolutePath(const std::string& arg);

// An absolute path as shown to the user: relative to the current folder when it can be.
std::string ShownPath(const std::string& absolute);
