// The film commands of the film pane: new, open, save and the properties of the film, the
// extract of some of its cuts into a new film, playing the selected cuts and the export.
#include <windows.h>

#include "edit/editor_settings.h"
#include "editor/animation_preview.h"
#include "editor/chosen_file.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/dialogs.h"
#include "editor/editor_settings_file.h"
#include "editor/film_pane.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "editor/wait_cursor.h"
#include "export/film_export.h"
#include "files/cut_naming.h"
#include "files/film.h"
#include "io/block_stream.h"
#include "io/cp932.h"
#include "io/file_system.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"

namespace {

constexpr wchar_t kFilmFilters[] = L"Film Files (*.flm)\0*.flm\0All Files (*.*)\0*.*\0";
constexpr wchar_t kOvFilters[] = L"Orvina Files (*.ov)\0*.ov\0All Files (*.*)\0*.*\0";
constexpr char kSep = '\\';

// Counts an export or preview while it runs: recovery copies wait for its end.
struct ExportRunning {
  explicit ExportRunning(int& running) : count(running) { ++count; }
  ~ExportRunning() { --count; }
  int& count;
};

}  // namespace

bool FilmPane::AskSaveFilm() {
  if (!film_->Modified()) return true;
  if (!AskYesNo(owner_.window, owner_.instance, IDS_ASK_SAVE, SaveQuestionName(film_->Path())))
    return true;
  {
    WaitCursor wait;
    if (film_->SaveToOwnPath(kSep)) {
      saved_();
      return true;
    }
  }
  return SaveFilmAs();
}

bool FilmPane::SaveFilmAs() {
  const ChosenSave saved = SaveToChosenFile(
      owner_.window, kFilmFilters, L"flm", {},
      [&](const std::string& path, std::string* why) { return film_->Save(path, kSep, why); });
  ShowTitle();
  saved_();
  return saved == ChosenSave::kSaved;
}

void FilmPane::OnOverwriteFilm() {
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
  ShowTitle();
  saved_();
  if (!saved) ShowFileFailure(owner_.window, film_->Path(), why);
}

void FilmPane::OnNewFilm() {
  if (!AskSaveFilm()) return;
  FilmDialog dialog(owner_.statusBar);
  dialog.width = ReadNumberSetting("OnNewFilm", "width", kNewFilmWidth);
  dialog.height = ReadNumberSetting("OnNewFilm", "height", kNewFilmHeight);
  dialog.title = ReadTextSetting("OnNewFilm", "title");
  dialog.author = ReadTextSetting("OnNewFilm", "author");
  if (!dialog.Run(owner_.instance, owner_.window)) return;
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
  ShowTitle();
}

void FilmPane::OnOpenFilm() {
  if (!AskSaveFilm()) return;
  const std::string path = ChooseFileToOpen(owner_.window, kFilmFilters);
  if (path.empty()) return;
  WaitCursor wait;
  OpenFilm(path);
}

bool FilmPane::OpenFilm(const std::string& path) {
  // A film that cannot be read leaves the film and its list as they were.
  if (!film_->Load(path, kSep)) return false;
  ShowFilm();
  return true;
}

void FilmPane::ShowFilm() {
  // Cuts open in windows are the documents of their rows again.
  for (CutWindow* window : CutWindow::All(host_.mdiClient)) film_->AttachCut(&window->TheCut());
  FillCutList();
  ShowTitle();
}

void FilmPane::OnFilmProperties() {
  FilmDialog dialog(owner_.statusBar);
  dialog.width = film_->Width();
  dialog.height = film_->Height();
  dialog.title = film_->Title();
  dialog.author = film_->Author();
  if (!dialog.Run(owner_.instance, owner_.window)) return;
  film_->SetSize(dialog.width, dialog.height);
  film_->SetTitle(dialog.title);
  film_->SetAuthor(dialog.author);
  film_->SetModified(true);
}

void FilmPane::OnExtract() {
  const std::vector<int32_t> rows = SelectedRows();
  std::vector<ExtractedCut> cuts;
  const ChosenSave written = SaveToChosenFile(owner_.window, kFilmFilters, L"flm", {},
                                              [&](const std::string& path, std::string* why) {
                                                return film_->Extract(path, rows, &cuts, why);
                                              });
  if (written != ChosenSave::kSaved) return;
  // A cut already beside the new film needs no copy; every other copy left out is told.
  std::wstring missed;
  for (const ExtractedCut& cut : cuts)
    if (!cut.copied && !SameFile(cut.source, cut.target))
      missed += Widen(FileNameOf(cut.source)) + L": " + Widen(cut.problem) + L"\n";
  if (!missed.empty()) ShowFailure(owner_.window, missed);
}

void FilmPane::OnPlaySelectedCuts() {
  const std::vector<int32_t> rows = SelectedRows();
  if (rows.empty()) return;
  preview_.StopAndHide();
  BlockStream ov;
  bool made;
  {
    const ExportRunning running(exports_);
    WaitCursor wait;
    FilmExporter exporter(preview_.Buffer());
    made = exporter.Export(*film_, rows, ov, nullptr, nullptr, nullptr);
  }
  if (!made || !preview_.Play(ov)) MessageBeep(MB_ICONASTERISK);
}

void FilmPane::OnExportFilm() {
  if (film_->Count() < 1) return;
  const std::wstring chosen = AskSavePath(owner_.window, kOvFilters, L"ov", OFN_OVERWRITEPROMPT);
  if (chosen.empty()) return;
  const std::string path = AnsiText(chosen);
  if (ExportReadsFile(*film_, path)) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  const ExportRunning running(exports_);
  WaitCursor wait;
  preview_.StopAndHide();
  std::vector<int32_t> items;
  for (int32_t i = 0; i < film_->Count(); ++i) items.push_back(i);
  FilmExporter exporter(preview_.Buffer());
  if (!exporter.ExportToFile(*film_, items, path, nullptr, nullptr, nullptr)) MessageBeep(MB_ICONASTERISK);
}
