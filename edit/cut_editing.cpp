#include "edit/cut_editing.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/effects.h"

namespace {

// The selection, or the whole cell.
Rect AreaOf(const RasterSurface& cell, const Rect* selection) {
  return selection && !selection->IsEmpty() ? *selection
                                            : Rect{0, 0, cell.Width(), cell.Height()};
}

LayerEntry* CurrentEntry(Cut& cut) {
  Frame* frame = cut.CurrentFrameObject();
  return frame ? frame->CurrentEntry() : nullptr;
}

}  // namespace

bool ClearCell(Cut& cut, const Rect* selection) {
  const auto current = CurrentCell(cut);
  if (!current || !SaveUndo(cut)) return false;
  FillRectangle(*current->cell, AreaOf(*current->cell, selection), kPixelTransparent);
  return true;
}

bool FlipCell(Cut& cut, const Rect* selection, bool horizontal, ProtectMask mask, Rect* bounds) {
  const auto current = CurrentCell(cut);
  if (!current || !SaveUndo(cut)) return false;
  const Rect area = AreaOf(*current->cell, selection);
  if (bounds) *bounds = area;
  FlipRect(*current->cell, area, horizontal, mask);
  return true;
}

bool ConvertCellToUnderdrawing(Cut& cut, const Rect* selection, ProtectMask mask) {
  const auto current = CurrentCell(cut);
  if (!current || !SaveUndo(cut)) return false;
  const Rect area = AreaOf(*current->cell, selection);
  EraseUnderdrawingRect(*current->cell, area, kPixelTransparent);
  current->cell->ToUnderdrawing(area.x, area.y, area.width, area.height, kPixelTransparent,
                                mask);
  return true;
}

bool EraseCellUnderdrawing(Cut& cut, const Rect* selection) {
  const auto current = CurrentCell(cut);
  if (!current || !SaveUndo(cut)) return false;
  EraseUnderdrawingRect(*current->cell, AreaOf(*current->cell, selection), kPixelTransparent);
  return true;
}

bool EraseLayerUnderdrawing(Cut& cut) {
  LayerEntry* entry = CurrentEntry(cut);
  if (!entry || !entry->layer) return false;
  Layer* layer = entry->layer;
  for (int32_t i = layer->CellCount() - 1; i >= 0; --i) {
    RasterSurface* cell = layer->CellAt(i);
    EraseUnderdrawingRect(*cell, Rect{0, 0, cell->Width(), cell->Height()}, kPixelTransparent);
  }
  cut.MarkChanged(kChangeContent);
  return true;
}

bool CopyToLayerBelow(Cut& cut, ProtectMask mask) {
  Frame* frame = cut.CurrentFrameObject();
  if (!frame || frame->CurrentLayer() < 1) return false;
  const int32_t index = frame->CurrentLayer();
  const auto upper = frame->ResolveEntry(index);
  const auto lower = frame->ResolveEntry(index - 1);
  if (!upper || !lower) return false;
  // Canvas positions, so layers that follow the frame land where they are seen.
  lower->cell->Blit(upper->x - lower->x, upper->y - lower->y, *upper->cell, 0, 0,
                    upper->cell->Width(), upper->cell->Height(), kBlitTransparent, mask, 0,
                    nullptr);
  cut.MarkChanged(kChangeContent);
  return true;
}

bool ToggleEmptyCell(Cut& cut) {
  Frame* frame = cut.CurrentFrameObject();
  if (!frame || !frame->ToggleEmpty()) return false;
  cut.MarkChanged(kChangeContent);
  return true;
}

bool ToggleEmptyAllFrames(Cut& cut) {
  Frame* current = cut.CurrentFrameObject();
  if (!current || !current->CurrentEntry()) return false;
  const int32_t index = current->CurrentLayer();
  for (int32_t i = 0; i < cut.FrameCount(); ++i) {
    if (LayerEntry* e = cut.FrameAt(i)->EntryAt(index)) e->cell = ~e->cell;
  }
  cut.MarkChanged(kChangeContent);
  return true;
}

