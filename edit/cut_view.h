#pragma once

// What a tool sees of the cut window it works in, and what the tools share: the mouse
// message, the conversions from window to cell coordinates, the inverted feedback on the
// window, and the repaint of what a step changed. The editor's cut window implements the
// view with Win32; the tests implement it in memory.

#include <cstdint>
#include <optional>
#include <string>

#include "edit/drawing_settings.h"
#include "edit/text_writer.h"
#include "edit/view_geometry.h"
#include "model/pixel_class.h"
#include "model/rect.h"

class Cut;
class FrameSurface;
class RasterSurface;

enum class ToolMessage {
  kMove,
  kLeftDown,
  kLeftUp,
  kLeftDoubleClick,
  kRightDown,
  kRightUp,
  kRightDoubleClick,
  kCancel,  // drop the feedback on the window
};

// Key flags of a mouse message (the MK_ values).
inline constexpr uint32_t kKeyLeftButton = 0x01;
inline constexpr uint32_t kKeyShift = 0x04;
inline constexpr uint32_t kKeyControl = 0x08;

struct ToolEvent {
  ToolMessage message = ToolMessage::kMove;
  uint32_t keys = 0;
  Point window;  // client pixels
  bool Control() const { return (keys & kKeyControl) != 0; }
};

// The region of the cell the region-select tool marked, in window coordinates, and whether
// it holds a paste that can still be dragged elsewhere.
struct Selection {
  Rect window;
  bool floating = false;
  bool Exists() const { return !window.IsEmpty(); }
};

class CutView : public TextWriter {
 public:
  virtual ~CutView() = default;

  virtual Cut& TheCut() = 0;
  virtual const ViewGeometry& Geometry() const = 0;
  // The canvas-sized image the current frame is composed into.
  virtual FrameSurface& Display() = 0;
  // What the current editing step changed, in cell coordinates.
  virtual Rect& StrokeBounds() = 0;
  virtual Selection& TheSelection() = 0;

  // The program-wide settings.
  virtual DrawingSettings& Drawing() = 0;
  virtual ProtectMask Mask() const = 0;
  virtual SnapGrid Grid() const = 0;

  // Composes the canvas rectangle again and copies it to the window; a copy to the window
  // removes the selection.
  virtual void Repaint(Rect canvas) = 0;
  virtual void RepaintAll() = 0;
  // Inverting feedback: drawn a second time, it is gone.
  virtual void InvertLine(Point windowFrom, Point windowTo) = 0;
  virtual void InvertFrame(Rect window) = 0;
  // The pen stamped into the displayed image (not the cell) around a canvas point; the
  // previous square is restored first.
  virtual void MovePenCursor(Point canvas) = 0;
  virtual void HidePenCursor() = 0;
  virtual void Capture(bool on) = 0;
  virtual void OpenPenChooser(Point window) = 0;
  virtual void ShowWaitCursor(bool on) = 0;
  virtual void ZoomAt(Point window, bool zoomIn) = 0;
  virtual void SelectTool(uint32_t tool) = 0;

  // The text dialog; false when cancelled. The text is written through the TextWriter.
  virtual bool AskText(std::string& text) = 0;
};

// The current cell and where its top-left corner lies on the canvas.
struct ToolTarget {
  RasterSurface* cell;
  Point offset;
};
std::optional<ToolTarget> TargetOf(CutView& view);

// Window → canvas (with `grid`) → cell, and back to the window position of a cell pixel.
Point CellAt(const CutView& view, Point window, Point offset, SnapGrid grid);
Point CellAt(const CutView& view, Point window, Point offset);
Point WindowOf(const CutView& view, Point cell, Point offset);
// A cell rectangle's window rectangle (both corners converted).
Rect WindowRectOf(const CutView& view, Rect cell, Point offset);
// The cell rectangle of a window rectangle (both corners snapped with the grid).
Rect CellRectOf(const CutView& view, Rect window, Point offset);

// The rectangle a stroke segment touches with the pen margin: (min − 4, |d| + 9).
Rect SegmentBounds(Point a, Point b);
// Repaints a cell rectangle of the current entry.
void RepaintCells(CutView& view, Rect cells, Point offset);
// Grows the stroke bounds by `cells` and repaints it.
void AddToStroke(CutView& view, Rect cells, Point offset);
// Makes `cells` the stroke bounds and repaints it.
void SetStroke(CutView& view, Rect cells, Point offset);

// An inverted line on the window.
class RubberLine {
 public:
  void Show(CutView& view, Point from, Point to);
  void Hide(CutView& view);
  bool Shown() const { return shown_; }

 private:
  bool shown_ = false;
  Point from_, to_;
};

// An inverted rectangular outline on the window.
class Outline {
 public:
  void Show(CutView& view, Rect window);
  void Hide(CutView& view);
  bool Shown() const { return shown_; }
  const Rect& Where() const { return rect_; }

 private:
  bool shown_ = false;
  Rect rect_;
};

// A rectangle dragged from a start point with its outline (the rectangle and border tools).
struct DragRectState {
  bool active = false;
  Point start;  // cell
  Outline outline;
};

// The release that ends a rectangle drag: the current cell and the rectangle start → mouse.
struct DragRelease {
  ToolTarget target;
  Rect cells;
};

// Everything of a rectangle drag but the release's work: a cancel drops the outline and the
// drag; a press starts it; a move shows the outline while the mouse is right of and below the
// start; a right click when idle opens the pen chooser. A left release while dragging ends
// the drag (the outline removed) and is returned, unless `onlyBeyondStart` and the mouse is
// left of or above the start: then the drag goes on.
std::optional<DragRelease> DragRectangle(const ToolEvent& event, CutView& view,
                                         DragRectState& state, bool onlyBeyondStart);
