#include "files/cut_snapshot.h"

#include <cstring>
#include <new>

#include "files/cell_codec.h"
#include "files/cut_file.h"
#include "files/layer_record.h"
#include "io/byte_stream.h"
#include "io/field_io.h"
#include "model/cell_surface.h"
#include "model/cut.h"

// The pixels until the cell is coded, then only its record (never empty: it holds at least
// the two sizes).
struct CutSnapshot::CellCopy {
  std::unique_ptr<CellSurface> pixels;
  std::vector<uint8_t> record;
};

namespace {

using CellCopy = CutSnapshot::CellCopy;

std::shared_ptr<CellCopy> CopyCell(const RasterSurface& cell) {
  auto copy = std::make_shared<CellCopy>();
  copy->pixels.reset(new (std::nothrow) CellSurface);
  if (!copy->pixels || !copy->pixels->Create(cell.Width(), cell.Height(), 0)) return nullptr;
  CellSurface& to = *copy->pixels;
  if (to.Stride() == cell.Stride() && cell.Bits()) {
    // The row padding too: the coder reads the last group of a row from it.
    std::memcpy(to.Bits(), cell.Bits(), cell.ByteSize());
  } else {
    for (int32_t y = 0; y < cell.Height(); ++y)
      for (int32_t x = 0; x < cell.Width(); ++x) to.SetPixel(x, y, cell.GetPixel(x, y));
  }
  return copy;
}

bool WriteBytes(ByteStream& out, const std::vector<uint8_t>& bytes) {
  return bytes.empty() || out.Write(bytes.data(), int32_t(bytes.size())) == 1;
}

}  // namespace

std::shared_ptr<CutSnapshot> CutSnapshot::Take(Cut& cut, const CutSnapshot* previous,
                                               std::string* error, size_t copyLimit) {
  if (auto why = CheckCutLimits(cut)) {
    if (error) *error = *why;
    return nullptr;
  }
  std::vector<RasterSurface*> cells;
  try {
    auto snapshot = std::make_shared<CutSnapshot>();
    FieldWriter w;
    WriteCutHead(cut, w);
    snapshot->head_ = std::move(w.Bytes());
    bool copied = true;
    for (int32_t i = 0; i < cut.LayerCount() && copied; ++i) {
      Layer& layer = *cut.LayerAt(i);
      LayerPart part;
      FieldWriter lw;
      WriteLayerHead(layer, lw);
      part.head = std::move(lw.Bytes());
      layer.Cells().ForEach([&](RasterSurface* cell) {
        if (!copied) return;
        std::shared_ptr<CellCopy> copy;
        if (previous && !cell->Touched()) {
          const auto shared = previous->byCell_.find(cell);
          if (shared != previous->byCell_.end()) copy = shared->second;
        }
        if (!copy) {
          if (snapshot->copied_ > 0 && snapshot->copied_ + cell->ByteSize() > copyLimit) {
            snapshot->complete_ = false;
            return;
          }
          copy = CopyCell(*cell);
          if (!copy) {
            copied = false;
            return;
          }
          snapshot->copied_ += cell->ByteSize();
        }
        snapshot->byCell_[cell] = copy;
        part.cells.push_back(std::move(copy));
        cells.push_back(cell);
      });
      snapshot->layers_.push_back(std::move(part));
    }
    if (!copied) {
      if (error) *error = "not enough memory for the copy";
      return nullptr;
    }
    FieldWriter fw;
    for (int32_t i = 0; i < cut.FrameCount(); ++i) WriteFrameRecord(cut, *cut.FrameAt(i), fw);
    snapshot->frames_ = std::move(fw.Bytes());
    for (RasterSurface* cell : cells) cell->ForgetTouch();
    return snapshot;
  } catch (const std::bad_alloc&) {
    if (error) *error = "not enough memory for the copy";
    return nullptr;
  }
}

bool CutSnapshot::SameAs(const CutSnapshot& other) const {
  if (complete_ != other.complete_ || head_ != other.head_ || frames_ != other.frames_ ||
      layers_.size() != other.layers_.size())
    return false;
  for (size_t i = 0; i < layers_.size(); ++i) {
    if (layers_[i].head != other.layers_[i].head || layers_[i].cells != other.layers_[i].cells)
      return false;
  }
  return true;
}

bool CutSnapshot::Write(ByteStream& out) const {
  if (!complete_) return false;
  try {
    CellEncoder encoder;
    if (!WriteBytes(out, head_)) return false;
    for (const LayerPart& layer : layers_) {
      if (!WriteBytes(out, layer.head)) return false;
      for (const std::shared_ptr<CellCopy>& cell : layer.cells) {
        if (cell->record.empty()) {
          if (!cell->pixels) return false;
          std::vector<uint8_t> record;
          encoder.Encode(*cell->pixels, record);
          cell->record = std::move(record);
          cell->pixels.reset();
        }
        if (!WriteBytes(out, cell->record)) return false;
      }
    }
    return WriteBytes(out, frames_);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
