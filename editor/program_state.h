#pragma once

// What the editor keeps for its whole run, outside any window: the display resources made at
// start-up, the drawing settings every tool shares, and the values the settings file holds.

#include <windows.h>

#include <cstdint>
#include <string>

#include "model/pixel_class.h"
#include "edit/drawing_settings.h"
#include "editor/new_cut_values.h"

// The text font of the text tool. The face is a document string (code page bytes).
struct TextFont {
  std::string face;
  int32_t size = 24;
  int32_t lineSpacing = 12;
  int32_t weight = 400;
  HFONT handle = nullptr;  // none while the values make no font
};

struct ProgramState {
  HINSTANCE instance = nullptr;
  FramePalette framePalette = DefaultFramePalette();  // or the palette file's
  HPALETTE palette = nullptr;       // the 154-entry logical palette
  HBRUSH background = nullptr;      // around the canvas: frame palette entry 25
  TextFont font;

  DrawingSettings drawing;
  int32_t gridWidth = 1, gridHeight = 1;
  ProtectMask protectMask = 0;

  bool clipTransparent = false;     // clipboard pictures: one colour becomes transparent
  uint32_t clipColor = 0x00FF00;    // 0x00RRGGBB
  NewCutValues newCut;
  int32_t recoveryInterval = 30;    // seconds between recovery copies, 0 for none
};

ProgramState& Program();

// The logical palette: frame palette entries 0-25, 12 black entries, then 116 grey steps.
HPALETTE CreateEditorPalette();
// Deletes the current text font and makes one from the values when the face is not empty
// and size, line spacing and weight are all non-zero; a face beginning with "@" (a vertical
// font) is turned by 270 degrees.
void SetTextFont(const std::string& face, int32_t size, int32_t lineSpacing, int32_t weight);
// Selects the logical palette into a device context of a palette device; the old palette,
// or null when the device has none.
HPALETTE SelectEditorPalette(HDC dc);
