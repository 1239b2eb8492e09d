#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Reads the first "*.ov" member of an LZH or ZIP archive into memory through the outside
// archive libraries, which are loaded on first use and released when the loader goes.
class ArchiveLoader {
 public:
  ArchiveLoader() = default;
  ~ArchiveLoader();
  ArchiveLoader(const ArchiveLoader&) = delete;
  ArchiveLoader& operator=(const ArchiveLoader&) = delete;

  // Whether `path` names an archive (".LZH" or ".ZIP", case ignored).
  static bool IsArchivePath(const std::wstring& path);
  // The member's bytes; empty when the archive cannot be read.
  std::vector<uint8_t> ReadArchive(HWND owner, const std::wstring& path);

 private:
  HMODULE lzh_ = nullptr;
  HMODULE zip_ = nullptr;
};