void MakeAllKeyframes(Cut& cut) {
  for (int32_t i = 0; i < cut.FrameCount(); ++i) cut.FrameAt(i)->SetKeyframe(true);
  cut.MarkChanged(kChangeTiming);
}

FrameProperties PropertiesOf(const Frame& frame) {
  return FrameProperties{frame.Time(), frame.Loop(), frame.IsKeyframe(), frame.Brightness(),
                         frame.Comment()};
}

bool ApplyFrameProperties(Cut& cut, const FrameProperties& p) {
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return false;
  const FrameProperties old = PropertiesOf(*frame);
  if (old.time == p.time && old.loop == p.loop && old.keyframe == p.keyframe &&
      old.brightness == p.brightness && old.comment == p.comment)
    return false;
  frame->SetComment(p.comment);
  frame->SetTime(p.time);
  frame->SetLoop(p.loop);
  frame->SetKeyframe(p.keyframe);
  frame->SetBrightness(p.brightness);
  cut.MarkChanged(kChangeTiming);
  return true;
}

// Moving the camera changes only the compiled timing records, unless a layer that follows
// the frame moves with it: then the pictures change too.
static uint32_t FrameMoveChange(Cut& cut) {
  for (int32_t i = 0; i < cut.LayerCount(); ++i) {
    if (cut.LayerAt(i)->FollowFrame()) return kChangeContent;
  }
  return kChangeTiming;
}

bool SetFramePosition(Cut& cut, int32_t x, int32_t y) {
  Frame* frame = cut.CurrentFrameObject();
  if (!frame) return false;
  frame->SetPosition(x, y);
  cut.MarkChanged(FrameMoveChange(cut));
  return true;
}

bool SetLayerPosition(Cut& cut, int32_t x, int32_t y) {
  LayerEntry* entry = CurrentEntry(cut);
  if (!entry) return false;
  entry->x = x;
  entry->y = y;
  // A moved layer changes the pictures, not only their timing.
  cut.MarkChanged(kChangeContent);
  return true;
}

bool AddFrameCopy(Cut& cut) {
  Frame* previous = cut.CurrentFrameObject();
  Frame* added = cut.AddFrame();
  if (previous) {
    added->CopyFrom(*previous);
    if (previous->IsKeyframe() && previous->Time() >= 2) added->SetTime(previous->Time() / 2);
  }
  return true;
}

bool InsertFrameCopy(Cut& cut) {
  const bool hadFrame = cut.CurrentFrameObject() != nullptr;
  if (!cut.InsertFrame()) return false;
  Frame* inserted = cut.CurrentFrameObject();
  Frame* following = cut.FrameAt(cut.CurrentFrame() + 1);
  if (hadFrame && inserted && following) inserted->CopyFrom(*following);
  return true;
}

bool RemoveCurrentFrame(Cut& cut) { return cut.RemoveFrame(); }

int32_t AddFrames(Cut& cut, int32_t count) {
  int32_t done = 0;
  while (done < count && AddFrameCopy(cut)) ++done;
  return done;
}

int32_t RemoveFrames(Cut& cut, int32_t count) {
  int32_t done = 0;
  while (done < count && RemoveCurrentFrame(cut)) ++done;
  return done;
}

bool StepCell(Cut& cut, CellStep step) {
  Frame* frame = cut.CurrentFrameObject();
  LayerEntry* e = frame ? frame->CurrentEntry() : nullptr;
  if (!e || !e->layer || e->cell < 0) return false;
  bool moved = false;
  switch (step) {
    case CellStep::kNext: moved = frame->NextCell(); break;
    case CellStep::kPrevious: moved = frame->PrevCell(); break;
    case CellStep::kFirst: moved = true, e->cell = 0; break;
    case CellStep::kLast: moved = true, e->cell = std::max(e->layer->CellCount() - 1, 0); break;
  }
  if (moved) cut.MarkChanged(kChangeContent);
  return moved;
}

bool AddCellAfter(Cut& cut) { return cut.InsertCellAfterEntry(kPixelTransparent); }
bool InsertCellBefore(Cut& cut) { return cut.InsertCellBeforeEntry(kPixelTransparent); }
bool RemoveCell(Cut& cut) { return cut.RemoveEntryCell(); }

