#pragma once

// The cell on the Windows clipboard and pictures from it, without the clipboard: the packed
// 16-colour device-independent bitmap of a cell, and the tone a picture's pixel becomes.

#include <cstddef>
#include <cstdint>

class RasterSurface;

// The fixed colour table of clipboard copies, 0x00RRGGBB by pixel value.
extern const uint32_t kClipboardColors[16];

// Bytes of the cell as a packed DIB: a 40-byte header (4 bits per pixel, 16 colours used),
// the colour table, then the rows bottom-up with the cell's own stride.
size_t CellDibSize(const RasterSurface& cell);
void WriteCellDib(const RasterSurface& cell, uint8_t* out);

// A picture's pixel (0x00RRGGBB at image position x, y) in the editor's greys: its grey level
// on the 49-step tone scale, drawn in the tone pattern, or transparent (0) when it is exactly
// the key colour and the key is on.
int PicturePixel(uint32_t rgb, int32_t x, int32_t y, bool keyOn, uint32_t key);
