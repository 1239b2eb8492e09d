// The film window: the cut list under the panels, one row per cut of the film in film
// order, and the commands that make, number, rename, remove, extract, play and compile the
// film's cuts, with the questions asked before unsaved work is lost.
#include <windows.h>

#include <string_view>

#include "edit/editor_settings.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/dialogs.h"
#include "editor/editor_settings_file.h"
#include "editor/main_frame.h"
#include "editor/program_state.h"
#include "editor/recovery_copies.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "export/compile_cache.h"
#include "export/film_export.h"
#include "files/cut_naming.h"
#include "files/film.h"
#include "io/block_stream.h"
#include "io/cp932.h"
#include "io/file_system.h"
#include "model/cut.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"

namespace {

constexpr wchar_t kFilmFilters[] = L"Film Files (*.flm)\0*.flm\0All Files (*.*)\0*.*\0";
constexpr wchar_t kOvFilters[] = L"Orvina Files (*.ov)\0*.ov\0All Files (*.*)\0*.*\0";
constexpr char kSep = '\\';
constexpr size_t kNumberBytes = 16;
constexpr size_t kTextBytes = 80;

void Beep() {
  MessageBeep(MB_ICONASTERISK);
}

std::wstring RowText(const std::string& path) {
  return Widen(BaseNameOf(path));
}

void InsertRow(HWND list, int32_t row, const std::string& path) {
  SendMessageW(list, LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(RowText(path).c_str()));
}

int32_t ReadNumber(const char* section, const char* key, const NumberSetting& setting) {
  return ParseNumberSetting(ReadSetting(section, key, kNumberBytes), setting);
}

std::string ReadText(const char* section, const char* key) {
  return ParseTextSetting(ReadSetting(section, key, kTextBytes), kSettingTextMax);
}

// A cut file name typed by the user: a name in the cut's own folder, nothing that climbs out
// of it or that no file may be called.
bool UsableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (size_t i = 0; i < name.size(); i += Cp932CharLength(name, i)) {
    if (Cp932CharLength(name, i) == 2) continue;
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos)
      return false;
  }
  return true;
}

// Counts an export or preview while it runs: recovery copies wait for its end.
struct ExportRunning {
  explicit ExportRunning(int& running) : count(running) { ++count; }
  ~ExportRunning() { --count; }
  int& count;
};

