#pragma once

// The text tool: a first click asks for the text and shows the size of its block at the
// mouse, a second click writes it into the cell in the pen's colours. The text is drawn in
// the text font into the displayed image and transferred from there.

#include <cstdint>
#include <string>
#include <vector>

#include "edit/cut_view.h"

struct TextBlock {
  int32_t width = 0;
  int32_t height = 0;
  int32_t lineHeight = 0;  // the height of the last line measured
};

struct TextState {
  int32_t clicks = 0;  // 1 while the block waits to be placed
  bool measured = false;
  std::string text;  // the last text entered, lines separated by CR LF
  TextBlock block;
  Outline outline;
};

// The lines of a text: each ends at a CR, and the next starts two characters after it.
std::vector<std::string> TextLines(const std::string& text);
// The block's size: lines stacked downwards, or, in a vertical font, in columns from the
// right; the line spacing lies between lines only.
TextBlock MeasureText(TextWriter& writer, const std::string& text);
// Draws the block into `display` with its top-left corner at the canvas point (the block's
// rectangle cleared first) and transfers it from there into `cell` at the cell point, in the
// pen's colours.
void WriteText(TextWriter& writer, FrameSurface& display, Point canvas, RasterSurface& cell,
               Point at, const std::string& text, const TextBlock& block, const Pen& pen,
               ProtectMask mask);
// Writes the text with its top-left corner at the cell point.
void PlaceText(CutView& view, const ToolTarget& target, Point cell, const std::string& text,
               const TextBlock& block);

void TextTool(const ToolEvent& event, CutView& view, TextState& state);
