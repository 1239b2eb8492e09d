#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/cursor_list.h"
#include "model/cut_flags.h"
#include "model/frame.h"
#include "model/layer.h"

// One scene: layers of cells that belong to the cut, and frames that show them.
class Cut {
 public:
  Cut(int32_t canvasWidth, int32_t canvasHeight, int32_t fps, std::string credit,
      AntiAlias antiAlias);
  ~Cut();
  Cut(const Cut&) = delete;
  Cut& operator=(const Cut&) = delete;

  // Exchanges the whole document with another cut.
  void Swap(Cut& other);

  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }
  CursorList<Frame>& Frames() { return frames_; }
  CursorList<Layer>& Layers() { return layers_; }
  int32_t FrameCount() const { return frames_.Count(); }
  int32_t LayerCount() const { return layers_.Count(); }
  Frame* FrameAt(int32_t index) { return frames_.At(index); }
  Layer* LayerAt(int32_t index) { return layers_.At(index); }

  int32_t CanvasWidth() const { return canvasWidth_; }
  int32_t CanvasHeight() const { return canvasHeight_; }
  void SetCanvasSize(int32_t w, int32_t h) { canvasWidth_ = w, canvasHeight_ = h; }
  int32_t FrameWidth() const { return frameWidth_; }
  int32_t FrameHeight() const { return frameHeight_; }
  void SetFrameSize(int32_t w, int32_t h) { frameWidth_ = w, frameHeight_ = h; }
  int32_t Fps() const { return fps_; }
  void SetFps(int32_t fps) { fps_ = fps; }
  const std::string& Credit() const { return credit_; }
  void SetCredit(std::string credit) { credit_ = std::move(credit); }

  uint32_t StateFlags() const { return stateFlags_; }
  void SetStateFlags(uint32_t flags) { stateFlags_ = flags; }
  void MarkChanged(uint32_t bits) { stateFlags_ |= bits; }
  AntiAlias GetAntiAlias() const;
  void SetAntiAlias(AntiAlias a);
  uint32_t DisplayFlags() const { return displayFlags_; }
  void SetDisplayFlags(uint32_t flags) { displayFlags_ = flags; }

  int32_t CurrentFrame() const { return currentFrame_; }
  Frame* CurrentFrameObject();

  Frame* AddFrame();
  bool InsertFrame();
  bool RemoveFrame();

  bool GoFirstFrame();
  bool GoLastFrame();
  bool GoNextFrame();
  bool GoPrevFrame();
  bool GoNextKeyframe();
  bool GoPrevKeyframe();
  // Moves to frame `index` carrying the current entry index along.
  bool GoFrame(int32_t index);

  Layer* AddLayer(const std::optional<std::string>& name, int32_t width, int32_t height,
                  const RasterSurface* prototype);
  void PutLayerInFrames(int32_t layerIndex, int32_t x, int32_t y);
  void PutLayerInFramesBefore(int32_t layerIndex, int32_t x, int32_t y);
  bool RemoveLayer(int32_t layerIndex);
  int32_t IndexOfLayer(const Layer* layer);

  // Cell insert and removal on the current entry, renumbering every frame's entries.
  bool InsertCellAfterEntry(int fill);
  bool InsertCellBeforeEntry(int fill);
  bool RemoveEntryCell();

  int32_t EffectiveTime(int32_t frameIndex);

  void Clear();

  // One-step undo state.
  RasterSurface* UndoCell() const { return undoCell_; }
  void SetUndoCell(RasterSurface* cell) { undoCell_ = cell; }
  std::vector<uint8_t>& UndoBuffer() { return undoBuffer_; }
  void DropUndo() { undoCell_ = nullptr; }
  // The undo buffer never shrinks. False, the buffer as it was, when the memory cannot be
  // had: the next SaveUndo asks again and refuses its edit.
  bool GrowUndoBuffer(size_t bytes);

 private:
  bool MoveTo(int32_t index);
  void PutLayer(int32_t layerIndex, int32_t x, int32_t y, bool before);
  LayerEntry* CurrentCellEntry();
  void DestroyAll();

  std::string path_;
  CursorList<Frame> frames_;
  CursorList<Layer> layers_;
  int32_t canvasWidth_;
  int32_t canvasHeight_;
  int32_t frameWidth_;
  int32_t frameHeight_;
  int32_t fps_;
  std::string credit_;
  int32_t currentFrame_ = -1;
  RasterSurface* undoCell_ = nullptr;
  std::vector<uint8_t> undoBuffer_;
  uint32_t displayFlags_ = 0;
  uint32_t stateFlags_ = kStateContentChanged;
};
