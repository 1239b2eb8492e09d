#pragma once

// The cell coder of cut and layer files. Each group of four pixels of a row is coded
// either as a copy of an earlier group of the same cell or as a 2-byte literal.
//
// Cell record, for a cell of width W and height H, with G = ceil(W / 8) code bytes per row
// (a 4-bit code per group, two per byte) and B = ceil(G / 8) change-map bytes per row:
//
//   offset         size            field
//   0              4               codes size (u32)
//   4              4               literals size (u32)
//   8              B × H           change map: bit (i mod 8) of byte (row·B + i/8), LSB
//                                  first, set when code byte i differs from the row above
//   8 + B·H        codes size      the changed code bytes, row by row, in increasing i
//   ...            literals size   2 bytes per literal group (the raw unit), coding order
//
// Code byte i holds groups 2i (low nibble) and 2i + 1 (high nibble). The row above the
// first row is taken as all code 1 (0x11 bytes).

#include <cstdint>
#include <memory>
#include <vector>

class RasterSurface;

struct CellCode {
  int8_t dx;  // pixels
  int8_t dy;  // rows
};

// Offsets of codes 1-15 (code 0 is the literal).
inline constexpr CellCode kCellCodes[16] = {
    {0, 0},   {-4, 0},  {-8, 0},  {-16, 0}, {0, -1},  {-4, -1}, {0, -2},  {-4, -2},
    {-8, -2}, {0, -4},  {-4, -4}, {-8, -4}, {0, -8},  {-4, -8}, {-8, -8}, {0, -16}};

inline constexpr uint8_t kCellCodeSearchOrder[15] = {1, 4, 5, 6, 7, 9, 10, 2, 8,
                                                     11, 12, 13, 14, 3, 15};

// Code bytes per row and change-map bytes per row for a width.
inline int32_t CellCodeBytesPerRow(int32_t width) { return (width + 7) / 8; }
inline int32_t CellMapBytesPerRow(int32_t width) { return (CellCodeBytesPerRow(width) + 7) / 8; }

// Keeps its scratch buffers between cells.
class CellEncoder {
 public:
  // Appends the cell's record to `out`.
  void Encode(const RasterSurface& cell, std::vector<uint8_t>& out);

 private:
  // Room for the worst case of a cell's codes or literals, not cleared: only what is
  // written is read.
  struct Scratch {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    uint8_t* Room(size_t n) {
      if (n > size) bytes.reset(new uint8_t[n]), size = n;
      return bytes.get();
    }
  };
  std::vector<uint8_t> map_;
  std::vector<uint8_t> previous_, current_;  // a code a group, the row above and this one
  Scratch codes_, literals_;
};

// Decodes one record's parts into `cell` (already of the record's size). False when the
// data is damaged: codes or literals run out, a literal count that does not add up, or a
// copy that refers outside the cell.
bool DecodeCell(RasterSurface& cell, const uint8_t* map, const uint8_t* codes,
                uint32_t codesSize, const uint8_t* literals, uint32_t literalsSize);
