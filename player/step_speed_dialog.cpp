#include "player/step_speed_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "player/player_settings.h"
#include "player/resource.h"

namespace {

// Centres the dialog over its owner.
void CentreOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) return;
  RECT o, d;
  GetWindowRect(owner, &o);
  GetWindowRect(dialog, &d);
  const int w = d.right - d.left, h = d.bottom - d.top;
  SetWindowPos(dialog, nullptr, o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool StepSpeedDialog::Run(HINSTANCE instance, HWND owner) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STEP_SPEED), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == IDOK;
}

void StepSpeedDialog::Load(HWND dialog) {
  HWND spin = GetDlgItem(dialog, IDC_STEP_SPEED_SPIN);
  SendMessageW(spin, UDM_SETRANGE32, PlayerSettings::kMinSlow, PlayerSettings::kMaxSlow);
  SendMessageW(spin, UDM_SETPOS32, 0, slow_);
}

void StepSpeedDialog::Store(HWND dialog) {
  BOOL failed = FALSE;
  const int pos = int(SendDlgItemMessageW(dialog, IDC_STEP_SPEED_SPIN, UDM_GETPOS32, 0,
                                          reinterpret_cast<LPARAM>(&failed)));
  slow_ = std::clamp(pos, PlayerSettings::kMinSlow, PlayerSettings::kMaxSlow);
}

INT_PTR CALLBACK StepSpeedDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<StepSpeedDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      self = reinterpret_cast<StepSpeedDialog*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      self->Load(dialog);
      CentreOverOwner(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (self) self->Store(dialog);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}
