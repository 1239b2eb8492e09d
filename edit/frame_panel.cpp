#include "edit/frame_panel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "io/cp932.h"
#include "model/cut.h"
#include "model/layer.h"

int64_t FrameTiming(Cut& cut, int32_t index) {
  int64_t timing = 1;
  for (int32_t i = 0; i < index && i < cut.FrameCount(); ++i)
    timing += std::llabs(int64_t(cut.EffectiveTime(i)));
  return timing;
}

std::string KeyframeCaption(Cut& cut) {
  const int32_t current = cut.CurrentFrame();
  char text[48];
  std::snprintf(text, sizeof text, "%d(%lldf)", int(current + 1),
                static_cast<long long>(FrameTiming(cut, current)));
  return text;
}

std::string LayerRowText(const LayerEntry& entry) {
  const Layer* layer = entry.layer;
  const std::string name = layer && layer->Name() ? *layer->Name() : std::string("UNTITLED");
  const int cell = entry.IsEmpty() ? 0 : int(entry.cell) + 1;
  const int cells = layer ? int(layer->CellCount()) : 0;
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, " (%d/%d)", cell, cells);
  return name + numbers;
}

int32_t PanelNumber(std::string_view text, size_t maxChars) {
  text = text.substr(0, std::min(text.size(), maxChars));
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // At most a few digits arrive, so the value cannot overflow.
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) value = INT32_MAX;
  }
  return int32_t(negative ? -value : value);
}

FrameProperties CommittedProperties(const Frame& frame, const PanelTexts& texts) {
  FrameProperties p;
  p.comment = TruncateCp932(texts.comment, kCommentBytes);
  p.time = frame.IsKeyframe() ? frame.Time() : PanelNumber(texts.time, kTimeChars);
  p.loop = PanelNumber(texts.loop, kLoopChars);
  p.keyframe = texts.keyframe;
  p.brightness = std::clamp(PanelNumber(texts.brightness, kBrightnessChars), 0, 100);
  return p;
}
