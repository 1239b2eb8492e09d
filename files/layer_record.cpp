#include "files/layer_record.h"

#include "files/cell_codec.h"
#include "io/failure.h"
#include "io/field_io.h"
#include "model/layer.h"

void WriteLayerHead(Layer& layer, FieldWriter& w) {
  w.String(layer.Name() ? *layer.Name() : std::string("UNTITLED"));
  w.U16(uint32_t(layer.Width()));
  w.U16(uint32_t(layer.Height()));
  w.U8(layer.FollowFrame() ? 1 : 0);
  w.U16(uint32_t(layer.CellCount()));
}

bool WriteLayerRecord(Layer& layer, ByteStream& stream) {
  FieldWriter w;
  WriteLayerHead(layer, w);
  CellEncoder encoder;
  bool ok = true;
  layer.Cells().ForEach([&](RasterSurface* cell) {
    encoder.Encode(*cell, w.Bytes());
    if (w.Bytes().size() >= (1u << 20)) ok &= w.FlushTo(stream);
  });
  return w.FlushTo(stream) && ok;
}

bool ReadLayerRecord(Layer& layer, FieldReader& r, std::string* error) {
  layer.Clear();
  layer.SetName(r.String());
  const int32_t width = r.U16();
  const int32_t height = r.U16();
  layer.Resize(width, height);
  layer.SetFollowFrame(r.U8() != 0);
  const int32_t count = r.U16();
  if (r.Truncated()) return Fail(error, "truncated layer header");
  const int32_t mapSize = CellMapBytesPerRow(width) * height;
  std::vector<uint8_t> map, codes, literals;
  for (int32_t k = 0; k < count; ++k) {
    // A cell's pixels are allocated only when the rest of the file can hold its record.
    if (r.Remaining() < 8 + mapSize) {
      r.MarkTruncated();
      return Fail(error, "truncated cell " + std::to_string(k));
    }
    const uint32_t codesSize = r.U32();
    const uint32_t literalsSize = r.U32();
    if (!r.Bytes(map, mapSize) || codesSize > uint32_t(r.Remaining()) ||
        !r.Bytes(codes, int32_t(codesSize)) || literalsSize > uint32_t(r.Remaining()) ||
        !r.Bytes(literals, int32_t(literalsSize))) {
      return Fail(error, "truncated cell " + std::to_string(k));
    }
    if (!layer.InsertCellAfter(k - 1, 0)) return Fail(error, "cannot make cell " + std::to_string(k));
    if (!DecodeCell(*layer.CellAt(k), map.data(), codes.data(), codesSize, literals.data(),
                    literalsSize)) {
      return Fail(error, "damaged data in cell " + std::to_string(k));
    }
  }
  return true;
}
