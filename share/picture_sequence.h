#pragma once

#include <cstdint>
#include <string>

#include "model/rect.h"
#include "share/canvas.h"
#include "share/film_time.h"
#include "share/picture_writer.h"

// Turns what a film's view area shows, painted at exact times, into what a writer stores:
// times rounded on the running total in the writer's unit, so the whole lasts exactly as
// long as the film; a picture whose rounded time is 0 left out; a picture equal to the one
// stored before merged into it, which then lasts longer.
//
// Each paint is Advance(at), then painting Screen(), then Painted(where it changed).
class PictureSequence {
 public:
  // More stored pictures than `maxPictures` fail.
  explicit PictureSequence(PictureWriter& writer, int64_t maxPictures = kMaxPictures);

  // The view area, as the caller last painted it.
  Canvas& Screen() { return screen_; }
  // A paint comes at `at` (not earlier than the one before): what the screen shows has been
  // shown until then, and is stored once it has lasted a unit.
  bool Advance(const FilmTime& at);
  // The screen was painted at the time of the last Advance and changed inside `changed`
  // (empty: not at all). The first paint changes it all and sets its size for good.
  bool Painted(const Rect& changed);
  // The film ends at `at`, or, `held`, stops on the picture shown last.
  bool End(const FilmTime& at, bool held);

  int64_t Stored() const { return stored_; }
  // The writer's time at the end.
  int64_t EndTime() const { return end_; }
  const std::string& Error() const { return error_; }

  static constexpr int64_t kMaxPictures = 100000;

 private:
  // Hands the screen's picture to the writer unless it equals the one stored last.
  bool Store();
  bool Fail(const std::string& why);

  PictureWriter& writer_;
  const int64_t units_;
  const int64_t maxPictures_;
  Canvas screen_;
  Canvas lastStored_;
  Rect changedSinceStored_;  // where the screen may differ from lastStored_
  bool showing_ = false;     // the screen holds a picture, shown from shownAt_
  bool storedShown_ = false;
  int64_t shownAt_ = 0;
  int64_t paintAt_ = 0;
  int32_t paintedWidth_ = 0, paintedHeight_ = 0;
  int64_t stored_ = 0;
  int64_t end_ = 0;
  std::string error_;
};
