// The film pane and its cut list under the panels: one row per cut of the film, in film
// order, and the cut windows the rows open.
#include "editor/film_pane.h"

#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/frame_panels.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "files/cut_naming.h"
#include "files/film.h"
#include "model/cut.h"
#include "win32/text_convert.h"

FilmPane::FilmPane(const CutWindowHost& host, FramePanels& panels, AnimationPreview& preview,
                   std::function<void()> saved)
    : host_(host),
      panels_(panels),
      preview_(preview),
      saved_(std::move(saved)),
      film_(std::make_unique<Film>()) {
  film_->SetSize(320, 240);
}

FilmPane::~FilmPane() = default;

void FilmPane::Attach(HWND cutList, const DialogOwner& owner) {
  cutList_ = cutList;
  owner_ = owner;
}

CutWindow* FilmPane::ActiveWindow() const {
  return CutWindow::Active(host_.mdiClient);
}

// The cut list.

void FilmPane::InsertRow(int32_t row, const std::string& path) {
  SendMessageW(cutList_, LB_INSERTSTRING, WPARAM(row),
               reinterpret_cast<LPARAM>(Widen(BaseNameOf(path)).c_str()));
}

void FilmPane::FillCutList() {
  SendMessageW(cutList_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(cutList_, LB_RESETCONTENT, 0, 0);
  for (int32_t i = 0; i < film_->Count(); ++i) InsertRow(i, film_->PathAt(i));
  if (film_->Count() > 0) {
    SendMessageW(cutList_, LB_SETSEL, TRUE, 0);
    SendMessageW(cutList_, LB_SETCARETINDEX, 0, FALSE);
  }
  SendMessageW(cutList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(cutList_, nullptr, TRUE);
}

void FilmPane::OpenCutAtCaret() {
  // The cut at the caret: its window comes to the front, or the cut is opened.
  const LRESULT caret = SendMessageW(cutList_, LB_GETCARETINDEX, 0, 0);
  FilmItem* item = caret == LB_ERR ? nullptr : film_->ItemAt(int32_t(caret));
  if (!item) return;
  for (CutWindow* window : CutWindow::All(host_.mdiClient)) {
    if (&window->TheCut() != item->Document()) continue;
    SendMessageW(host_.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window->Window()), 0);
    return;
  }
  OpenCutFile(item->path);
}

std::vector<int32_t> FilmPane::SelectedRows() const {
  const LRESULT n = SendMessageW(cutList_, LB_GETSELCOUNT, 0, 0);
  if (n == LB_ERR || n <= 0) return {};
  std::vector<int> rows(static_cast<size_t>(n));
  const LRESULT got =
      SendMessageW(cutList_, LB_GETSELITEMS, WPARAM(n), reinterpret_cast<LPARAM>(rows.data()));
  std::vector<int32_t> selected;
  for (LRESULT i = 0; i < got; ++i)
    if (rows[size_t(i)] >= 0 && rows[size_t(i)] < film_->Count())
      selected.push_back(rows[size_t(i)]);
  return selected;
}

int32_t FilmPane::CaretRow() const {
  const LRESULT caret = SendMessageW(cutList_, LB_GETCARETINDEX, 0, 0);
  return caret >= 0 && caret < film_->Count() ? int32_t(caret) : -1;
}

CutWindow* FilmPane::WindowOfCut(const Cut* cut) const {
  if (!cut) return nullptr;
  for (CutWindow* window : CutWindow::All(host_.mdiClient))
    if (&window->TheCut() == cut) return window;
  return nullptr;
}

void FilmPane::SelectCutOfWindow(CutWindow& window) {
  // Rows and film entries differ only while a command changes both.
  if (SendMessageW(cutList_, LB_GETCOUNT, 0, 0) != film_->Count()) return;
  const int32_t i = film_->IndexOfCut(&window.TheCut());
  if (i < 0 || SendMessageW(cutList_, LB_GETSEL, WPARAM(i), 0) > 0) return;
  SendMessageW(cutList_, LB_SETSEL, FALSE, -1);
  SendMessageW(cutList_, LB_SETSEL, TRUE, i);
}

void FilmPane::ShowTitle() {
  const std::string& path = film_->Path();
  if (path.empty()) {
    SetWindowTextW(owner_.window, kFrameTitle);
    return;
  }
  SetWindowTextW(owner_.window,
                 (std::wstring(kFrameTitle) + L" - " + Widen(BaseNameOf(path))).c_str());
}

bool FilmPane::OpenCutFile(const std::string& path) {
  WaitCursor wait;
  std::string why;
  CutWindow* window = CutWindow::Open(host_, path, &why);
  if (!window) {
    ShowFileFailure(owner_.window, path, why);
    return false;
  }
  film_->AttachCut(&window->TheCut());
  panels_.Refresh(window);
  return true;
}

CutWindow* FilmPane::OpenRestoredCut(std::unique_ptr<Cut> cut) {
  CutWindow* window = CutWindow::Open(host_, std::move(cut));
  if (!window) return nullptr;
  if (!window->TheCut().Path().empty()) film_->AttachCut(&window->TheCut());
  panels_.Refresh(window);
  return window;
}
