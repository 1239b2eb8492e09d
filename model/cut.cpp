#include "model/cut.h"

#include <cstdio>
#include <cstdlib>
#include <new>

Cut::Cut(int32_t canvasWidth, int32_t canvasHeight, int32_t fps, std::string credit,
         AntiAlias antiAlias)
    : canvasWidth_(canvasWidth),
      canvasHeight_(canvasHeight),
      frameWidth_(canvasWidth),
      frameHeight_(canvasHeight),
      fps_(fps),
      credit_(std::move(credit)) {
  SetAntiAlias(antiAlias);
}

Cut::~Cut() { DestroyAll(); }

void Cut::DestroyAll() {
  frames_.ForEach([](Frame* f) { delete f; });
  frames_.Clear();
  layers_.ForEach([](Layer* l) { delete l; });
  layers_.Clear();
}

void Cut::Swap(Cut& other) {
  std::swap(path_, other.path_);
  frames_.Swap(other.frames_);
  layers_.Swap(other.layers_);
  std::swap(canvasWidth_, other.canvasWidth_);
  std::swap(canvasHeight_, other.canvasHeight_);
  std::swap(frameWidth_, other.frameWidth_);
  std::swap(frameHeight_, other.frameHeight_);
  std::swap(fps_, other.fps_);
  std::swap(credit_, other.credit_);
  std::swap(currentFrame_, other.currentFrame_);
  std::swap(undoCell_, other.undoCell_);
  std::swap(undoBuffer_, other.undoBuffer_);
  std::swap(displayFlags_, other.displayFlags_);
  std::swap(stateFlags_, other.stateFlags_);
}

AntiAlias Cut::GetAntiAlias() const {
  const uint32_t v = (stateFlags_ & kStateAntiAliasMask) >> kStateAntiAliasShift;
  return v == 1 ? AntiAlias::kHalf : v == 2 ? AntiAlias::kQuarter : AntiAlias::kFull;
}

void Cut::SetAntiAlias(AntiAlias a) {
  stateFlags_ = (stateFlags_ & ~kStateAntiAliasMask) | (uint32_t(a) << kStateAntiAliasShift);
}

Frame* Cut::CurrentFrameObject() { return frames_.At(currentFrame_); }

Frame* Cut::AddFrame() {
  frames_.GoTo(currentFrame_);
  Frame* frame = new Frame(canvasWidth_, canvasHeight_);
  frames_.InsertAfterCurrent(frame);
  currentFrame_ = frames_.CurrentIndex();
  MarkChanged(kChangeContent);
  return frame;
}

bool Cut::InsertFrame() {
  if (!frames_.GoTo(currentFrame_)) {
    AddFrame();
    return true;
  }
  frames_.InsertBeforeCurrent(new Frame(canvasWidth_, canvasHeight_));
  MarkChanged(kChangeContent);
  return true;
}

bool Cut::RemoveFrame() {
  if (frames_.Count() <= 1 || !frames_.GoTo(currentFrame_)) return false;
  Frame* removed = frames_.CurrentItem();
  const int32_t layer = removed->CurrentLayer();
  frames_.RemoveCurrent();
  delete removed;
  currentFrame_ = frames_.CurrentIndex();
  frames_.CurrentItem()->SetCurrentLayer(layer);
  MarkChanged(kChangeContent);
  return true;
}

bool Cut::MoveTo(int32_t index) {
  Frame* from = CurrentFrameObject();
  Frame* to = frames_.At(index);
  if (!to) return false;
  currentFrame_ = index;
  if (from && from != to) to->SetCurrentLayer(from->CurrentLayer());
  return true;
}

bool Cut::GoFrame(int32_t index) { return MoveTo(index); }

bool Cut::GoFirstFrame() { return frames_.Count() > 1 && MoveTo(0); }
bool Cut::GoLastFrame() { return frames_.Count() > 1 && MoveTo(frames_.Count() - 1); }

bool Cut::GoNextFrame() {
  return currentFrame_ + 1 < frames_.Count() && MoveTo(currentFrame_ + 1);
}

bool Cut::GoPrevFrame() { return currentFrame_ > 0 && MoveTo(currentFrame_ - 1); }

bool Cut::GoNextKeyframe() {
  for (int32_t i = currentFrame_ + 1; i < frames_.Count(); ++i) {
    if (frames_.At(i)->IsKeyframe()) return MoveTo(i);
  }
  return false;
}

bool Cut::GoPrevKeyframe() {
  for (int32_t i = currentFrame_ - 1; i >= 0; --i) {
    if (frames_.At(i)->IsKeyframe()) return MoveTo(i);
  }
  return false;
}

Layer* Cut::AddLayer(const std::optional<std::string>& name, int32_t width, int32_t height,
                     const RasterSurface* prototype) {
  std::string layerName;
  if (name && !name->empty()) {
    layerName = *name;
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "LAYER%2d", int(layers_.Count()));
    layerName = text;
  }
  Layer* layer = new Layer(width, height, layerName, prototype, false);
  layer->InsertCellAfter(0, 0);
  layers_.Last();
  layers_.InsertAfterCurrent(layer);
  GrowUndoBuffer(layer->CellByteSize());
  MarkChanged(kChangeContent);
  return layer;
}

