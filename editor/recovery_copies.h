#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/recovery_writer.h"
#include "files/film_text.h"
#include "files/recovery_entry.h"

#include "editor/modal_dialog.h"

class ByteStream;
class CutSnapshot;
class Cut;
class Film;
class RecoverySession;
struct LeftDocument;

// What the recovery copies ask of the editor around them.
struct RecoveryHost {
  // The cuts of the open cut windows, front to back.
  std::function<std::vector<Cut*>()> openCuts;
  // Nothing is being drawn, dragged, asked, chosen from a menu or exported.
  std::function<bool()> atRest;
  // The film was brought back from its copy: the cut list and the caption show it.
  std::function<void()> filmRestored;
  // A window for a cut brought back from its copy; its cut, or null when none was made.
  std::function<Cut*(std::unique_ptr<Cut>)> openCut;
};

// Recovery copies of the documents this editor has not saved (every cut window and the
// film), in a folder beside the settings file, and the offer of the copies that an editor
// which ended without closing left behind. The window thread only takes snapshots, while
// nothing is being drawn, dragged, asked or exported; the writer thread codes and writes.
class RecoveryCopies {
 public:
  RecoveryCopies(RecoveryHost host, Film& film);
  ~RecoveryCopies();  // waits for the writer; the copies stay unless Close ran
  RecoveryCopies(const RecoveryCopies&) = delete;
  RecoveryCopies& operator=(const RecoveryCopies&) = delete;

  // Takes this editor's own folder of copies and starts the writer. `interval` is the
  // seconds between copies of a changed document; 0 takes none.
  void Start(int32_t interval);
  // Asks what becomes of the documents that editors which no longer run left behind, and
  // restores or discards them.
  void OfferLeftCopies(const DialogOwner& owner);

  // Once a second: documents that changed long enough ago are copied, one a tick.
  void OnTimer();
  // Every changed document is copied as soon as the editor is at rest.
  void OnDeactivated();
  // Documents with nothing unsaved any more lose their copies.
  void ForgetSaved();
  // A cut window goes: so do its copies.
  void Closed(const Cut& cut);
  // A clean exit: the writes end and every copy of this editor goes.
  void Close();

 private:
  using Clock = std::chrono::steady_clock;
  struct Tracked {
    int id = 0;
    bool copied = false;  // the writer was given a copy since the last save
    // Set by the writer when the last copy was written: one that failed is written again
    // even when nothing changed since.
    std::shared_ptr<std::atomic<bool>> written;
    std::optional<Clock::time_point> due;
    std::shared_ptr<const CutSnapshot> snapshot;  // cuts: the base of the next snapshot
    std::optional<FilmText> film;                 // the film: its last copy
  };

  Tracked& TrackedCut(const Cut& cut);
  bool Due(Tracked& tracked, bool unsaved, Clock::time_point now);
  // A copy of what changed since the last one, or a share of it when more than `limit`
  // bytes of cells changed: the next call goes on.
  enum class Copied { kNothing, kPartly, kWhole };
  Copied CopyCut(Cut& cut, Tracked& tracked, size_t limit);
  bool CopyFilm();
  // Gives the writer a copy of the document, written by `write`.
  void Post(Tracked& tracked, DocumentKind kind, const std::string& path,
            const std::string& caption, std::function<bool(ByteStream&)> write);
  static bool Written(const Tracked& tracked);
  void Forget(Tracked& tracked);
  // Opens the document's copy; `written` tells later whether its own first copy was written.
  bool Restore(const LeftDocument& document, std::shared_ptr<std::atomic<bool>>* written);

  RecoveryHost host_;
  Film& film_;
  std::string root_;
  std::string sessionName_;
  std::string folder_;                        // the session's folder
  std::unique_ptr<RecoverySession> session_;  // used on the writer thread once started
  RecoveryWriter writer_;
  int32_t interval_ = 0;
  int nextId_ = 1;
  bool copyAll_ = false;  // every changed document is due at once
  std::map<const Cut*, Tracked> cuts_;
  Tracked filmCopy_;
};
