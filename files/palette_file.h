#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/pixel_class.h"

// The palette file Colors.bmp: a Windows bitmap of which only the headers and the first 26
// colour-table entries are read.
//   0   2   "BM"
//   28  2   bits per pixel, must be 8
//   30  4   compression, must be 0
//   46  4   colours used, must be at least 26
//   54  104 26 entries blue, green, red, reserved → frame palette entries 0..25

// The 26 colours (0x00RRGGBB) of a palette file's bytes; false, leaving `colors` alone,
// when the bytes are not an acceptable palette file or end before the 26th entry.
bool ParsePaletteFile(const uint8_t* data, size_t size, uint32_t colors[kFramePaletteSize]);

// Reads the file and, when it is acceptable, replaces all 26 entries of `palette`; any other
// file (or none) leaves it untouched.
bool LoadPaletteFile(const std::string& path, FramePalette& palette);
