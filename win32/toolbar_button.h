#pragma once

#include <windows.h>
#include <commctrl.h>

// A toolbar button: image → command, enabled unless it is a separator.
inline TBBUTTON ToolbarButton(int image, int command, BYTE style) {
  TBBUTTON b = {};
  b.iBitmap = image;
  b.idCommand = command;
  b.fsState = style == BTNS_SEP ? 0 : TBSTATE_ENABLED;
  b.fsStyle = style;
  return b;
}
