#include "files/recovery_copies.h"

#include <cstdio>
#include <vector>

#include "files/cut_file.h"
#include "files/cut_naming.h"
#include "files/cut_snapshot.h"
#include "files/film.h"
#include "io/byte_stream.h"
#include "model/cut.h"

namespace {

// What one tick copies at most of a cut's changed cells: a big cut's first copy is taken
// over several ticks rather than in one long stop.
constexpr size_t kCopyBytesPerTick = 16u << 20;

int64_t SecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool WriteFilmText(const FilmText& text, ByteStream& out) {
  std::string bytes;
  return FormatFilmText(text, &bytes, nullptr) &&
         out.Write(bytes.data(), int32_t(bytes.size())) == 1;
}

}  // namespace

RecoveryCopies::RecoveryCopies(RecoveryHost host, Film& film, char sep)
    : host_(std::move(host)), film_(film), sep_(sep) {}

RecoveryCopies::~RecoveryCopies() = default;

void RecoveryCopies::Start(const std::string& root, int32_t interval, unsigned long process,
                           unsigned long startTicks) {
  root_ = root;
  interval_ = interval;
  filmCopy_.id = nextId_++;
  if (interval_ <= 0) return;
  auto session = std::make_unique<RecoverySession>();
  // The process id and the start time: a name no other editor takes.
  for (unsigned long attempt = 0; attempt < 8 && sessionName_.empty(); ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, "s%lu-%lx", process, (startTicks + attempt) & 0xFFFFFFFFul);
    if (session->Open(root_, name)) sessionName_ = name;
  }
  if (sessionName_.empty()) return;
  folder_ = session->Folder();
  session_ = std::move(session);
  writer_.Start();
}

RecoveryCopies::Tracked& RecoveryCopies::TrackedCut(const Cut& cut) {
  auto [it, added] = cuts_.try_emplace(&cut);
  if (added) it->second.id = nextId_++;
  return it->second;
}

bool RecoveryCopies::Due(Tracked& tracked, bool unsaved, Clock::time_point now) {
  if (!unsaved) {
    tracked.due.reset();
    return false;
  }
  if (copyAll_ || !tracked.due)
    tracked.due = copyAll_ ? now : now + std::chrono::seconds(interval_);
  return *tracked.due <= now;
}

void RecoveryCopies::OnTimer(Clock::time_point now) {
  if (!session_) return;
  ForgetSaved();
  std::vector<std::pair<Cut*, Tracked*>> due;
  for (Cut* cut : host_.openCuts()) {
    Tracked& tracked = TrackedCut(*cut);
    if (Due(tracked, cut->StateFlags() & kStateUnsaved, now)) due.emplace_back(cut, &tracked);
  }
  const bool filmDue = Due(filmCopy_, film_.Modified(), now);
  copyAll_ = false;
  // A snapshot waits while the last copy is still being written.
  if ((due.empty() && !filmDue) || !writer_.Idle() || !host_.atRest()) return;
  for (auto& [cut, tracked] : due) {
    const Copied copied = CopyCut(*cut, *tracked, kCopyBytesPerTick);
    if (copied == Copied::kNothing) continue;
    if (copied == Copied::kWhole) tracked->due = now + std::chrono::seconds(interval_);
    return;
  }
  if (filmDue && CopyFilm()) filmCopy_.due = now + std::chrono::seconds(interval_);
}

void RecoveryCopies::OnDeactivated(Clock::time_point now) {
  copyAll_ = true;
  OnTimer(now);
}

RecoveryCopies::Copied RecoveryCopies::CopyCut(Cut& cut, Tracked& tracked, size_t limit) {
  std::shared_ptr<const CutSnapshot> snapshot =
      CutSnapshot::Take(cut, tracked.snapshot.get(), nullptr, limit);
  if (!snapshot || (Written(tracked) && tracked.snapshot && snapshot->SameAs(*tracked.snapshot)))
    return Copied::kNothing;
  tracked.snapshot = snapshot;
  if (!snapshot->Complete()) return Copied::kPartly;
  const std::string path = cut.Path();
  const std::string caption = path.empty() ? "untitled.cut" : FileNameOf(path);
  Post(tracked, DocumentKind::kCut, path, caption,
       [snapshot](ByteStream& out) { return snapshot->Write(out); });
  return Copied::kWhole;
}