Layer* AddLayerToFrames(Cut& cut, const std::optional<std::string>& name, int32_t width,
                        int32_t height, std::optional<std::pair<int32_t, int32_t>> at,
                        const RasterSurface* prototype, bool before) {
  if (width < 1 || height < 1) return nullptr;
  Layer* layer = cut.AddLayer(name, width, height, prototype);
  if (!layer) return nullptr;
  const int32_t x = at ? at->first : (cut.CanvasWidth() - width) / 2;
  const int32_t y = at ? at->second : (cut.CanvasHeight() - height) / 2;
  const int32_t index = cut.LayerCount() - 1;
  if (before) cut.PutLayerInFramesBefore(index, x, y);
  else cut.PutLayerInFrames(index, x, y);
  return layer;
}

bool ApplyLayerProperties(Cut& cut, const LayerProperties& p) {
  LayerEntry* entry = CurrentEntry(cut);
  if (!entry || !entry->layer) return false;
  Layer* layer = entry->layer;
  if (p.width < 1 || p.height < 1) return false;
  if (p.width != layer->Width() || p.height != layer->Height()) {
    // A size the memory cannot hold changes nothing.
    if (!layer->Resize(p.width, p.height)) return false;
    // The snapshot's bytes no longer match the cell's rows after a resize.
    bool holdsUndo = false;
    layer->Cells().ForEach([&](RasterSurface* cell) { holdsUndo |= cell == cut.UndoCell(); });
    if (holdsUndo) cut.DropUndo();
    cut.GrowUndoBuffer(layer->CellByteSize());
  }
  if (layer->Name() != p.name) layer->SetName(p.name);
  layer->SetFollowFrame(p.followFrame);
  cut.MarkChanged(kChangeContent);
  return true;
}

namespace {

bool MoveLayer(Cut& cut, bool up) {
  Frame* current = cut.CurrentFrameObject();
  LayerEntry* entry = current ? current->CurrentEntry() : nullptr;
  if (!entry) return false;
  const int32_t index = current->CurrentLayer();
  if (up ? index >= current->EntryCount() - 1 : index < 1) return false;
  const Layer* layer = entry->layer;
  for (int32_t i = cut.CurrentFrame(); i < cut.FrameCount(); ++i) {
    Frame* frame = cut.FrameAt(i);
    LayerEntry* e = frame->EntryAt(index);
    if (!e || e->layer != layer) continue;
    // Up is later in the drawing order, towards the end of the entry list.
    if (up) frame->MoveEntryDown(index);
    else frame->MoveEntryUp(index);
  }
  cut.MarkChanged(kChangeContent);
  return true;
}

}  // namespace

bool MoveLayerUp(Cut& cut) { return MoveLayer(cut, true); }
bool MoveLayerDown(Cut& cut) { return MoveLayer(cut, false); }

bool RemoveCurrentLayer(Cut& cut) {
  LayerEntry* entry = CurrentEntry(cut);
  if (!entry || !entry->layer) return false;
  const int32_t index = cut.IndexOfLayer(entry->layer);
  return index >= 0 && cut.RemoveLayer(index);
}

int32_t RemoveUnusedLayers(Cut& cut) {
  int32_t removed = 0;
  for (int32_t i = 0; i < cut.LayerCount();) {
    const Layer* layer = cut.LayerAt(i);
    bool used = false;
    cut.Frames().ForEach([&](Frame* f) {
      f->Entries().ForEach([&](LayerEntry* e) { used |= e->layer == layer; });
    });
    if (used) {
      ++i;
    } else {
      cut.RemoveLayer(i);
      ++removed;
    }
  }
  return removed;
}

