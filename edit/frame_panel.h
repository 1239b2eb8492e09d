#pragma once

// What the frame and layer panels show of a cut's current frame, and how the texts typed
// into them become the frame's properties again. No windows here: the panels put these
// texts into their controls and read the controls' texts back through them.

#include <cstdint>
#include <string>
#include <string_view>

#include "edit/cut_editing.h"

class Cut;
struct LayerEntry;

// The field lengths read back: frame time and loop 4 characters, brightness 3, comment 255
// bytes.
inline constexpr size_t kTimeChars = 4;
inline constexpr size_t kLoopChars = 4;
inline constexpr size_t kBrightnessChars = 3;
inline constexpr size_t kCommentBytes = 255;

// The timing of frame `index` in frame periods: 1 plus the magnitudes of the effective
// times of every frame before it (a transition counts as long as it lasts, a keyframe as
// long as its own frame is shown, not its whole section).
int64_t FrameTiming(Cut& cut, int32_t index);
// The keyframe button's caption for the current frame: "number(timingf)", e.g. "3(6f)".
std::string KeyframeCaption(Cut& cut);

// A layer row: "name (cell/cells)", the name "UNTITLED" for a layer without one and cell 0
// for an entry marked empty.
std::string LayerRowText(const LayerEntry& entry);

// A number field read back: its first `maxChars` characters, blanks and a sign, then
// digits; 0 when they hold no number.
int32_t PanelNumber(std::string_view text, size_t maxChars);

// The panel texts of one frame as the controls hold them (code-page bytes).
struct PanelTexts {
  std::string time;
  std::string loop;
  std::string brightness;
  std::string comment;
  bool keyframe = false;
};
// The properties a commit stores into `frame`: a keyframe keeps its stored time whatever
// the time field shows; brightness is clamped to 0-100.
FrameProperties CommittedProperties(const Frame& frame, const PanelTexts& texts);
