#include "files/cut_naming.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/files/scratch_dir.h"

namespace {

// "表" in code page 932 is 0x95 0x5C: its second byte is a backslash.
const std::string kHyo = "\x95\x5c";

TEST(CutPaths, RelativeToTheFilmFolderWithBackslashes) {
  const std::string film = "D:\\p\\q\\f.flm";
  EXPECT_EQ(RelativePath("D:\\p\\r\\x.cut", film, '\\'), "../r/x.cut");
  EXPECT_EQ(RelativePath("D:\\p\\q\\x.cut", film, '\\'), "x.cut");
  EXPECT_EQ(RelativePath("D:\\p\\q\\sub\\deeper\\x.cut", film, '\\'), "sub/deeper/x.cut");
  EXPECT_EQ(RelativePath("D:\\x.cut", film, '\\'), "../../x.cut");
  // Equal up to a partial folder name: only whole folders are shared.
  EXPECT_EQ(RelativePath("D:\\p\\qq\\x.cut", film, '\\'), "../qq/x.cut");
  // Nothing shared at all: every folder of the film is climbed.
  EXPECT_EQ(RelativePath("E:\\x.cut", film, '\\'), "../../../E:/x.cut");

  EXPECT_EQ(ResolvePath("../r/x.cut", film, '\\'), "D:\\p\\r\\x.cut");
  EXPECT_EQ(ResolvePath("x.cut", film, '\\'), "D:\\p\\q\\x.cut");
  EXPECT_EQ(ResolvePath("sub/deeper/x.cut", film, '\\'), "D:\\p\\q\\sub\\deeper\\x.cut");
  EXPECT_EQ(ResolvePath("../../x.cut", film, '\\'), "D:\\x.cut");
  // A film written on another drive resolves against the film's own folder.
  EXPECT_EQ(ResolvePath("../r/x.cut", "F:\\moved\\q\\f.flm", '\\'), "F:\\moved\\r\\x.cut");
}

TEST(CutPaths, RelativeAndResolvedWithSlashes) {
  const std::string film = "/home/a/films/f.flm";
  EXPECT_EQ(RelativePath("/home/a/cuts/x.cut", film, '/'), "../cuts/x.cut");
  EXPECT_EQ(RelativePath("/home/a/films/x.cut", film, '/'), "x.cut");
  EXPECT_EQ(ResolvePath("../cuts/x.cut", film, '/'), "/home/a/cuts/x.cut");
  for (const char* cut : {"/home/a/films/x.cut", "/home/a/cuts/y/z.cut", "/home/b.cut"}) {
    EXPECT_EQ(ResolvePath(RelativePath(cut, film, '/'), film, '/'), cut);
  }
  // A backslash is an ordinary character when "/" is the separator.
  EXPECT_EQ(RelativePath("/home/a/films/x\\y.cut", film, '/'), "x\\y.cut");
}

TEST(CutPaths, ClimbingPastTheFilmPathGivesNothing) {
  EXPECT_EQ(ResolvePath("../../x.cut", "D:\\p\\f.flm", '\\'), "");
  EXPECT_EQ(ResolvePath("x.cut", "f.flm", '\\'), "");
  // The climb would end on the first character of the film path.
  EXPECT_EQ(ResolvePath("../x.cut", "\\p\\f.flm", '\\'), "");
  EXPECT_EQ(ResolvePath("../x.cut", "/p/f.flm", '/'), "");
  // A cut on another drive cannot come back.
  EXPECT_EQ(ResolvePath("../../../E:/x.cut", "D:\\p\\q\\f.flm", '\\'), "");
}

TEST(CutPaths, TheSecondByteOfADoubleByteCharacterIsNoSeparator) {
  const std::string film = "D:\\" + kHyo + "\\f.flm";
  EXPECT_EQ(RelativePath("D:\\" + kHyo + "\\x.cut", film, '\\'), "x.cut");
  // One folder below the shared one, not two.
  EXPECT_EQ(RelativePath("D:\\y.cut", film, '\\'), "../y.cut");
  EXPECT_EQ(ResolvePath("../y.cut", film, '\\'), "D:\\y.cut");
  // The folder name's second byte stays a backslash in the line.
  EXPECT_EQ(RelativePath("D:\\" + kHyo + "\\x.cut", "D:\\f.flm", '\\'), kHyo + "/x.cut");
  EXPECT_EQ(ResolvePath(kHyo + "/x.cut", "D:\\f.flm", '\\'), "D:\\" + kHyo + "\\x.cut");
  EXPECT_EQ(ResolvePath("x.cut", film, '\\'), "D:\\" + kHyo + "\\x.cut");
}

TEST(CutPaths, SplitIntoFolderNameAndExtension) {
  auto parts = SplitPath("D:\\a.b\\cut012.cut");
  EXPECT_EQ(parts.folder, "D:\\a.b\\");
  EXPECT_EQ(parts.name, "cut012");
  EXPECT_EQ(parts.extension, ".cut");
  parts = SplitPath("x/y.z/name");
  EXPECT_EQ(parts.folder, "x/y.z/");
  EXPECT_EQ(parts.name, "name");
  EXPECT_EQ(parts.extension, "");
  parts = SplitPath("C:.cut");
  EXPECT_EQ(parts.folder, "C:");
  EXPECT_EQ(parts.name, "");
  EXPECT_EQ(parts.extension, ".cut");
  parts = SplitPath("d/" + kHyo + ".cut");
  EXPECT_EQ(parts.folder, "d/");
  EXPECT_EQ(parts.name, kHyo);
  EXPECT_EQ(FileNameOf("D:\\a.b\\cut012.cut"), "cut012.cut");
  EXPECT_EQ(BaseNameOf("D:\\a.b\\cut012.cut"), "cut012");
  EXPECT_EQ(FileNameOf("C:x.y.cut"), "x.y.cut");
  EXPECT_EQ(BaseNameOf("C:x.y.cut"), "x.y");
  EXPECT_EQ(FileNameOf("D:\\" + kHyo + "\\" + kHyo), kHyo);
}

TEST(CutPaths, ATypedFileNameStaysInItsFolder) {
  for (const std::string& name :
       std::vector<std::string>{"cut013", "scene 2", "a.b", "..x", kHyo, kHyo + "1"})
    EXPECT_TRUE(UsableFileName(name)) << name;
  for (const std::string& name : std::vector<std::string>{
           "", ".", "..", "../up", "..\\up", "a/b", "a\\b", "C:x", "a*", "a?", "\"a\"", "a<b",
           "a>b", "a|b", "tab\tname", std::string("nul\0byte", 8)})
    EXPECT_FALSE(UsableFileName(name)) << name;
  // A backslash that is the second byte of a double-byte character is no separator; one that
  // follows a whole double-byte character is.
  EXPECT_FALSE(UsableFileName(kHyo + "\\x"));
}

using NumberedNames = ScratchDir;

TEST_F(NumberedNames, TheTrailingNumberCountsUp) {
  auto next = [&](const std::string& name) {
    std::string path = At(name);
    if (!NextNumberedName(path)) return std::string("(none)");
    return path.substr(At("").size());
  };
  EXPECT_EQ(next("cut012.cut"), "cut013.cut");
  EXPECT_EQ(next("cut0012.cut"), "cut013.cut");
  EXPECT_EQ(next("scene.cut"), "scene001.cut");
  EXPECT_EQ(next("007.cut"), "008.cut");
  EXPECT_EQ(next(".cut"), "001.cut");
  EXPECT_EQ(next("a1b.cut"), "a1b001.cut");
  EXPECT_EQ(next("cut998.cut"), "cut999.cut");
  EXPECT_EQ(next("cut1"), "cut002");
  EXPECT_EQ(next("dir.x/cut"), "dir.x/cut001");
  EXPECT_EQ(next(kHyo + ".cut"), kHyo + "001.cut");

  Write("cut013.cut", "taken");
  Write("cut014.cut", "taken");
  EXPECT_EQ(next("cut012.cut"), "cut015.cut");
  Write("a.cut/b001.cut/x", "a folder of that name is taken too");
  EXPECT_EQ(next("a.cut/b.cut"), "a.cut/b002.cut");
}

TEST_F(NumberedNames, NoFreeNumberLeavesThePath) {
  for (const std::string name : {"cut999.cut", "cut1000.cut", "cut99999999999999999999.cut"}) {
    std::string path = At(name);
    EXPECT_FALSE(NextNumberedName(path));
    EXPECT_EQ(path, At(name));
  }
  for (int m = 998; m <= 999; ++m) Write("s" + std::to_string(m) + ".cut", "");
  std::string path = At("s997.cut");
  EXPECT_FALSE(NextNumberedName(path));
  EXPECT_EQ(path, At("s997.cut"));
}

}  // namespace
