// The cut file commands of the film pane: new, open, save and close cuts, their properties
// and bitmap export, and the cuts of the film: add, insert, remove, number, delete, rename.
#include <windows.h>

#include "edit/editor_settings.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/dialogs.h"
#include "editor/editor_settings_file.h"
#include "editor/film_pane.h"
#include "editor/frame_panels.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "export/compile_cache.h"
#include "files/cut_naming.h"
#include "files/film.h"
#include "io/cp932.h"
#include "io/safe_save.h"
#include "model/cut.h"

namespace {

constexpr wchar_t kCutFilters[] = L"Cut Files (*.cut)\0*.cut\0All Files (*.*)\0*.*\0";
constexpr wchar_t kBitmapFilters[] = L"Bitmap Files (*.bmp)\0*.bmp\0All Files (*.*)\0*.*\0";

void Beep() {
  MessageBeep(MB_ICONASTERISK);
}

// Deletes a file; true when it is gone (also when it was gone already).
bool DeleteIfThere(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The film's rows link to a cut by its path alone: after the cut took another path.
void Relink(Film& film, Cut& cut) {
  film.DetachCut(&cut);
  film.AttachCut(&cut);
}

}  // namespace

void FilmPane::OnOpenCut() {
  const std::string path = ChooseFileToOpen(owner_.window, kCutFilters);
  if (!path.empty()) OpenCutFile(path);
}

void FilmPane::OnSaveCutAs() {
  if (CutWindow* cut = ActiveWindow()) SaveCutAs(*cut);
}

void FilmPane::OnOverwriteCut() {
  if (CutWindow* cut = ActiveWindow()) SaveCut(*cut);
}

bool FilmPane::WriteCut(CutWindow& window, const std::string& path, std::string* why) {
  if (!window.WriteToPath(path, why)) return false;
  Relink(*film_, window.TheCut());
  saved_();
  return true;
}

bool FilmPane::SaveCut(CutWindow& cut) {
  panels_.Commit(&cut);
  if (cut.TheCut().Path().empty()) return SaveCutAs(cut);
  std::string why;
  {
    WaitCursor wait;
    if (WriteCut(cut, cut.TheCut().Path(), &why)) return true;
  }
  ShowFileFailure(owner_.window, cut.TheCut().Path(), why);
  return SaveCutAs(cut);
}

bool FilmPane::SaveCutAs(CutWindow& cut) {
  panels_.Commit(&cut);
  // After a failure the cut keeps its old path; the user may pick another place.
  ChosenSave saved;
  do {
    saved = SaveToChosenFile(
        owner_.window, kCutFilters, L"cut", cut.TheCut().Path(),
        [&](const std::string& path, std::string* why) { return WriteCut(cut, path, why); });
  } while (saved == ChosenSave::kFailed);
  return saved == ChosenSave::kSaved;
}

bool FilmPane::ConfirmCloseCut(CutWindow& window) {
  Cut& c = window.TheCut();
  if (!(c.StateFlags() & kStateUnsaved)) return true;
  if (!saveAll_ &&
      !AskYesNo(owner_.window, owner_.instance, IDS_ASK_SAVE, SaveQuestionName(c.Path())))
    return true;
  return SaveCut(window);
}

void FilmPane::OnCutProperties() {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  Cut& c = cut->TheCut();
  CutDialog dialog(owner_.statusBar, NewCutValues{c.CanvasWidth(), c.CanvasHeight(), c.Fps(),
                                                  int32_t(c.GetAntiAlias()), c.Credit()});
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  const NewCutValues& v = dialog.values;
  cut->ApplyProperties(v.width, v.height, v.fps, v.credit, v.antiAlias);
}

void FilmPane::OnExportBitmap() {
  CutWindow* cut = ActiveWindow();
  if (!cut) return;
  const auto write = [&](const std::string& path, std::string*) {
    std::vector<uint8_t> bytes;
    return cut->ExportCurrentFrame(bytes) &&
           SaveFileSafely(
               path,
               [&](ByteStream& s) { return s.Write(bytes.data(), int32_t(bytes.size())) == 1; },
               nullptr);
  };
  SaveToChosenFile(owner_.window, kBitmapFilters, L"bmp", {}, write,
                   L"ビットマップを書き出せませんでした。");
}

CutWindow* FilmPane::NewCutWindow(const NewCutValues& v) {
  auto cut = std::make_unique<Cut>(v.width, v.height, v.fps, v.credit, AntiAlias(v.antiAlias));
  cut->AddFrame();
  // Not unsaved, but never compiled.
  cut->SetStateFlags((cut->StateFlags() & kStateAntiAliasMask) | kStateContentChanged);
  CutWindow* window = CutWindow::Open(host_, std::move(cut));
  if (!window) Beep();
  return window;
}

CutWindow* FilmPane::OnNewCut() {
  CutDialog dialog(owner_.statusBar,
                   NewCutValues{ReadNumberSetting("OnNewCut", "width", kNewCutWidth),
                                ReadNumberSetting("OnNewCut", "height", kNewCutHeight),
                                ReadNumberSetting("OnNewCut", "fps", kNewCutFps),
                                ReadNumberSetting("OnNewCut", "anti", kNewCutAntiAlias),
                                ReadTextSetting("OnNewCut", "credit")});
  if (!dialog.Run(owner_.instance, owner_.window)) return nullptr;
  const NewCutValues& v = dialog.values;
  WriteSetting("OnNewCut", "width", FormatNumberSetting(v.width));
  WriteSetting("OnNewCut", "height", FormatNumberSetting(v.height));
  WriteSetting("OnNewCut", "fps", FormatNumberSetting(v.fps));
  WriteSetting("OnNewCut", "anti", FormatNumberSetting(v.antiAlias));
  WriteSetting("OnNewCut", "credit", TruncateCp932(v.credit, kSettingTextMax));
  CutWindow* window = NewCutWindow(v);
  if (window) panels_.AddLayer();
  return window;
}

bool FilmPane::OnAddCutToFilm(bool insert) {
  CutWindow* cut = ActiveWindow();
  if (!cut) return false;
  if (cut->TheCut().Path().empty() && !SaveCutAs(*cut)) return false;
  int32_t i = CaretRow();
  if (i < 0 && film_->Count() > 0) i = insert ? 0 : film_->Count() - 1;
  Cut* document = &cut->TheCut();
  if (!(insert ? film_->InsertCut(document, i) : film_->AddCut(document, i))) return false;
  const int32_t row = i < 0 ? 0 : (insert ? i : i + 1);
  InsertRow(row, document->Path());
  SendMessageW(cutList_, LB_SETCARETINDEX, WPARAM(row), FALSE);
  if (!insert) SelectCutOfWindow(*cut);
  return true;
}

void FilmPane::OnRemoveCutFromFilm() {
  CutWindow* cut = ActiveWindow();
  if (!cut || film_->Count() < 1) return;
  const int32_t i = film_->IndexOfCut(&cut->TheCut());
  if (i < 0 || !film_->RemoveCut(i)) return;
  SendMessageW(cutList_, LB_DELETESTRING, WPARAM(i), 0);
}

void FilmPane::OnNewNumberedCut(bool before) {
  if (film_->Count() < 1) {
    // The first cut of a film: a cancelled new cut adds nothing, not some other window.
    if (OnNewCut()) OnAddCutToFilm(false);
    return;
  }
  const int32_t caret = CaretRow();
  std::string path = film_->PathAt(caret < 0 ? 0 : caret);
  // With no number left the caret cut's own file must not be taken.
  if (!NextNumberedName(path)) {
    Beep();
    return;
  }
  CutDialog dialog(owner_.statusBar, Program().newCut);
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  CutWindow* window = NewCutWindow(dialog.values);
  if (!window) return;
  std::string why;
  bool written;
  {
    WaitCursor wait;
    written = WriteCut(*window, path, &why);
  }
  if (!written) {
    // The cut stays in its window, untitled, for the user to save elsewhere.
    window->TheCut().MarkChanged(kStateUnsaved);
    ShowFileFailure(owner_.window, path, why);
    return;
  }
  panels_.AddLayer();
  OnAddCutToFilm(before);
}

void FilmPane::OnDeleteCuts() {
  if (film_->Count() < 1) return;
  const std::vector<int32_t> rows = SelectedRows();
  if (rows.empty()) return;
  const bool withFiles = AskYesNo(owner_.window, owner_.instance, IDS_ASK_DELETE_FILES,
                                  std::string(), MB_ICONQUESTION);
  // The selected rows go; with their files, so does every other row naming a deleted file.
  std::vector<bool> goes(size_t(film_->Count()), false), selected(goes);
  bool kept = false;
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
    const std::string path = film_->PathAt(*r);
    selected[size_t(*r)] = true;
    if (!withFiles) {
      goes[size_t(*r)] = true;
      continue;
    }
    // A cut whose file stays keeps its row.
    if (!DeleteIfThere(path)) {
      kept = true;
      continue;
    }
    DeleteIfThere(CachePathOf(path));
    for (int32_t i = 0; i < film_->Count(); ++i)
      if (film_->PathAt(i) == path) goes[size_t(i)] = true;
  }
  std::vector<int32_t> removed;
  for (int32_t i = film_->Count() - 1; i >= 0; --i) {
    if (!goes[size_t(i)]) continue;
    // Only a window still showing the deleted file closes.
    CutWindow* window = withFiles ? WindowOfCut(film_->DocumentAt(i)) : nullptr;
    film_->RemoveCut(i);
    removed.push_back(i);
    if (window) {
      // The film is shorter than the list now: the window that becomes active selects no row.
      Cut* document = &window->TheCut();
      document->SetStateFlags(document->StateFlags() & ~kStateUnsaved);
      film_->DetachCut(document);
      SendMessageW(host_.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window->Window()), 0);
    }
  }
  if (kept) Beep();
  SendMessageW(cutList_, WM_SETREDRAW, FALSE, 0);
  for (const int32_t i : removed) {
    SendMessageW(cutList_, LB_DELETESTRING, WPARAM(i), 0);
    if (!selected[size_t(i)]) continue;
    SendMessageW(cutList_, LB_SETCARETINDEX, WPARAM(i), FALSE);
    SendMessageW(cutList_, LB_SETSEL, TRUE, i);
  }
  SendMessageW(cutList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(cutList_, nullptr, TRUE);
  if (!ActiveWindow()) panels_.Refresh(nullptr);
}

