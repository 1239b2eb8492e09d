#include "edit/frame_layout.h"

FrameLayout LayOutFrame(int32_t width, int32_t height, int32_t top, int32_t bottom, int32_t line,
                        int32_t pane) {
  const int32_t h = height - top - bottom;
  const int32_t half = pane / 2;
  const int32_t lists = h - 2 * line;
  const int32_t right = pane + kSplitterWidth;
  FrameLayout l;
  l.mdiClient = Rect{right, top, width - right, h - line};
  l.comment = Rect{right, top + h - line, width - right, line};
  l.keyframe = Rect{0, top, half, line};
  l.frameTime = Rect{half, top, pane - half, line};
  l.brightness = Rect{0, top + line, half, line};
  l.loop = Rect{half, top + line, pane - half, line};
  l.layerList = Rect{0, top + 2 * line, pane, lists / 2};
  l.cutList = Rect{0, top + 2 * line + lists / 2, pane, lists - lists / 2};
  return l;
}
