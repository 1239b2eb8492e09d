#pragma once

// The cell on the Windows clipboard and pictures from it, without the clipboard: the packed
// 16-colour device-independent bitmap of a cell, and the tone a picture's pixel becomes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "model/cell_surface.h"
#include "model/pixel_class.h"

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

// A picture is read in square tiles of this side.
inline constexpr int32_t kPictureTile = 200;
// Fills `pixels` (kPictureTile × kPictureTile values 0x00RRGGBB, row by row) with the tile of
// the picture whose top-left corner is (x, y).
using PictureTileReader = std::function<void(int32_t x, int32_t y, uint32_t* pixels)>;
// The picture in the editor's greys, tile by tile. A pixel whose value in the new cell (0)
// is protected is left alone. Null when the picture is empty or its cell cannot be had: wider
// or higher than any cell (65535) or too large for memory.
std::unique_ptr<CellSurface> PictureCell(int32_t width, int32_t height,
                                         const PictureTileReader& read, bool keyOn, uint32_t key,
                                         ProtectMask mask);
