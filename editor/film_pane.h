#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/command_table.h"
#include "editor/modal_dialog.h"

class AnimationPreview;
class Cut;
class CutWindow;
class Film;
class FramePanels;
struct CutWindowHost;
struct NewCutValues;

// The film pane: the one film being edited, its cut list at the bottom of the frame's left
// pane (one row per cut, in film order), and the film and cut file commands that make,
// open, save, number, rename, remove, extract, play and compile cuts and films, with the
// questions asked before unsaved work is lost.
class FilmPane {
 public:
  // `saved` is told after every save of a cut or the film.
  FilmPane(const CutWindowHost& host, FramePanels& panels, AnimationPreview& preview,
           std::function<void()> saved);
  ~FilmPane();
  FilmPane(const FilmPane&) = delete;
  FilmPane& operator=(const FilmPane&) = delete;

  // After the frame made its windows: the cut list, and where the dialogs appear.
  void Attach(HWND cutList, const DialogOwner& owner);

  Film& TheFilm() { return *film_; }
  // An export or a preview of the film is running.
  bool Exporting() const { return exports_ > 0; }

  // A new cut window for the cut file; false (and a message) when it cannot be read.
  bool OpenCutFile(const std::string& path);
  // A window for a cut brought back from its recovery copy: linked to the film's rows when
  // it has a path, the panels filled from it. Null when no window could be made.
  CutWindow* OpenRestoredCut(std::unique_ptr<Cut> cut);
  // Asks whether to save the modified film; false when the answer was yes and the film was
  // not saved after all (the command that asked stops).
  bool AskSaveFilm();
  // Replaces the film with the film file; false, keeping the film, when it cannot be read.
  bool OpenFilm(const std::string& path);
  // After the film was replaced: its rows link the open cut windows again, the cut list
  // shows them, the caption names the film.
  void ShowFilm();
  // Selects the cut's row alone when the film holds the cut and its row is not selected yet.
  void SelectCutOfWindow(CutWindow& window);
  // The close question of a cut window (the cut's file name, or "untitled.cut"): saves when
  // answered yes, or without asking while close all runs after a yes. False when the window
  // must stay open: the cut could not be saved and the user cancelled the save dialog that
  // followed.
  bool ConfirmCloseCut(CutWindow& window);

  // The film and cut file commands, and the cut list's notifications; false for ids the
  // pane does not know.
  bool RunCommand(int id, int code);

 private:
  // The table (editor/film_pane_commands.cpp).
  static const Command<FilmPane> kCommands[];
  CutWindow* ActiveWindow() const;

  // The cut list.
  void InsertRow(int32_t row, const std::string& path);
  void FillCutList();
  void OnCutList(int code);
  void OpenCutAtCaret();
  std::vector<int32_t> SelectedRows() const;
  int32_t CaretRow() const;
  CutWindow* WindowOfCut(const Cut* cut) const;
  // The frame's caption: "Orvina Developer - NAME" for a film with a path.
  void ShowTitle();

  // Films (editor/film_commands.cpp).
  bool SaveFilmAs();
  void OnNewFilm();
  void OnOpenFilm();
  void OnOverwriteFilm();
  void OnFilmProperties();
  void OnExtract();
  void OnPlaySelectedCuts();
  void OnExportFilm();

  // Cuts (editor/cut_file_commands.cpp). Saving a cut stores the panels first; a cut saved
  // under a path is linked to the film's rows by that path.
  bool SaveCut(CutWindow& window);
  bool SaveCutAs(CutWindow& window);
  bool WriteCut(CutWindow& window, const std::string& path, std::string* why);
  void OnOpenCut();
  void OnSaveCutAs();
  void OnOverwriteCut();
  void OnCutProperties();
  void OnExportBitmap();
  CutWindow* NewCutWindow(const NewCutValues& values);
  CutWindow* OnNewCut();
  bool OnAddCutToFilm(bool insert);
  void OnRemoveCutFromFilm();
  void OnNewNumberedCut(bool before);
  void OnDeleteCuts();
  void OnRenameCut();
  void OnCloseAll();

  const CutWindowHost& host_;
  FramePanels& panels_;
  AnimationPreview& preview_;
  std::function<void()> saved_;
  std::unique_ptr<Film> film_;
  HWND cutList_ = nullptr;
  DialogOwner owner_;
  int exports_ = 0;  // exports and previews running
  // Yes to the close all question: every changed cut is saved without asking.
  bool saveAll_ = false;
};
