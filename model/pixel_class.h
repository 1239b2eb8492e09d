#pragma once

#include <array>
#include <cstdint>

class FrameSurface;

// Pixel values. Cells hold 0..15; composed frame images use the same numbers and add the
// display-only values 16..24. A value is a class with a fixed meaning, not a free colour.
enum PixelClass : int {
  kPixelTransparent = 0,  // shows the layers below; paper in a frame image
  kPixelBlack = 1,        // fill and rectangle black
  kPixelDarkGrey = 2,
  kPixelLightGrey = 3,
  kPixelWhite = 4,
  kPixelUnderDark = 5,  // underdrawing shades
  kPixelUnderMiddle = 6,
  kPixelUnderLight = 7,
  kPixelLine = 8,   // free pen and continuous line black
  kPixelDark = 9,   // shadow-boundary dark
  kPixelLight = 10, // shadow-boundary light
  kPixelPlus2 = 11, // brightness modifiers: transparent, shift what lies below
  kPixelPlus1 = 12,
  kPixelMinus1 = 13,
  kPixelMinus2 = 14,
  kPixelMarker = 15,  // fill tool's working value
  // Frame images only.
  kPixelPaleBlack = 16,  // other layers drawn pale: 16..18
  kPixelPaleDark = 17,
  kPixelPaleLight = 18,
  kPixelPrevBlack = 19,  // previous cell's onion skin: 19..21
  kPixelPrevDark = 20,
  kPixelPrevLight = 21,
  kPixelNextBlack = 22,  // next cell's onion skin: 22..24
  kPixelNextDark = 23,
  kPixelNextLight = 24,
};

inline constexpr int kNoTone = -1;

// Tone level 0 (black) .. 3 (white) of 1..4, 8..10 and 16..18; kNoTone for anything else.
constexpr int ToneLevel(int value) {
  if (value >= 1 && value <= 4) return value - 1;
  if (value >= 8 && value <= 10) return value - 8;
  if (value >= 16 && value <= 18) return value - 16;
  return kNoTone;
}

// True for the drawing classes 1..3 and 8..10 (what onion skins and pale display show).
constexpr bool IsDrawingClass(int value) {
  return (value >= 1 && value <= 3) || (value >= 8 && value <= 10);
}

// The value `step` tone steps brighter (positive) or darker than `value`: 1, 2, 3 or 4
// (black .. white), or 0 when `value` has no tone.
constexpr int ShiftTone(int value, int step) {
  const int level = ToneLevel(value);
  if (level == kNoTone) return 0;
  const int shifted = level + step;
  return (shifted < 0 ? 0 : shifted > 3 ? 3 : shifted) + 1;
}

// Brightness step of a modifier pixel (11..14 → +2, +1, -1, -2), 0 for any other value.
constexpr int ModifierStep(int value) {
  switch (value) {
    case kPixelPlus2: return 2;
    case kPixelPlus1: return 1;
    case kPixelMinus1: return -1;
    case kPixelMinus2: return -2;
    default: return 0;
  }
}

// Conversion of one pixel to underdrawing: 1..3 → 5..7, 8..10 → 5..7, white → the
// replacement; every other value stays.
constexpr int ToUnderdrawing(int value, int whiteReplacement) {
  if (value >= 1 && value <= 3) return value + 4;
  if (value >= 8 && value <= 10) return value - 3;
  if (value == kPixelWhite) return whiteReplacement;
  return value;
}

// Underdrawing shades 5..7 become the replacement; every other value stays.
constexpr int EraseUnderdrawing(int value, int replacement) {
  return value >= 5 && value <= 7 ? replacement : value;
}

// The protect mask: bit v set protects pixels of value v. A read outside a surface gives -1,
// which the low 5 bits turn into bit 31.
using ProtectMask = uint32_t;

constexpr ProtectMask MaskBit(int value) { return 1u << (unsigned(value) & 31u); }
constexpr bool IsProtected(ProtectMask mask, int value) { return (mask & MaskBit(value)) != 0; }
constexpr ProtectMask ClearedMask() { return 0; }
constexpr ProtectMask InvertedMask(ProtectMask mask) { return ~mask; }

// The values the mask dialog has check boxes for, in dialog order; 5..7 and 15 have none.
inline constexpr int kMaskDialogValues[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14};

// 16-entry lookup table of the underdrawing conversion with a mask applied (a protected
// value maps to itself), for converting whole rows.
void UnderdrawingTable(int whiteReplacement, ProtectMask mask, uint8_t table[16]);

// The frame palette: 26 colours indexed by frame pixel value; entry 25 is the cut view's
// background and not part of a frame image's colour table. Colours are 0x00RRGGBB, which in
// memory is blue, green, red, reserved. The editor may load its own from the palette file.
inline constexpr int kFramePaletteSize = 26;
inline constexpr int kFrameImageColors = 25;
using FramePalette = std::array<uint32_t, kFramePaletteSize>;

extern const uint32_t kDefaultFramePalette[kFramePaletteSize];
FramePalette DefaultFramePalette();

constexpr uint32_t PackColor(int red, int green, int blue) {
  return (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) | uint32_t(blue & 0xFF);
}
constexpr int RedOf(uint32_t color) { return int((color >> 16) & 0xFF); }
constexpr int GreenOf(uint32_t color) { return int((color >> 8) & 0xFF); }
constexpr int BlueOf(uint32_t color) { return int(color & 0xFF); }

// Line emphasis of the cut view: entries 8, 9, 10 of the surface's colour table become blue,
// red and green, or back to the fixed greys #000000, #555555, #AAAAAA (not the palette's).
void SetLineEmphasis(FrameSurface& surface, bool on);
