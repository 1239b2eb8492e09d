// Drives OrvinaDeveloper.exe under Windows (Wine) as an animator makes a film: new film,
// numbered cuts, drawing through the cell commands, timing in the panels, layers, the OV
// export and the film preview; then the film window's and panels' cases that can break.
//   film_driver --editor PATH\OrvinaDeveloper.exe --work FOLDER [--orvina orvina.exe]
//               [--measure FILM.flm] [gtest flags]
// The made film is left in WORK\Made\film for tests/wine/editor_film.sh, which compiles it
// with orvina and compares the OV files. --measure times the editor's export of FILM.
// Recovery.BeforeTheCrash leaves an editor running for the script to kill;
// Recovery.AfterTheCrash starts it again in the same folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "edit/cut_editing.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "files/recovery_store.h"
#include "io/folder.h"
#include "model/cut.h"
#include "model/layer.h"
#include "tests/win32/driver/editor_session.h"

namespace {

// Commands.
constexpr int kFrameAdd = 40004, kFramePrevious = 40007, kLayerAdd = 40014, kLayerDelete = 40015,
              kLayerUp = 40016;
constexpr int kLayerDown = 40017, kLayerProperties = 40022, kLayerInsert = 40080,
              kLayerSave = 40066, kLayerOpen = 40067;
constexpr int kLayerOverwrite = 40068, kCutInsert = 40048, kCutRemove = 40049, kCutOpen = 40056,
              kExtract = 40134;
constexpr int kCellAdd = 40011, kCutAdd = 40047, kCutNew = 40050, kFilmNew = 40051,
              kFilmSaveAs = 40054;
constexpr int kFilmOpen = 40053, kFilmPlay = 40057, kFilmProperties = 40082, kFilmExport = 40083;
constexpr int kCutSaveAs = 40052, kCutOverwrite = 40088, kFocusNext = 40095,
              kFocusPrevious = 40096, kAllKeyframes = 40106;
constexpr int kNewCutAfter = 40115, kNewCutBefore = 40116, kDeleteCuts = 40117, kRenameCut = 40118;
constexpr int kFilmOverwrite = 40119, kCloseAll = 40122, kRandomDots = 40126, kDrawGrid = 40127;
// Panel controls.
constexpr int kTime = 10002, kCutList = 10003, kLayerList = 10004, kLoop = 10005, kComment = 10006;
constexpr int kBrightness = 10007, kStatusBar = 10008, kKeyframe = 10009;
// Dialog controls, each found only in its own dialog.
constexpr int kFilmWidthSpin = 1014, kFilmHeightSpin = 1015, kTitle = 1039, kAuthor = 1040;
constexpr int kCutWidthSpin = 1005, kCutHeightSpin = 1006, kFpsSpin = 1036, kCredit = 1037,
              kAntiNone = 1055;
constexpr int kLayerName = 1000, kLayerWidthSpin = 1004, kLayerHeightSpin = 1003,
              kFollowFrame = 1060;
constexpr int kGridWidthSpin = 1007, kGridHeightSpin = 1008, kDotSpacingSpin = 1061,
              kCutName = 1058;
constexpr int kRecoveryList = 1070, kRestore = 1071, kDiscard = 1072;

struct Environment {
  std::wstring editor, work, measure, orvina;
} gEnv;

std::wstring TestFolder(const wchar_t* name) {
  const std::wstring folder = gEnv.work + L"\\" + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}
std::string Ansi(const std::wstring& path) {
  return Utf8(path);
}
std::wstring Quoted(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

// A small saved cut: `frames` frames showing one 16 × 16 layer, and unused layers.
void WriteCut(const std::wstring& path, int frames = 1, int unusedLayers = 0) {
  Cut cut(64, 48, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  AddLayerToFrames(cut, std::string("L"), 16, 16, std::make_pair(0, 0), nullptr, false);
  for (int i = 1; i < frames; ++i) AddFrameCopy(cut);
  for (int i = 0; i < unusedLayers; ++i) cut.AddLayer(std::string("unused"), 8, 8, nullptr);
  ASSERT_TRUE(SaveCut(cut, Ansi(path)));
}

// A film of cut files in `folder`, named by `names` (a name may come twice).
std::wstring WriteFilm(const std::wstring& folder, const std::vector<std::wstring>& names) {
  Film film;
  film.SetSize(64, 48);
  std::vector<std::unique_ptr<Cut>> cuts;
  for (const std::wstring& name : names) {
    const std::wstring path = folder + L"\\" + name + L".cut";
    if (!FileExists(path)) WriteCut(path);
    cuts.push_back(std::make_unique<Cut>(1, 1, 24, "", AntiAlias::kFull));
    cuts.back()->SetPath(Ansi(path));
    film.AddCut(cuts.back().get(), film.Count() - 1);
  }
  const std::wstring path = folder + L"\\film.flm";
  EXPECT_TRUE(film.Save(Ansi(path), '\\'));
  return path;
}

std::unique_ptr<Cut> ReadCutFile(const std::wstring& path) {
  auto cut = std::make_unique<Cut>(1, 1, 24, "", AntiAlias::kFull);
  EXPECT_TRUE(LoadCut(*cut, Ansi(path), nullptr)) << Ansi(path);
  return cut;
}

// The dialogs as a user fills them.
void FillCutDialog(EditorSession& s, int width, int height, int fps, const wchar_t* credit) {
  HWND d = s.WaitForDialogWith(kFpsSpin);
  ASSERT_TRUE(d);
  SetSpin(d, kCutWidthSpin, width);
  SetSpin(d, kCutHeightSpin, height);
  SetSpin(d, kFpsSpin, fps);
  SetDialogText(d, kCredit, credit);
  ASSERT_TRUE(s.Press(d, IDOK));
}
void FillLayerDialog(EditorSession& s, const wchar_t* name, int width, int height) {
  HWND d = s.WaitForDialogWith(kLayerWidthSpin);
  ASSERT_TRUE(d);
  SetDialogText(d, kLayerName, name);
  SetSpin(d, kLayerWidthSpin, width);
  SetSpin(d, kLayerHeightSpin, height);
  ASSERT_TRUE(s.Press(d, IDOK));
}
void DrawGrid(EditorSession& s, int spacing) {
  s.PostCommand(kDrawGrid);
  HWND d = s.WaitForDialogWith(kGridWidthSpin);
  ASSERT_TRUE(d);
  SetSpin(d, kGridWidthSpin, spacing);
  SetSpin(d, kGridHeightSpin, spacing);
  ASSERT_TRUE(s.Press(d, IDOK));
}
void Rename(EditorSession& s, int row, const wchar_t* name) {
  s.Choose(kCutList, row);
  s.PostCommand(kRenameCut);
  HWND d = s.WaitForDialogWith(kCutName);
  ASSERT_TRUE(d);
  SetDialogText(d, kCutName, name);
  ASSERT_TRUE(s.Press(d, IDOK));
}
bool ReadOnly(EditorSession& s, int id) {
  return (GetWindowLongW(s.Control(id), GWL_STYLE) & ES_READONLY) != 0;
}

// The whole way from nothing to an OV file; tests/wine/editor_film.sh compares the OV file
// with what orvina film compile makes of the saved film.
TEST(Film, MadeInTheEditorFromNothing) {
  const std::wstring folder = TestFolder(L"Made");
  const std::wstring film = folder + L"\\film";
  CreateDirectoryW(film.c_str(), nullptr);
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(L"", false));

  s.PostCommand(kFilmNew);
  HWND d = s.WaitForDialogWith(kFilmWidthSpin);
  ASSERT_TRUE(d);
  SetSpin(d, kFilmWidthSpin, 160);
  SetSpin(d, kFilmHeightSpin, 120);
  SetDialogText(d, kTitle, L"made");
  SetDialogText(d, kAuthor, L"driver");
  ASSERT_TRUE(s.Press(d, IDOK));
  EXPECT_EQ(s.Title(), L"Orvina Developer");

  // The first cut of an empty film: new cut, its first layer, then a name for the film.
  s.PostCommand(kNewCutAfter);
  FillCutDialog(s, 160, 120, 12, L"one");
  FillLayerDialog(s, L"BG", 160, 120);
  ASSERT_TRUE(s.ChooseFile(film + L"\\001.cut"));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"001");
  DrawGrid(s, 10);

  // Timing: 3 and -2 before the third frame, which is a keyframe.
  EXPECT_EQ(TextOf(s.Control(kKeyframe)), L"1(1f)");
  s.Type(kTime, L"3");
  s.Type(kLoop, L"2");
  s.Type(kComment, L"first");
  ASSERT_TRUE(s.Command(kFrameAdd));
  s.Type(kTime, L"-2");
  s.Type(kBrightness, L"150");
  ASSERT_TRUE(s.Command(kFrameAdd));
  EXPECT_EQ(TextOf(s.Control(kKeyframe)), L"3(6f)");
  EXPECT_FALSE(ReadOnly(s, kTime));
  s.Click(kKeyframe);
  EXPECT_TRUE(ReadOnly(s, kTime));
  ASSERT_TRUE(s.Command(kFramePrevious));
  EXPECT_EQ(TextOf(s.Control(kBrightness)), L"100");
  ASSERT_TRUE(s.Command(kFramePrevious));
  EXPECT_EQ(TextOf(s.Control(kKeyframe)), L"1(1f)");
  EXPECT_EQ(TextOf(s.Control(kComment)), L"first");

  // A second layer with dots, moved under the first; at the bottom it stays.
  s.PostCommand(kLayerAdd);
  FillLayerDialog(s, L"FG", 60, 40);
  s.PostCommand(kRandomDots);
  d = s.WaitForDialogWith(kDotSpacingSpin);
  ASSERT_TRUE(d);
  SetSpin(d, kDotSpacingSpin, 5);
  ASSERT_TRUE(s.Press(d, IDOK));
  ASSERT_TRUE(s.Command(kCellAdd));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"BG (1/1),FG (2/2)");
  ASSERT_TRUE(s.Command(kLayerDown));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"FG (2/2),BG (1/1)");
  ASSERT_TRUE(s.Command(kLayerDown));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"FG (2/2),BG (1/1)");
  EXPECT_EQ(s.Selected(kLayerList), std::vector<int>{0});

  // Numbered cuts after and before the caret, each written at once.
  s.PostCommand(kNewCutAfter);
  FillCutDialog(s, 200, 150, 12, L"two");
  ASSERT_TRUE(s.WaitForDialogWith(kLayerWidthSpin));
  EXPECT_TRUE(FileExists(film + L"\\002.cut"));
  FillLayerDialog(s, L"", 100, 100);
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"001,002");
  EXPECT_EQ(TextOf(s.Cut()), L"002.cut");
  DrawGrid(s, 7);
  ASSERT_TRUE(s.Command(kFrameAdd));
  s.PostCommand(kNewCutBefore);
  FillCutDialog(s, 120, 90, 8, L"three");
  FillLayerDialog(s, L"", 120, 90);
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"001,003,002");
  DrawGrid(s, 3);

  // Close all, saving every cut without a question; then the film and its OV file.
  s.PostCommand(kCloseAll);
  ASSERT_TRUE(s.Answer(IDYES));
  ASSERT_TRUE(s.Sync());
  EXPECT_TRUE(s.CutWindows().empty());
  EXPECT_TRUE(s.NoDialog());
  s.PostCommand(kFilmSaveAs);
  ASSERT_TRUE(s.ChooseFile(film + L"\\film.flm"));
  EXPECT_EQ(s.Title(), L"Orvina Developer - film");
  s.PostCommand(kFilmExport);
  ASSERT_TRUE(s.ChooseFile(film + L"\\editor.ov"));
  ASSERT_TRUE(s.Sync());
  const std::vector<uint8_t> ov = ReadFileBytes(film + L"\\editor.ov");
  ASSERT_GT(ov.size(), 100u);

  // Every cut selected plays the same OV image.
  SendMessageW(s.Control(kCutList), LB_SETSEL, TRUE, -1);
  ASSERT_TRUE(s.Command(kFilmPlay, Source::Menu, nullptr, 60000));
  EXPECT_EQ(TextOf(s.Animation()), std::to_wstring(ov.size()) + L" byte");
  EXPECT_EQ(s.Quit(), 0);

  // What the panels and layer commands stored.
  auto one = ReadCutFile(film + L"\\001.cut");
  ASSERT_EQ(one->FrameCount(), 3);
  EXPECT_EQ(one->FrameAt(0)->Time(), 3);
  EXPECT_EQ(one->FrameAt(0)->Loop(), 2);
  EXPECT_EQ(one->FrameAt(0)->Comment(), "first");
  EXPECT_EQ(one->FrameAt(1)->Time(), -2);
  EXPECT_EQ(one->FrameAt(1)->Brightness(), 100);
  EXPECT_TRUE(one->FrameAt(2)->IsKeyframe());
  EXPECT_EQ(*one->FrameAt(0)->EntryAt(0)->layer->Name(), "FG");
  EXPECT_EQ(one->FrameAt(0)->EntryAt(0)->layer->CellCount(), 2);
  EXPECT_EQ(ReadCutFile(film + L"\\002.cut")->FrameCount(), 2);
  EXPECT_EQ(ReadCutFile(film + L"\\003.cut")->Credit(), "three");
}

