#include "files/layer_file.h"

#include <cstdio>

#include "files/layer_record.h"
#include "io/failure.h"
#include "io/field_io.h"
#include "io/file_stream.h"
#include "io/safe_save.h"
#include "model/cut.h"

namespace {

Layer* ShownLayer(Cut& cut) {
  Frame* frame = cut.CurrentFrameObject();
  LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
  return entry ? entry->layer : nullptr;
}

// The tag buffer holds 15 bytes with its terminator: a 15th byte that is not zero is
// dropped, so "Orvinade Layer" is followed by one byte, normally its zero.
std::string ReadTag(ByteStream& stream) {
  std::string tag;
  for (int i = 0; i < 15; ++i) {
    const int c = stream.Getc();
    if (c <= 0 || i == 14) break;
    tag.push_back(char(c));
  }
  return tag;
}

std::optional<std::string> CheckLayerLimits(const Layer& layer) {
  if (layer.Width() < 0 || layer.Width() > 65535 || layer.Height() < 0 || layer.Height() > 65535)
    return "layer size beyond 65535";
  if (layer.CellCount() > 65535) return "more than 65535 cells";
  return std::nullopt;
}

}  // namespace

bool WriteLayerFile(Cut& cut, ByteStream& stream, std::string* error) {
  Layer* layer = ShownLayer(cut);
  if (!layer) return Fail(error, "the current frame shows no layer");
  if (auto why = CheckLayerLimits(*layer)) return Fail(error, *why);
  FieldWriter w;
  w.String(kLayerTag);
  if (!w.FlushTo(stream) || !WriteLayerRecord(*layer, stream)) return Fail(error, "write failed");
  return true;
}

bool ReadLayerFile(Cut& cut, ByteStream& stream, std::string* error) {
  if (ReadTag(stream) != kLayerTag) return Fail(error, "not a layer file");
  Layer* target = nullptr;
  if (cut.LayerCount() > 0) {
    target = ShownLayer(cut);
    if (!target) return Fail(error, "the current frame shows no layer");
  } else if (!cut.CurrentFrameObject()) {
    return Fail(error, "the cut has no frame to show the layer");
  }

  Layer read(0, 0, std::nullopt, target ? target->Prototype() : nullptr, false);
  FieldReader reader(stream);
  std::string why;
  if (!ReadLayerRecord(read, reader, &why)) return Fail(error, why);

  if (!target) {
    cut.AddLayer(std::nullopt, 0, 0, nullptr);
    cut.PutLayerInFrames(0, 0, 0);
    target = ShownLayer(cut);
    if (!target) return Fail(error, "the new layer is not shown");
  }
  bool holdsUndo = false;
  target->Cells().ForEach([&](RasterSurface* cell) { holdsUndo |= cell == cut.UndoCell(); });
  if (holdsUndo) cut.DropUndo();
  target->Clear();
  target->Resize(read.Width(), read.Height());
  target->SetName(read.Name());
  target->SetFollowFrame(read.FollowFrame());
  target->Cells().Swap(read.Cells());
  // The undo buffer is sized for cells that exist, never for a size alone.
  if (target->CellCount() > 0) cut.GrowUndoBuffer(target->CellByteSize());
  cut.MarkChanged(kChangeContent);
  return true;
}

bool SaveLayerFile(Cut& cut, const std::string& path, std::string* error) {
  Layer* layer = ShownLayer(cut);
  if (!layer) return Fail(error, "the current frame shows no layer");
  if (auto why = CheckLayerLimits(*layer)) return Fail(error, *why);
  std::string why;
  if (!SaveFileSafely(path, [&](ByteStream& s) { return WriteLayerFile(cut, s, &why); }, &why))
    return Fail(error, why);
  return true;
}

bool LoadLayerFile(Cut& cut, const std::string& path, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Fail(error, "cannot open the file");
  FileStream stream(file);
  return ReadLayerFile(cut, stream, error);
}
