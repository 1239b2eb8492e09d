// Loads UNZIP32.DLL and UNLHA32.DLL by name, as the player does, and checks what they list
// and extract for the archives in tests/data/archive (made by zip and jlha).
//   archive_dll_test DLL-FOLDER DATA-FOLDER
// Each line of DATA-FOLDER\fixtures.txt: an archive, then the source file its first "*.ov"
// member was made from, or "-" when it holds none. Prints one line per failed check and
// exits with the number of failures.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "archive/archive_api_win32.h"

namespace {

int gFailures = 0;
int gChecks = 0;

void Check(bool ok, const std::string& what) {
  ++gChecks;
  if (!ok) {
    ++gFailures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

struct Library {
  const char* name;
  const char* prefix;
  const char* commandFormat;
  HMODULE module = nullptr;

  template <class P = FARPROC>
  P Proc(const char* entry) const {
    return ArchiveEntry<P>(module, (std::string(prefix) + entry).c_str());
  }
  ArchiveOpenProc Open() const { return Proc<ArchiveOpenProc>("OpenArchive"); }
  ArchiveFindFirstProc FindFirst() const { return Proc<ArchiveFindFirstProc>("FindFirst"); }
  ArchiveCloseProc Close() const { return Proc<ArchiveCloseProc>("CloseArchive"); }
  ArchiveExtractMemProc ExtractMem() const { return Proc<ArchiveExtractMemProc>("ExtractMem"); }
  std::string Command(const std::string& archive, const char* wildcard) const {
    char line[1024];
    std::snprintf(line, sizeof line, commandFormat, archive.c_str(), wildcard);
    return line;
  }
};

Library gZip{"UNZIP32.DLL", "UnZip", "--i \"%s\" %s"};
Library gLzh{"UNLHA32.DLL", "Unlha", "-n1 \"%s\" %s"};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const Library& LibraryFor(const std::string& archive) {
  const std::string ext = archive.size() > 4 ? archive.substr(archive.size() - 4) : "";
  return _stricmp(ext.c_str(), ".zip") == 0 ? gZip : gLzh;
}

// Lists and extracts the first "*.ov" member; `expected` empty means there is none.
void CheckArchive(const std::string& archive, const std::string& expected, bool haveOv) {
  const Library& lib = LibraryFor(archive);
  ArchiveHandle h = lib.Open()(nullptr, archive.c_str(), 0);
  Check(h != nullptr, archive + ": opens");
  if (!h) return;
  // The record is filled up to its end, and not one byte further.
  struct {
    ArchiveInfoRecord record;
    unsigned char guard[16];
  } info;
  std::memset(&info, 0xAB, sizeof info);
  const int found = lib.FindFirst()(h, "*.ov", &info.record);
  Check(lib.Close()(h) == 0, archive + ": closes");
  bool guardKept = true;
  for (unsigned char g : info.guard) guardKept = guardKept && g == 0xAB;
  Check(guardKept, archive + ": FindFirst stays inside the record");

  if (!haveOv) {
    Check(found == -1, archive + ": FindFirst finds no OV member");
    std::vector<unsigned char> buffer(64, 0xCD);
    DWORD written = 77;
    const int r = lib.ExtractMem()(nullptr, lib.Command(archive, "*.ov").c_str(), buffer.data(),
                                   DWORD(buffer.size()), nullptr, nullptr, &written);
    Check(r != 0 && written == 0, archive + ": extracting no OV member fails with 0 written");
    return;
  }
  Check(found == 0, archive + ": FindFirst finds an OV member");
  if (found != 0) return;
  Check(info.record.originalSize == expected.size(),
        archive + ": size of the first OV member is " + std::to_string(expected.size()) +
            ", got " + std::to_string(info.record.originalSize));

  // Exactly sized, as the player asks, with guard bytes behind it.
  const DWORD size = info.record.originalSize;
  std::vector<unsigned char> buffer(size + 64, 0xCD);
  DWORD written = 0;
  int r = lib.ExtractMem()(nullptr, lib.Command(archive, "*.ov").c_str(), buffer.data(), size,
                           nullptr, nullptr, &written);
  Check(r == 0, archive + ": ExtractMem succeeds (" + std::to_string(r) + ")");
  Check(written == size, archive + ": written count equals the size");
  Check(std::memcmp(buffer.data(), expected.data(), expected.size()) == 0,
        archive + ": extracted bytes equal the original");
  bool untouched = true;
  for (DWORD i = size; i < buffer.size(); ++i) untouched = untouched && buffer[i] == 0xCD;
  Check(untouched, archive + ": nothing written past the buffer");

  // One byte short: refused, nothing past the buffer.
  if (size > 0) {
    std::vector<unsigned char> small(size + 64, 0xCD);
    written = 5;
    r = lib.ExtractMem()(nullptr, lib.Command(archive, "*.ov").c_str(), small.data(), size - 1,
                         nullptr, nullptr, &written);
    bool kept = true;
    for (DWORD i = size - 1; i < small.size(); ++i) kept = kept && small[i] == 0xCD;
    Check(r != 0 && written == 0 && kept, archive + ": a buffer one byte short is refused");
  }
}

void CheckFailures(const std::string& data) {
  for (const Library* lib : {&gZip, &gLzh}) {
    const std::string who = lib->name;
    Check(lib->Open()(nullptr, (data + "\\missing.archive").c_str(), 0) == nullptr,
          who + ": a missing archive does not open");
    Check(lib->Open()(nullptr, (data + "\\fixtures.txt").c_str(), 0) == nullptr,
          who + ": a text file does not open");
    int bogus = 0;
    Check(lib->FindFirst()(&bogus, "*", nullptr) != 0 && lib->Close()(&bogus) != 0,
          who + ": an unknown handle is refused");
    DWORD written = 9;
    unsigned char b[8];
    Check(lib->ExtractMem()(nullptr, "-x --y", b, sizeof b, nullptr, nullptr, &written) != 0 &&
              written == 0,
          who + ": a command line without an archive fails");
  }
  // A handle of one library means nothing to the other.
  ArchiveHandle zip = gZip.Open()(nullptr, (data + "\\deflate.zip").c_str(), 0);
  Check(zip != nullptr && gLzh.FindFirst()(zip, "*", nullptr) != 0, "handles stay apart");
  if (zip) gZip.Close()(zip);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: archive_dll_test DLL-FOLDER DATA-FOLDER\n");
    return 100;
  }
  SetDllDirectoryA(argv[1]);
  const std::string data = argv[2];
  for (Library* lib : {&gZip, &gLzh}) {
    lib->module = LoadLibraryA(lib->name);
    Check(lib->module != nullptr, std::string(lib->name) + " loads by name");
    for (const char* entry : {"OpenArchive", "FindFirst", "CloseArchive", "ExtractMem"}) {
      Check(lib->Proc(entry) != nullptr, std::string(lib->prefix) + entry + " is exported");
    }
  }
  if (gFailures > 0) return gFailures;

  std::istringstream list(ReadFile(data + "\\fixtures.txt"));
  std::string line;
  int archives = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string archive, source;
    fields >> archive >> source;
    const bool haveOv = source != "-";
    CheckArchive(data + "\\" + archive, haveOv ? ReadFile(data + "\\" + source) : "", haveOv);
    ++archives;
  }
  Check(archives > 0, "fixtures listed");
  CheckFailures(data);

  for (Library* lib : {&gZip, &gLzh}) FreeLibrary(lib->module);
  std::printf("archive dll test: %d archives, %d checks, %d failed\n", archives, gChecks,
              gFailures);
  return gFailures;
}