TEST(FilmWindow, DeleteCutsWithAndWithoutTheirFiles) {
  const std::wstring folder = TestFolder(L"Delete");
  const std::wstring film = WriteFilm(folder, {L"a", L"b", L"c", L"d", L"e"});
  WriteFileBytes(folder + L"\\b.tl", {1, 2, 3});
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  ASSERT_EQ(JoinRows(s.Rows(kCutList)), L"a,b,c,d,e");

  // No: rows 0 and 2 go, the rows that moved into their places are selected, files stay.
  s.Choose(kCutList, 0);
  SendMessageW(s.Control(kCutList), LB_SETSEL, TRUE, 2);
  s.PostCommand(kDeleteCuts);
  ASSERT_TRUE(s.Answer(IDNO));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"b,d,e");
  EXPECT_EQ(s.Selected(kCutList), (std::vector<int>{0, 1}));
  EXPECT_TRUE(FileExists(folder + L"\\a.cut") && FileExists(folder + L"\\c.cut"));

  // Yes: an open, changed cut closes without a question; its file and companion go.
  s.Choose(kCutList, 0);
  s.DoubleClick(kCutList);
  ASSERT_TRUE(WaitFor(10000, [&] { return s.CutWindows().size() == 1; }));
  DrawGrid(s, 4);
  s.PostCommand(kDeleteCuts);
  ASSERT_TRUE(s.Answer(IDYES));
  ASSERT_TRUE(s.Sync());
  EXPECT_TRUE(s.NoDialog());
  EXPECT_TRUE(s.CutWindows().empty());
  EXPECT_FALSE(FileExists(folder + L"\\b.cut") || FileExists(folder + L"\\b.tl"));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"d,e");

  // A file that cannot be deleted keeps its row.
  SetFileAttributesW((folder + L"\\d.cut").c_str(), FILE_ATTRIBUTE_READONLY);
  s.Choose(kCutList, 0);
  SendMessageW(s.Control(kCutList), LB_SETSEL, TRUE, 1);
  s.PostCommand(kDeleteCuts);
  ASSERT_TRUE(s.Answer(IDYES));
  ASSERT_TRUE(s.Sync());
  SetFileAttributesW((folder + L"\\d.cut").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"d");
  EXPECT_TRUE(FileExists(folder + L"\\d.cut"));
  EXPECT_FALSE(FileExists(folder + L"\\e.cut"));
  ASSERT_TRUE(s.Command(kFilmOverwrite));
  Film saved;
  ASSERT_TRUE(saved.Load(Ansi(film), '\\'));
  EXPECT_EQ(saved.Count(), 1);
}