void Cut::PutLayer(int32_t layerIndex, int32_t x, int32_t y, bool before) {
  Layer* layer = layers_.At(layerIndex);
  Frame* current = CurrentFrameObject();
  if (!layer || !current) return;
  const int32_t index = current->CurrentLayer();
  frames_.ForEach([&](Frame* frame) {
    if (index != -1) {
      if (!frame->SetCurrentLayer(index)) return;
    } else if (frame->EntryCount() > 0) {
      frame->SetCurrentLayer(frame->EntryCount() - 1);
    }
    if (before && index != -1) frame->InsertEntryBefore(layer, 0, x, y);
    else frame->InsertEntryAfter(layer, 0, x, y);
  });
  MarkChanged(kChangeContent);
}

void Cut::PutLayerInFrames(int32_t layerIndex, int32_t x, int32_t y) {
  PutLayer(layerIndex, x, y, false);
}

void Cut::PutLayerInFramesBefore(int32_t layerIndex, int32_t x, int32_t y) {
  PutLayer(layerIndex, x, y, true);
}

bool Cut::RemoveLayer(int32_t layerIndex) {
  Layer* layer = layers_.At(layerIndex);
  if (!layer) return false;
  frames_.ForEach([&](Frame* frame) { frame->RemoveEntriesOf(layer); });
  bool holdsUndo = false;
  layer->Cells().ForEach([&](RasterSurface* cell) { holdsUndo |= cell == undoCell_; });
  if (holdsUndo) DropUndo();
  layers_.GoTo(layerIndex);
  layers_.RemoveCurrent();
  delete layer;
  MarkChanged(kChangeContent);
  return true;
}

int32_t Cut::IndexOfLayer(const Layer* layer) {
  layers_.First();
  return layers_.IndexOf(layer);
}

LayerEntry* Cut::CurrentCellEntry() {
  Frame* frame = CurrentFrameObject();
  LayerEntry* e = frame ? frame->CurrentEntry() : nullptr;
  if (!e || !e->layer || e->cell < 0 || e->cell >= e->layer->CellCount()) return nullptr;
  return e;
}

bool Cut::InsertCellAfterEntry(int fill) {
  LayerEntry* e = CurrentCellEntry();
  if (!e) return false;
  Layer* layer = e->layer;
  const int32_t k = e->cell;
  if (!layer->InsertCellAfter(k, fill)) return false;
  e->cell = k + 1;
  frames_.ForEach([&](Frame* f) { f->ShiftCellIndices(layer, k + 1, +1); });
  if (e->cell != k + 1) --e->cell;
  GrowUndoBuffer(layer->CellByteSize());
  MarkChanged(kChangeContent);
  return true;
}

bool Cut::InsertCellBeforeEntry(int fill) {
  LayerEntry* e = CurrentCellEntry();
  if (!e) return false;
  Layer* layer = e->layer;
  const int32_t k = e->cell;
  if (!layer->InsertCellBefore(k, fill)) return false;
  frames_.ForEach([&](Frame* f) { f->ShiftCellIndices(layer, k, +1); });
  e->cell = k;
  GrowUndoBuffer(layer->CellByteSize());
  MarkChanged(kChangeContent);
  return true;
}

bool Cut::RemoveEntryCell() {
  LayerEntry* e = CurrentCellEntry();
  if (!e || e->layer->CellCount() < 2) return false;
  Layer* layer = e->layer;
  const int32_t k = e->cell;
  RasterSurface* cell = layer->CellAt(k);
  if (cell == undoCell_) DropUndo();
  if (!layer->RemoveCell(k)) return false;
  frames_.ForEach([&](Frame* f) {
    f->ShiftCellIndices(layer, k + 1, -1);
    // Entries that showed a removed last cell move to the new last cell.
    f->ShiftCellIndices(layer, layer->CellCount(), 0);
  });
  MarkChanged(kChangeContent);
  return true;
}

int32_t Cut::EffectiveTime(int32_t frameIndex) {
  Frame* frame = frames_.At(frameIndex);
  if (!frame) return 0;
  const int32_t t = frame->Time();
  if (!frame->IsKeyframe()) return t;
  int64_t m = std::llabs(int64_t(t));
  for (int32_t i = frameIndex + 1; i < frames_.Count(); ++i) {
    Frame* next = frames_.At(i);
    if (next->IsKeyframe()) break;
    m -= std::llabs(int64_t(next->Time()));
  }
  const int32_t magnitude = m >= 1 ? int32_t(m) : 1;
  return t < 0 ? -magnitude : magnitude;
}

void Cut::Clear() {
  DestroyAll();
  credit_.clear();
  path_.clear();
  currentFrame_ = -1;
  DropUndo();
  displayFlags_ &= ~uint32_t(kShowPreviousCell | kShowNextCell | kCurrentCellOnly | kOtherLayersPale);
  stateFlags_ = kStateContentChanged;
}

bool Cut::GrowUndoBuffer(size_t bytes) {
  if (bytes <= undoBuffer_.size()) return true;
  try {
    undoBuffer_.resize(bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