bool RecoveryCopies::CopyFilm() {
  Film& film = film_;
  // The lines go relative to the film's own file, or to the copy when it has none.
  const std::string base = film.Path().empty() ? folder_ + sep_ + "film.flm" : film.Path();
  FilmText text;
  if (!film.ToText(base, sep_, &text) || (Written(filmCopy_) && filmCopy_.film == text)) return false;
  filmCopy_.film = text;
  const std::string caption = film.Path().empty() ? "untitled.flm" : FileNameOf(film.Path());
  Post(filmCopy_, DocumentKind::kFilm, film.Path(), caption,
       [text](ByteStream& out) { return WriteFilmText(text, out); });
  return true;
}

bool RecoveryCopies::Written(const Tracked& tracked) {
  return tracked.copied && tracked.written && tracked.written->load();
}

void RecoveryCopies::Post(Tracked& tracked, DocumentKind kind, const std::string& path,
                          const std::string& caption, std::function<bool(ByteStream&)> write) {
  tracked.copied = true;
  tracked.written = std::make_shared<std::atomic<bool>>(false);
  RecoverySession* session = session_.get();
  writer_.Post([session, kind, path, caption, write, id = tracked.id, written = tracked.written,
                time = SecondsNow()] {
    written->store(session->WriteCopy(id, kind, path, caption, time, write));
  });
}

void RecoveryCopies::Forget(Tracked& tracked) {
  if (tracked.copied && session_) {
    RecoverySession* session = session_.get();
    writer_.Post([session, id = tracked.id] { session->Remove(id); });
  }
  tracked.copied = false;
  tracked.due.reset();
  tracked.film.reset();
}

void RecoveryCopies::ForgetSaved() {
  for (auto& [cut, tracked] : cuts_)
    if (tracked.copied && !(cut->StateFlags() & kStateUnsaved)) Forget(tracked);
  if (filmCopy_.copied && !film_.Modified()) Forget(filmCopy_);
}

void RecoveryCopies::Closed(const Cut& cut) {
  const auto tracked = cuts_.find(&cut);
  if (tracked == cuts_.end()) return;
  Forget(tracked->second);
  cuts_.erase(tracked);
}

void RecoveryCopies::Close() {
  if (!session_) return;
  RecoverySession* session = session_.get();
  writer_.Post([session] { session->Close(); });
  writer_.Finish();
  cuts_.clear();
}

std::shared_ptr<LeftCopies> RecoveryCopies::FindLeftCopies() {
  auto left = std::make_shared<LeftCopies>();
  left->Find(root_, sessionName_);
  return left;
}

std::vector<std::string> RecoveryCopies::Settle(const std::shared_ptr<LeftCopies>& left,
                                                const std::vector<RecoveryChoice>& choices) {
  // A restored document's old copies go once its new copy is written (the writer runs its
  // jobs in order); a discarded one's go at once.
  std::vector<std::pair<LeftDocument, std::shared_ptr<std::atomic<bool>>>> settled;
  std::vector<std::string> failed;
  const std::vector<LeftDocument>& documents = left->Documents();
  for (size_t i = 0; i < documents.size(); ++i) {
    const RecoveryChoice choice = i < choices.size() ? choices[i] : RecoveryChoice::kLater;
    std::shared_ptr<std::atomic<bool>> written;
    if (choice == RecoveryChoice::kRestore && !Restore(documents[i], &written)) {
      failed.push_back(documents[i].entry.caption);
      continue;
    }
    if (choice != RecoveryChoice::kLater) settled.emplace_back(documents[i], written);
  }
  writer_.Post([left, settled] {
    for (const auto& [document, written] : settled)
      if (!written || written->load()) left->Discard(document);
    left->Release();
  });
  return failed;
}

bool RecoveryCopies::Restore(const LeftDocument& document,
                             std::shared_ptr<std::atomic<bool>>* written) {
  if (document.damaged) return false;
  if (document.entry.kind == DocumentKind::kFilm) {
    FilmText text;
    if (!ReadFilmFile(document.copy, &text, nullptr)) return false;
    const std::string& path = document.entry.path;
    film_.Take(std::move(text), path.empty() ? document.copy : path, path, sep_);
    film_.SetModified(true);
    host_.filmRestored();
    if (session_ && CopyFilm()) *written = filmCopy_.written;
    return true;
  }
  auto cut = std::make_unique<Cut>(1, 1, 24, std::string(), AntiAlias::kFull);
  if (!LoadCut(*cut, document.copy, nullptr, nullptr)) return false;
  // Bound to its own file, which stays as it is until the user saves.
  cut->SetPath(document.entry.path);
  cut->MarkChanged(kChangeContent);
  Cut* opened = host_.openCut(std::move(cut));
  if (!opened) return false;
  // Whole at once: the old copies go as soon as this one is written.
  Tracked& tracked = TrackedCut(*opened);
  if (session_ && CopyCut(*opened, tracked, SIZE_MAX) == Copied::kWhole) *written = tracked.written;
  return true;
}
