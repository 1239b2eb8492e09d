#pragma once

#include <cstdint>
#include <vector>

class Cut;
class FrameBuffer;
class FrameSurface;

// Bitmap files of frames.
//
// Tone bitmap (the editor's export of a frame), little-endian:
//   0   2   "BM"
//   2   4   file size = 118 + height × row size
//   6   4   two reserved 16-bit zeros
//   10  4   pixel offset 118
//   14  40  information header: size 40, width, height (positive: rows bottom-up), planes 1,
//           4 bits per pixel, no compression, image size 0, resolutions 0, 16 colours used,
//           0 important
//   54  64  16 palette entries blue, green, red, 0
//   118 ... rows bottom-up, two levels per byte (the even column in the high nibble), each
//           row padded with zero bytes to a multiple of 4
//
// Frame image bitmap (a composed frame as the cut view shows it): the same headers with 8
// bits per pixel and the surface's used colour table entries; rows padded likewise.

// Writes the camera rectangle of a tone image held in the current page of `tones`: output
// pixel (j, k) is tone pixel (frameX / factor + j, frameY / factor + k); the camera may
// reach outside the tone image, and those pixels take the white level `levels` − 1. The
// palette is the current page's palette.
std::vector<uint8_t> EncodeToneBitmap(const FrameBuffer& tones, int levels, int32_t frameX,
                                      int32_t frameY, int32_t width, int32_t height,
                                      int factor);

// The editor's bitmap export of frame `frameIndex`: `view` (re-created at canvas size when
// it has another size) is cleared and the frame composed into it over the whole canvas with
// only the current-cell-only display flag of the cut; it is reduced by the cut's
// anti-aliasing factor into a fresh frame buffer, the white ramp of 4 or 13 levels gets the
// frame's brightness, and the camera rectangle is encoded. False for a frame index outside
// the cut, an invalid anti-aliasing choice, an output smaller than one pixel, a tone image
// larger than a frame buffer can hold, or memory that cannot be had.
bool ExportFrameBitmap(Cut& cut, int32_t frameIndex, FrameSurface& view, std::vector<uint8_t>& out);

// The 8-bit bitmap of a frame image with the surface's colour table.
std::vector<uint8_t> EncodeFrameImageBitmap(const FrameSurface& image);
