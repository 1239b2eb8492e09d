#pragma once

// Folders on disk. Paths are code-page-932 byte strings, passed to the system as they are.

#include <string>
#include <vector>

// Makes the folder (its parent must exist); true when it exists afterwards.
bool MakeFolder(const std::string& path);

// The names, without the folder, of the files (or of the folders, "." and ".." left out) in
// a folder; empty when it cannot be read.
std::vector<std::string> FilesIn(const std::string& folder);
std::vector<std::string> FoldersIn(const std::string& folder);

// Deletes a file or an empty folder; true when it is gone (also when it was gone already).
bool RemoveFile(const std::string& path);
bool RemoveFolder(const std::string& path);
