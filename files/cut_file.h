#pragma once

// Cut file (*.cut). All integers little-endian; a string is its bytes and a zero byte.
//
//   field            size        meaning
//   tag              string      "Orvinade Cut"
//   canvas width     u16
//   canvas height    u16
//   frame width      u16         camera size
//   frame height     u16
//   fps              u8
//   credit           string
//   anti-aliasing    u8          0 full size, 1 half, 2 quarter
//   layer count L    u8
//   frame count F    u16
//   layers           L layer records
//   frames           F frame records
//
// Frame record: x i16, y i16, time i16, loop u16, toneKey i8 (b, or -1 - b for a
// keyframe), comment string, entry count E u8, then E entries of 7 bytes: layer index u8,
// x i16, y i16, cell i16 (an empty cell k stored as -1 - k).

#include <optional>
#include <string>

class ByteStream;
class Cut;
class FieldWriter;
class Frame;
class RasterSurface;

inline constexpr char kCutTag[] = "Orvinade Cut";

// Why the cut cannot be stored in the file's fields, or nothing when it can.
std::optional<std::string> CheckCutLimits(Cut& cut);

// Writes the whole cut. Refuses (writing nothing) a cut beyond the file's limits; false
// also when a write failed. Clears the unsaved flag on success.
bool WriteCut(Cut& cut, ByteStream& stream, std::string* error = nullptr);

// The pieces WriteCut writes around the layer records, for writers that take a cut apart:
// the tag and header up to the frame count, and one frame record.
void WriteCutHead(Cut& cut, FieldWriter& w);
void WriteFrameRecord(Cut& cut, Frame& frame, FieldWriter& w);

// Reads a cut; on any failure the cut is left as it was and `error` says why ("not a cut
// file" for a wrong tag). Every layer made gets `prototype` for its cells.
bool ReadCut(Cut& cut, ByteStream& stream, const RasterSurface* prototype,
             std::string* error = nullptr);

// Safe saves and loads by path. Saving writes a temporary file beside the target and
// replaces the target only after a complete write.
bool SaveCut(Cut& cut, const std::string& path, std::string* error = nullptr);
bool SaveCutToOwnPath(Cut& cut, std::string* error = nullptr);
bool LoadCut(Cut& cut, const std::string& path, const RasterSurface* prototype,
             std::string* error = nullptr);
