#include "model/layer.h"

#include <vector>

#include "model/cell_surface.h"

Layer::Layer(int32_t width, int32_t height, std::optional<std::string> name,
             const RasterSurface* prototype, bool followFrame)
    : width_(width),
      height_(height),
      name_(std::move(name)),
      prototype_(prototype),
      followFrame_(followFrame) {}

Layer::~Layer() { DestroyCells(); }

void Layer::DestroyCells() {
  cells_.ForEach([](RasterSurface* cell) { delete cell; });
  cells_.Clear();
}

std::unique_ptr<RasterSurface> Layer::MakeCell(std::unique_ptr<RasterSurface> surface, int fill) {
  if (!surface) surface = prototype_ ? prototype_->CloneEmpty() : std::make_unique<CellSurface>();
  // A surface with no pixels to keep is made filled at once; one with pixels is also cleared.
  const bool blank = int64_t(surface->Width()) * surface->Height() == 0;
  if (!surface->Create(width_, height_, blank ? fill : 0)) return nullptr;
  if (!blank) surface->Clear(fill);
  return surface;
}

bool Layer::InsertCellAfter(int32_t index, int fill, std::unique_ptr<RasterSurface> surface) {
  if (index >= 0 && index < cells_.Count()) cells_.GoTo(index);
  else if (!cells_.Empty()) return false;
  auto cell = MakeCell(std::move(surface), fill);
  if (!cell) return false;
  cells_.InsertAfterCurrent(cell.release());
  return true;
}

bool Layer::InsertCellBefore(int32_t index, int fill, std::unique_ptr<RasterSurface> surface) {
  if (index >= 0 && index < cells_.Count()) cells_.GoTo(index);
  else if (!cells_.Empty()) return false;
  auto cell = MakeCell(std::move(surface), fill);
  if (!cell) return false;
  cells_.InsertBeforeCurrent(cell.release());
  return true;
}

bool Layer::RemoveCell(int32_t index) {
  if (!cells_.GoTo(index)) return false;
  delete cells_.CurrentItem();
  cells_.RemoveCurrent();
  return true;
}

RasterSurface* Layer::CellAt(int32_t index) { return cells_.At(index); }

bool Layer::Resize(int32_t width, int32_t height) {
  // Every cell takes the size or none does: a cell of another size than its layer would be
  // written into a damaged file.
  std::vector<RasterSurface*> resized;
  bool failed = false;
  cells_.ForEach([&](RasterSurface* cell) {
    if (failed) return;
    if (cell->Create(width, height, 0)) resized.push_back(cell);
    else failed = true;
  });
  if (failed) {
    for (RasterSurface* cell : resized) cell->Create(width_, height_, 0);
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

void Layer::Clear() {
  Resize(0, 0);
  name_.reset();
  DestroyCells();
}

size_t Layer::CellByteSize() const {
  if (width_ <= 0 || height_ <= 0) return 0;
  return size_t(CellSurface::StrideFor(width_)) * size_t(height_);
}
