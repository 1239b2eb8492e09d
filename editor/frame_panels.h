#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "editor/command_table.h"
#include "editor/modal_dialog.h"

class Cut;
class CutWindow;

// The panels of the active cut's current frame, at the top of the frame's left pane and under
// the cut windows: the keyframe button, the time, loop and brightness fields, the layer list
// and the comment field. They are filled from the frame (refresh) and their edits written
// back into it (commit); the frame and layer commands go through them, and Enter and Tab
// move the focus around them.
class FramePanels {
 public:
  // The frame's child windows the panels work; the cut view and the cut list are stops of
  // the focus cycle too.
  struct Controls {
    HWND frameTime = nullptr;
    HWND loop = nullptr;
    HWND brightness = nullptr;
    HWND comment = nullptr;
    HWND layerList = nullptr;
    HWND keyframe = nullptr;
    HWND cutList = nullptr;
  };

  FramePanels() = default;
  FramePanels(const FramePanels&) = delete;
  FramePanels& operator=(const FramePanels&) = delete;

  // After the frame made its windows: the controls, the MDI client of the cut windows, and
  // where the dialogs appear.
  void Attach(const Controls& controls, HWND mdiClient, const DialogOwner& owner);

  // Refresh fills the panels from the cut's current frame (no cut: empties them); commit
  // stores their edits into the frame of the cut they were filled from; update layer row
  // rewrites the current layer's row after a cell command.
  void Refresh(CutWindow* window);
  void Commit(CutWindow* window);
  void UpdateLayerRow(CutWindow& window);

  // The add layer command on the active cut window, as a new cut takes its first layer.
  void AddLayer();
  // Opens a layer file into the cut; false when it cannot be read.
  bool OpenLayerFile(CutWindow& window, const std::string& path);

  // The panels' commands and their controls' notifications; false for ids they do not know.
  bool RunCommand(int id, int code);

 private:
  CutWindow* ActiveWindow() const;
  void FillLayerRows(Cut& cut);
  void Clear();

  // The table, the controls' notifications and the focus cycle
  // (editor/frame_panels_commands.cpp).
  static const Command<FramePanels> kCommands[];
  // A number field: its help, and all its text selected as it takes the focus.
  void OnNumberField(HWND field, int id, int code);
  void OnTimeField(int code);
  void OnComment(int code);
  void OnKeyframe(int code);
  void OnLayerList(int code);
  void OnFocusCycle(bool forward);

  // Frame commands (editor/frame_commands.cpp).
  // Commit, then `step`; when the cut moved or changed, redraw and refresh.
  void StepFrame(bool (*step)(Cut& cut));
  void OnAllKeyframes();
  void OnAddFrames(bool remove);
  // A run over the frames up to the end frame the dialog asks for.
  void OnRun(int dialogId, bool commitFirst, bool (*run)(Cut& cut, int32_t endFrame));
  void OnFrameSize();

  // Layer commands (editor/layer_commands.cpp).
  void OnAddLayer(bool insert);
  void OnDeleteLayer();
  void OnMoveLayer(bool up);
  void OnLayerProperties();
  void OnSaveLayer();
  void OnOpenLayer(bool overwrite);

  Controls controls_;
  HWND mdiClient_ = nullptr;
  DialogOwner owner_;
  // The cut window the panels were last filled from.
  HWND filledFrom_ = nullptr;
  // The comment field's own input-method state, swapped in while it has the focus.
  bool commentImeOpen_ = false;
};
