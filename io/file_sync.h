#pragma once

#include <cstdio>
#include <string>

// Asks the system to put what was written to `file` (already flushed out of the library's
// buffer) onto the disk itself; false when it cannot.
bool SyncFileData(std::FILE* file);

// After a rename into `folder`: puts the folder's new entry onto the disk where the system
// needs that asked for separately (not on Windows, whose replace writes through). Best
// effort: the rename has happened either way.
void SyncFolder(const std::string& folder);
