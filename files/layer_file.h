#pragma once

// Layer file (*.lyr): one layer with all its cells, carried from one cut to another.
//
//   field   size           meaning
//   tag     string         "Orvinade Layer" (14 bytes and a zero byte)
//   layer   layer record   as in the cut file (layer_record.h)

#include <string>

class ByteStream;
class Cut;

inline constexpr char kLayerTag[] = "Orvinade Layer";

// Writes the layer shown by the current frame's current entry. False, writing nothing,
// when no layer is shown there or it is beyond the record's limits; false also when a
// write failed.
bool WriteLayerFile(Cut& cut, ByteStream& stream, std::string* error = nullptr);

// Replaces name, size, follow flag and cells of the layer shown by the current frame's
// current entry with the file's layer. A cut without layers first gets one, shown in
// every frame at (0, 0). The entries keep their cell numbers, so one beyond the new cell
// count shows nothing until it is moved. The whole record is read before anything
// changes: a wrong tag or a damaged record fails with the cut as it was.
bool ReadLayerFile(Cut& cut, ByteStream& stream, std::string* error = nullptr);

// Saves safely (the old file stays on failure) and loads by path.
bool SaveLayerFile(Cut& cut, const std::string& path, std::string* error = nullptr);
bool LoadLayerFile(Cut& cut, const std::string& path, std::string* error = nullptr);
