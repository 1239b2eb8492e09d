#pragma once

#include <string>

#include "anim/playback.h"

// The playback engine without a window, for tools, benchmarks and fuzzing: the owner is the
// clock and calls Tick once a timer period, and every paint of the view reaches Painted. The
// timer always starts; the status text is kept for whoever asks.
class ClockedPlayback : public Playback {
 public:
  // Whether a frame of duration 0 has stopped playback since the last ClearStopped.
  bool Stopped() const { return stopped_; }
  void ClearStopped() { stopped_ = false; }
  const std::string& StatusText() const { return status_; }

 protected:
  // The view area shows a new picture: Displayed() of Buffer().
  virtual void Painted() {}

 private:
  bool PrepareTimer() final { return true; }
  bool StartTimer(int) final { return true; }
  void KillTimer() final {}
  void FitWindow() final {}
  void ShowInactive() final {}
  void Invalidate() final {}
  void PaintNow() final { Painted(); }
  bool HasStatusBar() const final { return true; }
  void SetStatusText(const std::string& text) final { status_ = text; }
  void PlaybackStopped() final { stopped_ = true; }

  std::string status_;
  bool stopped_ = false;
};
