#pragma once

// The frame's commands that ask for the drawing settings every cut window shares (the snap
// grid, the protect mask, the text font, the clipboard's transparent colour), and those that
// ask for their values before they draw into the active cut (random dots, a grid of lines).
// A cancelled dialog changes nothing.

#include "editor/modal_dialog.h"

class CutWindow;

void AskSnapGrid(const DialogOwner& owner);
void AskProtectMask(const DialogOwner& owner);
void AskTextFont(const DialogOwner& owner);
// Switches the transparent colour off, or asks for it and switches it on.
void AskClipboardColor(const DialogOwner& owner);
// The spacing is remembered for the next time; the grid starts at the snap grid's size.
void AskRandomDots(CutWindow* window, const DialogOwner& owner);
void AskGridLines(CutWindow* window, const DialogOwner& owner);
