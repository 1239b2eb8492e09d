// The player opening films packed by zip and jlha, through UNZIP32.DLL and UNLHA32.DLL placed
// beside its copy (tests/wine/player_archive.sh makes the archives and passes their folder):
//   player_driver --player ... --work ... --archives FOLDER --gtest_filter=PlayerArchive.*
// FOLDER holds film.ov (a still of one frame) and archives whose first "*.ov" member it is,
// followed by other.ov, plus archives that hold no playable OV member.
#include <windows.h>

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/win32/player/player_films.h"
#include "tests/win32/player/player_session.h"

namespace {

struct ArchiveEnvironment {
  std::wstring player, work, archives;
};

const ArchiveEnvironment& Env() {
  static const ArchiveEnvironment env = [] {
    ArchiveEnvironment e;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i + 1 < argc; ++i) {
      const std::wstring flag = argv[i];
      if (flag == L"--player") e.player = argv[++i];
      else if (flag == L"--work") e.work = argv[++i];
      else if (flag == L"--archives") e.archives = argv[++i];
    }
    LocalFree(argv);
    return e;
  }();
  return env;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
std::wstring Archive(const wchar_t* name) { return Env().archives + L"\\" + name; }

// A session folder of its own; `libraries` lists the DLLs copied beside the player, each
// as (file in the build, name beside the player).
std::wstring SessionFolder(const std::wstring& name,
                           const std::vector<std::pair<const wchar_t*, const wchar_t*>>& libraries) {
  const std::wstring folder = Env().work + L"\\" + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* dll : {L"UNZIP32.DLL", L"UNLHA32.DLL"}) DeleteFileW((folder + L"\\" + dll).c_str());
  for (const auto& [from, as] : libraries)
    CopyFileW((FolderOf(Env().player) + L"\\" + from).c_str(), (folder + L"\\" + as).c_str(), FALSE);
  return folder;
}
const std::vector<std::pair<const wchar_t*, const wchar_t*>> kBoth = {
    {L"UNZIP32.DLL", L"UNZIP32.DLL"}, {L"UNLHA32.DLL", L"UNLHA32.DLL"}};

Image BuiltInView() {
  HMODULE m = LoadLibraryExW(Env().player.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  std::vector<uint8_t> bytes;
  if (HRSRC r = m ? FindResourceW(m, MAKEINTRESOURCEW(107), L"NIM") : nullptr) {
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
    if (p) bytes.assign(p, p + SizeofResource(m, r));
  }
  if (m) FreeLibrary(m);
  return ExpectedView(bytes, 1);
}

::testing::AssertionResult Shows(const PlayerSession& s, const Image& want) {
  Image got;
  if (WaitFor(5000, [&] { return (got = s.CaptureView()) == want; })) return ::testing::AssertionSuccess();
  int wrong = 0;
  if (got.width == want.width && got.height == want.height)
    for (size_t i = 0; i < got.px.size(); ++i) wrong += got.px[i] != want.px[i];
  return ::testing::AssertionFailure() << "view " << got.width << "x" << got.height << " (expected "
                                       << want.width << "x" << want.height << "), " << wrong
                                       << " pixels differ";
}

class PlayerArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env().archives.empty()) GTEST_SKIP() << "no --archives";
    film_ = ExpectedView(ReadFileBytes(Archive(L"film.ov")), 1);
    builtIn_ = BuiltInView();
    ASSERT_GT(film_.width, 0);
    ASSERT_GT(builtIn_.width, 0);
    ASSERT_FALSE(film_ == builtIn_);
  }
  Image film_, builtIn_;
};

TEST_F(PlayerArchive, TheFirstOvMemberOfAZipOrLzhArchivePlays) {
  for (const wchar_t* name : {L"film.ov", L"film.zip", L"film-stored.zip", L"film.lzh", L"film-lh6-level1.lzh",
                              L"film-lh7-level0.lzh"}) {
    PlayerSession s(Env().player, SessionFolder(L"archive-plays", kBoth));
    ASSERT_TRUE(s.Start(Quoted(Archive(name))));
    EXPECT_EQ(s.Title(), L"OrvinaPlayer - [" + std::wstring(name) + L"]");
    EXPECT_TRUE(Shows(s, film_)) << Utf8(name);
    EXPECT_EQ(s.Close(), 0);
  }
}

