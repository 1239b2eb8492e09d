#pragma once

#include <cstdint>
#include <string>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "io/byte_stream.h"
#include "model/rect.h"

// Where the shown part of the frame buffer goes: `source` in buffer pixels, copied unscaled
// to (destX, destY) in the view area.
struct ViewPlacement {
  int32_t destX = 0, destY = 0;
  Rect source;
  bool operator==(const ViewPlacement&) const = default;
};

// How one paint covers the view area: the part of the placement that lies inside both the
// frame buffer and the view area is copied, everything else of the view area is black
// (the bands above, left of, right of and below the copied rectangle). Coordinates are in
// the view area.
struct PaintPlan {
  Rect copy;              // destination of the copy; empty when nothing is copied
  int32_t sourceX = 0, sourceY = 0;
  Rect bands[4];          // above, left, right, below; some may be empty
};
PaintPlan PlanPaint(int32_t areaWidth, int32_t areaHeight, int32_t bufferWidth,
                    int32_t bufferHeight, const ViewPlacement& placement);

// Timed playback of an OV or TL stream: each timer period (a tick) counts down the frame on
// screen, runs dissolves, decodes the next frame one tick early into the hidden page and
// switches frames by rebuilding the combined colours only.
//
// The window it plays in supplies the timer, painting and the status text through the
// protected hooks. Tick runs on the timer's thread; every other call comes from the
// window's thread after Stop, so the engine itself needs no locks (a platform subclass
// that runs ticks on another thread serialises Tick, Stop and painting).
class Playback {
 public:
  Playback();
  virtual ~Playback();
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  // Starts showing `stream`, which must outlive its use: a file of one cut and one frame is
  // shown still, anything else plays at once. Fails when the stream is neither OV nor TL
  // (nothing is shown from it afterwards: no tick decodes and the view stays black) or when
  // the timer cannot be used.
  virtual bool Open(ByteStream& stream);
  // One timer period.
  virtual void Tick();
  // Stops the timer; whether one was running.
  virtual bool Stop();

  // The step factor multiplies the timer period; the status text follows it (the credit
  // from 2 on, empty at 1). Values below 1 are taken as 1.
  void SetStepFactor(int k);
  int StepFactor() const { return stepFactor_; }

  // The period of a timer for `fps` frames a second at step factor k, in milliseconds. A rate
  // below 1 (only a damaged file has one) plays at one frame a second.
  static int TimerPeriod(int stepFactor, int fps);

  bool IsOpen() const { return open_ && decoder_.HasStream(); }
  bool TimerRunning() const { return timerRunning_; }
  // The frame rate the running timer was set for; 0 when stopped, and what the owner sets
  // (the player's −1 for a pause).
  int TimerRate() const { return timerRate_; }
  void SetTimerRate(int rate) { timerRate_ = rate; }
  // The period of the running timer, 0 when stopped.
  int CurrentPeriod() const { return timerRunning_ ? period_ : 0; }

  int TicksLeft() const { return ticksLeft_; }
  void SetTicksLeft(int ticks) { ticksLeft_ = ticks; }
  int NextDuration() const { return nextDuration_; }
  void SetNextDuration(int duration) { nextDuration_ = duration; }
  int TitleTicks() const { return titleTicks_; }
  void SetTitleTicks(int ticks) { titleTicks_ = ticks; }
  int32_t Mark() const { return mark_; }
  void SetMark(int32_t mark) { mark_ = mark; }

  const ViewPlacement& Displayed() const { return displayed_; }
  // The displayed rectangle := the current frame's view, centred in the view area.
  void CentreOnFrame();
  int32_t ViewAreaWidth() const { return IsOpen() ? decoder_.ViewAreaWidth() : 0; }
  int32_t ViewAreaHeight() const { return IsOpen() ? decoder_.ViewAreaHeight() : 0; }

  // The status text: the credit of the cut whose header was read last, or empty.
  void ShowCredit();
  void ClearStatus();

  Decoder& AnimDecoder() { return decoder_; }
  const Decoder& AnimDecoder() const { return decoder_; }
  FrameBuffer& Buffer() { return buffer_; }
  const FrameBuffer& Buffer() const { return buffer_; }

 protected:
  // Reads the timer's capabilities and asks for its finest period; false when it cannot.
  virtual bool PrepareTimer() = 0;
  // Starts a periodic timer that calls Tick (a running one is replaced); false when none
  // can be had.
  virtual bool StartTimer(int periodMs) = 0;
  virtual void KillTimer() = 0;
  // Sizes the window to the view area (plus its bars) and invalidates it.
  virtual void FitWindow() = 0;
  // Shows the window without activating it.
  virtual void ShowInactive() = 0;
  virtual void Invalidate() = 0;
  // Paints the view at once, from whatever thread ticks.
  virtual void PaintNow() = 0;
  // The player's status bar; without one the status calls do nothing.
  virtual bool HasStatusBar() const { return false; }
  virtual void SetStatusText(const std::string& text) { (void)text; }
  // A frame of duration 0 stopped playback.
  virtual void PlaybackStopped() {}

 private:
  // One dissolve step: the colours and the view between the old and the new frame.
  void Dissolve(int ticks, int duration);
  // Decodes the next frame into the hidden page.
  void DecodeAhead();
  // Shows the decoded frame.
  void SwitchFrame();

  FrameBuffer buffer_;
  Decoder decoder_{buffer_};
  bool open_ = false;

  int ticksLeft_ = 1;
  int nextDuration_ = 0;
  bool timerRunning_ = false;
  int timerRate_ = 0;
  int period_ = 0;
  int stepFactor_ = 1;
  int titleTicks_ = 0;
  int32_t mark_ = 0;
  ViewPlacement displayed_;
  Rect dissolveStart_;
};