void FilmPane::OnRenameCut() {
  if (film_->Count() < 1) return;
  const int32_t i = CaretRow();
  if (i < 0) return;
  const std::string old = film_->PathAt(i);
  RenameCutDialog dialog(owner_.statusBar);
  dialog.name = BaseNameOf(old);
  if (!dialog.Run(owner_.instance, owner_.window) || dialog.name == BaseNameOf(old)) return;
  const PathParts parts = SplitPath(old);
  const std::string renamed = parts.folder + dialog.name + parts.extension;
  Cut* open = film_->DocumentAt(i);
  // The file is renamed first, its compile cache with it: when that fails, nothing changes.
  if (!UsableFileName(dialog.name) || !RenameCutWithCache(old, renamed)) {
    Beep();
    return;
  }
  SendMessageW(cutList_, WM_SETREDRAW, FALSE, 0);
  for (int32_t r = 0; r < film_->Count(); ++r) {
    if (film_->PathAt(r) != old) continue;
    const bool selected = SendMessageW(cutList_, LB_GETSEL, WPARAM(r), 0) > 0;
    SendMessageW(cutList_, LB_DELETESTRING, WPARAM(r), 0);
    InsertRow(r, renamed);
    if (selected) SendMessageW(cutList_, LB_SETSEL, TRUE, r);
  }
  SendMessageW(cutList_, LB_SETCARETINDEX, WPARAM(i), FALSE);
  SendMessageW(cutList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(cutList_, nullptr, TRUE);
  film_->RenamePath(i, renamed);
  if (CutWindow* window = WindowOfCut(open)) {
    window->TakePath(renamed);
    Relink(*film_, window->TheCut());
  }
}

void FilmPane::OnCloseAll() {
  saveAll_ = AskYesNo(owner_.window, owner_.instance, IDS_ASK_SAVE_ALL, std::string());
  CutWindow::CloseAll(host_.mdiClient);
  saveAll_ = false;
}
