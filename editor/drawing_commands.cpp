#include "editor/drawing_commands.h"

#include <commdlg.h>
#include <windows.h>

#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/editor_settings_file.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "model/pixel_class.h"

void AskSnapGrid(const DialogOwner& owner) {
  SizeDialog dialog(owner.statusBar, IDD_GRID);
  dialog.width = Program().gridWidth;
  dialog.height = Program().gridHeight;
  if (!dialog.Run(owner.instance, owner.window)) return;
  Program().gridWidth = dialog.width;
  Program().gridHeight = dialog.height;
}

void AskProtectMask(const DialogOwner& owner) {
  MaskDialog dialog(owner.statusBar);
  dialog.mask = Program().protectMask;
  if (dialog.Run(owner.instance, owner.window)) Program().protectMask = dialog.mask;
}

void AskTextFont(const DialogOwner& owner) {
  const TextFont& font = Program().font;
  FontDialog dialog(owner.statusBar);
  dialog.face = font.face;
  dialog.size = font.size;
  dialog.lineSpacing = font.lineSpacing;
  dialog.weight = font.weight;
  if (dialog.Run(owner.instance, owner.window))
    SetTextFont(dialog.face, dialog.size, dialog.lineSpacing, dialog.weight);
}

void AskClipboardColor(const DialogOwner& owner) {
  ProgramState& p = Program();
  if (p.clipTransparent) {
    p.clipTransparent = false;
    WriteClipboardFlag(false);
    return;
  }
  COLORREF custom[16] = {};
  CHOOSECOLORW choose = {};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner.window;
  choose.rgbResult = RGB(RedOf(p.clipColor), GreenOf(p.clipColor), BlueOf(p.clipColor));
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT;
  if (!ChooseColorW(&choose)) return;
  p.clipColor = PackColor(GetRValue(choose.rgbResult), GetGValue(choose.rgbResult),
                          GetBValue(choose.rgbResult));
  p.clipTransparent = true;
  WriteClipboardColor(p.clipColor);
  WriteClipboardFlag(true);
}

void AskRandomDots(CutWindow* window, const DialogOwner& owner) {
  if (!window) return;
  static int32_t spacing = 100;
  NumberDialog dialog(owner.statusBar, IDD_RANDOM_DOTS, spacing);
  if (!dialog.Run(owner.instance, owner.window) || dialog.value < 1) return;
  spacing = dialog.value;
  window->DrawRandomDots(spacing);
}

void AskGridLines(CutWindow* window, const DialogOwner& owner) {
  if (!window) return;
  SizeDialog dialog(owner.statusBar, IDD_GRID);
  dialog.width = Program().gridWidth;
  dialog.height = Program().gridHeight;
  if (dialog.Run(owner.instance, owner.window)) window->DrawGrid(dialog.width, dialog.height);
}
