#include "share/picture_sequence.h"

#include <algorithm>

PictureSequence::PictureSequence(PictureWriter& writer, int64_t maxPictures)
    : writer_(writer), units_(writer.UnitsPerSecond()), maxPictures_(maxPictures) {}

bool PictureSequence::Fail(const std::string& why) {
  error_ = why;
  return false;
}

bool PictureSequence::Advance(const FilmTime& at) {
  paintAt_ = std::max(at.Round(units_), shownAt_);
  // Shown for a unit or more: it is seen, whatever comes next.
  if (showing_ && !storedShown_ && paintAt_ > shownAt_) return Store();
  return true;
}

bool PictureSequence::Painted(const Rect& changed) {
  if (!showing_) {
    paintedWidth_ = screen_.width, paintedHeight_ = screen_.height;
    changedSinceStored_ = screen_.Whole();
  } else if (screen_.width != paintedWidth_ || screen_.height != paintedHeight_) {
    return Fail("the view area changed its size");
  } else {
    const Rect c = ClipToCanvas(screen_, changed);
    if (c.IsEmpty()) return true;
    changedSinceStored_ = UnionRect(changedSinceStored_, c);
  }
  // A picture never stored was too short to be seen.
  showing_ = true;
  storedShown_ = false;
  shownAt_ = paintAt_;
  return true;
}

bool PictureSequence::Store() {
  storedShown_ = true;
  if (stored_ == 0) {
    if (!writer_.Add(screen_, nullptr, screen_.Whole(), shownAt_)) return Fail(writer_.Error());
    lastStored_ = screen_;
  } else {
    const Rect changed = DiffRect(screen_, lastStored_, changedSinceStored_);
    // Equal to the picture stored last (the one between was too short to be seen): that
    // one goes on.
    if (changed.IsEmpty()) {
      changedSinceStored_ = Rect{};
      return true;
    }
    if (stored_ >= maxPictures_) return Fail("more than " + std::to_string(maxPictures_) + " pictures");
    if (!writer_.Add(screen_, &lastStored_, changed, shownAt_)) return Fail(writer_.Error());
    CopyRect(lastStored_, screen_, changed);
  }
  ++stored_;
  changedSinceStored_ = Rect{};
  return true;
}

bool PictureSequence::End(const FilmTime& at, bool held) {
  end_ = std::max(at.Round(units_), shownAt_);
  // A held picture is seen however short its time; so is the only one.
  if (showing_ && !storedShown_ && (end_ > shownAt_ || held || stored_ == 0) && !Store()) return false;
  if (stored_ == 0) return Fail("the film shows nothing");
  if (!writer_.Finish(end_, held)) return Fail(writer_.Error());
  return true;
}
