#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "edit/text_writer.h"

class FrameSurface;

// A font of the system's, as the text tool's font settings name one.
struct FontChoice {
  std::string face;  // a family name, UTF-8
  int32_t size = 24;  // the line's height in pixels
  int32_t weight = 400;
  int32_t lineSpacing = 12;
};

// Whether this build can write text in the system's fonts.
bool FontWritingAvailable();

// Writes lines of UTF-8 text in the font, unsmoothed, into `display` (non-zero pixels), for
// the editing scripts' text step; null when this build has no fonts to write with.
std::unique_ptr<TextWriter> MakeFontWriter(const FontChoice& font, FrameSurface& display);
