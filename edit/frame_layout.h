#pragma once

// Where the editor's main frame puts its panes, in client coordinates: the MDI client of the
// cut windows right of the left pane, over the comment field; in the left pane the keyframe
// button and the time field on the first line, the brightness and loop fields on the second,
// and the layer list over the cut list sharing the rest. No windows here: the frame moves its
// child windows to these rectangles.

#include <cstdint>

#include "model/rect.h"

struct FrameLayout {
  Rect mdiClient, comment;
  Rect keyframe, frameTime, brightness, loop, layerList, cutList;
};

// The width of the splitter strip between the left pane and the cut windows.
inline constexpr int32_t kSplitterWidth = 2;

// The client area `width` × `height` with bars `top` high above and `bottom` high below,
// panel lines `line` high and a left pane `pane` wide (the splitter does not bound it, so
// rectangles may be empty or lie left of the client).
FrameLayout LayOutFrame(int32_t width, int32_t height, int32_t top, int32_t bottom, int32_t line,
                        int32_t pane);