TEST(FilmWindow, RenameChangesEveryRowOrNothing) {
  const std::wstring folder = TestFolder(L"Rename");
  const std::wstring film = WriteFilm(folder, {L"x", L"y", L"x"});
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  s.Choose(kCutList, 0);
  s.DoubleClick(kCutList);
  ASSERT_TRUE(WaitFor(10000, [&] { return s.CutWindows().size() == 1; }));

  Rename(s, 2, L"z");
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"z,y,z");
  EXPECT_EQ(s.Caret(kCutList), 2);
  EXPECT_TRUE(FileExists(folder + L"\\z.cut"));
  EXPECT_FALSE(FileExists(folder + L"\\x.cut"));
  EXPECT_EQ(TextOf(s.Cut()), L"z.cut");

  // The same name, or a name another file has, changes nothing.
  Rename(s, 1, L"y");
  Rename(s, 0, L"y");
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"z,y,z");
  EXPECT_TRUE(FileExists(folder + L"\\z.cut"));
  EXPECT_EQ(TextOf(s.Cut()), L"z.cut");

  ASSERT_TRUE(s.Command(kFilmOverwrite));
  Film saved;
  ASSERT_TRUE(saved.Load(Ansi(film), '\\'));
  ASSERT_EQ(saved.Count(), 3);
  EXPECT_EQ(saved.PathAt(2), Ansi(folder + L"\\z.cut"));
  EXPECT_EQ(saved.PathAt(1), Ansi(folder + L"\\y.cut"));
}

