#include "anim/playback.h"

#include <algorithm>
#include <cstdlib>

PaintPlan PlanPaint(int32_t areaWidth, int32_t areaHeight, int32_t bufferWidth,
                    int32_t bufferHeight, const ViewPlacement& placement) {
  PaintPlan plan;
  const int64_t aw = std::max(areaWidth, 0), ah = std::max(areaHeight, 0);
  const Rect& s = placement.source;
  // The source clipped to the buffer, then its destination clipped to the area.
  int64_t x0 = std::max<int64_t>(s.x, 0), y0 = std::max<int64_t>(s.y, 0);
  int64_t x1 = std::min<int64_t>(int64_t(s.x) + std::max(s.width, 0), bufferWidth);
  int64_t y1 = std::min<int64_t>(int64_t(s.y) + std::max(s.height, 0), bufferHeight);
  const int64_t shiftX = int64_t(placement.destX) - s.x, shiftY = int64_t(placement.destY) - s.y;
  x0 = std::max(x0, -shiftX), y0 = std::max(y0, -shiftY);
  x1 = std::min(x1, aw - shiftX), y1 = std::min(y1, ah - shiftY);
  if (x0 < x1 && y0 < y1) {
    plan.copy = Rect{int32_t(x0 + shiftX), int32_t(y0 + shiftY), int32_t(x1 - x0), int32_t(y1 - y0)};
    plan.sourceX = int32_t(x0), plan.sourceY = int32_t(y0);
  }
  const Rect& c = plan.copy;
  if (c.IsEmpty()) {
    plan.bands[0] = Rect{0, 0, int32_t(aw), int32_t(ah)};
    return plan;
  }
  plan.bands[0] = Rect{0, 0, int32_t(aw), c.y};
  plan.bands[1] = Rect{0, c.y, c.x, c.height};
  plan.bands[2] = Rect{c.Right(), c.y, int32_t(aw) - c.Right(), c.height};
  plan.bands[3] = Rect{0, c.Bottom(), int32_t(aw), int32_t(ah) - c.Bottom()};
  return plan;
}

Playback::Playback() = default;
Playback::~Playback() = default;

int Playback::TimerPeriod(int stepFactor, int fps) {
  return std::max(1, std::max(stepFactor, 1) * 1000 / std::max(fps, 1));
}

void Playback::SetStepFactor(int k) {
  stepFactor_ = std::max(k, 1);
  if (stepFactor_ >= 2) {
    ShowCredit();
  } else {
    ClearStatus();
  }
}

void Playback::ShowCredit() {
  if (HasStatusBar()) SetStatusText(IsOpen() ? decoder_.Cut().credit : std::string());
}

void Playback::ClearStatus() {
  if (HasStatusBar()) SetStatusText(std::string());
}

void Playback::CentreOnFrame() {
  const ov::CutHeader& cut = decoder_.Cut();
  const ov::FrameFields& f = decoder_.Frame();
  displayed_.source = Rect{f.viewX, f.viewY, cut.viewWidth, cut.viewHeight};
  displayed_.destX = (ViewAreaWidth() - cut.viewWidth) / 2;
  displayed_.destY = (ViewAreaHeight() - cut.viewHeight) / 2;
}

bool Playback::Open(ByteStream& stream) {
  if (timerRunning_) {
    KillTimer();
    timerRunning_ = false;
  }
  if (!decoder_.Open(stream)) {
    // The decoder still points at the stream, whose bytes now belong to a refused file.
    open_ = false;
    Invalidate();
    return false;
  }
  open_ = true;
  FitWindow();
  stepFactor_ = 1;
  mark_ = decoder_.NextCutIndex();
  nextDuration_ = decoder_.NextFrame();
  ticksLeft_ = 1;
  timerRate_ = 0;
  period_ = 0;
  if (decoder_.CutCount() == 1 && decoder_.AtEnd()) {
    // A single frame is shown still, without a timer.
    CentreOnFrame();
    buffer_.Blend(0, 1);
    ShowInactive();
    Invalidate();
    return true;
  }
  titleTicks_ = 0;
  if (!PrepareTimer()) return false;
  ShowInactive();
  Tick();
  return true;
}

bool Playback::Stop() {
  if (!timerRunning_) return false;
  KillTimer();
  timerRunning_ = false;
  timerRate_ = 0;
  period_ = 0;
  titleTicks_ = 0;
  ShowCredit();
  return true;
}

void Playback::Dissolve(int ticks, int duration) {
  // The old frame (other page) keeps the weight |ticks| ÷ (|duration| + 1); the view moves
  // from where the dissolve began to the new frame's view by the same weights.
  const int64_t total = int64_t(std::abs(duration)) + 1;
  const int64_t a = std::min<int64_t>(std::abs(ticks), total);
  const ov::CutHeader& cut = decoder_.Cut();
  const ov::FrameFields& f = decoder_.Frame();
  const Rect to{f.viewX, f.viewY, cut.viewWidth, cut.viewHeight};
  const Rect& from = dissolveStart_;
  auto mix = [&](int32_t p, int32_t q) { return int32_t((p * a + q * (total - a)) / total); };
  displayed_.source = Rect{mix(from.x, to.x), mix(from.y, to.y), mix(from.width, to.width),
                           mix(from.height, to.height)};
  displayed_.destX = (ViewAreaWidth() - displayed_.source.width) / 2;
  displayed_.destY = (ViewAreaHeight() - displayed_.source.height) / 2;
  buffer_.Blend(int(a), int(total));
}

void Playback::DecodeAhead() {
  nextDuration_ = decoder_.NextFrame();
  if (nextDuration_ < 0) dissolveStart_ = displayed_.source;
}

void Playback::Tick() {
  if (!IsOpen()) return;
  ticksLeft_ += ticksLeft_ > 0 ? -1 : 1;
  // Only the values above 0 and the step to 0 matter.
  if (titleTicks_ > -1) --titleTicks_;

  const int fps = decoder_.Cut().fps;
  if (!timerRunning_ || (ticksLeft_ == 0 && timerRate_ != fps)) {
    const int period = TimerPeriod(stepFactor_, fps);
    timerRunning_ = StartTimer(period);
    timerRate_ = timerRunning_ ? fps : 0;
    period_ = timerRunning_ ? period : 0;
  }

  if (ticksLeft_ != 0) {
    if (ticksLeft_ < 0) {
      Dissolve(ticksLeft_, nextDuration_);
      PaintNow();
    }
    if (std::abs(ticksLeft_) == 1) DecodeAhead();
    if (decoder_.FrameCounter() == 1 && titleTicks_ == 0) ClearStatus();
    return;
  }
  SwitchFrame();
}

void Playback::SwitchFrame() {
  CentreOnFrame();
  ticksLeft_ = nextDuration_;
  if (ticksLeft_ < 0) {
    Dissolve(ticksLeft_, ticksLeft_);
  } else {
    buffer_.Blend(0, 1);
  }
  PaintNow();
  const bool first = decoder_.FrameCounter() == 1;
  if ((stepFactor_ > 1 && first) || titleTicks_ > 0) {
    ShowCredit();
  } else if ((stepFactor_ == 1 && !first) || titleTicks_ == 0) {
    ClearStatus();
  }
  if (std::abs(ticksLeft_) == 1) DecodeAhead();
  mark_ = decoder_.NextCutIndex();
  if (ticksLeft_ == 0) {
    // A frame of duration 0 stops playback on itself. The frame after it is decoded now, so
    // that playing on shows it instead of stopping on this one again.
    Stop();
    DecodeAhead();
    ticksLeft_ = 1;
    PlaybackStopped();
  }
}
