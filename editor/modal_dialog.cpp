#include "editor/modal_dialog.h"

#include <commctrl.h>

#include <vector>

#include "editor/ui_text.h"
#include "io/cp932.h"
#include "win32/text_convert.h"

namespace {

// Dialogs never nest: the one that is open.
ModalDialog* gOpenDialog = nullptr;

enum class ControlKind { kEdit, kListBox, kButton, kOther };

ControlKind KindOf(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  if (_wcsicmp(name, L"Edit") == 0) return ControlKind::kEdit;
  if (_wcsicmp(name, L"ListBox") == 0) return ControlKind::kListBox;
  if (_wcsicmp(name, L"Button") == 0) return ControlKind::kButton;
  return ControlKind::kOther;
}

// +1 for gaining the focus, -1 for losing it, 0 for anything else.
int FocusChange(ControlKind kind, int code) {
  switch (kind) {
    case ControlKind::kEdit:
      return code == EN_SETFOCUS ? 1 : code == EN_KILLFOCUS ? -1 : 0;
    case ControlKind::kListBox:
      return code == LBN_SETFOCUS ? 1 : code == LBN_KILLFOCUS ? -1 : 0;
    case ControlKind::kButton:
      return code == BN_SETFOCUS ? 1 : code == BN_KILLFOCUS ? -1 : 0;
    default:
      return 0;
  }
}

void Centre(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT o, d;
  if (!owner || !GetWindowRect(owner, &o) || !GetWindowRect(dialog, &d)) return;
  const int x = o.left + (o.right - o.left) / 2 - (d.right - d.left) / 2;
  const int y = o.top + (o.bottom - o.top) / 2 - (d.bottom - d.top) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

}  // namespace

bool ModalDialog::Run(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(resourceId_), owner, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == TRUE;
}

INT_PTR ModalDialog::OnCommand(HWND, int code, int id, HWND control) {
  return ControlHelp(statusBar_, instance_, code, id, control) ? TRUE : FALSE;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    gOpenDialog = reinterpret_cast<ModalDialog*>(lParam);
    if (gOpenDialog) gOpenDialog->LoadControls(dialog);
    Centre(dialog);
    return TRUE;
  }
  ModalDialog* self = gOpenDialog;
  if (!self || message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  if (id == IDOK) {
    self->StoreControls(dialog);
    gOpenDialog = nullptr;
    EndDialog(dialog, TRUE);
    return TRUE;
  }
  if (id == IDCANCEL) {
    gOpenDialog = nullptr;
    EndDialog(dialog, FALSE);
    return TRUE;
  }
  return self->OnCommand(dialog, HIWORD(wParam), id, reinterpret_cast<HWND>(lParam));
}

bool ControlHelp(HWND statusBar, HINSTANCE instance, int code, int id, HWND control) {
  const int change = control ? FocusChange(KindOf(control), code) : 0;
  if (change == 0) return false;
  if (!statusBar) return true;
  if (change < 0) {
    SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
    return true;
  }
  const std::wstring help = LoadUiString(instance, id, 255);
  if (!help.empty()) SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(help.c_str()));
  return true;
}

void SetSpin(HWND dialog, int spin, int32_t low, int32_t high, int32_t position) {
  SendDlgItemMessageW(dialog, spin, UDM_SETRANGE32, WPARAM(low), LPARAM(high));
  SendDlgItemMessageW(dialog, spin, UDM_SETPOS32, 0, LPARAM(position));
}

int32_t SpinValue(HWND dialog, int spin) {
  return int32_t(SendDlgItemMessageW(dialog, spin, UDM_GETPOS32, 0, 0));
}

int32_t SpinValue16(HWND dialog, int spin) {
  return int32_t(int16_t(LOWORD(SendDlgItemMessageW(dialog, spin, UDM_GETPOS, 0, 0))));
}

void SetDocumentText(HWND dialog, int control, const std::string& text) {
  SetDlgItemTextW(dialog, control, Widen(text).c_str());
}

std::string DocumentText(HWND dialog, int control, size_t limit) {
  HWND edit = GetDlgItem(dialog, control);
  const int n = edit ? GetWindowTextLengthW(edit) : 0;
  std::vector<wchar_t> text(size_t(n) + 1, L'\0');
  if (n > 0) GetWindowTextW(edit, text.data(), n + 1);
  return TruncateCp932(AnsiTextLossy(text.data()), limit);
}

void SetCheck(HWND dialog, int control, bool on) {
  CheckDlgButton(dialog, control, on ? BST_CHECKED : BST_UNCHECKED);
}

bool Checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }
