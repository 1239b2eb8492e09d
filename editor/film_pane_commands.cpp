// The film pane's commands: the table of the film and cut file commands, and the cut list's
// notifications.
#include <windows.h>

#include "editor/film_pane.h"
#include "editor/resource.h"

const Command<FilmPane> FilmPane::kCommands[] = {
    {ID_FILM_NEW, [](FilmPane& p, int) { p.OnNewFilm(); }},
    {ID_FILM_OPEN, [](FilmPane& p, int) { p.OnOpenFilm(); }},
    {ID_FILM_SAVE_AS, [](FilmPane& p, int) { p.SaveFilmAs(); }},
    {ID_FILM_OVERWRITE, [](FilmPane& p, int) { p.OnOverwriteFilm(); }},
    {ID_FILM_PROPERTIES, [](FilmPane& p, int) { p.OnFilmProperties(); }},
    {ID_FILM_EXTRACT, [](FilmPane& p, int) { p.OnExtract(); }},
    {ID_FILM_ANIMATION, [](FilmPane& p, int) { p.OnPlaySelectedCuts(); }},
    {ID_FILM_EXPORT, [](FilmPane& p, int) { p.OnExportFilm(); }},
    {ID_FILM_NEW_CUT_AFTER, [](FilmPane& p, int) { p.OnNewNumberedCut(false); }},
    {ID_FILM_NEW_CUT_BEFORE, [](FilmPane& p, int) { p.OnNewNumberedCut(true); }},
    {ID_FILM_DELETE_CUTS, [](FilmPane& p, int) { p.OnDeleteCuts(); }},
    {ID_FILM_RENAME_CUT, [](FilmPane& p, int) { p.OnRenameCut(); }},
    {ID_CUT_NEW, [](FilmPane& p, int) { p.OnNewCut(); }},
    {ID_CUT_OPEN, [](FilmPane& p, int) { p.OnOpenCut(); }},
    {ID_CUT_SAVE_AS, [](FilmPane& p, int) { p.OnSaveCutAs(); }},
    {ID_CUT_OVERWRITE, [](FilmPane& p, int) { p.OnOverwriteCut(); }},
    {ID_CUT_PROPERTIES, [](FilmPane& p, int) { p.OnCutProperties(); }},
    {ID_CUT_ADD_TO_FILM, [](FilmPane& p, int) { p.OnAddCutToFilm(false); }},
    {ID_CUT_INSERT_INTO_FILM, [](FilmPane& p, int) { p.OnAddCutToFilm(true); }},
    {ID_CUT_REMOVE_FROM_FILM, [](FilmPane& p, int) { p.OnRemoveCutFromFilm(); }},
    {ID_FRAME_EXPORT_BITMAP, [](FilmPane& p, int) { p.OnExportBitmap(); }},
    {ID_WINDOW_CLOSE_ALL, [](FilmPane& p, int) { p.OnCloseAll(); }},
    {IDC_CUT_LIST, [](FilmPane& p, int code) { p.OnCutList(code); }},
};

bool FilmPane::RunCommand(int id, int code) {
  return ::RunCommand(kCommands, *this, id, code);
}

void FilmPane::OnCutList(int code) {
  if (code == LBN_DBLCLK) {
    OpenCutAtCaret();
    return;
  }
  ControlHelp(owner_.statusBar, owner_.instance, code, IDC_CUT_LIST, cutList_);
}
