// The frame commands of the panels: moving to another frame, adding and removing frames,
// keyframes, the runs over frames and the camera size. Those that change the current frame
// store the panels first and fill them again after.
#include "edit/cut_editing.h"
#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/frame_panels.h"
#include "editor/resource.h"
#include "model/cut.h"

void FramePanels::StepFrame(bool (*step)(Cut& cut)) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Commit(cut);
  if (!step(cut->TheCut())) return;
  cut->FullRepaint();
  Refresh(cut);
}

void FramePanels::OnAllKeyframes() {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  MakeAllKeyframes(cut->TheCut());
  Refresh(cut);
}

void FramePanels::OnAddFrames(bool remove) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Commit(cut);
  NumberDialog dialog(owner_.statusBar, IDD_FRAME_COUNT, 1);
  if (!dialog.Run(owner_.instance, owner_.window) || dialog.value < 1) return;
  const int32_t done =
      remove ? RemoveFrames(cut->TheCut(), dialog.value) : AddFrames(cut->TheCut(), dialog.value);
  if (done == 0) return;
  cut->FullRepaint();
  Refresh(cut);
}

void FramePanels::OnRun(int dialogId, bool commitFirst, bool (*run)(Cut& cut, int32_t endFrame)) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  if (commitFirst) Commit(cut);
  EndFrameDialog dialog(owner_.statusBar, dialogId, c.FrameCount());
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  if (!commitFirst) Commit(cut);
  if (!run(c, dialog.endFrame - 1)) return;
  cut->FullRepaint();
  Refresh(cut);
}

void FramePanels::OnFrameSize() {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  SizeDialog dialog(owner_.statusBar, IDD_FRAME_SIZE);
  dialog.width = c.FrameWidth();
  dialog.height = c.FrameHeight();
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  if (dialog.width == c.FrameWidth() && dialog.height == c.FrameHeight()) return;
  c.SetFrameSize(dialog.width, dialog.height);
  c.MarkChanged(kChangeContent);
}
