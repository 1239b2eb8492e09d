#include "files/recovery_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "files/cut_file.h"
#include "io/byte_stream.h"
#include "io/folder.h"
#include "io/safe_save.h"

namespace {

constexpr char kLockName[] = "owner.lock";
constexpr size_t kEntryBytesMax = 64 * 1024;

// The separator of the root path: the backslash when it holds one.
std::string Join(const std::string& folder, const std::string& name) {
  const char sep = folder.find('\\') != std::string::npos ? '\\' : '/';
  return folder + sep + name;
}

std::string IndexName(int id) {
  return "d" + std::to_string(id) + ".idx";
}

// The document of an index file name "dN.idx", or -1.
int IdOfIndex(const std::string& name) {
  if (name.size() < 6 || name[0] != 'd' || name.compare(name.size() - 4, 4, ".idx") != 0) return -1;
  int id = 0;
  for (size_t i = 1; i + 4 < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || id > 99999999) return -1;
    id = id * 10 + (name[i] - '0');
  }
  return IndexName(id) == name ? id : -1;
}

// Files of document `id`: its entry, its copies and what a cut-short write left of one.
bool OfDocument(const std::string& name, int id) {
  const std::string copy = "d" + std::to_string(id) + "-";
  return name == IndexName(id) || name.compare(0, copy.size(), copy) == 0;
}

std::optional<std::string> ReadSmallFile(const std::string& path, size_t limit) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes(limit + 1, '\0');
  const size_t n = std::fread(bytes.data(), 1, bytes.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || n > limit) return std::nullopt;
  bytes.resize(n);
  return bytes;
}

// A copy is whole when it has the size its entry names and, for a cut, the cut file's tag.
bool WholeCopy(const std::string& path, DocumentKind kind, const RecoveryCopy& copy) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char tag[sizeof kCutTag] = {};
  const size_t got = std::fread(tag, 1, sizeof tag, file);
  const bool sized = std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) == copy.size;
  std::fclose(file);
  if (!sized) return false;
  return kind == DocumentKind::kFilm ||
         (got == sizeof tag && std::memcmp(tag, kCutTag, sizeof tag) == 0);
}

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
  return SaveFileSafely(
      path, [&](ByteStream& s) { return s.Write(text.data(), int32_t(text.size())) == 1; }, error);
}

void RemoveDocumentFiles(const std::string& folder, int id) {
  // The entry goes first: from then on nothing offers the copies.
  RemoveFile(Join(folder, IndexName(id)));
  for (const std::string& name : FilesIn(folder))
    if (OfDocument(name, id)) RemoveFile(Join(folder, name));
}

void RemoveSessionFolder(const std::string& folder, OwnerLock& lock) {
  for (const std::string& name : FilesIn(folder))
    if (name != kLockName) RemoveFile(Join(folder, name));
  lock.Release();
  RemoveFile(Join(folder, kLockName));
  RemoveFolder(folder);
}

}  // namespace

bool RecoverySession::Open(const std::string& root, const std::string& name) {
  const std::string folder = Join(root, name);
  if (!MakeFolder(root) || !MakeFolder(folder) || !lock_.Take(Join(folder, kLockName)))
    return false;
  folder_ = folder;
  return true;
}