TEST(FilmWindow, NumberedCutsNeverTakeAnotherCutOrWindow) {
  const std::wstring folder = TestFolder(L"Numbered");
  const std::wstring film = WriteFilm(folder, {L"cut999"});
  WriteCut(folder + L"\\loose.cut");
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  const std::vector<uint8_t> before = ReadFileBytes(folder + L"\\cut999.cut");

  // No number is left after 999: no dialog, nothing written.
  s.Choose(kCutList, 0);
  EXPECT_TRUE(s.Command(kNewCutAfter, Source::Menu, nullptr, 3000));
  EXPECT_TRUE(s.Command(kNewCutBefore, Source::Menu, nullptr, 3000));
  EXPECT_TRUE(s.NoDialog());
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"cut999");
  EXPECT_EQ(ReadFileBytes(folder + L"\\cut999.cut"), before);

  // An empty film: a cancelled new cut adds nothing, not the open cut.
  s.PostCommand(kFilmNew);
  ASSERT_TRUE(s.Press(s.WaitForDialogWith(kFilmWidthSpin), IDOK));
  s.PostCommand(kCutOpen);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\loose.cut"));
  ASSERT_EQ(s.CutWindows().size(), 1u);
  s.PostCommand(kNewCutAfter);
  ASSERT_TRUE(s.Press(s.WaitForDialogWith(kFpsSpin), IDCANCEL));
  EXPECT_TRUE(s.NoDialog());
  EXPECT_TRUE(s.Rows(kCutList).empty());
  EXPECT_EQ(s.CutWindows().size(), 1u);

  // Adding the untitled-free cut: the row follows the window.
  ASSERT_TRUE(s.Command(kCutAdd));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"loose");
}

TEST(FilmWindow, FilmQuestionAndFailedLoad) {
  const std::wstring folder = TestFolder(L"FilmLoad");
  const std::wstring film = WriteFilm(folder, {L"a", L"b"});
  const std::wstring other = folder + L"\\other.flm";
  CopyFileW(film.c_str(), other.c_str(), FALSE);
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  EXPECT_EQ(s.Title(), L"Orvina Developer - film");

  // A film that cannot be read leaves the film, its rows and the caption.
  HANDLE held = CreateFileW(other.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  s.PostCommand(kFilmOpen);
  ASSERT_TRUE(s.ChooseFile(other));
  CloseHandle(held);
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"a,b");
  EXPECT_EQ(s.Title(), L"Orvina Developer - film");

  // A new film that was changed is asked about by the name "untitled.cut".
  s.PostCommand(kFilmNew);
  ASSERT_TRUE(s.Press(s.WaitForDialogWith(kFilmWidthSpin), IDOK));
  EXPECT_TRUE(s.Rows(kCutList).empty());
  s.PostCommand(kFilmProperties);
  ASSERT_TRUE(s.Press(s.WaitForDialogWith(kFilmWidthSpin), IDOK));
  s.PostCommand(kFilmOpen);
  std::wstring question;
  ASSERT_TRUE(s.Answer(IDNO, &question));
  EXPECT_NE(question.find(L"untitled.cut"), std::wstring::npos);
  ASSERT_TRUE(s.ChooseFile(other));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"a,b");
  EXPECT_EQ(s.Title(), L"Orvina Developer - other");

  // A dropped film asks about the changed one before it replaces it.
  s.PostCommand(kFilmProperties);
  ASSERT_TRUE(s.Press(s.WaitForDialogWith(kFilmWidthSpin), IDOK));
  s.PostDrop(film);
  ASSERT_TRUE(s.Answer(IDNO, &question));
  EXPECT_NE(question.find(L"other.flm"), std::wstring::npos) << question;
  ASSERT_TRUE(WaitFor(10000, [&] { return s.Title() == L"Orvina Developer - film"; }));

  // A name the code page cannot spell is refused in words the user can read.
  s.PostCommand(kFilmSaveAs);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\\u00e9.flm"));
  std::wstring refusal;
  ASSERT_TRUE(s.Answer(IDOK, &refusal));
  EXPECT_NE(refusal.find(L"このパスには保存できません。"), std::wstring::npos) << refusal;
  EXPECT_EQ(s.Title(), L"Orvina Developer - film");
}

