#include "player/archive_loader.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <exception>

#include "archive/archive_api_win32.h"
#include "win32/text_convert.h"

namespace {

struct ArchiveKind {
  const char* library;
  const char* prefix;         // of the entry-point names
  const char* commandFormat;  // archive path, wildcard
};
constexpr ArchiveKind kLzh = {"UNLHA32.DLL", "Unlha", "-n1 \"%s\" %s"};
constexpr ArchiveKind kZip = {"UNZIP32.DLL", "UnZip", "--i \"%s\" %s"};
constexpr char kWildcard[] = "*.ov";

bool EndsWithNoCase(const std::wstring& text, const wchar_t* ending) {
  const std::wstring e(ending);
  if (text.size() < e.size()) return false;
  for (size_t i = 0; i < e.size(); ++i)
    if (std::towupper(text[text.size() - e.size() + i]) != std::towupper(e[i])) return false;
  return true;
}

template <class Proc>
Proc Entry(HMODULE library, const ArchiveKind& kind, const char* name) {
  return ArchiveEntry<Proc>(library, (std::string(kind.prefix) + name).c_str());
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
  const bool lzh = EndsWithNoCase(path, L".lzh");
  const ArchiveKind& kind = lzh ? kLzh : kZip;
  HMODULE& library = lzh ? lzh_ : zip_;
  if (!library) {
    // Beside the program and in the system's folders, never from the current folder, where
    // an archive's own folder could plant a library of that name: the program's folder
    // takes the current folder's place in the search.
    std::wstring folder(MAX_PATH, L'\0');
    DWORD n = 0;
    while ((n = GetModuleFileNameW(nullptr, folder.data(), DWORD(folder.size()))) == folder.size())
      folder.resize(folder.size() * 2);
    folder.resize(n);
    folder.resize(folder.find_last_of(L"\\/") == std::wstring::npos ? 0 : folder.find_last_of(L"\\/"));
    if (!folder.empty()) SetDllDirectoryW(folder.c_str());
    library = LoadLibraryA(kind.library);
  }
  if (!library) return {};

  const auto open = Entry<ArchiveOpenProc>(library, kind, "OpenArchive");
  const auto findFirst = Entry<ArchiveFindFirstProc>(library, kind, "FindFirst");
  const auto close = Entry<ArchiveCloseProc>(library, kind, "CloseArchive");
  const auto extract = Entry<ArchiveExtractMemProc>(library, kind, "ExtractMem");
  if (!open || !findFirst || !close || !extract) return {};

  const std::string archivePath = AnsiPath(path);
  if (archivePath.empty()) return {};
  ArchiveHandle archive = open(owner, archivePath.c_str(), 0);
  if (!archive) return {};
  // Room to spare for a library whose record is larger than ours; only the first field,
  // the member's original size, is read.
  union {
    ArchiveInfoRecord record;
    uint8_t room[2048];
  } info;
  std::memset(&info, 0, sizeof info);
  const uint32_t size = findFirst(archive, kWildcard, &info.record) == 0 ? info.record.originalSize : 0;
  close(archive);
  // A memory stream holds at most 2 GB; a larger claim is damage, refused before a 64-bit
  // process tries to allocate and clear it.
  if (size == 0 || size > uint32_t(INT32_MAX)) return {};

  std::vector<uint8_t> block;
  try {
    block.resize(size);
  } catch (const std::exception&) {
    return {};  // a stated size this process cannot hold
  }
  const int n = std::snprintf(nullptr, 0, kind.commandFormat, archivePath.c_str(), kWildcard);
  std::string commandLine(size_t(n) + 1, '\0');
  std::snprintf(commandLine.data(), commandLine.size(), kind.commandFormat, archivePath.c_str(),
                kWildcard);
  DWORD written = 0;
  extract(owner, commandLine.c_str(), block.data(), size, nullptr, nullptr, &written);
  // A count beyond the block would have the stream read bytes that were never written.
  block.resize(written < size ? written : size);
  return block;
}
