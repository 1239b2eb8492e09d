#pragma once

// The region-select tool, the paste buffer shared by every cut window, and the commands that
// move pixels through it: copy, cut and paste.

#include <cstdint>
#include <memory>
#include <optional>

#include "edit/cut_view.h"
#include "model/cell_surface.h"

// The last copied region, the view it came from and its canvas position at the copy.
struct PasteBuffer {
  std::unique_ptr<CellSurface> pixels;
  const CutView* source = nullptr;
  Point canvas;
  bool Empty() const { return !pixels || pixels->Width() < 1 || pixels->Height() < 1; }
};

struct RegionSelectState {
  enum Mode { kIdle = 0, kNew = 1, kMoving = 2, kResizeX = 3, kResizeY = 4, kMoved = -2 };
  int mode = kIdle;
  Point anchor;      // cell
  Point lastWindow;  // the snapped mouse
  Point moveEnd;     // cell: where the last move was dropped
  const CutView* movedIn = nullptr;
  bool undoFirst = false;  // the drop first takes back the last move or the floating paste
};

// The selection in cell coordinates (corners snapped), or nothing without one.
std::optional<Rect> SelectedCells(CutView& view);
// Drops the selection and its outline.
void ClearSelection(CutView& view);
// Makes `window` the selection and shows its outline.
void SetSelection(CutView& view, Rect window, bool floating);

void RegionSelectTool(const ToolEvent& event, CutView& view, RegionSelectState& state,
                      const PasteBuffer& paste);

// What cut and paste do to a cell, for these commands and the editing scripts alike. Each
// takes the undo snapshot first (false without it: nothing changes) and marks the content
// changed. Cut: the pixels of `r` (clipped to the cell) that the mask does not protect become
// transparent. Paste: `pixels` drawn with its corner at `at`, its transparent pixels skipped.
bool ClearRegion(Cut& cut, RasterSurface& cell, Rect r, ProtectMask mask);
bool PasteRegion(Cut& cut, RasterSurface& cell, const RasterSurface& pixels, Point at,
                 ProtectMask mask);

// Copy and cut take the selection clipped to the cell; false (nothing changed) without one,
// or when the memory for the copy cannot be had.
bool CopySelection(CutView& view, PasteBuffer& paste);
bool CutSelection(CutView& view, PasteBuffer& paste);
// Draws the buffer into the current cell — where it was copied from when it came from this
// view, else at the cell's top-left corner — and leaves it selected, floating, with the
// region-select tool current.
bool PasteInto(CutView& view, PasteBuffer& paste, RegionSelectState& state);
