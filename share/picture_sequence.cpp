#include "share/picture_sequence.h"

#include <algorithm>

PictureSequence::PictureSequence(PictureWriter& writer, int64_t maxPictures)
    : writer_(writer), units_(writer.UnitsPerSecond()), maxPictures_(maxPictures) {}

bool PictureSequence::Fail(const std::string& why) {
  error_ = why;
  return false;
}

bool PictureSequence::Show(const Canvas& screen, const Rect& changed, const FilmTime& at) {
  const int64_t start = std::max(at.Round(units_), pendingStart_);
  // The pending picture's time is over; with a rounded time of 0 it is never seen.
  if (havePending_ && start > pendingStart_ && !Store()) return false;
  if (!havePending_ || pending_.width != screen.width || pending_.height != screen.height) {
    pending_ = screen;
    changedSinceStored_ = screen.Whole();
  } else {
    CopyRect(pending_, screen, changed);
    changedSinceStored_ = UnionRect(changedSinceStored_, ClipToCanvas(screen, changed));
  }
  havePending_ = true;
  pendingStart_ = start;
  return true;
}

bool PictureSequence::Store() {
  if (stored_ == 0) {
    if (!writer_.Add(pending_, nullptr, pending_.Whole(), pendingStart_)) return Fail(writer_.Error());
    lastStored_ = pending_;
  } else {
    const Rect changed = DiffRect(pending_, lastStored_, changedSinceStored_);
    // Equal to the picture stored last (the one between was too short to be seen): that
    // one goes on.
    if (changed.IsEmpty()) return true;
    if (stored_ >= maxPictures_)
      return Fail("more than " + std::to_string(maxPictures_) + " pictures");
    if (!writer_.Add(pending_, &lastStored_, changed, pendingStart_)) return Fail(writer_.Error());
    CopyRect(lastStored_, pending_, changed);
  }
  ++stored_;
  changedSinceStored_ = Rect{};
  return true;
}

bool PictureSequence::End(const FilmTime& at, bool held) {
  end_ = std::max(at.Round(units_), pendingStart_);
  // A held picture is seen however short its time; so is the only one.
  if (havePending_ && (end_ > pendingStart_ || held || stored_ == 0) && !Store()) return false;
  havePending_ = false;
  if (stored_ == 0) return Fail("the film shows nothing");
  if (!writer_.Finish(end_, held)) return Fail(writer_.Error());
  return true;
}
