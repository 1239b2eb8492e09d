#pragma once

// Recovery copies of the documents an editor has not saved (every open cut and the film),
// taken while the editor is at rest and written by a thread of their own, and the documents
// that an editor which ended without closing left behind, restored or discarded.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/film_text.h"
#include "files/recovery_entry.h"
#include "files/recovery_store.h"
#include "files/recovery_writer.h"

class ByteStream;
class CutSnapshot;
class Cut;
class Film;

// What the recovery copies ask of the editor around them.
struct RecoveryHost {
  // The open cuts, front to back.
  std::function<std::vector<Cut*>()> openCuts;
  // Nothing is being drawn, dragged, asked, chosen from a menu or exported: a moment in which
  // every document is whole.
  std::function<bool()> atRest;
  // The film was brought back from its copy.
  std::function<void()> filmRestored;
  // Opens a cut brought back from its copy; the cut as opened, or null when it could not be.
  std::function<Cut*(std::unique_ptr<Cut>)> openCut;
};

// The window thread only takes snapshots; the writer thread codes and writes them.
class RecoveryCopies {
 public:
  using Clock = std::chrono::steady_clock;

  // `sep` is the separator of the paths the documents have.
  RecoveryCopies(RecoveryHost host, Film& film, char sep);
  ~RecoveryCopies();  // waits for the writer; the copies stay unless Close ran
  RecoveryCopies(const RecoveryCopies&) = delete;
  RecoveryCopies& operator=(const RecoveryCopies&) = delete;

  // Takes this editor's own folder of copies under `root`, named after the process and the
  // time it started, and starts the writer. `interval` is the seconds between copies of a
  // changed document; 0 takes none.
  void Start(const std::string& root, int32_t interval, unsigned long process,
             unsigned long startTicks);

  // Once a second: documents that changed long enough ago are copied, one a tick.
  void OnTimer(Clock::time_point now);
  // Every changed document is copied as soon as the editor is at rest.
  void OnDeactivated(Clock::time_point now);
  // Documents with nothing unsaved any more lose their copies.
  void ForgetSaved();
  // A cut is closed: so go its copies.
  void Closed(const Cut& cut);
  // A clean exit: the writes end and every copy of this editor goes.
  void Close();

  // The documents that editors which no longer run left under the root, taken over until
  // they are settled.
  std::shared_ptr<LeftCopies> FindLeftCopies();
  // Restores the documents chosen so (a restored one's copies go once its own first copy is
  // written), discards those chosen so, and keeps the others for the next start. The
  // captions of the documents that could not be restored; their copies stay.
  std::vector<std::string> Settle(const std::shared_ptr<LeftCopies>& left,
                                  const std::vector<RecoveryChoice>& choices);

 private:
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
  const char sep_;
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
