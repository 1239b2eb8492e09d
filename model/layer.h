#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/cursor_list.h"
#include "model/raster_surface.h"

// A named strip of cells; every cell has the layer's size.
class Layer {
 public:
  Layer(int32_t width, int32_t height, std::optional<std::string> name,
        const RasterSurface* prototype, bool followFrame);
  ~Layer();
  Layer(const Layer&) = delete;
  Layer& operator=(const Layer&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  const std::optional<std::string>& Name() const { return name_; }
  void SetName(std::optional<std::string> name) { name_ = std::move(name); }
  bool FollowFrame() const { return followFrame_; }
  void SetFollowFrame(bool follow) { followFrame_ = follow; }
  const RasterSurface* Prototype() const { return prototype_; }
  CursorList<RasterSurface>& Cells() { return cells_; }
  int32_t CellCount() const { return cells_.Count(); }

  // A new cell (the given surface, or the prototype's empty clone, or a plain cell) of the
  // layer's size filled with `fill`, inserted after (before) cell `index`; it becomes
  // current. Fails when index is out of range, unless the layer is empty.
  bool InsertCellAfter(int32_t index, int fill, std::unique_ptr<RasterSurface> surface = nullptr);
  bool InsertCellBefore(int32_t index, int fill,
                        std::unique_ptr<RasterSurface> surface = nullptr);
  bool RemoveCell(int32_t index);
  RasterSurface* CellAt(int32_t index);
  // Stores the size and re-creates every cell (content kept top-left). False, the layer
  // as it was, when the memory for a cell cannot be had.
  bool Resize(int32_t width, int32_t height);
  // Resize(0, 0), no name, all cells destroyed.
  void Clear();
  // Bytes of one cell's pixels (stride × height).
  size_t CellByteSize() const;

 private:
  std::unique_ptr<RasterSurface> MakeCell(std::unique_ptr<RasterSurface> surface, int fill);
  void DestroyCells();

  CursorList<RasterSurface> cells_;
  int32_t width_;
  int32_t height_;
  std::optional<std::string> name_;
  const RasterSurface* prototype_;
  bool followFrame_;
};
