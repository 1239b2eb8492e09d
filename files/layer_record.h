#pragma once

// The layer record, shared by cut files and layer files:
//
//   field          size      meaning
//   name           string    "UNTITLED" when the layer has none
//   width          u16
//   height         u16
//   followFrame    u8        0 or 1
//   cell count N   u16
//   cells          N cell records (the cell coder's), in cell order

#include <string>

class ByteStream;
class FieldReader;
class FieldWriter;
class Layer;

// The record up to its cells.
void WriteLayerHead(Layer& layer, FieldWriter& w);
// False when a write failed.
bool WriteLayerRecord(Layer& layer, ByteStream& stream);

// False when the record is damaged or truncated; `error` says what. The layer then holds
// what could be read.
bool ReadLayerRecord(Layer& layer, FieldReader& reader, std::string* error);
