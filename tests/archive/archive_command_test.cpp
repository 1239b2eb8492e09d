#include "archive/archive_command.h"

#include <gtest/gtest.h>

TEST(ArchiveCommand, ThePlayersCommandLines) {
  ArchiveCommand c;
  ASSERT_TRUE(ParseArchiveCommand("-n1 \"C:\\My Films\\a.lzh\" *.ov", c));
  EXPECT_EQ(c.archive, "C:\\My Films\\a.lzh");
  EXPECT_EQ(c.wildcards, std::vector<std::string>{"*.ov"});
  EXPECT_EQ(c.switches, std::vector<std::string>{"-n1"});

  ASSERT_TRUE(ParseArchiveCommand("--i \"Z:\\tmp\\b.zip\" *.ov", c));
  EXPECT_EQ(c.archive, "Z:\\tmp\\b.zip");
  EXPECT_EQ(c.switches, std::vector<std::string>{"--i"});
}

TEST(ArchiveCommand, QuotesBlanksFoldersAndDefaults) {
  ArchiveCommand c;
  // A quoted name that begins with '-' is not a switch; a token ending in '\' is a folder.
  ASSERT_TRUE(ParseArchiveCommand("  -x\t\"-odd name.zip\"  out\\  \"a b.ov\" *.tl ", c));
  EXPECT_EQ(c.archive, "-odd name.zip");
  EXPECT_EQ(c.folder, "out\\");
  EXPECT_EQ(c.wildcards, (std::vector<std::string>{"a b.ov", "*.tl"}));

  ASSERT_TRUE(ParseArchiveCommand("plain.lzh", c));
  EXPECT_EQ(c.wildcards, std::vector<std::string>{"*"});
  // An unclosed quote runs to the end of the line.
  ASSERT_TRUE(ParseArchiveCommand("\"C:\\a b.lzh", c));
  EXPECT_EQ(c.archive, "C:\\a b.lzh");

  EXPECT_FALSE(ParseArchiveCommand("", c));
  EXPECT_FALSE(ParseArchiveCommand("-n1 --i", c));
  EXPECT_FALSE(ParseArchiveCommand("-n1 \"\" *.ov", c));
  EXPECT_EQ(c.archive, "C:\\a b.lzh");  // a refused line leaves the command unchanged
}

TEST(ArchiveCommand, DoubleByteNamesEndingInBackslashBytes) {
  // 0x95 0x5C is one character whose second byte is '\': a wildcard, not a folder.
  ArchiveCommand c;
  ASSERT_TRUE(ParseArchiveCommand("x.lzh \x95\x5C", c));
  EXPECT_EQ(c.folder, "");
  EXPECT_EQ(c.wildcards, std::vector<std::string>{"\x95\x5C"});
}

TEST(ArchiveWildcard, Matching) {
  EXPECT_TRUE(MatchWildcard("*.ov", "film.ov"));
  EXPECT_TRUE(MatchWildcard("*.ov", "FILM.OV"));
  EXPECT_TRUE(MatchWildcard("*.OV", "Clip.oV"));
  EXPECT_TRUE(MatchWildcard("*.ov", "films\\cut\\a.ov"));
  EXPECT_TRUE(MatchWildcard("*.ov", ".ov"));
  EXPECT_FALSE(MatchWildcard("*.ov", "film.ov.txt"));
  EXPECT_FALSE(MatchWildcard("*.ov", "film.tl"));
  EXPECT_FALSE(MatchWildcard("*.ov", "film.o"));
  EXPECT_FALSE(MatchWildcard("*.ov", ""));
  EXPECT_TRUE(MatchWildcard("a?c", "abc"));
  EXPECT_FALSE(MatchWildcard("a?c", "ac"));
  EXPECT_TRUE(MatchWildcard("*a*b*", "xxaYYbzz"));
  EXPECT_FALSE(MatchWildcard("*a*b*", "xxbYYazz"));
  EXPECT_TRUE(MatchWildcard("sub/*.tl", "SUB\\deep.tl"));
  EXPECT_TRUE(MatchWildcard("*.*", "README"));
  EXPECT_TRUE(MatchWildcard("*", ""));
}

TEST(ArchiveWildcard, DoubleByteCharacters) {
  // 0x83 0x76 is one character whose second byte is 'v'.
  EXPECT_FALSE(MatchWildcard("*v", "a\x83\x76"));
  EXPECT_TRUE(MatchWildcard("?.ov", "\x83\x76.ov"));
  EXPECT_TRUE(MatchWildcard("\x83\x76*", "\x83\x76x.ov"));
  // Second bytes are never case-folded: 0x83 0x56 is not 0x83 0x76.
  EXPECT_FALSE(MatchWildcard("\x83\x56.ov", "\x83\x76.ov"));
  EXPECT_TRUE(MatchAnyWildcard({"*.tl", "*.ov"}, "x.OV"));
  EXPECT_FALSE(MatchAnyWildcard({"*.tl", "*.zip"}, "x.OV"));
  EXPECT_EQ(SplitWildcards(" *.ov  \"a b.tl\""), (std::vector<std::string>{"*.ov", "a b.tl"}));
  EXPECT_EQ(SplitWildcards(""), std::vector<std::string>{"*"});
}
