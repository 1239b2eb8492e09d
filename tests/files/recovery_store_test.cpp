#include "files/recovery_store.h"

#include <gtest/gtest.h>

#include "io/byte_stream.h"
#include "io/folder.h"
#include "tests/files/scratch_dir.h"

namespace {

// A copy whose bytes are the text, after the cut file's tag.
std::function<bool(ByteStream&)> CutBytes(const std::string& text) {
  return [text](ByteStream& s) {
    const std::string bytes = std::string("Orvinade Cut", 13) + text;
    return s.Write(bytes.data(), int32_t(bytes.size())) == 1;
  };
}

class Recovery : public ScratchDir {
 protected:
  std::string Root() const { return At("root"); }
  std::string Session(const char* name) const { return Root() + "/" + name; }
};

TEST_F(Recovery, EntriesKeepTheLastTwoCopiesAndReadBack) {
  RecoverySession session;
  ASSERT_TRUE(session.Open(Root(), "s1"));
  for (int i = 1; i <= 3; ++i)
    ASSERT_TRUE(session.WriteCopy(4, DocumentKind::kCut, "C:\\x\\a.cut", "a.cut", 100 + i,
                                  CutBytes(std::to_string(i))));
  ASSERT_TRUE(session.WriteCopy(5, DocumentKind::kFilm, "", "untitled.flm", 50,
                                [](ByteStream& s) { return s.Write("t\r\n", 3) == 1; }));
  EXPECT_FALSE(Exists("root/s1/d4-1.cut"));
  const auto entry = ParseRecoveryEntry(Read("root/s1/d4.idx"));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->path, "C:\\x\\a.cut");
  ASSERT_EQ(entry->copies.size(), 2u);
  EXPECT_EQ(entry->copies[0], (RecoveryCopy{2, 102, 14, "d4-2.cut"}));
  EXPECT_EQ(entry->copies[1].file, "d4-3.cut");
  EXPECT_EQ(ParseRecoveryEntry(FormatRecoveryEntry(*entry)), entry);

  // While the session is held, nobody else sees it.
  LeftCopies others;
  others.Find(Root(), "s2");
  EXPECT_TRUE(others.Documents().empty());

  // Removing a document takes its copies; the other stays.
  session.Remove(5);
  EXPECT_FALSE(Exists("root/s1/d5.idx") || Exists("root/s1/d5-1.flm"));
  EXPECT_TRUE(Exists("root/s1/d4-3.cut"));
  session.Close();
  EXPECT_FALSE(Exists("root/s1"));
}

TEST_F(Recovery, ALeftSessionIsOfferedNewestFirstAndACutShortCopyIsPassedOver) {
  {
    RecoverySession crashed;  // never closed: as after a crash
    ASSERT_TRUE(crashed.Open(Root(), "s1"));
    ASSERT_TRUE(crashed.WriteCopy(1, DocumentKind::kCut, "", "untitled.cut", 10, CutBytes("old")));
    ASSERT_TRUE(crashed.WriteCopy(1, DocumentKind::kCut, "", "untitled.cut", 20, CutBytes("new")));
    ASSERT_TRUE(crashed.WriteCopy(2, DocumentKind::kCut, "D:\\b.cut", "b.cut", 30, CutBytes("b")));
  }
  // The newest copy of document 1 was cut short; a newer copy no entry names, a temporary
  // file and a damaged entry lie about too.
  Write("root/s1/d1-2.cut", std::string("Orvinade Cut", 13) + "n");
  Write("root/s1/d1-3.cut", std::string("Orvinade Cut", 13) + "newest");
  Write("root/s1/d2-2.cut.saving", "half");
  Write("root/s1/d7.idx",
        "Orvina recovery entry 1\r\nkind cut\r\npath ..\\..\\x\r\ncaption x\r\n"
        "copy 1 5 3 ..\\..\\victim\r\n");
  Write("victim", "keep");
  // An empty session of an editor that crashed at once goes without a word.
  ASSERT_TRUE(MakeFolder(Session("s0")));
  Write("root/s0/owner.lock", "");

  LeftCopies left;
  left.Find(Root(), "s9");
  const std::vector<LeftDocument>& docs = left.Documents();
  ASSERT_EQ(docs.size(), 3u);
  EXPECT_EQ(docs[0].entry.caption, "b.cut");
  EXPECT_EQ(docs[0].time, 30);
  EXPECT_FALSE(docs[0].damaged);
  EXPECT_EQ(docs[1].id, 1);
  EXPECT_FALSE(docs[1].damaged);
  EXPECT_EQ(docs[1].time, 10);
  EXPECT_EQ(docs[1].copy, Session("s1") + "/d1-1.cut");
  EXPECT_TRUE(docs[2].damaged);
  EXPECT_FALSE(Exists("root/s0"));

  // Taken over: a second editor sees nothing while this one decides.
  LeftCopies second;
  second.Find(Root(), "s8");
  EXPECT_TRUE(second.Documents().empty());

  // Discarding deletes what belongs to the document and nothing an entry points at outside.
  left.Discard(docs[2]);
  EXPECT_TRUE(Exists("victim"));
  EXPECT_FALSE(Exists("root/s1/d7.idx"));
  left.Discard(docs[0]);
  EXPECT_FALSE(Exists("root/s1/d2.idx") || Exists("root/s1/d2-1.cut") ||
               Exists("root/s1/d2-2.cut.saving"));
  // Later: the rest waits for the next start.
  left.Release();
  second.Find(Root(), "s8");
  ASSERT_EQ(second.Documents().size(), 1u);
  second.Discard(second.Documents()[0]);
  EXPECT_FALSE(Exists("root/s1"));
}

TEST(RecoveryEntry, DamagedEntriesAreRefused) {
  const std::string good =
      "Orvina recovery entry 1\nkind film\npath \ncaption c\ncopy 1 2 3 d1-1.flm\n";
  const auto entry = ParseRecoveryEntry(good);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->kind, DocumentKind::kFilm);
  EXPECT_EQ(entry->path, "");
  for (const std::string& bad :
       {std::string(), good.substr(0, 30), "Orvina recovery entry 2" + good.substr(23),
        good + "copy 2 2 3 d1-2.flm\ncopy 3 2 3 d1-3.flm\n", good + "copy 1 2 d1-2.flm\n",
        good + "copy -1 2 3 d1-2.flm\n", good + "copy 1 2 3 a/b\n", good + "copy 1 2 3 ..\n"})
    EXPECT_FALSE(ParseRecoveryEntry(bad)) << bad;
}

}  // namespace
