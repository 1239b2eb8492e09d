// Arbitrary bytes as what a crashed editor left in its recovery folder: an index entry
// (read alone, and written again it reads back as itself), and a session folder holding
// the entry under a file name and the copies it names. The start-up scan offers the newest
// whole copy the entry names or marks the document damaged, and discarding it removes the
// session. The input is "NAME" SEP "ENTRY" SEP "COPY" SEP "COPY", SEP as below; the copies
// go under the entry's names in turn.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "files/cut_file.h"
#include "files/recovery_entry.h"
#include "files/recovery_store.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSeparator = "\n#--#\n";

std::vector<std::string_view> Parts(std::string_view text, size_t count) {
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < count) {
    const size_t at = text.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + kSeparator.size());
  }
  parts.push_back(text);
  parts.resize(count);
  return parts;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return text;
}

void CheckEntry(std::string_view text) {
  const auto entry = ParseRecoveryEntry(text);
  if (!entry) return;
  if (entry->copies.size() > kRecoveryCopiesKept) std::abort();
  for (const RecoveryCopy& copy : entry->copies)
    if (!PlainFileName(copy.file) || copy.size < 0 || copy.time < 0 || copy.generation < 0) std::abort();
  RecoveryEntry expected = *entry;
  expected.path = OneLine(expected.path);
  expected.caption = OneLine(expected.caption);
  const auto back = ParseRecoveryEntry(FormatRecoveryEntry(*entry));
  if (!back || !(*back == expected)) std::abort();
}

const fs::path& Root() {
  static const fs::path root = fs::path(fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) /
                               ("orvina_fuzz_recovery_" + std::to_string(::getpid()));
  return root;
}

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The copy the scan must offer: the newest one of the size named, a cut with the cut tag.
const RecoveryCopy* NewestWhole(const RecoveryEntry& entry, const std::map<std::string, std::string_view>& files) {
  for (auto copy = entry.copies.rbegin(); copy != entry.copies.rend(); ++copy) {
    const auto file = files.find(copy->file);
    if (file == files.end() || int64_t(file->second.size()) != copy->size) continue;
    const std::string_view tag(kCutTag, sizeof kCutTag);
    if (entry.kind == DocumentKind::kFilm || file->second.substr(0, tag.size()) == tag) return &*copy;
  }
  return nullptr;
}

void CheckScan(std::string_view input) {
  const std::vector<std::string_view> parts = Parts(input, 4);
  const std::string name = PlainFileName(parts[0]) ? std::string(parts[0]) : "d1.idx";
  const fs::path session = Root() / "left";
  fs::remove_all(Root());
  fs::create_directories(session);
  // The copies first, so a copy named as the entry's own file does not replace it.
  std::map<std::string, std::string_view> files;
  const auto entry = ParseRecoveryEntry(parts[1]);
  // A copy named as an entry would be a document of its own; the store never names one so.
  auto entryName = [](const std::string& file) {
    return file.size() >= 4 && file.compare(file.size() - 4, 4, ".idx") == 0;
  };
  for (size_t i = 0; entry && i < entry->copies.size(); ++i) {
    if (entry->copies[i].file == name || entryName(entry->copies[i].file)) continue;
    Put(session / entry->copies[i].file, parts[2 + i]);
    files[entry->copies[i].file] = parts[2 + i];
  }
  Put(session / name, parts[1]);
  files[name] = parts[1];

  LeftCopies left;
  left.Find(Root().string(), "own");
  const std::vector<LeftDocument>& documents = left.Documents();
  if (documents.size() > 1) std::abort();
  if (name == "d1.idx" && documents.size() != 1) std::abort();
  if (!documents.empty()) {
    const LeftDocument& d = documents.front();
    if (name != "d" + std::to_string(d.id) + ".idx" || d.session != session.string()) std::abort();
    const RecoveryCopy* whole = entry ? NewestWhole(*entry, files) : nullptr;
    if (d.damaged != !whole) std::abort();
    if (whole && (d.copy != (session / whole->file).string() || d.time != whole->time)) std::abort();
    if (!whole && entry && !entry->copies.empty() && d.time != entry->copies.back().time) std::abort();
    left.Discard(d);
  }
  // Discarded, or a session of no documents: nothing of it stays.
  if (fs::exists(session)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckEntry(input);
  if (size <= 4096) CheckScan(input);
  return 0;
}