namespace {

struct RunEnds {
  int32_t lo;
  int32_t hi;
};

std::optional<RunEnds> RunTo(Cut& cut, int32_t endFrame) {
  const int32_t current = cut.CurrentFrame();
  if (endFrame == current) return std::nullopt;
  const RunEnds run{std::min(current, endFrame), std::max(current, endFrame)};
  if (!cut.FrameAt(run.lo) || !cut.FrameAt(run.hi)) return std::nullopt;
  return run;
}

// Spreads v(A) → v(B) over the frames after A by the time each frame is shown: the
// difference is split evenly over the time units, the remainder going to the first units.
// `store` receives each frame index from lo + 1 on with its value.
bool Accumulate(Cut& cut, const RunEnds& run, int64_t from, int64_t to,
                const std::function<void(int32_t, int64_t)>& store) {
  int64_t total = 0;
  for (int32_t i = run.lo; i < run.hi; ++i) total += cut.FrameAt(i)->Time();
  if (total == 0) return false;
  const int64_t d = to - from;
  const int64_t q = d / total, r = std::llabs(d) % total, s = d >= 0 ? 1 : -1;
  int64_t value = from, counter = 0;
  for (int32_t i = run.lo; counter < total; ++i) {
    const int64_t n = std::llabs(int64_t(cut.EffectiveTime(i)));
    value += n * q + s * std::clamp<int64_t>(r - counter, 0, n);
    counter += n;
    if (i + 1 >= cut.FrameCount()) return false;
    store(i + 1, value);
  }
  return true;
}

int32_t ToInt32(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

bool BrightnessRun(Cut& cut, int32_t endFrame) {
  const auto run = RunTo(cut, endFrame);
  if (!run) return false;
  const int32_t from = cut.FrameAt(run->lo)->Brightness(), to = cut.FrameAt(run->hi)->Brightness();
  bool changed = false;
  const bool done = Accumulate(cut, *run, from, to, [&](int32_t i, int64_t v) {
    cut.FrameAt(i)->SetBrightness(int32_t(std::clamp<int64_t>(v, 0, 100)));
    changed = true;
  });
  if (changed) cut.MarkChanged(kChangeTiming);
  return done;
}

bool LayerPositionRun(Cut& cut, int32_t endFrame) {
  Frame* current = cut.CurrentFrameObject();
  if (!current || !current->CurrentEntry()) return false;
  const int32_t index = current->CurrentLayer();
  const auto run = RunTo(cut, endFrame);
  if (!run) return false;
  const LayerEntry* a = cut.FrameAt(run->lo)->EntryAt(index);
  const LayerEntry* b = cut.FrameAt(run->hi)->EntryAt(index);
  if (!a || !b) return false;
  const int32_t ax = a->x, ay = a->y, bx = b->x, by = b->y;
  bool changed = false;
  auto storeX = [&](int32_t i, int64_t v) {
    if (LayerEntry* e = cut.FrameAt(i)->EntryAt(index)) e->x = ToInt32(v), changed = true;
  };
  auto storeY = [&](int32_t i, int64_t v) {
    if (LayerEntry* e = cut.FrameAt(i)->EntryAt(index)) e->y = ToInt32(v), changed = true;
  };
  const bool done = Accumulate(cut, *run, ax, bx, storeX) && Accumulate(cut, *run, ay, by, storeY);
  if (changed) cut.MarkChanged(kChangeContent);
  return done;
}

bool FramePositionRun(Cut& cut, int32_t endFrame) {
  const auto run = RunTo(cut, endFrame);
  if (!run) return false;
  int64_t total = 0;
  for (int32_t i = run->lo; i < run->hi; ++i) total += std::llabs(int64_t(cut.FrameAt(i)->Time()));
  if (total == 0) return false;
  const int64_t ax = cut.FrameAt(run->lo)->X(), ay = cut.FrameAt(run->lo)->Y();
  const int64_t bx = cut.FrameAt(run->hi)->X(), by = cut.FrameAt(run->hi)->Y();
  bool changed = false, done = true;
  int64_t e = 0;
  for (int32_t i = run->lo; e < total; ++i) {
    e += std::llabs(int64_t(cut.EffectiveTime(i)));
    if (i + 1 >= cut.FrameCount()) {
      done = false;
      break;
    }
    cut.FrameAt(i + 1)->SetPosition(ToInt32(((total - e) * ax + e * bx) / total),
                                    ToInt32(((total - e) * ay + e * by) / total));
    changed = true;
  }
  if (changed) cut.MarkChanged(FrameMoveChange(cut));
  return done;
}
