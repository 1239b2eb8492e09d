#include "player/archive_loader.h"

#include <cwctype>

namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* ending) {
  const std::wstring e(ending);
  if (text.size() < e.size()) return false;
  for (size_t i = 0; i < e.size(); ++i)
    if (std::towupper(text[text.size() - e.size() + i]) != std::towupper(e[i])) return false;
  return true;
}

}  // namespace

ArchiveLoader::~ArchiveLoader() {
  if (lzh_) FreeLibrary(lzh_);
  if (zip_) FreeLibrary(zip_);
}

bool ArchiveLoader::IsArchivePath(const std::wstring& path) {
  return EndsWithNoCase(path, L".lzh") || EndsWithNoCase(path, L".zip");
}

std::vector<uint8_t> ArchiveLoader::ReadArchive(HWND owner, const std::wstring& path) {
  // Archive members are not read yet: the loader reports every archive as unreadable.
  (void)owner, (void)path;
  return {};
}
