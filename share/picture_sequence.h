#pragma once

#include <cstdint>
#include <string>

#include "model/rect.h"
#include "share/canvas.h"
#include "share/film_time.h"
#include "share/picture_writer.h"

// Turns the pictures a film shows, each with the exact time it appears, into what a writer
// stores: times rounded on the running total in the writer's unit, so the whole lasts
// exactly as long as the film; a picture whose rounded time is 0 left out; a picture equal
// to the one stored before merged into it, which then lasts longer.
class PictureSequence {
 public:
  // More stored pictures than `maxPictures` fail.
  explicit PictureSequence(PictureWriter& writer, int64_t maxPictures = kMaxPictures);

  // `screen` shows a new picture from `at` on (not earlier than the one before), which
  // differs from the one before only inside `changed`; the first may differ anywhere.
  bool Show(const Canvas& screen, const Rect& changed, const FilmTime& at);
  // The film ends at `at`, or, `held`, stops on the picture shown last.
  bool End(const FilmTime& at, bool held);

  int64_t Stored() const { return stored_; }
  // The writer's time at the end.
  int64_t EndTime() const { return end_; }
  const std::string& Error() const { return error_; }

  static constexpr int64_t kMaxPictures = 100000;

 private:
  // Hands the pending picture to the writer unless it equals the one stored last.
  bool Store();
  bool Fail(const std::string& why);

  PictureWriter& writer_;
  const int64_t units_;
  const int64_t maxPictures_;
  Canvas pending_;       // shown from pendingStart_, not yet stored
  Canvas lastStored_;    // the picture stored last
  Rect changedSinceStored_;
  bool havePending_ = false;
  int64_t pendingStart_ = 0;
  int64_t stored_ = 0;
  int64_t end_ = 0;
  std::string error_;
};