TEST(FilmWindow, CutsIntoAndOutOfTheFilm) {
  const std::wstring folder = TestFolder(L"InAndOut");
  CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
  WriteCut(folder + L"\\p.cut");
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(L"", false));

  // A new cut has no name: adding it asks for one, and a cancel adds nothing.
  s.PostCommand(kCutNew);
  FillCutDialog(s, 80, 60, 24, L"");
  FillLayerDialog(s, L"", 80, 60);
  EXPECT_EQ(TextOf(s.Cut()), L"untitled.cut");
  EXPECT_EQ(s.ProgramSession::Setting(L"OnNewCut", L"width"), L"80") << "the new cut's size is kept";
  s.PostCommand(kCutAdd);
  ASSERT_TRUE(s.CancelFileDialog());
  EXPECT_TRUE(s.Rows(kCutList).empty());
  s.PostCommand(kCutAdd);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\n1.cut"));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"n1");

  // Inserted before the caret without a change of selection, then removed again.
  s.PostCommand(kCutOpen);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\p.cut"));
  ASSERT_TRUE(s.Command(kCutInsert));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"p,n1");
  EXPECT_EQ(s.Selected(kCutList), std::vector<int>{1});
  ASSERT_TRUE(s.Command(kCutRemove));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"n1");
  EXPECT_TRUE(FileExists(folder + L"\\p.cut"));

  // Extract copies the selected cut beside a new film; this film stays.
  s.Choose(kCutList, 0);
  s.PostCommand(kExtract);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\sub\\ex.flm"));
  EXPECT_TRUE(FileExists(folder + L"\\sub\\n1.cut"));
  Film extracted;
  ASSERT_TRUE(extracted.Load(Ansi(folder + L"\\sub\\ex.flm"), '\\'));
  EXPECT_EQ(extracted.Count(), 1);
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"n1");
}

TEST(Panels, LayerCommandsAndLayerFiles) {
  const std::wstring folder = TestFolder(L"Layers");
  WriteCut(folder + L"\\a.cut", 2);
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(folder + L"\\a.cut")));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"L (1/1)");

  s.PostCommand(kLayerInsert);
  FillLayerDialog(s, L"IN", 8, 8);
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"IN (1/1),L (1/1)");
  ASSERT_TRUE(s.Command(kLayerUp));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"L (1/1),IN (1/1)");
  EXPECT_EQ(s.Selected(kLayerList), std::vector<int>{1});
  ASSERT_TRUE(s.Command(kLayerUp));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"L (1/1),IN (1/1)");

  // Properties rename every row of the layer and resize it.
  s.PostCommand(kLayerProperties);
  HWND d = s.WaitForDialogWith(kLayerWidthSpin);
  ASSERT_TRUE(d);
  EXPECT_EQ(TextOf(GetDlgItem(d, kLayerName)), L"IN");
  SetDialogText(d, kLayerName, L"TOP");
  SetSpin(d, kLayerWidthSpin, 12);
  SetSpin(d, kLayerHeightSpin, 6);
  CheckButton(d, kFollowFrame, true);
  ASSERT_TRUE(s.Press(d, IDOK));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"L (1/1),TOP (1/1)");

  // A double click on a row shows that layer's properties.
  s.Choose(kLayerList, 0);
  s.DoubleClick(kLayerList);
  d = s.WaitForDialogWith(kLayerWidthSpin);
  ASSERT_TRUE(d);
  EXPECT_EQ(TextOf(GetDlgItem(d, kLayerName)), L"L");
  ASSERT_TRUE(s.Press(d, IDCANCEL));

  // The top layer to a file, deleted, then read into the other layer twice.
  s.Choose(kLayerList, 1);
  s.PostCommand(kLayerSave);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\top.lyr"));
  EXPECT_TRUE(FileExists(folder + L"\\top.lyr"));
  ASSERT_TRUE(s.Command(kLayerDelete));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"L (1/1)");
  s.PostCommand(kLayerOpen);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\top.lyr"));
  EXPECT_EQ(JoinRows(s.Rows(kLayerList)), L"TOP (1/1)");
  s.PostCommand(kLayerOverwrite);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\top.lyr"));
  ASSERT_TRUE(s.Command(kCutOverwrite));
  auto saved = ReadCutFile(folder + L"\\a.cut");
  ASSERT_EQ(saved->LayerCount(), 1);
  EXPECT_EQ(*saved->LayerAt(0)->Name(), "TOP");
  EXPECT_EQ(saved->LayerAt(0)->Width(), 12);
  EXPECT_TRUE(saved->LayerAt(0)->FollowFrame());
}

