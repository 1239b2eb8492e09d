#pragma once

#include <optional>

#include "model/frame.h"

class Cut;
class RasterSurface;

// The cell shown by the current frame's current entry with its canvas position, or nothing
// when the entry is missing or empty.
std::optional<ResolvedEntry> CurrentCell(Cut& cut);

// One-step undo. SaveUndo copies every pixel byte of the current cell (padding included)
// into the cut's undo buffer; false, refusing the edit, when there is no current cell or no
// memory for the copy.
bool SaveUndo(Cut& cut);
// Exchanges the snapshotted cell's bytes with the buffer, so a second undo redoes; false
// when nothing is snapshotted.
bool Undo(Cut& cut);
