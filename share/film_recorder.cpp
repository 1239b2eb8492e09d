#include "share/film_recorder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "anim/clocked_playback.h"
#include "io/failure.h"
#include "share/canvas.h"
#include "share/film_time.h"

namespace {

bool SamePlan(const PaintPlan& a, const PaintPlan& b) {
  return a.copy == b.copy && a.sourceX == b.sourceX && a.sourceY == b.sourceY;
}

// The engine with a clock instead of a timer and a canvas instead of a window: every paint
// becomes a picture.
class Recorder final : public ClockedPlayback {
 public:
  Recorder(const RecordOptions& options, PictureSequence& sequence)
      : options_(options), sequence_(sequence) {}

  bool Run(ByteStream& film, std::string* error);

 private:
  void Painted() override { Capture(); }
  void Capture();

  const RecordOptions& options_;
  PictureSequence& sequence_;
  FilmTime now_;
  PaintPlan plan_;
  bool planValid_ = false;
  std::vector<uint32_t> row_;  // one row painted afresh
  bool recording_ = false;
  bool ended_ = false;
  bool failed_ = false;
  int32_t restarts_ = 0;
  int32_t shownCut_ = -1;
};

bool Recorder::Run(ByteStream& film, std::string* error) {
  const uint32_t rgb = options_.highlight;
  Buffer().SetHighlight(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
  // Open paints the first frame already; nothing is recorded before the checks.
  recording_ = false;
  if (!Open(film)) return Fail(error, "not a playable OV or TL file");
  const Decoder& decoder = AnimDecoder();
  const int64_t w = ViewAreaWidth(), h = ViewAreaHeight();
  const std::string area = std::to_string(w) + " x " + std::to_string(h);
  if (w < 1 || h < 1) return Fail(error, "the view area of " + area + " shows nothing");
  if (w * h > kLargestViewArea) {
    return Fail(error, "the view area of " + area + " is larger than " + std::to_string(kLargestViewArea) +
                           " pixels");
  }
  if (options_.cut >= decoder.CutCount()) {
    return Fail(error, "no cut " + std::to_string(options_.cut) + " (the file has " +
                           std::to_string(decoder.CutCount()) + ")");
  }
  // Open has shown the first frame already: still, or playing (perhaps stopped by a frame
  // of duration 0).
  const bool still = !TimerRunning() && !Stopped();
  recording_ = true;
  ClearStopped();
  if (still) {
    Capture();
  } else {
    // The cut (the film: its first cut) begins afresh, as the player's cut jump does.
    Stop();
    SetNextDuration(AnimDecoder().GotoCut(std::max(options_.cut, 0)));
    SetTicksLeft(1);
    SetMark(decoder.NextCutIndex());
    restarts_ = decoder.Restarts();
    Tick();
  }
  while (!still && !Stopped() && !ended_ && !failed_) {
    now_.AddTicks(1, TimerRate());
    if (now_.Seconds() > options_.longestSeconds) {
      return Fail(error, "plays longer than " + std::to_string(int64_t(options_.longestSeconds)) + " seconds");
    }
    Tick();
  }
  const bool held = still || Stopped();
  if (failed_ || !sequence_.End(now_, held)) return Fail(error, sequence_.Error());
  return true;
}

void Recorder::Capture() {
  if (!recording_ || ended_ || failed_) return;
  const Decoder& decoder = AnimDecoder();
  // The frame being painted is the one decoded last.
  if (decoder.Restarts() != restarts_ || (options_.cut >= 0 && decoder.CurrentCut() != options_.cut)) {
    ended_ = true;
    return;
  }
  if (decoder.CurrentCut() != shownCut_) {
    shownCut_ = decoder.CurrentCut();
    if (options_.cutStarted) options_.cutStarted(shownCut_);
  }

  if (!sequence_.Advance(now_)) {
    failed_ = true;
    return;
  }
  Canvas& screen = sequence_.Screen();
  const int32_t aw = ViewAreaWidth(), ah = ViewAreaHeight();
  const bool first = !planValid_;
  if (first) screen.Resize(aw, ah);
  const FrameBuffer& fb = Buffer();
  const PaintPlan plan = PlanPaint(aw, ah, fb.Width(), fb.Height(), Displayed());
  const bool whole = first || !SamePlan(plan, plan_);
  uint32_t colors[256];
  for (int i = 0; i < 256; ++i) colors[i] = fb.CombinedColors()[i] | Canvas::kOpaque;

  // Outside the copied rectangle the view area is black; only a new placement changes it.
  const Rect& copy = plan.copy;
  const Rect area = whole ? screen.Whole() : copy;
  int32_t x0 = area.Right(), x1 = -1, y0 = -1, y1 = -1;
  row_.resize(size_t(area.width));
  uint32_t* fresh = row_.data();
  for (int32_t y = area.y; y < area.Bottom(); ++y) {
    const bool inside = y >= copy.y && y < copy.Bottom();
    std::fill(fresh, fresh + area.width, Canvas::kBlack);
    if (inside) {
      const uint8_t* source = fb.Bits() + size_t(y - copy.y + plan.sourceY) * size_t(fb.Stride()) + plan.sourceX;
      uint32_t* to = fresh + (copy.x - area.x);
      for (int32_t i = 0; i < copy.width; ++i) to[i] = colors[source[i]];
    }
    uint32_t* row = screen.Row(y) + area.x;
    if (std::memcmp(row, fresh, size_t(area.width) * sizeof(uint32_t)) == 0) continue;
    int32_t first = 0, last = area.width - 1;
    while (row[first] == fresh[first]) ++first;
    while (row[last] == fresh[last]) --last;
    std::memcpy(row + first, fresh + first, size_t(last - first + 1) * sizeof(uint32_t));
    x0 = std::min(x0, area.x + first), x1 = std::max(x1, area.x + last);
    if (y0 < 0) y0 = y;
    y1 = y;
  }
  plan_ = plan;
  planValid_ = true;
  const Rect changed = y0 < 0 ? Rect{} : Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
  if (!sequence_.Painted(changed)) failed_ = true;
}

}  // namespace

bool RecordFilm(ByteStream& film, const RecordOptions& options, PictureSequence& sequence,
                std::string* error) {
  Recorder recorder(options, sequence);
  return recorder.Run(film, error);
}
