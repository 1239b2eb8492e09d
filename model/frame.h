#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/cursor_list.h"
#include "model/layer_entry.h"

class Layer;
class RasterSurface;

// A cell resolved for drawing: the surface and its top-left corner on the canvas.
struct ResolvedEntry {
  RasterSurface* cell;
  int32_t x;
  int32_t y;
};

// One frame of a cut: the list of layer entries (the first is drawn first, at the bottom)
// with timing, loop, brightness, keyframe mark, comment and camera position. An entry
// index of -1 designates the current entry.
class Frame {
 public:
  Frame(int32_t canvasWidth, int32_t canvasHeight);
  ~Frame();
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  CursorList<LayerEntry>& Entries() { return entries_; }
  int32_t EntryCount() const { return entries_.Count(); }
  LayerEntry* EntryAt(int32_t index);
  LayerEntry* CurrentEntry() { return EntryAt(-1); }
  int32_t CurrentLayer() const { return currentLayer_; }
  bool SetCurrentLayer(int32_t index);

  void InsertEntryAfter(Layer* layer, int32_t cell, int32_t x, int32_t y);
  void InsertEntryBefore(Layer* layer, int32_t cell, int32_t x, int32_t y);
  void RemoveEntriesOf(const Layer* layer);
  bool MoveEntryUp(int32_t index);
  bool MoveEntryDown(int32_t index);

  std::optional<ResolvedEntry> ResolveEntry(int32_t index);
  RasterSurface* PrevCellOf(int32_t index);
  RasterSurface* NextCellOf(int32_t index);
  void ShiftCellIndices(const Layer* layer, int32_t fromCell, int32_t delta);

  // Cell stepping on the current entry.
  bool NextCell();
  bool PrevCell();
  bool ToggleEmpty();
  bool InsertCellAfterEntry(int fill);
  bool InsertCellBeforeEntry(int fill);
  bool RemoveEntryCell();

  bool OffsetEntry(int32_t index, int32_t dx, int32_t dy);
  bool CopyEntryPosition(Frame& other, int32_t index);
  std::optional<std::pair<int32_t, int32_t>> EntryCanvasPosition(int32_t index);
  bool SetEntryCanvasPosition(int32_t index, int32_t x, int32_t y);

  bool SameImageAs(Frame& other);
  void CopyFrom(Frame& other);
  void ClearEntries();

  int32_t Time() const { return time_; }
  void SetTime(int32_t time) { time_ = time; }
  int32_t Loop() const { return loop_; }
  void SetLoop(int32_t loop) { loop_ = loop; }
  int32_t X() const { return x_; }
  int32_t Y() const { return y_; }
  void SetPosition(int32_t x, int32_t y) { x_ = x, y_ = y; }
  int32_t CanvasWidth() const { return canvasWidth_; }
  int32_t CanvasHeight() const { return canvasHeight_; }
  void SetCanvasSize(int32_t w, int32_t h) { canvasWidth_ = w, canvasHeight_ = h; }

  // Brightness b (0..100) and the keyframe mark share one word: b, or ~b for a keyframe.
  int32_t ToneKey() const { return toneKey_; }
  void SetToneKey(int32_t toneKey) { toneKey_ = toneKey; }
  int32_t Brightness() const { return toneKey_ < 0 ? ~toneKey_ : toneKey_; }
  bool IsKeyframe() const { return toneKey_ < 0; }
  void SetKeyframe(bool keyframe) {
    const int32_t b = Brightness();
    toneKey_ = keyframe ? ~b : b;
  }
  void SetBrightness(int32_t b) { toneKey_ = IsKeyframe() ? ~b : b; }

  const std::string& Comment() const { return comment_; }
  void SetComment(std::string comment) { comment_ = std::move(comment); }

 private:
  int32_t ResolveIndex(int32_t index) const { return index == -1 ? currentLayer_ : index; }
  void DestroyEntries();

  CursorList<LayerEntry> entries_;
  int32_t time_ = 1;
  int32_t loop_ = 1;
  int32_t currentLayer_ = -1;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t canvasWidth_;
  int32_t canvasHeight_;
  int32_t toneKey_ = 50;
  std::string comment_;
};
