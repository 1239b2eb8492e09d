#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "io/memory_stream.h"
#include "win32/anim_window.h"

class BlockStream;
class FrameBuffer;

// The editor's animation window, in which the previews play: the compiled image it plays is
// copied in and kept for as long as it plays.
class AnimationPreview {
 public:
  AnimationPreview() = default;
  ~AnimationPreview() { window_.Stop(); }
  AnimationPreview(const AnimationPreview&) = delete;
  AnimationPreview& operator=(const AnimationPreview&) = delete;

  // The hidden window, owned by `owner`.
  bool Create(HINSTANCE instance, HWND owner);
  // A copy of `compiled` (an OV or TL image) replaces what played before and plays,
  // captioned with its size. False when it is not playable.
  bool Play(const BlockStream& compiled);
  // Stops playing; the command also hides the window.
  void Stop() { window_.Stop(); }
  void StopAndHide();
  // What the previews compile with: the window's frame buffer.
  FrameBuffer& Buffer() { return window_.Buffer(); }

 private:
  AnimWindow window_;
  std::vector<uint8_t> bytes_;
  MemoryStream stream_;
};
