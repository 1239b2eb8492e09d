#include "model/undo.h"

#include <cstring>

#include "model/cut.h"
#include "model/raster_surface.h"

std::optional<ResolvedEntry> CurrentCell(Cut& cut) {
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return std::nullopt;
  return frame->ResolveEntry(-1);
}

bool SaveUndo(Cut& cut) {
  const auto current = CurrentCell(cut);
  if (!current) return false;
  RasterSurface* cell = current->cell;
  if (!cut.GrowUndoBuffer(cell->ByteSize())) return false;
  if (cell->ByteSize()) std::memcpy(cut.UndoBuffer().data(), cell->Bits(), cell->ByteSize());
  cut.SetUndoCell(cell);
  cut.MarkChanged(kChangeContent);
  return true;
}

bool Undo(Cut& cut) {
  RasterSurface* cell = cut.UndoCell();
  if (!cell) return false;
  std::vector<uint8_t>& buffer = cut.UndoBuffer();
  const size_t size = cell->ByteSize();
  if (buffer.size() < size) return false;
  uint8_t* bits = cell->Bits();
  for (size_t j = size; j-- > 0;) {
    if (bits[j] != buffer[j]) std::swap(bits[j], buffer[j]);
  }
  cut.MarkChanged(kChangeContent);
  return true;
}
