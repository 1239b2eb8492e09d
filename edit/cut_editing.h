#pragma once

// Editing commands on a cut: whole-cell operations, empty cells, keyframes, frame and layer
// commands and the continuous changes. The current cell is the one the current frame's
// current entry shows; a command on it refuses (false, nothing changed) when there is none.
// A selection, when given, limits a cell command to that rectangle (cell coordinates).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "model/pixel_class.h"
#include "model/rect.h"

class Cut;
class Frame;
class Layer;
class RasterSurface;

// Cell commands; each records the undo snapshot first.
bool ClearCell(Cut& cut, const Rect* selection);
// `bounds` receives the rectangle flipped.
bool FlipCell(Cut& cut, const Rect* selection, bool horizontal, ProtectMask mask, Rect* bounds);
// Old underdrawing is erased first, then drawing colours become underdrawing and white
// disappears.
bool ConvertCellToUnderdrawing(Cut& cut, const Rect* selection, ProtectMask mask);
bool EraseCellUnderdrawing(Cut& cut, const Rect* selection);
// Every cell of the current entry's layer, last cell first; no undo snapshot.
bool EraseLayerUnderdrawing(Cut& cut);
// Draws the current cell onto the cell of the entry below it (transparent, with the
// brightness modifiers), with `mask` protecting the target; no undo snapshot.
bool CopyToLayerBelow(Cut& cut, ProtectMask mask);

// Empty cells: the current entry (k ↔ ~k), or the entry at the current entry index in
// every frame.
bool ToggleEmptyCell(Cut& cut);
bool ToggleEmptyAllFrames(Cut& cut);

// Keyframes and frame properties (timing changes only).
void MakeAllKeyframes(Cut& cut);
struct FrameProperties {
  int32_t time = 1;
  int32_t loop = 1;
  bool keyframe = false;
  int32_t brightness = 50;
  std::string comment;
};
FrameProperties PropertiesOf(const Frame& frame);
// Stored only when something differs; false when nothing did.
bool ApplyFrameProperties(Cut& cut, const FrameProperties& properties);
bool SetFramePosition(Cut& cut, int32_t x, int32_t y);
bool SetLayerPosition(Cut& cut, int32_t x, int32_t y);

// Frames. A frame added after a keyframe of time t >= 2 gets time t / 2.
bool AddFrameCopy(Cut& cut);
bool InsertFrameCopy(Cut& cut);
bool RemoveCurrentFrame(Cut& cut);
// How many of the repetitions were done.
int32_t AddFrames(Cut& cut, int32_t count);
int32_t RemoveFrames(Cut& cut, int32_t count);

// Cell stepping on the current entry, with renumbering of every frame's entries.
enum class CellStep { kNext, kPrevious, kFirst, kLast };
bool StepCell(Cut& cut, CellStep step);
bool AddCellAfter(Cut& cut);
bool InsertCellBefore(Cut& cut);
bool RemoveCell(Cut& cut);

// Layers. A new layer goes into every frame after (or, `before`, at) the current entry, at
// `at` or centred on the canvas. Null for a size below 1.
Layer* AddLayerToFrames(Cut& cut, const std::optional<std::string>& name, int32_t width,
                        int32_t height, std::optional<std::pair<int32_t, int32_t>> at,
                        const RasterSurface* prototype, bool before);
struct LayerProperties {
  std::optional<std::string> name;
  int32_t width = 0;
  int32_t height = 0;
  bool followFrame = false;
};
// On the current entry's layer; a new size keeps every cell's top-left content.
bool ApplyLayerProperties(Cut& cut, const LayerProperties& properties);
// From the current frame on, the entry at the current index moves one place up (drawn
// later) or down wherever it shows the same layer.
bool MoveLayerUp(Cut& cut);
bool MoveLayerDown(Cut& cut);
bool RemoveCurrentLayer(Cut& cut);
// How many layers no frame refers to were removed.
int32_t RemoveUnusedLayers(Cut& cut);

// Continuous changes from the current frame to frame `endFrame` (an index): brightness and
// the layer position of the current entry index accumulate by the frames' timing, the frame
// position is interpolated. Refused for the current frame itself, a missing end frame, or a
// run whose times sum to 0; false also when the run reaches past the last frame (what was
// changed so far is kept).
bool BrightnessRun(Cut& cut, int32_t endFrame);
bool FramePositionRun(Cut& cut, int32_t endFrame);
bool LayerPositionRun(Cut& cut, int32_t endFrame);
