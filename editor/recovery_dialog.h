#pragma once

#include <cstddef>
#include <vector>

#include "editor/modal_dialog.h"

struct LeftDocument;

enum class RecoveryChoice { kLater, kRestore, kDiscard };

// 128: the documents that editors which ended without closing left behind, newest first,
// each with its name, its own file (or 無題) and the time of its copy. Restore and discard
// act on the selected rows; OK carries them out, and what was not chosen stays for the next
// start, as everything does with 後で (cancel).
class RecoveryDialog : public ModalDialog {
 public:
  RecoveryDialog(HWND statusBar, const std::vector<LeftDocument>& documents);
  RecoveryChoice ChoiceFor(size_t index) const;

 protected:
  void StoreControls(HWND) override {}
  void LoadControls(HWND dialog) override;
  INT_PTR OnCommand(HWND dialog, int code, int id, HWND control) override;

 private:
  void Choose(HWND dialog, RecoveryChoice choice);
  void ShowRow(HWND list, size_t row, bool replace);

  const std::vector<LeftDocument>& documents_;
  std::vector<RecoveryChoice> choices_;
};
