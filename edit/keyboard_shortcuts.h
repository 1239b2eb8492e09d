#pragma once

// The characters typed in a cut window: each of two characters per row has the same effect,
// most of them a menu command of the main frame.

#include <cstdint>

enum class KeyAction {
  kNone,
  kCommand,  // send `command` to the main frame
  kPreviousTool,
  kPenSmaller,
  kPenLarger,
  kZoomIn,  // at the mouse cursor
  kZoomOut,
  kTogglePanels,  // the editor's side windows
};

struct Shortcut {
  KeyAction action = KeyAction::kNone;
  uint32_t command = 0;
  bool operator==(const Shortcut&) const = default;
};

Shortcut ShortcutFor(uint32_t character);