TEST(Panels, CommitPointsFocusCycleAndSaves) {
  const std::wstring folder = TestFolder(L"Panels");
  WriteCut(folder + L"\\a.cut", 2, 1);
  const std::wstring film = WriteFilm(folder, {L"a", L"b"});
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  for (int row : {1, 0}) {
    s.Choose(kCutList, row);
    s.DoubleClick(kCutList);
    ASSERT_TRUE(WaitFor(10000, [&, row] { return s.CutWindows().size() == size_t(2 - row); }));
  }
  HWND a = s.Cut();
  ASSERT_EQ(TextOf(a), L"a.cut");
  EXPECT_EQ(s.Selected(kCutList), std::vector<int>{0});

  // Moving on from the loop field does not store what was typed there.
  s.Type(kLoop, L"7");
  ASSERT_TRUE(s.Command(kFocusNext));
  EXPECT_EQ(s.FocusId(), kBrightness);
  ASSERT_TRUE(s.Command(kFocusNext));
  EXPECT_EQ(s.FocusId(), kLayerList);
  ASSERT_TRUE(s.Command(kAllKeyframes));
  EXPECT_EQ(TextOf(s.Control(kLoop)), L"1");
  EXPECT_TRUE(ReadOnly(s, kTime));

  // The focus cycle forward and back; the cut list shows its help.
  const std::vector<int> forward = {kCutList,  kComment, 0,           kTime,
                                    kKeyframe, kLoop,    kBrightness, kLayerList};
  for (int id : forward) {
    ASSERT_TRUE(s.Command(kFocusNext));
    if (id)
      EXPECT_EQ(s.FocusId(), id);
    else
      EXPECT_EQ(s.Focus(), a);
  }
  for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
    ASSERT_TRUE(s.Command(kFocusPrevious));
    if (*it)
      EXPECT_EQ(s.FocusId(), *it);
    else
      EXPECT_EQ(s.Focus(), a);
  }
  EXPECT_EQ(s.FocusId(), kCutList);
  EXPECT_EQ(TextOf(s.Control(kStatusBar)).substr(0, 13), L"現在のフィルムにあるカット");

  // Switching windows stores it.
  s.Type(kLoop, L"7");
  s.Activate(s.CutWindows().back() == a ? s.CutWindows().front() : s.CutWindows().back());
  EXPECT_EQ(TextOf(s.Control(kLoop)), L"1");
  EXPECT_EQ(s.Selected(kCutList), std::vector<int>{1});
  s.Activate(a);
  EXPECT_EQ(TextOf(s.Control(kLoop)), L"7");

  // Saving under a new name starts from the cut's own file.
  s.PostCommand(kCutSaveAs);
  std::wstring shown;
  ASSERT_TRUE(s.CancelFileDialog(&shown));
  EXPECT_EQ(shown.substr(shown.rfind(L'\\') + 1), L"a.cut") << shown;

  // Saving drops the layer no frame shows.
  ASSERT_TRUE(s.Command(kCutOverwrite));
  auto saved = ReadCutFile(folder + L"\\a.cut");
  EXPECT_EQ(saved->LayerCount(), 1);
  EXPECT_EQ(saved->FrameAt(saved->FrameCount() - 1)->Loop(), 7);

  // Without a cut window the cycle goes from the comment to the time field.
  s.PostCommand(kCloseAll);
  ASSERT_TRUE(s.Answer(IDNO));
  ASSERT_TRUE(s.Sync());
  ASSERT_TRUE(s.CutWindows().empty());
  s.Click(kComment);
  ASSERT_TRUE(s.Command(kFocusNext));
  EXPECT_EQ(s.FocusId(), kTime);
  ASSERT_TRUE(s.Command(kFocusPrevious));
  EXPECT_EQ(s.FocusId(), kComment);
}

TEST(FilmWindow, RowsFollowTheirFilesNotAWindowSavedElsewhere) {
  const std::wstring folder = TestFolder(L"Relink");
  const std::wstring film = WriteFilm(folder, {L"a", L"b", L"a"});
  const std::vector<uint8_t> original = ReadFileBytes(folder + L"\\a.cut");
  EditorSession s(gEnv.editor, folder + L"\\editor");
  ASSERT_TRUE(s.Start(Quoted(film), false));
  s.Choose(kCutList, 0);
  s.DoubleClick(kCutList);
  ASSERT_TRUE(WaitFor(10000, [&] { return s.CutWindows().size() == 1; }));
  DrawGrid(s, 4);
  s.PostCommand(kCutSaveAs);
  ASSERT_TRUE(s.ChooseFile(folder + L"\\v.cut"));
  EXPECT_EQ(TextOf(s.Cut()), L"v.cut");

  // The old rows rename the old file; the window keeps its own.
  Rename(s, 0, L"c");
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"c,b,c");
  EXPECT_EQ(TextOf(s.Cut()), L"v.cut");
  EXPECT_EQ(ReadFileBytes(folder + L"\\c.cut"), original);

  // Deleting the old file takes every row naming it, and the window stays.
  s.Choose(kCutList, 0);
  s.PostCommand(kDeleteCuts);
  ASSERT_TRUE(s.Answer(IDYES));
  ASSERT_TRUE(s.Sync());
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"b");
  EXPECT_FALSE(FileExists(folder + L"\\c.cut"));
  ASSERT_EQ(s.CutWindows().size(), 1u);
  ASSERT_TRUE(s.Command(kCutOverwrite));
  EXPECT_FALSE(FileExists(folder + L"\\c.cut"));
  EXPECT_TRUE(FileExists(folder + L"\\v.cut"));
  EXPECT_EQ(s.Quit(), 0);
}

