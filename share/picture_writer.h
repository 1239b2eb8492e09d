#pragma once

#include <cstdint>
#include <string>

#include "model/rect.h"
#include "share/canvas.h"

// Where the shown pictures of a film go: an animated image or a folder of frames. Each
// picture is added with the time it appears, in the writer's own unit; it lasts until the
// next one appears, the last until the end given to Finish.
class PictureWriter {
 public:
  virtual ~PictureWriter() = default;

  // Time units a second: 100 for GIF delays, 1000 for milliseconds.
  virtual int64_t UnitsPerSecond() const = 0;
  // `picture` appears at `start` (later than the picture before). The first one comes with
  // no `before` and `changed` covering the canvas; each later one differs from `before`,
  // the picture added last, only inside `changed`, which is not empty.
  virtual bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) = 0;
  // The last picture's time ends at `end`; `held`: the film stops on it instead (it then
  // plays once and keeps the last picture on screen).
  virtual bool Finish(int64_t end, bool held) = 0;
  // Why the last call failed.
  const std::string& Error() const { return error_; }

 protected:
  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }

 private:
  std::string error_;
};