// Deletes a file; true when it is gone (also when it was gone already).
bool DeleteIfThere(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void CutWindow::TakePath(const std::string& path) { ChangePath(path); }

bool MainFrame::RunFilmCommand(int id) {
  switch (id) {
    case ID_FILM_NEW:
      OnNewFilm();
      return true;
    case ID_FILM_OPEN:
      OnOpenFilm();
      return true;
    case ID_FILM_SAVE_AS:
      SaveFilmAs();
      return true;
    case ID_FILM_OVERWRITE:
      OnOverwriteFilm();
      return true;
    case ID_FILM_PROPERTIES:
      OnFilmProperties();
      return true;
    case ID_FILM_EXTRACT:
      OnExtract();
      return true;
    case ID_FILM_ANIMATION:
      OnPlaySelectedCuts();
      return true;
    case ID_FILM_EXPORT:
      OnExportFilm();
      return true;
    case ID_CUT_NEW:
      OnNewCut();
      return true;
    case ID_CUT_ADD_TO_FILM:
    case ID_CUT_INSERT_INTO_FILM:
      OnAddCutToFilm(id == ID_CUT_INSERT_INTO_FILM);
      return true;
    case ID_CUT_REMOVE_FROM_FILM:
      OnRemoveCutFromFilm();
      return true;
    case ID_FILM_NEW_CUT_AFTER:
    case ID_FILM_NEW_CUT_BEFORE:
      OnNewNumberedCut(id == ID_FILM_NEW_CUT_BEFORE);
      return true;
    case ID_FILM_DELETE_CUTS:
      OnDeleteCuts();
      return true;
    case ID_FILM_RENAME_CUT:
      OnRenameCut();
      return true;
    case ID_WINDOW_CLOSE_ALL:
      OnCloseAll();
      return true;
  }
  return false;
}

// The cut list.

void MainFrame::FillCutList() {
  SendMessageW(cutList_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(cutList_, LB_RESETCONTENT, 0, 0);
  for (int32_t i = 0; i < film_->Count(); ++i) InsertRow(cutList_, i, film_->PathAt(i));
  if (film_->Count() > 0) {
    SendMessageW(cutList_, LB_SETSEL, TRUE, 0);
    SendMessageW(cutList_, LB_SETCARETINDEX, 0, FALSE);
  }
  SendMessageW(cutList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(cutList_, nullptr, TRUE);
}

std::vector<int32_t> MainFrame::SelectedRows() const {
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

int32_t MainFrame::CaretRow() const {
  const LRESULT caret = SendMessageW(cutList_, LB_GETCARETINDEX, 0, 0);
  return caret >= 0 && caret < film_->Count() ? int32_t(caret) : -1;
}

CutWindow* MainFrame::WindowOfCut(const Cut* cut) const {
  if (!cut) return nullptr;
  for (HWND child = GetWindow(mdiClient_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    CutWindow* window = CutWindow::FromWindow(child);
    if (window && &window->TheCut() == cut) return window;
  }
  return nullptr;
}

void MainFrame::SelectCutOfWindow(CutWindow& cut) {
  // Rows and film entries differ only while a command changes both.
  if (SendMessageW(cutList_, LB_GETCOUNT, 0, 0) != film_->Count()) return;
  const int32_t i = film_->IndexOfCut(&cut.TheCut());
  if (i < 0 || SendMessageW(cutList_, LB_GETSEL, WPARAM(i), 0) > 0) return;
  SendMessageW(cutList_, LB_SETSEL, FALSE, -1);
  SendMessageW(cutList_, LB_SETSEL, TRUE, i);
}

// Films.

bool MainFrame::AskSaveFilm() {
  if (!film_->Modified()) return true;
  if (!AskYesNo(frame_, instance_, IDS_ASK_SAVE, SaveQuestionName(film_->Path()))) return true;
  {
    WaitCursor wait;
    if (film_->SaveToOwnPath(kSep)) {
      recovery_->ForgetSaved();
      return true;
    }
  }
  return SaveFilmAs();
}

bool MainFrame::SaveFilmAs() {
  const ChosenSave saved =
      SaveToChosenFile(frame_, kFilmFilters, L"flm", {}, [&](const std::string& path, std::string* why) {
        return film_->Save(path, kSep, why);
      });
  UpdateTitle();
  recovery_->ForgetSaved();
  return saved == ChosenSave::kSaved;
}

void MainFrame::OnOverwriteFilm() {
  if (film_->Path().empty()) {
    SaveFilmAs();
    return;
  }
  std::string why;
  bool saved;
  {
    WaitCursor wait;
    saved = film_->SaveToOwnPath(kSep, &why);
  }
  UpdateTitle();
  recovery_->ForgetSaved();
  if (!saved) ShowFileFailure(frame_, film_->Path(), why);
}

void MainFrame::OnNewFilm() {
  if (!AskSaveFilm()) return;
  FilmDialog dialog(statusBar_);
  dialog.width = ReadNumber("OnNewFilm", "width", kNewFilmWidth);
  dialog.height = ReadNumber("OnNewFilm", "height", kNewFilmHeight);
  dialog.title = ReadText("OnNewFilm", "title");
  dialog.author = ReadText("OnNewFilm", "author");
  if (!dialog.Run(instance_, frame_)) return;
  film_->Clear();
  film_->SetSize(dialog.width, dialog.height);
  film_->SetTitle(dialog.title);
  film_->SetAuthor(dialog.author);
  film_->SetModified(false);
  SendMessageW(cutList_, LB_RESETCONTENT, 0, 0);
  WriteSetting("OnNewFilm", "width", FormatNumberSetting(dialog.width));
  WriteSetting("OnNewFilm", "height", FormatNumberSetting(dialog.height));
  WriteSetting("OnNewFilm", "title", TruncateCp932(dialog.title, kSettingTextMax));
  WriteSetting("OnNewFilm", "author", TruncateCp932(dialog.author, kSettingTextMax));
  UpdateTitle();
}

void MainFrame::OnOpenFilm() {
  if (!AskSaveFilm()) return;
  const std::string path = ChooseFileToOpen(frame_, kFilmFilters);
  if (path.empty()) return;
  WaitCursor wait;
  OpenFilm(path);
}

bool MainFrame::OpenFilm(const std::string& path) {
  // A film that cannot be read leaves the film and its list as they were.
  if (!film_->Load(path, kSep)) return false;
  ShowFilm();
  return true;
}

void MainFrame::ShowFilm() {
  // Cuts open in windows are the documents of their rows again.
  for (HWND child = GetWindow(mdiClient_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (CutWindow* window = CutWindow::FromWindow(child)) film_->AttachCut(&window->TheCut());
  FillCutList();
  UpdateTitle();
}

void MainFrame::OnFilmProperties() {
  FilmDialog dialog(statusBar_);
  dialog.width = film_->Width();
  dialog.height = film_->Height();
  dialog.title = film_->Title();
  dialog.author = film_->Author();
  if (!dialog.Run(instance_, frame_)) return;
  film_->SetSize(dialog.width, dialog.height);
  film_->SetTitle(dialog.title);
  film_->SetAuthor(dialog.author);
  film_->SetModified(true);
}

void MainFrame::OnExtract() {
  const std::vector<int32_t> rows = SelectedRows();
  std::vector<ExtractedCut> cuts;
  const ChosenSave written =
      SaveToChosenFile(frame_, kFilmFilters, L"flm", {}, [&](const std::string& path, std::string* why) {
        return film_->Extract(path, rows, &cuts, why);
      });
  if (written != ChosenSave::kSaved) return;
  // A cut already beside the new film needs no copy; every other copy left out is told.
  std::wstring missed;
  for (const ExtractedCut& cut : cuts)
    if (!cut.copied && !SameFile(cut.source, cut.target))
      missed += Widen(FileNameOf(cut.source)) + L": " + Widen(cut.problem) + L"\n";
  if (!missed.empty()) ShowFailure(frame_, missed);
}

void MainFrame::OnPlaySelectedCuts() {
  const std::vector<int32_t> rows = SelectedRows();
  if (rows.empty()) return;
  StopAnimation();
  BlockStream ov;
  bool made;
  {
    const ExportRunning running(exports_);
    WaitCursor wait;
    FilmExporter exporter(anim_.Buffer());
    made = exporter.Export(*film_, rows, ov, nullptr, nullptr, nullptr);
  }
  if (!made || !PlayCompiled(ov)) Beep();
}

void MainFrame::OnExportFilm() {
  if (film_->Count() < 1) return;
  const std::wstring chosen = AskSavePath(frame_, kOvFilters, L"ov", OFN_OVERWRITEPROMPT);
  if (chosen.empty()) return;
  const std::string path = AnsiText(chosen);
  // The OV file must not replace a file the export reads.
  if (ExportReadsFile(*film_, path)) {
    Beep();
    return;
  }
  const ExportRunning running(exports_);
  WaitCursor wait;
  StopAnimation();
  std::vector<int32_t> items;
  for (int32_t i = 0; i < film_->Count(); ++i) items.push_back(i);
  FilmExporter exporter(anim_.Buffer());
  if (!exporter.ExportToFile(*film_, items, path, nullptr, nullptr, nullptr)) Beep();
}

// Cuts.

CutWindow* MainFrame::NewCutWindow(const NewCutValues& v) {
  auto cut = std::make_unique<Cut>(v.width, v.height, v.fps, v.credit, AntiAlias(v.antiAlias));
  cut->AddFrame();
  // Not unsaved, but never compiled.
  cut->SetStateFlags((cut->StateFlags() & kStateAntiAliasMask) | kStateContentChanged);
  CutWindow* window = CutWindow::Open(*this, std::move(cut));
  if (!window) Beep();
  return window;
}

CutWindow* MainFrame::OnNewCut() {
  CutDialog dialog(statusBar_, NewCutValues{ReadNumber("OnNewCut", "width", kNewCutWidth),
                                            ReadNumber("OnNewCut", "height", kNewCutHeight),
                                            ReadNumber("OnNewCut", "fps", kNewCutFps),
                                            ReadNumber("OnNewCut", "anti", kNewCutAntiAlias),
                                            ReadText("OnNewCut", "credit")});
  if (!dialog.Run(instance_, frame_)) return nullptr;
  const NewCutValues& v = dialog.values;
  WriteSetting("OnNewCut", "width", FormatNumberSetting(v.width));
  WriteSetting("OnNewCut", "height", FormatNumberSetting(v.height));
  WriteSetting("OnNewCut", "fps", FormatNumberSetting(v.fps));
  WriteSetting("OnNewCut", "anti", FormatNumberSetting(v.antiAlias));
  WriteSetting("OnNewCut", "credit", TruncateCp932(v.credit, kSettingTextMax));
  CutWindow* window = NewCutWindow(v);
  if (window) OnAddLayer(false);
  return window;
}

bool MainFrame::OnAddCutToFilm(bool insert) {
  CutWindow* cut = ActiveCutWindow();
  if (!cut) return false;
  if (cut->TheCut().Path().empty() && !SaveCutAs(*cut)) return false;
  int32_t i = CaretRow();
  if (i < 0 && film_->Count() > 0) i = insert ? 0 : film_->Count() - 1;
  Cut* document = &cut->TheCut();
  if (!(insert ? film_->InsertCut(document, i) : film_->AddCut(document, i))) return false;
  const int32_t row = i < 0 ? 0 : (insert ? i : i + 1);
  InsertRow(cutList_, row, document->Path());
  SendMessageW(cutList_, LB_SETCARETINDEX, WPARAM(row), FALSE);
  if (!insert) SelectCutOfWindow(*cut);
  return true;
}

void MainFrame::OnRemoveCutFromFilm() {
  CutWindow* cut = ActiveCutWindow();
  if (!cut || film_->Count() < 1) return;
  const int32_t i = film_->IndexOfCut(&cut->TheCut());
  if (i < 0 || !film_->RemoveCut(i)) return;
  SendMessageW(cutList_, LB_DELETESTRING, WPARAM(i), 0);
}

void MainFrame::OnNewNumberedCut(bool before) {
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
  CutDialog dialog(statusBar_, Program().newCut);
  if (!dialog.Run(instance_, frame_)) return;
  CutWindow* window = NewCutWindow(dialog.values);
  if (!window) return;
  std::string why;
  bool written;
  {
    WaitCursor wait;
    written = window->WriteToPath(path, &why);
  }
  if (!written) {
    // The cut stays in its window, untitled, for the user to save elsewhere.
    window->TheCut().MarkChanged(kStateUnsaved);
    ShowFileFailure(frame_, path, why);
    return;
  }
  OnAddLayer(false);
  OnAddCutToFilm(before);
}

void MainFrame::OnDeleteCuts() {
  if (film_->Count() < 1) return;
  const std::vector<int32_t> rows = SelectedRows();
  if (rows.empty()) return;
  const bool withFiles =
      AskYesNo(frame_, instance_, IDS_ASK_DELETE_FILES, std::string(), MB_ICONQUESTION);
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
      SendMessageW(mdiClient_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window->Window()), 0);
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
  if (!ActiveCutWindow()) RefreshPanels(nullptr);
}

void MainFrame::OnRenameCut() {
  if (film_->Count() < 1) return;
  const int32_t i = CaretRow();
  if (i < 0) return;
  const std::string old = film_->PathAt(i);
  RenameCutDialog dialog(statusBar_);
  dialog.name = BaseNameOf(old);
  if (!dialog.Run(instance_, frame_) || dialog.name == BaseNameOf(old)) return;
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
    InsertRow(cutList_, r, renamed);
    if (selected) SendMessageW(cutList_, LB_SETSEL, TRUE, r);
  }
  SendMessageW(cutList_, LB_SETCARETINDEX, WPARAM(i), FALSE);
  SendMessageW(cutList_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(cutList_, nullptr, TRUE);
  film_->RenamePath(i, renamed);
  if (CutWindow* window = WindowOfCut(open)) window->TakePath(renamed);
}

void MainFrame::OnCloseAll() {
  if (AskYesNo(frame_, instance_, IDS_ASK_SAVE_ALL, std::string())) layoutFlags_ |= kSaveAllAnswer;
  CloseAllCutWindows();
  layoutFlags_ &= ~kSaveAllAnswer;
}