// The documents an editor left in its recovery folder: caption → the entry and its folder.
struct LeftEntry {
  std::wstring session;
  RecoveryEntry entry;
};
std::vector<LeftEntry> RecoveryEntries(const std::wstring& editorFolder) {
  std::vector<LeftEntry> entries;
  const std::string root = Ansi(editorFolder + L"\\OrvinaDeveloper.recovery");
  for (const std::string& session : FoldersIn(root))
    for (const std::string& file : FilesIn(root + "\\" + session)) {
      if (file.size() < 4 || file.substr(file.size() - 4) != ".idx") continue;
      const std::vector<uint8_t> bytes = ReadFileBytes(Utf16(root + "\\" + session + "\\" + file));
      auto entry = ParseRecoveryEntry(std::string(bytes.begin(), bytes.end()));
      if (entry && !entry->copies.empty())
        entries.push_back({Utf16(root + "\\" + session), *entry});
    }
  return entries;
}
std::wstring NewestCopy(const LeftEntry& e) {
  return e.session + L"\\" + Utf16(e.entry.copies.back().file);
}

constexpr char kRecoverySettings[] = "[Recovery]\r\nInterval=1\r\n";

// A titled cut and an untitled one drawn in, the film changed; the editor is left running
// once its copies hold all of it, for tests/wine/editor_film.sh to kill.
TEST(Recovery, BeforeTheCrash) {
  const std::wstring folder = TestFolder(L"Recovery");
  const std::wstring film = WriteFilm(folder, {L"a"});
  CopyFileW((folder + L"\\a.cut").c_str(), (folder + L"\\a.before").c_str(), FALSE);
  EditorSession s(gEnv.editor, folder + L"\\editor", kRecoverySettings);
  ASSERT_TRUE(s.Start(Quoted(film), false));
  s.Choose(kCutList, 0);
  s.DoubleClick(kCutList);
  ASSERT_TRUE(WaitFor(10000, [&] { return s.CutWindows().size() == 1; }));
  DrawGrid(s, 4);
  s.PostCommand(kCutNew);
  FillCutDialog(s, 64, 48, 24, L"");
  FillLayerDialog(s, L"U", 40, 30);
  DrawGrid(s, 6);
  s.PostCommand(kFilmProperties);
  HWND d = s.WaitForDialogWith(kFilmWidthSpin);
  ASSERT_TRUE(d);
  SetDialogText(d, kTitle, L"changed");
  ASSERT_TRUE(s.Press(d, IDOK));

  // The newest copies show every change: both drawings and the film's title.
  auto drawn = [](const std::wstring& copy) {
    Cut cut(1, 1, 24, "", AntiAlias::kFull);
    if (!LoadCut(cut, Ansi(copy), nullptr) || cut.LayerCount() < 1) return false;
    const RasterSurface& cell = *cut.LayerAt(0)->CellAt(0);
    for (int32_t y = 0; y < cell.Height(); ++y)
      for (int32_t x = 0; x < cell.Width(); ++x)
        if (cell.GetPixel(x, y) != 0) return true;
    return false;
  };
  auto retitled = [](const std::wstring& copy) {
    const std::vector<uint8_t> bytes = ReadFileBytes(copy);
    return std::string(bytes.begin(), bytes.end()).rfind("changed\r\n", 0) == 0;
  };
  const bool copied = WaitFor(30000, [&] {
    int whole = 0;
    for (const LeftEntry& e : RecoveryEntries(s.Folder()))
      whole += e.entry.kind == DocumentKind::kCut ? drawn(NewestCopy(e)) : retitled(NewestCopy(e));
    return whole == 3;
  });
  ASSERT_TRUE(copied) << RecoveryEntries(s.Folder()).size() << " documents copied";
  s.Detach();
}

