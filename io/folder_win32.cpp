#include <windows.h>

#include "io/folder.h"

// The narrow (ANSI) calls take the code-page bytes as they are.

namespace {

std::vector<std::string> EntriesIn(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder == folders && name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool Gone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool MakeFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  return EntriesIn(folder, false);
}
std::vector<std::string> FoldersIn(const std::string& folder) {
  return EntriesIn(folder, true);
}

bool RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) || Gone(GetLastError());
}

bool RemoveFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) || Gone(GetLastError());
}
