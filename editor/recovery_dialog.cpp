#include "editor/recovery_dialog.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "editor/resource.h"
#include "editor/ui_text.h"
#include "files/recovery_copies.h"
#include "win32/text_convert.h"

namespace {

// Tab stops of the list's columns, in dialog units: name, own file, time, choice.
const int kTabStops[] = {76, 226, 300};

// The time of a copy in the local time of this machine.
std::wstring LocalTime(int64_t seconds) {
  if (seconds <= 0) return L"-";
  const ULONGLONG ticks = (ULONGLONG(seconds) + 11644473600ULL) * 10000000ULL;
  const FILETIME utc{DWORD(ticks), DWORD(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return L"-";
  wchar_t text[32];
  swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", unsigned(t.wYear), unsigned(t.wMonth),
           unsigned(t.wDay), unsigned(t.wHour), unsigned(t.wMinute), unsigned(t.wSecond));
  return text;
}

std::vector<int> SelectedRows(HWND list) {
  const LRESULT n = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
  if (n == LB_ERR || n <= 0) return {};
  std::vector<int> rows(static_cast<size_t>(n));
  const LRESULT got =
      SendMessageW(list, LB_GETSELITEMS, WPARAM(n), reinterpret_cast<LPARAM>(rows.data()));
  rows.resize(got > 0 ? size_t(got) : 0);
  return rows;
}

}  // namespace

RecoveryDialog::RecoveryDialog(HWND statusBar, const std::vector<LeftDocument>& documents)
    : ModalDialog(statusBar, IDD_RECOVERY), documents_(documents), choices_(documents.size()) {}

void OfferLeftCopies(RecoveryCopies& copies, const DialogOwner& owner) {
  const std::shared_ptr<LeftCopies> left = copies.FindLeftCopies();
  if (left->Documents().empty()) return;
  RecoveryDialog dialog(owner.statusBar, left->Documents());
  if (!dialog.Run(owner.instance, owner.window)) return;  // all of them later
  std::wstring failed;
  for (const std::string& caption : copies.Settle(left, dialog.Choices()))
    failed += Widen(caption) + L"\n";
  if (!failed.empty())
    ShowFailure(owner.window,
                L"次の作業は復元できませんでした。コピーは残してあります。\n" + failed);
}

void RecoveryDialog::LoadControls(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_RECOVERY_LIST);
  SendMessageW(list, LB_SETTABSTOPS, WPARAM(std::size(kTabStops)),
               reinterpret_cast<LPARAM>(kTabStops));
  for (size_t row = 0; row < documents_.size(); ++row) ShowRow(list, row, false);
  SendMessageW(list, LB_SETSEL, TRUE, 0);
}

void RecoveryDialog::ShowRow(HWND list, size_t row, bool replace) {
  const LeftDocument& d = documents_[row];
  std::wstring text = d.entry.caption.empty() ? L"不明" : Widen(d.entry.caption);
  if (d.damaged) text += L"（破損）";
  text += L"\t" + (d.entry.path.empty() ? std::wstring(L"無題") : Widen(d.entry.path));
  text += L"\t" + LocalTime(d.time) + L"\t";
  if (choices_[row] == RecoveryChoice::kRestore) text += L"→ 復元";
  if (choices_[row] == RecoveryChoice::kDiscard) text += L"→ 破棄";
  const bool selected = replace && SendMessageW(list, LB_GETSEL, WPARAM(row), 0) > 0;
  if (replace) SendMessageW(list, LB_DELETESTRING, WPARAM(row), 0);
  SendMessageW(list, LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(text.c_str()));
  if (selected) SendMessageW(list, LB_SETSEL, TRUE, LPARAM(row));
}

void RecoveryDialog::Choose(HWND dialog, RecoveryChoice choice) {
  HWND list = GetDlgItem(dialog, IDC_RECOVERY_LIST);
  for (const int row : SelectedRows(list)) {
    if (row < 0 || size_t(row) >= documents_.size()) continue;
    // A damaged copy cannot be opened: it can only go, or wait.
    if (choice == RecoveryChoice::kRestore && documents_[size_t(row)].damaged) {
      MessageBeep(MB_ICONASTERISK);
      continue;
    }
    choices_[size_t(row)] = choice;
    ShowRow(list, size_t(row), true);
  }
}

INT_PTR RecoveryDialog::OnCommand(HWND dialog, int code, int id, HWND control) {
  if (code == BN_CLICKED && (id == IDC_RECOVERY_RESTORE || id == IDC_RECOVERY_DISCARD)) {
    Choose(dialog,
           id == IDC_RECOVERY_RESTORE ? RecoveryChoice::kRestore : RecoveryChoice::kDiscard);
    return TRUE;
  }
  return ModalDialog::OnCommand(dialog, code, id, control);
}
