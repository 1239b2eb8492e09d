#pragma once

// Recovery copies: copies of the documents an editor has not saved, so that a crash loses
// at most the work since the last copy. The user's own files are never written here.
//
//   ROOT/                   beside the settings file
//     SESSION/              one running (or crashed) editor
//       owner.lock          held by that editor as long as it runs (OwnerLock)
//       dN.idx              the index entry of its document N (recovery_entry.h)
//       dN-G.cut, dN-G.flm  the document's copies, G counting up; the two newest are kept
//
// A copy is written whole through a temporary file before its entry names it, so a crash
// in the middle of a write leaves the entry naming the copies before; a file no entry names
// is never offered. The documents of a session whose lock is held belong to a running
// editor: no other editor offers or deletes them.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "files/recovery_entry.h"
#include "io/owner_lock.h"

class ByteStream;

// The session of the running editor. Used from one thread at a time.
class RecoverySession {
 public:
  RecoverySession() = default;
  ~RecoverySession() = default;  // a session not closed stays, as after a crash
  RecoverySession(const RecoverySession&) = delete;
  RecoverySession& operator=(const RecoverySession&) = delete;

  // Makes ROOT and the session folder NAME in it and takes its lock; false when the lock
  // is another editor's or a folder cannot be made.
  bool Open(const std::string& root, const std::string& name);
  const std::string& Folder() const { return folder_; }

  // A new copy of document `id`, written by `write` through a temporary file; then its
  // entry names it (with the kind, path and caption given) and the copy two before goes.
  // False, with the entry and older copies as they were, when anything failed.
  bool WriteCopy(int id, DocumentKind kind, const std::string& path, const std::string& caption,
                 int64_t time, const std::function<bool(ByteStream&)>& write,
                 std::string* error = nullptr);
  // Deletes the entry and the copies of document `id`.
  void Remove(int id);
  // Deletes every document, then the lock and the folder: the end of a clean run.
  void Close();

 private:
  std::string folder_;
  OwnerLock lock_;
  std::map<int, RecoveryEntry> entries_;
};

// A document left by an editor that no longer runs.
struct LeftDocument {
  std::string session;  // the session folder
  int id = 0;
  RecoveryEntry entry;  // kind, path and caption as the entry has them
  bool damaged = true;  // no whole copy (or no readable entry)
  std::string copy;     // the newest whole copy's path
  int64_t time = 0;     // the time of that copy (of the newest named one when damaged)
};

// What becomes of a left document: restored, discarded, or kept for the next start.
enum class RecoveryChoice { kLater, kRestore, kDiscard };

// The documents of editors that no longer run, held for this editor while it decides.
class LeftCopies {
 public:
  LeftCopies() = default;
  ~LeftCopies();  // lets go, as Release
  LeftCopies(const LeftCopies&) = delete;
  LeftCopies& operator=(const LeftCopies&) = delete;

  // Takes over every session under ROOT whose lock nobody holds, except `ownSession`, and
  // lists its documents, the newest copy first. Sessions without documents are deleted.
  void Find(const std::string& root, const std::string& ownSession);
  const std::vector<LeftDocument>& Documents() const { return documents_; }

  // Deletes the document's entry and copies; a session left without documents goes whole.
  void Discard(const LeftDocument& document);
  // Lets go of the sessions taken over: what was not discarded stays for the next start.
  void Release();

 private:
  struct Held {
    std::string folder;
    OwnerLock lock;
    int documents = 0;
  };
  std::vector<std::unique_ptr<Held>> held_;
  std::vector<LeftDocument> documents_;
};
