#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

class AnimationPreview;
class Cut;
class CutWindow;

// What a cut window asks of the frame that holds it, and what it tells it. The frame fills
// these in before it opens the first cut window; every cut window keeps a reference to them
// for its whole life.
struct CutWindowHost {
  HWND frame = nullptr;      // owns the dialogs; the keyboard shortcuts' commands go to it
  HWND mdiClient = nullptr;  // where the cut windows live
  AnimationPreview* preview = nullptr;

  // The panels of the current frame: store their edits into the window's current frame, fill
  // them from it, rewrite the current layer's row after a cell command.
  std::function<void(CutWindow&)> commitPanels;
  std::function<void(CutWindow&)> refreshPanels;
  std::function<void(CutWindow&)> updateLayerRow;
  // The window became the active one: its row in the cut list and the panels follow it.
  std::function<void(CutWindow&)> activated;
  // Whether the window may close: a changed cut was saved, or the user lets it go.
  std::function<bool(CutWindow&)> confirmClose;
  // The cut leaves the film's rows; the window is gone.
  std::function<void(const Cut&)> leaveFilm;
  std::function<void(const Cut&)> closed;
  // The tools: the current and the previous one, a change of tool, the tool menu at the cursor.
  std::function<uint32_t()> currentTool;
  std::function<uint32_t()> previousTool;
  std::function<void(uint32_t)> selectTool;
  std::function<void()> popUpToolMenu;
  // The frame's panels and bars hidden or shown again.
  std::function<void()> togglePanels;
  // A cut, layer or film file dropped on the window, opened by its extension.
  std::function<bool(const std::string&)> openFile;
};