bool RecoverySession::WriteCopy(int id, DocumentKind kind, const std::string& path,
                                const std::string& caption, int64_t time,
                                const std::function<bool(ByteStream&)>& write, std::string* error) {
  if (folder_.empty() || !MakeFolder(folder_)) {
    if (error) *error = "no folder for the copies";
    return false;
  }
  const auto known = entries_.find(id);
  RecoveryEntry entry = known != entries_.end() ? known->second : RecoveryEntry{};
  entry.kind = kind;
  entry.path = path;
  entry.caption = caption;
  RecoveryCopy copy;
  copy.generation = entry.copies.empty() ? 1 : entry.copies.back().generation + 1;
  copy.time = time;
  copy.file = "d" + std::to_string(id) + "-" + std::to_string(copy.generation) +
              (kind == DocumentKind::kFilm ? ".flm" : ".cut");
  const std::string copyPath = Join(folder_, copy.file);
  const bool written = SaveFileSafely(
      copyPath,
      [&](ByteStream& s) {
        const bool ok = write(s);
        copy.size = s.Tell();
        return ok;
      },
      error);
  if (!written) return false;
  entry.copies.push_back(copy);
  std::vector<RecoveryCopy> dropped;
  while (entry.copies.size() > kRecoveryCopiesKept) {
    dropped.push_back(entry.copies.front());
    entry.copies.erase(entry.copies.begin());
  }
  if (!WriteText(Join(folder_, IndexName(id)), FormatRecoveryEntry(entry), error)) {
    RemoveFile(copyPath);
    return false;
  }
  entries_[id] = std::move(entry);
  for (const RecoveryCopy& old : dropped) RemoveFile(Join(folder_, old.file));
  return true;
}

void RecoverySession::Remove(int id) {
  if (folder_.empty()) return;
  RemoveDocumentFiles(folder_, id);
  entries_.erase(id);
}

void RecoverySession::Close() {
  if (folder_.empty()) return;
  RemoveSessionFolder(folder_, lock_);
  entries_.clear();
  folder_.clear();
}

LeftCopies::~LeftCopies() {
  Release();
}

void LeftCopies::Find(const std::string& root, const std::string& ownSession) {
  Release();
  for (const std::string& name : FoldersIn(root)) {
    if (name == ownSession) continue;
    auto held = std::make_unique<Held>();
    held->folder = Join(root, name);
    // Held by its editor: that editor still runs.
    if (!held->lock.Take(Join(held->folder, kLockName))) continue;
    for (const std::string& file : FilesIn(held->folder)) {
      const int id = IdOfIndex(file);
      if (id < 0) continue;
      LeftDocument document;
      document.session = held->folder;
      document.id = id;
      const auto text = ReadSmallFile(Join(held->folder, file), kEntryBytesMax);
      const auto entry = text ? ParseRecoveryEntry(*text) : std::nullopt;
      if (entry) {
        document.entry = *entry;
        if (!entry->copies.empty()) document.time = entry->copies.back().time;
        // The newest whole copy; one a crash cut short leaves the one before.
        for (auto copy = entry->copies.rbegin(); copy != entry->copies.rend(); ++copy) {
          const std::string path = Join(held->folder, copy->file);
          if (!WholeCopy(path, entry->kind, *copy)) continue;
          document.damaged = false;
          document.copy = path;
          document.time = copy->time;
          break;
        }
      }
      documents_.push_back(std::move(document));
      ++held->documents;
    }
    if (held->documents == 0) {
      RemoveSessionFolder(held->folder, held->lock);
      continue;
    }
    held_.push_back(std::move(held));
  }
  std::stable_sort(documents_.begin(), documents_.end(),
                   [](const LeftDocument& a, const LeftDocument& b) { return a.time > b.time; });
}

void LeftCopies::Discard(const LeftDocument& document) {
  // `document` may be one of documents_: what is needed is taken before it goes.
  const std::string session = document.session;
  const int id = document.id;
  const auto held = std::find_if(held_.begin(), held_.end(), [&](const std::unique_ptr<Held>& h) {
    return h->folder == session;
  });
  const auto listed =
      std::find_if(documents_.begin(), documents_.end(),
                   [&](const LeftDocument& d) { return d.session == session && d.id == id; });
  if (held == held_.end() || listed == documents_.end()) return;
  documents_.erase(listed);
  RemoveDocumentFiles(session, id);
  if (--(*held)->documents > 0) return;
  RemoveSessionFolder(session, (*held)->lock);
  held_.erase(held);
}

void LeftCopies::Release() {
  held_.clear();
  documents_.clear();
}
