#pragma once

#include <cstdint>
#include <string>

#include "raster/stroke.h"

// Lines of text in the text font, measured and drawn into the displayed image, from where the
// text tool transfers them into the cell. The cut window writes with the system's fonts.
class TextWriter {
 public:
  virtual ~TextWriter() = default;

  // The extent of one line: its length along the writing, then the line's height.
  virtual Point MeasureTextLine(const std::string& line) = 0;
  // Whether the font writes vertically.
  virtual bool VerticalText() const = 0;
  virtual int32_t TextLineSpacing() const = 0;
  // Draws one line into the displayed image at a canvas point, in non-zero pixels.
  virtual void DrawTextLine(const std::string& line, Point canvas) = 0;
};
