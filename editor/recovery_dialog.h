#pragma once

#include <cstddef>
#include <vector>

#include "editor/modal_dialog.h"
#include "files/recovery_store.h"

class RecoveryCopies;

// Asks what becomes of the documents that editors which no longer run left behind, and
// restores or discards them; tells which could not be restored.
void OfferLeftCopies(RecoveryCopies& copies, const DialogOwner& owner);

// 128: the documents that editors which ended without closing left behind, newest first,
// each with its name, its own file (or 無題) and the time of its copy. Restore and discard
// act on the selected rows; OK carries them out, and what was not chosen stays for the next
// start, as everything does with 後で (cancel).
class RecoveryDialog : public ModalDialog {
 public:
  RecoveryDialog(HWND statusBar, const std::vector<LeftDocument>& documents);
  const std::vector<RecoveryChoice>& Choices() const { return choices_; }

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