TEST(Recovery, AfterTheCrash) {
  const std::wstring folder = gEnv.work + L"\\Recovery";
  const std::vector<LeftEntry> left = RecoveryEntries(folder + L"\\editor");
  ASSERT_EQ(left.size(), 3u) << "the killed editor's copies";
  EditorSession s(gEnv.editor, folder + L"\\editor", kRecoverySettings);
  const double started = NowMs();
  ASSERT_TRUE(s.Launch(L""));
  HWND dialog = s.WaitForDialogWith(kRecoveryList, 30000);
  ASSERT_TRUE(dialog);
  std::printf("start to the recovery dialog: %.0f ms\n", NowMs() - started);
  ASSERT_TRUE(s.WaitForFrame());

  // Newest first, each by its name, its own file or 無題, and the time of its copy.
  const std::vector<std::wstring> rows = ListRows(GetDlgItem(dialog, kRecoveryList));
  ASSERT_EQ(rows.size(), 3u);
  int cutRow = -1, untitledRow = -1, filmRow = -1;
  for (int i = 0; i < 3; ++i) {
    if (rows[i].rfind(L"a.cut\t" + folder + L"\\a.cut\t", 0) == 0) cutRow = i;
    if (rows[i].rfind(L"untitled.cut\t無題\t", 0) == 0) untitledRow = i;
    if (rows[i].rfind(L"film.flm\t" + folder + L"\\film.flm\t", 0) == 0) filmRow = i;
  }
  ASSERT_TRUE(cutRow >= 0 && untitledRow >= 0 && filmRow >= 0) << Utf8(JoinRows(rows));

  // What the view must show: the newest copy of the cut as orvina composes it.
  std::wstring copy;
  for (const LeftEntry& e : left)
    if (e.entry.caption == "a.cut") copy = NewestCopy(e);
  ASSERT_FALSE(gEnv.orvina.empty()) << "--orvina is needed";
  const std::wstring composed = folder + L"\\copy.bmp";
  ASSERT_EQ(RunProgram(gEnv.orvina, L"cut compose " + Quoted(copy) + L" -o " + Quoted(composed)),
            0);
  const Composed expected = ReadComposed(composed);
  ASSERT_GT(expected.width, 0);

  HWND list = GetDlgItem(dialog, kRecoveryList);
  SendMessageW(list, LB_SETSEL, FALSE, -1);
  SendMessageW(list, LB_SETSEL, TRUE, cutRow);
  SendMessageW(list, LB_SETSEL, TRUE, filmRow);
  PressButton(dialog, kRestore);
  ASSERT_TRUE(s.Sync());
  SendMessageW(list, LB_SETSEL, FALSE, -1);
  SendMessageW(list, LB_SETSEL, TRUE, untitledRow);
  PressButton(dialog, kDiscard);
  ASSERT_TRUE(s.Sync());
  EXPECT_NE(ListRows(list)[size_t(untitledRow)].find(L"破棄"), std::wstring::npos);
  ASSERT_TRUE(s.Press(dialog, IDOK));

  // The cut comes back changed, bound to its file, which is as it was before the drawing;
  // the film brings its row back, linked to the window.
  ASSERT_TRUE(WaitFor(10000, [&] {
    return s.CutWindows().size() == 1 && s.Rows(kCutList).size() == 1;
  })) << s.CutWindows().size() << " windows";
  ASSERT_TRUE(s.Sync());
  EXPECT_EQ(s.CutTitle(), L"a.cut");
  const SIZE client = s.CutClientSize();
  EXPECT_TRUE(ShowsImage(
      s, {ExpectedView(expected, PaletteOf(expected), ViewState{}, client.cx, client.cy)}));
  EXPECT_EQ(ReadFileBytes(folder + L"\\a.cut"), ReadFileBytes(folder + L"\\a.before"));
  EXPECT_EQ(JoinRows(s.Rows(kCutList)), L"a");
  s.Choose(kCutList, 0);
  s.DoubleClick(kCutList);
  ASSERT_TRUE(s.Sync());
  EXPECT_EQ(s.CutWindows().size(), 1u);

  // The killed editor's copies go once the restored documents have copies of their own.
  EXPECT_TRUE(WaitFor(15000, [&] {
    const std::vector<LeftEntry> now = RecoveryEntries(s.Folder());
    return now.size() == 2 && now[0].session != left[0].session && !FileExists(left[0].session);
  }));

  // A second editor beside this one offers nothing of it.
  {
    EditorSession beside(ProgramSession::Beside{}, s);
    ASSERT_TRUE(beside.Launch(L""));
    ASSERT_TRUE(beside.WaitForFrame());
    EXPECT_FALSE(beside.WaitForDialogWith(kRecoveryList, 2500));
    EXPECT_EQ(beside.Quit(), 0);
  }
  EXPECT_EQ(RecoveryEntries(s.Folder()).size(), 2u);

  // A clean exit leaves no copy behind, and the file is still as it was.
  EXPECT_EQ(s.Quit(), 0);
  EXPECT_TRUE(FoldersIn(Ansi(s.Folder() + L"\\OrvinaDeveloper.recovery")).empty());
  EXPECT_EQ(ReadFileBytes(folder + L"\\a.cut"), ReadFileBytes(folder + L"\\a.before"));
}

// Not a test of behaviour: the editor's export of a prepared film, cold and then warm.
TEST(Measure, EditorExport) {
  if (gEnv.measure.empty()) GTEST_SKIP() << "no --measure film";
  EditorSession s(gEnv.editor, TestFolder(L"Measure"));
  ASSERT_TRUE(s.Start(Quoted(gEnv.measure), false));
  const std::wstring folder = gEnv.measure.substr(0, gEnv.measure.find_last_of(L'\\'));
  for (const wchar_t* name : {L"cold", L"warm"}) {
    s.PostCommand(kFilmExport);
    const std::wstring out = folder + L"\\editor_" + name + L".ov";
    const double started = NowMs();
    ASSERT_TRUE(s.ChooseFile(out));
    ASSERT_TRUE(WaitFor(600000, [&] { return FileExists(out) && s.NoDialog(); }));
    ASSERT_TRUE(s.Sync());
    std::printf("editor export %ls: %.0f ms\n", name, NowMs() - started);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!ReadDriverFlags(argc, argv,
                       {{"--editor", &gEnv.editor, true},
                        {"--work", &gEnv.work, true},
                        {"--measure", &gEnv.measure},
                        {"--orvina", &gEnv.orvina}},
                       "film_driver --editor OrvinaDeveloper.exe --work FOLDER [--orvina orvina.exe]"
                       " [--measure FILM]"))
    return 2;
  return RUN_ALL_TESTS();
}
