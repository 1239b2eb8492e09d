#include "files/film.h"

#include <gtest/gtest.h>

#include "files/film_text.h"
#include "model/cut.h"
#include "tests/files/scratch_dir.h"

namespace {

std::unique_ptr<Cut> CutAt(const std::string& path) {
  auto cut = std::make_unique<Cut>(8, 8, 24, "", AntiAlias::kFull);
  cut->SetPath(path);
  return cut;
}

std::vector<std::string> Paths(Film& film) {
  std::vector<std::string> paths;
  for (int32_t i = 0; i < film.Count(); ++i) paths.push_back(film.PathAt(i));
  return paths;
}

TEST(Film, AddAndInsertPlaceItemsAroundTheIndex) {
  Film film;
  auto a = CutAt("a.cut"), b = CutAt("b.cut"), c = CutAt("c.cut"), d = CutAt("d.cut");
  auto untitled = CutAt("");
  EXPECT_FALSE(film.AddCut(untitled.get(), 0));
  EXPECT_FALSE(film.InsertCut(untitled.get(), 0));
  EXPECT_FALSE(film.AddCut(nullptr, 0));
  EXPECT_FALSE(film.Modified());

  EXPECT_TRUE(film.AddCut(a.get(), -1));
  EXPECT_TRUE(film.Modified());
  EXPECT_TRUE(film.AddCut(b.get(), 7));  // an invalid index appends
  EXPECT_TRUE(film.AddCut(c.get(), 0));  // after item 0
  EXPECT_EQ(film.Items().CurrentIndex(), 1);
  EXPECT_EQ(Paths(film), (std::vector<std::string>{"a.cut", "c.cut", "b.cut"}));
  EXPECT_TRUE(film.InsertCut(d.get(), 0));  // before item 0
  EXPECT_EQ(Paths(film), (std::vector<std::string>{"d.cut", "a.cut", "c.cut", "b.cut"}));
  film.Items().GoTo(2);
  EXPECT_TRUE(film.InsertCut(a.get(), 99));  // before the current item
  EXPECT_EQ(Paths(film), (std::vector<std::string>{"d.cut", "a.cut", "a.cut", "c.cut", "b.cut"}));
  EXPECT_EQ(film.ItemAt(2)->cut, a.get());

  // The item keeps the path it was given even when the cut's path changes later.
  a->SetPath("elsewhere.cut");
  EXPECT_EQ(film.PathAt(1), "a.cut");
  EXPECT_EQ(film.PathAt(5), "");
  EXPECT_EQ(film.PathAt(-1), "");

  film.SetModified(false);
  EXPECT_FALSE(film.RemoveCut(5));
  EXPECT_FALSE(film.Modified());
  EXPECT_TRUE(film.RemoveCut(0));
  EXPECT_TRUE(film.Modified());
  EXPECT_EQ(Paths(film), (std::vector<std::string>{"a.cut", "a.cut", "c.cut", "b.cut"}));
}

TEST(Film, ItemsWithTheSamePathRenameAndAttachTogether) {
  Film film;
  auto a = CutAt("a.cut"), b = CutAt("b.cut");
  film.AddCut(a.get(), -1);
  film.AddCut(b.get(), -1);
  film.AddCut(a.get(), -1);
  film.DetachCut(a.get());
  film.DetachCut(b.get());
  EXPECT_EQ(film.IndexOfCut(a.get()), -1);
  EXPECT_EQ(film.IndexOfCut(nullptr), -1);

  auto opened = CutAt("a.cut");
  film.AttachCut(opened.get());
  EXPECT_EQ(film.ItemAt(0)->cut, opened.get());
  EXPECT_EQ(film.ItemAt(1)->cut, nullptr);
  EXPECT_EQ(film.ItemAt(2)->cut, opened.get());
  EXPECT_EQ(film.IndexOfCut(opened.get()), 0);

  film.SetModified(false);
  EXPECT_TRUE(film.RenamePath(2, "renamed.cut"));
  EXPECT_TRUE(film.Modified());
  EXPECT_EQ(Paths(film), (std::vector<std::string>{"renamed.cut", "b.cut", "renamed.cut"}));
  EXPECT_FALSE(film.RenamePath(3, "x.cut"));

  film.DetachCut(opened.get());
  EXPECT_EQ(film.IndexOfCut(opened.get()), -1);
  film.SetTitle("t");
  film.SetSize(320, 240);
  film.Clear();
  EXPECT_EQ(film.Count(), 0);
  EXPECT_EQ(film.Title(), "");
  EXPECT_FALSE(film.Modified());
}

TEST(FilmText, LinesEndWithCrLfAndReadWithEither) {
  FilmText text{"title", "author", 320, 240, {"a.cut", "../b/c.cut"}};
  std::string bytes;
  ASSERT_TRUE(FormatFilmText(text, &bytes, nullptr));
  EXPECT_EQ(bytes, "title\r\nauthor\r\n320, 240\r\na.cut\r\n../b/c.cut\r\n");

  for (const std::string& file : {bytes, std::string("title\nauthor\n320, 240\na.cut\n\n\n../b/c.cut")}) {
    const FilmText back = ParseFilmText(file);
    EXPECT_EQ(back.title, "title");
    EXPECT_EQ(back.author, "author");
    EXPECT_EQ(back.width, 320);
    EXPECT_EQ(back.height, 240);
    EXPECT_EQ(back.lines, text.lines);
  }
}

TEST(FilmText, OddFilesReadWithoutSurprises) {
  FilmText t = ParseFilmText("");
  EXPECT_EQ(t.title, "");
  EXPECT_EQ(t.width, 0);
  EXPECT_TRUE(t.lines.empty());

  // The size as "%d, %d" reads it; the rest of its line never becomes a cut line, and a
  // cut line keeps its leading spaces.
  t = ParseFilmText("t\na\n  -12,34 junk\n  spaced.cut\n");
  EXPECT_EQ(t.width, -12);
  EXPECT_EQ(t.height, 34);
  EXPECT_EQ(t.lines, std::vector<std::string>{"  spaced.cut"});
  t = ParseFilmText("t\na\n99999999999, x\n");
  EXPECT_EQ(t.width, INT32_MAX);
  EXPECT_EQ(t.height, 0);

  // A line beyond 255 bytes: 255 are kept, the 256th is dropped, the rest is the next line.
  const std::string longLine = std::string(255, 'x') + "Y" + "rest.cut";
  t = ParseFilmText("t\na\n1, 2\n" + longLine + "\r\nlast.cut");
  EXPECT_EQ(t.lines, (std::vector<std::string>{std::string(255, 'x'), "rest.cut", "last.cut"}));
  // Exactly 255 bytes and CR LF is one line.
  t = ParseFilmText("t\na\n1, 2\n" + std::string(255, 'z') + "\r\nnext.cut");
  EXPECT_EQ(t.lines, (std::vector<std::string>{std::string(255, 'z'), "next.cut"}));
  // A zero byte ends the text of its line.
  t = ParseFilmText(std::string("ti\0tle\na\n1, 2\nc.cut", 18));
  EXPECT_EQ(t.title, "ti");
}

TEST(FilmText, LinesThatCannotBeStoredAreRefused) {
  std::string bytes = "unchanged";
  std::string error;
  FilmText text{"t", "a", 1, 1, {std::string(256, 'x')}};
  EXPECT_FALSE(FormatFilmText(text, &bytes, &error));
  EXPECT_NE(error.find("cut line 1"), std::string::npos) << error;
  text.lines = {std::string(255, 'x'), ""};
  EXPECT_FALSE(FormatFilmText(text, &bytes, &error));
  text.lines = {"a\nb.cut"};
  EXPECT_FALSE(FormatFilmText(text, &bytes, &error));
  text = {"line\r\nbreak", "a", 1, 1, {}};
  EXPECT_FALSE(FormatFilmText(text, &bytes, &error));
  EXPECT_NE(error.find("title"), std::string::npos) << error;
  EXPECT_EQ(bytes, "unchanged");
}

using FilmFile = ScratchDir;

TEST_F(FilmFile, SaveWritesRelativeLinesAndLoadResolvesThem) {
  for (const char* p : {"films/a.cut", "cuts/b.cut", "films/sub/c.cut", "other/deep/x"}) Write(p, "");
  Film film;
  film.SetTitle("\x93\xfa\x96\x7b");  // code page 932 bytes stay as they are
  film.SetAuthor("me");
  film.SetSize(640, 480);
  auto a = CutAt(At("films/a.cut")), b = CutAt(At("cuts/b.cut")), c = CutAt(At("films/sub/c.cut"));
  film.AddCut(a.get(), -1);
  film.AddCut(b.get(), -1);
  film.AddCut(c.get(), -1);
  film.AddCut(a.get(), -1);
  std::string error;
  ASSERT_TRUE(film.Save(At("films/f.flm"), '/', &error)) << error;
  EXPECT_FALSE(film.Modified());
  EXPECT_EQ(film.Path(), At("films/f.flm"));
  EXPECT_EQ(Read("films/f.flm"),
            "\x93\xfa\x96\x7b\r\nme\r\n640, 480\r\na.cut\r\n../cuts/b.cut\r\nsub/c.cut\r\na.cut\r\n");

  // Saved into another folder, every line is written against the new place.
  ASSERT_TRUE(film.Save(At("other/deep/g.flm"), '/', &error)) << error;
  EXPECT_EQ(Read("other/deep/g.flm"),
            "\x93\xfa\x96\x7b\r\nme\r\n640, 480\r\n../../films/a.cut\r\n../../cuts/b.cut\r\n"
            "../../films/sub/c.cut\r\n../../films/a.cut\r\n");

  Film back;
  ASSERT_TRUE(back.Load(At("other/deep/g.flm"), '/', &error)) << error;
  EXPECT_EQ(Paths(back), Paths(film));
  EXPECT_EQ(back.Title(), film.Title());
  EXPECT_EQ(back.Author(), "me");
  EXPECT_EQ(back.Width(), 640);
  EXPECT_EQ(back.Height(), 480);
  EXPECT_EQ(back.ItemAt(0)->cut, nullptr);
  EXPECT_FALSE(back.Modified());

  // The folder of a film and its cuts can move as a whole.
  std::filesystem::rename(At("films"), At("moved"));
  ASSERT_TRUE(back.Load(At("moved/f.flm"), '/', &error));
  EXPECT_EQ(back.PathAt(2), At("moved/sub/c.cut"));
  EXPECT_EQ(back.PathAt(1), At("cuts/b.cut"));
}

TEST_F(FilmFile, AnEmptyFilmWritesThreeLines) {
  Film film;
  film.SetSize(320, 240);
  ASSERT_TRUE(film.Save(At("e.flm"), '/'));
  EXPECT_EQ(Read("e.flm"), "\r\n\r\n320, 240\r\n");
  film.SetTitle("again");
  EXPECT_TRUE(film.SaveToOwnPath('/'));
  EXPECT_EQ(Read("e.flm"), "again\r\n\r\n320, 240\r\n");
  Film none;
  std::string error;
  EXPECT_FALSE(none.SaveToOwnPath('/', &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(FilmFile, AFailedSaveKeepsTheOldFileAndSaysWhichCut) {
  Film film;
  auto a = CutAt(At("a.cut"));
  const std::string longPath = At(std::string(260, 'n') + ".cut");
  auto b = CutAt(longPath);
  film.AddCut(a.get(), -1);
  film.AddCut(b.get(), -1);
  Write("f.flm", "old film");
  std::string error;
  EXPECT_FALSE(film.Save(At("f.flm"), '/', &error));
  EXPECT_NE(error.find("cut 2"), std::string::npos) << error;
  EXPECT_NE(error.find(longPath), std::string::npos) << error;
  EXPECT_EQ(Read("f.flm"), "old film");
  EXPECT_TRUE(film.Modified());
  EXPECT_EQ(film.Path(), "");

  film.RemoveCut(1);
  film.SetTitle("two\nlines");
  EXPECT_FALSE(film.Save(At("f.flm"), '/', &error));
  EXPECT_EQ(Read("f.flm"), "old film");
  // A folder that does not exist.
  film.SetTitle("t");
  EXPECT_FALSE(film.Save(At("missing/f.flm"), '/', &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(FilmFile, ALineThatWouldNotLeadBackToItsCutIsNeverWritten) {
  // A drive letter in the other case names the same drive.
  Film drives;
  auto lower = CutAt("d:\\p\\q\\c.cut"), other = CutAt("E:\\x\\e.cut");
  drives.AddCut(lower.get(), -1);
  FilmText text;
  ASSERT_TRUE(drives.ToText("D:\\p\\f.flm", '\\', &text));
  EXPECT_EQ(text.lines, std::vector<std::string>{"q/c.cut"});
  drives.AddCut(other.get(), -1);
  std::string error;
  EXPECT_FALSE(drives.ToText("D:\\p\\f.flm", '\\', &text, &error));
  EXPECT_EQ(error, "cut 2 (E:\\x\\e.cut): it cannot be reached from the film's folder");

  // A cut the film's folder cannot reach: the save names it and the old file stays.
  Film film;
  auto a = CutAt(At("a.cut")), away = CutAt("elsewhere/e.cut");
  film.AddCut(a.get(), -1);
  film.AddCut(away.get(), -1);
  Write("f.flm", "old film");
  EXPECT_FALSE(film.Save(At("f.flm"), '/', &error));
  EXPECT_EQ(error, "cut 2 (elsewhere/e.cut): it cannot be reached from the film's folder");
  EXPECT_EQ(Read("f.flm"), "old film");
  EXPECT_TRUE(film.Modified());
}

TEST_F(FilmFile, AFailedLoadKeepsTheFilm) {
  Film film;
  auto a = CutAt(At("a.cut"));
  film.AddCut(a.get(), -1);
  film.SetTitle("kept");
  std::string error;
  EXPECT_FALSE(film.Load(At("missing.flm"), '/', &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(film.Count(), 1);
  EXPECT_EQ(film.Title(), "kept");
}

class Extract : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    Write("src/a.cut", "cut a");
    Write("src/b.cut", "cut b");
    Write("other/c.CUT", "cut c");
    std::filesystem::create_directories(At("out"));
    for (const char* p : {"src/a.cut", "src/b.cut", "other/c.CUT"}) {
      cuts_.push_back(CutAt(At(p)));
      film_.AddCut(cuts_.back().get(), -1);
    }
    film_.SetTitle("title");
    film_.SetAuthor("author");
    film_.SetSize(320, 240);
    film_.SetModified(false);
  }

  Film film_;
  std::vector<std::unique_ptr<Cut>> cuts_;
};

TEST_F(Extract, WritesTheSelectedCutsBesideTheNewFilm) {
  std::vector<ExtractedCut> done;
  std::string error;
  ASSERT_TRUE(film_.Extract(At("out/new.flm"), {0, 2}, &done, &error)) << error;
  EXPECT_EQ(Read("out/new.flm"), "title\r\nauthor\r\n320, 240\r\na.cut\r\nc.cut\r\n");
  EXPECT_EQ(Read("out/a.cut"), "cut a");
  EXPECT_EQ(Read("out/c.cut"), "cut c");
  EXPECT_FALSE(Exists("out/b.cut"));
  ASSERT_EQ(done.size(), 2u);
  EXPECT_TRUE(done[0].copied);
  EXPECT_EQ(done[1].target, At("out/c.cut"));
  EXPECT_FALSE(film_.Modified());
  EXPECT_EQ(film_.Count(), 3);

  Film back;
  ASSERT_TRUE(back.Load(At("out/new.flm"), '/'));
  EXPECT_EQ(Paths(back), (std::vector<std::string>{At("out/a.cut"), At("out/c.cut")}));
}

TEST_F(Extract, IntoTheFolderOfTheSourceNeverTouchesIt) {
  std::vector<ExtractedCut> done;
  ASSERT_TRUE(film_.Extract(At("src/new.flm"), {0, 1, 2}, &done));
  EXPECT_EQ(Read("src/a.cut"), "cut a");
  EXPECT_EQ(Read("src/b.cut"), "cut b");
  EXPECT_EQ(Read("src/c.cut"), "cut c");
  EXPECT_FALSE(done[0].copied);
  EXPECT_FALSE(done[0].problem.empty());
  EXPECT_TRUE(done[2].copied);
  EXPECT_EQ(Read("src/new.flm"), "title\r\nauthor\r\n320, 240\r\na.cut\r\nb.cut\r\nc.cut\r\n");
  EXPECT_FALSE(Exists("src/a.cut.saving"));

  // Another spelling of the same folder is the same file as well.
  ASSERT_TRUE(film_.Extract(At("src/../src/again.flm"), {1}, &done));
  EXPECT_FALSE(done[0].copied);
  EXPECT_EQ(Read("src/b.cut"), "cut b");
}

TEST_F(Extract, NeverOverwritesAnotherCutOfTheFilm) {
  // other/a.cut has the name of src/a.cut; extracting it into src/ would replace that cut.
  Write("other/a.cut", "other a");
  auto otherA = CutAt(At("other/a.cut"));
  film_.AddCut(otherA.get(), -1);
  std::vector<ExtractedCut> done;
  ASSERT_TRUE(film_.Extract(At("src/new.flm"), {3}, &done));
  EXPECT_FALSE(done[0].copied);
  EXPECT_EQ(done[0].conflict, At("src/a.cut")) << done[0].problem;
  EXPECT_EQ(Read("src/a.cut"), "cut a");

  // Two selected cuts of one name: the first copy stays.
  ASSERT_TRUE(film_.Extract(At("out/new.flm"), {0, 3}, &done));
  EXPECT_TRUE(done[0].copied);
  EXPECT_FALSE(done[1].copied);
  EXPECT_EQ(Read("out/a.cut"), "cut a");
}

TEST_F(Extract, MissingSourcesKeepTheirLines) {
  std::filesystem::remove(At("src/b.cut"));
  std::vector<ExtractedCut> done;
  ASSERT_TRUE(film_.Extract(At("out/new.flm"), {1, 0}, &done));
  EXPECT_FALSE(done[0].copied);
  EXPECT_FALSE(done[0].problem.empty());
  EXPECT_FALSE(Exists("out/b.cut"));
  EXPECT_TRUE(done[1].copied);
  EXPECT_EQ(Read("out/new.flm"), "title\r\nauthor\r\n320, 240\r\nb.cut\r\na.cut\r\n");
}

TEST_F(Extract, RefusesToReplaceFilesOfThisFilm) {
  std::string error;
  EXPECT_FALSE(film_.Extract(At("src/a.cut"), {1}, nullptr, &error));
  EXPECT_EQ(Read("src/a.cut"), "cut a");
  EXPECT_EQ(Read("src/b.cut"), "cut b");
  ASSERT_TRUE(film_.Save(At("src/f.flm"), '/'));
  const std::string saved = Read("src/f.flm");
  EXPECT_FALSE(film_.Extract(At("src/f.flm"), {1}, nullptr, &error));
  EXPECT_EQ(Read("src/f.flm"), saved);
  EXPECT_FALSE(film_.Extract(At("out/new.flm"), {3}, nullptr, &error));
  EXPECT_FALSE(Exists("out/new.flm"));
}

}  // namespace
