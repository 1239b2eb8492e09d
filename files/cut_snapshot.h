#pragma once

// A cut as its file stores it, taken in a moment on the thread that edits the cut and
// written later, on another thread if need be: the bytes around the layer records, and each
// cell as a copy of its pixels. A snapshot copies only the cells touched since the snapshot
// it follows; the other cells are shared with that one, and with them their coded record
// once one was written. So a snapshot of a big cut with one changed cell copies one cell,
// and writing it codes one cell.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ByteStream;
class Cut;
class RasterSurface;

class CutSnapshot {
 public:
  // The cut as it stands. Cells untouched since `previous` (a snapshot of the same cut) was
  // taken share their copy with it; the touch marks of the cells copied or shared are
  // forgotten. Once `copyLimit` bytes are copied the other touched cells wait (at least one
  // is copied): the snapshot is then not complete, and the next one, taken after it,
  // goes on where it stopped. Null, with the marks kept, when the cut is beyond the file's
  // limits (`error` says why) or the memory for the copies cannot be had.
  static std::shared_ptr<CutSnapshot> Take(Cut& cut, const CutSnapshot* previous,
                                           std::string* error = nullptr,
                                           size_t copyLimit = SIZE_MAX);

  // Whether it holds every cell: only a complete snapshot can be written.
  bool Complete() const { return complete_; }
  // Whether both hold the same cut: the same bytes around the layers and the same copies.
  bool SameAs(const CutSnapshot& other) const;
  // Bytes of pixels this snapshot copied (the shared cells not counted).
  size_t CopiedBytes() const { return copied_; }

  // The cut file, byte for byte what WriteCut writes of the cut as it was taken. Codes the
  // cells not coded yet and lets their pixels go. Snapshots that share cells must not be
  // written at the same time; taking the next one meanwhile is fine. False when a write
  // failed or the memory for coding could not be had.
  bool Write(ByteStream& out) const;

  struct CellCopy;

 private:
  struct LayerPart {
    std::vector<uint8_t> head;
    std::vector<std::shared_ptr<CellCopy>> cells;
  };

  std::vector<uint8_t> head_;
  std::vector<LayerPart> layers_;
  std::vector<uint8_t> frames_;
  // Only for taking the next snapshot of the same cut.
  std::unordered_map<const RasterSurface*, std::shared_ptr<CellCopy>> byCell_;
  size_t copied_ = 0;
  bool complete_ = true;
};
