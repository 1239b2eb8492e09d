#pragma once

// Failure at every write: a save is run once to count the calls it makes that change files
// on disk (io/io_fault.h), then once for each of those calls with that call failing. Each
// time the save must report the failure, nothing saved before may be harmed, and nothing
// half-made may be left behind.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "io/io_fault.h"

namespace savefaults {

namespace fs = std::filesystem;

// One save path: how to set its folder up, how to run it, and what must survive a failure.
struct SavePath {
  std::string name;
  // Makes the inputs and the earlier outputs in the empty folder `dir` (ending in "/").
  std::function<void(const std::string& dir)> prepare;
  // Runs the save in `dir`; true when it reports success.
  std::function<bool(const std::string& dir)> save;
  // Files (or folders, ending in "/") that must be exactly as before after a failure. Any
  // other file may instead hold what a successful save makes (a film export's caches).
  std::vector<std::string> kept;
  // Once a call fails, every later one fails too (a disk that stays full). Then a save may
  // not get around the failure by trying another way.
  bool sticky = false;
};

// What the calls of one run were, and which of them failed.
struct CallLog {
  std::vector<IoCall> calls;
  size_t failAt = 0;  // 1-based; 0 = none fails
  int error = 0;
  bool sticky = false;
};

inline CallLog*& ActiveLog() {
  static CallLog* log = nullptr;
  return log;
}

inline int CountingHook(IoCall call) {
  CallLog& log = *ActiveLog();
  log.calls.push_back(call);
  const size_t n = log.calls.size();
  return log.failAt != 0 && (n == log.failAt || (log.sticky && n > log.failAt)) ? log.error : 0;
}

// Runs `save` with the calls of `log` counted (and failed as it says).
inline bool RunLogged(CallLog& log, const std::function<bool()>& save) {
  ActiveLog() = &log;
  const IoFaultHook before = SetIoFaultHook(CountingHook);
  const bool ok = save();
  SetIoFaultHook(before);
  ActiveLog() = nullptr;
  return ok;
}

inline const char* CallName(IoCall call) {
  switch (call) {
    case IoCall::kCreate: return "create";
    case IoCall::kWrite: return "write";
    case IoCall::kFlush: return "flush";
    case IoCall::kClose: return "close";
    case IoCall::kRename: return "rename";
  }
  return "?";
}

// Every file and folder under a folder: the bytes and times of files, folders as "/".
struct Entry {
  std::string bytes;
  fs::file_time_type time;
  bool folder = false;
  bool operator==(const Entry& o) const { return bytes == o.bytes && folder == o.folder; }
};
using Tree = std::map<std::string, Entry>;

inline Tree TakeTree(const fs::path& dir) {
  Tree tree;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    Entry entry;
    std::string name = fs::relative(e.path(), dir).generic_string();
    entry.time = e.last_write_time();
    if (e.is_directory()) {
      entry.folder = true;
      name += "/";
    } else {
      std::ifstream in(e.path(), std::ios::binary);
      entry.bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    tree.emplace(std::move(name), std::move(entry));
  }
  return tree;
}

inline void PutTree(const fs::path& dir, const Tree& tree) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& [name, e] : tree) {
    if (e.folder) fs::create_directories(dir / name);
  }
  for (const auto& [name, e] : tree) {
    if (e.folder) continue;
    std::ofstream(dir / name, std::ios::binary).write(e.bytes.data(), std::streamsize(e.bytes.size()));
    fs::last_write_time(dir / name, e.time);
  }
}

inline bool IsKept(const SavePath& path, const std::string& name) {
  for (const std::string& k : path.kept) {
    if (name == k || (!k.empty() && k.back() == '/' && name.rfind(k, 0) == 0)) return true;
  }
  return false;
}

// Checks the folder after a failed run against what was there before and what a
// successful run leaves; one failure message per broken rule.
inline void CheckAfterFailure(const SavePath& path, const Tree& before, const Tree& success,
                              const Tree& now, const std::string& where) {
  for (const auto& [name, e] : now) {
    const auto old = before.find(name), made = success.find(name);
    const bool asBefore = old != before.end() && old->second == e;
    const bool asMade = made != success.end() && made->second == e;
    if (IsKept(path, name)) {
      EXPECT_TRUE(asBefore) << where << ": " << name << " changed";
    } else {
      EXPECT_TRUE(asBefore || asMade) << where << ": " << name << " is neither as before nor as a save makes it";
    }
  }
  for (const auto& [name, e] : before) {
    const bool mayGo = !IsKept(path, name) && !success.count(name);
    EXPECT_TRUE(now.count(name) || mayGo) << where << ": " << name << " is gone";
  }
}

// The errors a failing call reports, taken in turn: disk full, permission denied,
// read-only file system.
inline constexpr int kErrors[] = {ENOSPC, EACCES, EROFS};

// Runs the whole check in `dir` (made afresh) and returns the number of failure points.
inline size_t CheckEveryFailure(const SavePath& path, const fs::path& dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string d = dir.generic_string() + "/";
  path.prepare(d);
  const Tree before = TakeTree(dir);

  CallLog counted;
  EXPECT_TRUE(RunLogged(counted, [&] { return path.save(d); })) << path.name << ": the save fails unprovoked";
  const Tree success = TakeTree(dir);
  EXPECT_FALSE(counted.calls.empty()) << path.name << ": no calls seen";

  std::map<std::string, int> kinds;
  for (size_t k = 1; k <= counted.calls.size(); ++k) {
    PutTree(dir, before);
    CallLog log;
    log.failAt = k;
    log.error = kErrors[k % std::size(kErrors)];
    log.sticky = path.sticky;
    const bool ok = RunLogged(log, [&] { return path.save(d); });
    const std::string where = path.name + ", " + CallName(counted.calls[k - 1]) + " (call " +
                              std::to_string(k) + " of " + std::to_string(counted.calls.size()) + ")";
    ++kinds[CallName(counted.calls[k - 1])];
    EXPECT_FALSE(ok) << where << ": the failure was not reported";
    EXPECT_TRUE(log.calls.size() >= k && log.calls[k - 1] == counted.calls[k - 1])
        << where << ": the run went another way before the failure";
    CheckAfterFailure(path, before, success, TakeTree(dir), where);
    if (::testing::Test::HasFailure()) break;  // one broken point tells enough
  }
  std::string summary;
  for (const auto& [kind, n] : kinds) summary += (summary.empty() ? "" : ", ") + std::to_string(n) + " " + kind;
  std::printf("%s: %zu failure points (%s)\n", path.name.c_str(), counted.calls.size(), summary.c_str());
  return counted.calls.size();
}

}  // namespace savefaults
