#include "model/frame.h"

#include <algorithm>

#include "model/layer.h"

Frame::Frame(int32_t canvasWidth, int32_t canvasHeight)
    : canvasWidth_(canvasWidth), canvasHeight_(canvasHeight) {}

Frame::~Frame() { DestroyEntries(); }

void Frame::DestroyEntries() {
  entries_.ForEach([](LayerEntry* e) { delete e; });
  entries_.Clear();
}

LayerEntry* Frame::EntryAt(int32_t index) { return entries_.At(ResolveIndex(index)); }

bool Frame::SetCurrentLayer(int32_t index) {
  if (index < 0 || index >= entries_.Count()) return false;
  currentLayer_ = index;
  return true;
}

void Frame::InsertEntryAfter(Layer* layer, int32_t cell, int32_t x, int32_t y) {
  entries_.GoTo(currentLayer_);  // when currentLayer is not valid, the cursor stays
  entries_.InsertAfterCurrent(new LayerEntry{layer, cell, x, y});
  currentLayer_ = entries_.CurrentIndex();
}

void Frame::InsertEntryBefore(Layer* layer, int32_t cell, int32_t x, int32_t y) {
  if (currentLayer_ == -1 || !entries_.GoTo(currentLayer_)) {
    InsertEntryAfter(layer, cell, x, y);
    return;
  }
  entries_.InsertBeforeCurrent(new LayerEntry{layer, cell, x, y});
}

void Frame::RemoveEntriesOf(const Layer* layer) {
  for (int32_t i = entries_.Count() - 1; i >= 0; --i) {
    LayerEntry* e = entries_.At(i);
    if (e->layer != layer) continue;
    delete e;
    entries_.RemoveCurrent();
    if (i < currentLayer_) --currentLayer_;
  }
  currentLayer_ = std::min(currentLayer_, entries_.Count() - 1);
}

bool Frame::MoveEntryUp(int32_t index) {
  const int32_t i = ResolveIndex(index);
  if (!entries_.GoTo(i) || !entries_.SwapWithPrev()) return false;
  if (i == currentLayer_) currentLayer_ = i - 1;
  return true;
}

bool Frame::MoveEntryDown(int32_t index) {
  const int32_t i = ResolveIndex(index);
  if (!entries_.GoTo(i) || !entries_.SwapWithNext()) return false;
  if (i == currentLayer_) currentLayer_ = i + 1;
  return true;
}

std::optional<ResolvedEntry> Frame::ResolveEntry(int32_t index) {
  LayerEntry* e = EntryAt(index);
  if (!e || !e->layer || e->cell < 0) return std::nullopt;
  RasterSurface* cell = e->layer->CellAt(e->cell);
  if (!cell) return std::nullopt;
  int32_t x = e->x, y = e->y;
  if (e->layer->FollowFrame()) x += x_, y += y_;
  return ResolvedEntry{cell, x, y};
}

RasterSurface* Frame::PrevCellOf(int32_t index) {
  LayerEntry* e = EntryAt(index);
  if (!e || !e->layer || e->cell < 0) return nullptr;
  const int32_t n = e->layer->CellCount();
  if (n == 0) return nullptr;
  return e->layer->CellAt(e->cell == 0 ? n - 1 : e->cell - 1);
}

RasterSurface* Frame::NextCellOf(int32_t index) {
  LayerEntry* e = EntryAt(index);
  if (!e || !e->layer || e->cell < 0) return nullptr;
  const int32_t n = e->layer->CellCount();
  if (n == 0) return nullptr;
  return e->layer->CellAt(e->cell >= n - 1 ? 0 : e->cell + 1);
}

void Frame::ShiftCellIndices(const Layer* layer, int32_t fromCell, int32_t delta) {
  const int32_t last = layer->CellCount() - 1;
  entries_.ForEach([&](LayerEntry* e) {
    if (e->layer == layer && e->cell >= fromCell) e->cell = std::min(e->cell + delta, last);
  });
}

bool Frame::NextCell() {
  LayerEntry* e = CurrentEntry();
  if (!e || !e->layer || e->cell < 0 || e->cell >= e->layer->CellCount() - 1) return false;
  ++e->cell;
  return true;
}

bool Frame::PrevCell() {
  LayerEntry* e = CurrentEntry();
  if (!e || !e->layer || e->cell <= 0) return false;
  --e->cell;
  return true;
}

bool Frame::ToggleEmpty() {
  LayerEntry* e = CurrentEntry();
  if (!e) return false;
  e->cell = ~e->cell;
  return true;
}

bool Frame::InsertCellAfterEntry(int fill) {
  LayerEntry* e = CurrentEntry();
  if (!e || !e->layer || e->cell < 0) return false;
  if (!e->layer->InsertCellAfter(e->cell, fill)) return false;
  ++e->cell;
  return true;
}

bool Frame::InsertCellBeforeEntry(int fill) {
  LayerEntry* e = CurrentEntry();
  if (!e || !e->layer || e->cell < 0) return false;
  return e->layer->InsertCellBefore(e->cell, fill);
}

bool Frame::RemoveEntryCell() {
  LayerEntry* e = CurrentEntry();
  if (!e || !e->layer || e->cell < 0 || e->layer->CellCount() < 2) return false;
  if (!e->layer->RemoveCell(e->cell)) return false;
  e->cell = std::min(e->cell, e->layer->CellCount() - 1);
  return true;
}

bool Frame::OffsetEntry(int32_t index, int32_t dx, int32_t dy) {
  LayerEntry* e = EntryAt(index);
  if (!e) return false;
  e->x += dx;
  e->y += dy;
  return true;
}

bool Frame::CopyEntryPosition(Frame& other, int32_t index) {
  LayerEntry* src = other.EntryAt(index);
  LayerEntry* dst = EntryAt(index);
  if (!src || !dst) return false;
  dst->x = src->x;
  dst->y = src->y;
  return true;
}

std::optional<std::pair<int32_t, int32_t>> Frame::EntryCanvasPosition(int32_t index) {
  LayerEntry* e = EntryAt(index);
  if (!e) return std::nullopt;
  if (e->layer && e->layer->FollowFrame()) return std::make_pair(e->x + x_, e->y + y_);
  return std::make_pair(e->x, e->y);
}

bool Frame::SetEntryCanvasPosition(int32_t index, int32_t x, int32_t y) {
  LayerEntry* e = EntryAt(index);
  if (!e) return false;
  if (e->layer && e->layer->FollowFrame()) x -= x_, y -= y_;
  e->x = x;
  e->y = y;
  return true;
}

bool Frame::SameImageAs(Frame& other) {
  if (entries_.Count() != other.entries_.Count() || x_ != other.x_ || y_ != other.y_)
    return false;
  for (int32_t i = 0; i < entries_.Count(); ++i) {
    if (!(*entries_.At(i) == *other.entries_.At(i))) return false;
  }
  return true;
}

void Frame::CopyFrom(Frame& other) {
  DestroyEntries();
  other.entries_.ForEach([&](LayerEntry* e) { entries_.InsertAfterCurrent(new LayerEntry(*e)); });
  currentLayer_ = other.currentLayer_;
  time_ = other.time_;
  x_ = other.x_;
  y_ = other.y_;
  canvasWidth_ = other.canvasWidth_;
  canvasHeight_ = other.canvasHeight_;
  loop_ = other.loop_ == 1 ? 1 : 0;
}

void Frame::ClearEntries() {
  DestroyEntries();
  currentLayer_ = -1;
  time_ = 1;
}