TEST_F(PlayerArchive, ArchivesWithoutAPlayableOvFallBackToTheBuiltInAnimation) {
  // No OV member (a TL member is not looked for); an OV member that claims 4 GB; one whose
  // data fails its CRC, so nothing is written.
  for (const wchar_t* name : {L"noov.zip", L"noov.lzh", L"huge.zip", L"badcrc.zip", L"badcrc.lzh"}) {
    PlayerSession s(Env().player, SessionFolder(L"archive-falls-back", kBoth));
    ASSERT_TRUE(s.Start(Quoted(Archive(name))));
    EXPECT_EQ(s.Title(), L"OrvinaPlayer") << Utf8(name);
    EXPECT_TRUE(Shows(s, builtIn_)) << Utf8(name);
    EXPECT_EQ(s.Close(), 0);
  }
}

TEST_F(PlayerArchive, AMissingLibraryOrEntryPointFallsBackTheSameWay) {
  for (const wchar_t* name : {L"film.zip", L"film.lzh"}) {
    PlayerSession s(Env().player, SessionFolder(L"archive-no-library", {}));
    ASSERT_TRUE(s.Start(Quoted(Archive(name))));
    EXPECT_EQ(s.Title(), L"OrvinaPlayer") << Utf8(name);
    EXPECT_TRUE(Shows(s, builtIn_)) << Utf8(name);
    EXPECT_EQ(s.Close(), 0);
  }
  // A library by the right name without the UnZip entry points.
  PlayerSession s(Env().player, SessionFolder(L"archive-wrong-library", {{L"UNLHA32.DLL", L"UNZIP32.DLL"}}));
  ASSERT_TRUE(s.Start(Quoted(Archive(L"film.zip"))));
  EXPECT_EQ(s.Title(), L"OrvinaPlayer");
  EXPECT_TRUE(Shows(s, builtIn_));
  EXPECT_EQ(s.Close(), 0);
}

TEST_F(PlayerArchive, OpeningArchivesFromTheDialogReusesTheLibraryAndKeepsTheFilmOnFailure) {
  PlayerSession s(Env().player, SessionFolder(L"archive-dialog", kBoth));
  ASSERT_TRUE(s.Start(Quoted(Archive(L"film.lzh"))));
  ASSERT_TRUE(Shows(s, film_));
  auto open = [&](const std::wstring& path) {
    s.PostCommand(40001);
    HWND dialog = s.WaitForDialog(10000);
    if (!dialog) return false;
    for (int id : {0x47c, 0x480}) {
      if (HWND edit = GetDlgItem(dialog, id)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 5000,
                            &ignored);
        break;
      }
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return WaitFor(10000, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
  };
  // Reading fails: nothing changes.
  ASSERT_TRUE(open(Archive(L"noov.lzh")));
  Sleep(300);
  EXPECT_EQ(s.Title(), L"OrvinaPlayer - [film.lzh]");
  EXPECT_TRUE(Shows(s, film_));
  // The library loaded for the first archive serves the next one.
  ASSERT_TRUE(open(Archive(L"film-lh7-level0.lzh")));
  EXPECT_TRUE(WaitFor(3000, [&] { return s.Title() == L"OrvinaPlayer - [film-lh7-level0.lzh]"; }))
      << Utf8(s.Title());
  EXPECT_TRUE(Shows(s, film_));
  ASSERT_TRUE(open(Archive(L"film.zip")));
  EXPECT_TRUE(WaitFor(3000, [&] { return s.Title() == L"OrvinaPlayer - [film.zip]"; })) << Utf8(s.Title());
  EXPECT_TRUE(Shows(s, film_));
  EXPECT_TRUE(s.Responds());
  EXPECT_EQ(s.Close(), 0);
}

}  // namespace
