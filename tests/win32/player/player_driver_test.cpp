// Drives OrvinaPlayer.exe under Windows (Wine) the way a user does and checks what a user
// sees: titles, button states, the view's pixels against the decoder's frames, the settings
// file and extracted files.
//   player_driver --player PATH\OrvinaPlayer.exe --work FOLDER [--film FILM] [--shots FOLDER]
//                 [gtest flags]
// FILM is a film made by orvina; it is played for the screenshot kept in the shots folder.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "anim/ov_layout.h"
#include "io/memory_stream.h"
#include "model/pixel_class.h"
#include "tests/win32/player/player_films.h"
#include "tests/win32/player/player_session.h"

namespace {

constexpr int kOpen = 40001, kExit = 40002, kNextCut = 40005, kPreviousCut = 40006, kPlay = 40007, kStepMode = 40008;
constexpr int kHighlight = 40011, kStepSpeed = 40012, kExtract = 40013;
constexpr uint32_t kBlack = 0, kWhite = 0xFFFFFF;

struct Environment {
  std::wstring player, work, film, shots;
} gEnv;

std::wstring TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return Utf16(std::string(info->name()));
}

// A folder of the current test, with a file written into it.
std::wstring Folder() {
  const std::wstring folder = gEnv.work + L"\\" + TestName();
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}
std::wstring Put(const std::wstring& name, const std::vector<uint8_t>& bytes) {
  const std::wstring path = Folder() + L"\\" + name;
  WriteFileBytes(path, bytes);
  return path;
}
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Colour changes at the view's centre over `ms`: when each new colour appeared.
struct Change {
  double at;
  uint32_t colour;
};
std::vector<Change> Watch(const PlayerSession& s, double ms) {
  std::vector<Change> changes;
  const double end = NowMs() + ms;
  while (NowMs() < end) {
    const uint32_t c = s.CentreColour();
    if (changes.empty() || changes.back().colour != c) changes.push_back({NowMs(), c});
    Sleep(4);
  }
  return changes;
}
// Mean time between changes among those whose colours are in `colours` (both ends).
double MeanInterval(const std::vector<Change>& changes, const std::set<uint32_t>& colours) {
  double sum = 0;
  int n = 0;
  for (size_t i = 1; i + 1 < changes.size(); ++i) {
    if (!colours.count(changes[i].colour) || !colours.count(changes[i - 1].colour)) continue;
    sum += changes[i + 1].at - changes[i].at;
    ++n;
  }
  return n ? sum / n : 0;
}

// The view area as captured: a window that cannot be as narrow as the area centres it
// between black margins.
Image InClient(const Image& area, int width) {
  if (width <= area.width) return area;
  Image framed;
  framed.width = width, framed.height = area.height;
  framed.px.assign(size_t(width) * size_t(area.height), 0);
  const int left = (width - area.width) / 2;
  for (int y = 0; y < area.height; ++y)
    for (int x = 0; x < area.width; ++x) framed.px[size_t(y) * size_t(width) + size_t(left + x)] = area.At(x, y);
  return framed;
}

::testing::AssertionResult ShowsImage(const PlayerSession& s, const Image& area, double ms = 5000) {
  Image got;
  const RECT v = s.ViewArea();
  const Image want = InClient(area, v.right - v.left);
  if (WaitFor(ms, [&] { return (got = s.CaptureView()) == want; })) return ::testing::AssertionSuccess();
  if (got.width != want.width || got.height != want.height)
    return ::testing::AssertionFailure() << "view " << got.width << "x" << got.height << ", expected "
                                         << want.width << "x" << want.height;
  int wrong = 0;
  int x0 = -1, y0 = -1;
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x)
      if (got.At(x, y) != want.At(x, y) && wrong++ == 0) x0 = x, y0 = y;
  return ::testing::AssertionFailure() << wrong << " pixels differ, first at " << x0 << "," << y0 << ": "
                                       << std::hex << got.At(x0, y0) << " instead of " << want.At(x0, y0);
}

bool ShowsCentre(const PlayerSession& s, uint32_t colour, double ms = 5000) {
  return WaitFor(ms, [&] { return s.CentreColour() == colour; });
}

// The bytes of the built-in animation, read from the program's resources.
std::vector<uint8_t> BuiltIn(const std::wstring& program) {
  HMODULE m = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) return {};
  std::vector<uint8_t> bytes;
  if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(107), L"NIM")) {
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
    if (p) bytes.assign(p, p + SizeofResource(m, r));
  }
  FreeLibrary(m);
  return bytes;
}

// Sets the text of a dialog control and presses a button of the dialog.
std::vector<uint8_t> FourLevels(uint8_t fps, int duration, const std::string& credit = "levels") {
  std::vector<FrameSpec> f;
  for (int level : {0, 1, 2, 3}) f.push_back({Flat(64, 48, level), duration});
  return MakeTl(64, 48, fps, credit, f);
}

TEST(Player, ATlFileOfOneFrameStaysStill) {
  const auto tl = MakeTl(96, 64, 12, "still", {{Drawing(96, 64, 3), 5}});
  const std::wstring path = Put(L"still.tl", tl);
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  EXPECT_EQ(s.Title(), L"OrvinaPlayer - [still.tl]");
  EXPECT_FALSE(s.PlayPressed());
  EXPECT_FALSE(s.StepPressed());
  const Image want = ExpectedView(tl, 1);
  EXPECT_TRUE(ShowsImage(s, want));
  Sleep(500);
  EXPECT_TRUE(ShowsImage(s, want, 0)) << "still after half a second";
  EXPECT_FALSE(s.PlayPressed());
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, WithoutAFileThePlayerShowsItsBuiltInAnimation) {
  const std::vector<uint8_t> builtIn = BuiltIn(gEnv.player);
  ASSERT_FALSE(builtIn.empty());
  EXPECT_EQ(builtIn[0], 'T');
  EXPECT_EQ(builtIn[1], 'L');
  const Image want = ExpectedView(builtIn, 1);
  EXPECT_EQ(want.width, 320);
  EXPECT_EQ(want.height, 240);
  for (const std::wstring& arguments : {Quoted(Folder() + L"\\missing.ov"), std::wstring()}) {
    PlayerSession s(gEnv.player, Folder());
    ASSERT_TRUE(s.Start(arguments));
    EXPECT_EQ(s.Title(), L"OrvinaPlayer") << Utf8(arguments);
    EXPECT_FALSE(s.PlayPressed()) << "a single frame is shown still";
    EXPECT_TRUE(ShowsImage(s, want));
    if (arguments.empty()) {
      // 終了 ends the program.
      s.PostCommand(kExit);
      EXPECT_TRUE(WaitFor(10000, [&] { return !s.Alive(); }));
    }
    EXPECT_EQ(s.Close(), 0);
  }
}

TEST(Player, TwoCutsPlayInTurnEachAtItsFrameRate) {
  // Cut 1 at 20 fps in black and dark grey, cut 2 at 4 fps in light grey and white.
  const auto a = MakeTl(64, 48, 20, "fast", {{Flat(64, 48, 0), 1}, {Flat(64, 48, 1), 1}, {Flat(64, 48, 0), 1},
                                            {Flat(64, 48, 1), 1}, {Flat(64, 48, 0), 1}, {Flat(64, 48, 1), 1}});
  const auto b = MakeTl(64, 48, 4, "slow", {{Flat(64, 48, 2), 1}, {Flat(64, 48, 3), 1}, {Flat(64, 48, 2), 1},
                                           {Flat(64, 48, 3), 1}});
  const std::wstring path = Put(L"two.ov", ovtest::BuildOv({a, b}, "film", "me", 64, 48));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  EXPECT_TRUE(s.PlayPressed());
  const auto changes = Watch(s, 4000);
  std::set<uint32_t> seen;
  for (const Change& c : changes) seen.insert(c.colour);
  EXPECT_EQ(seen, (std::set<uint32_t>{Level4(0), Level4(1), Level4(2), Level4(3)}));
  // After cut 2 the film starts again with cut 1.
  bool backToFirst = false;
  for (size_t i = 1; i < changes.size(); ++i)
    if (changes[i - 1].colour >= Level4(2) && changes[i].colour <= Level4(1)) backToFirst = true;
  EXPECT_TRUE(backToFirst);
  const double fast = MeanInterval(changes, {Level4(0), Level4(1)});
  const double slow = MeanInterval(changes, {Level4(2), Level4(3)});
  EXPECT_GT(fast, 0);
  EXPECT_GT(slow, 2.5 * fast) << "frame periods " << fast << " and " << slow << " ms (50 and 250 wanted)";
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, NextAndPreviousCutWrapAroundTheFilm) {
  std::vector<std::vector<uint8_t>> cuts;
  for (int k = 0; k < 3; ++k)
    cuts.push_back(MakeTl(64, 48, 12, "cut " + std::to_string(k), {{Flat(64, 48, k), 1000}}));
  const std::wstring path = Put(L"three.ov", ovtest::BuildOv(cuts, "film", "me", 64, 48));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  ASSERT_TRUE(ShowsCentre(s, Level4(0)));

  s.Command(kNextCut, Source::Toolbar);
  EXPECT_TRUE(ShowsCentre(s, Level4(1)));
  EXPECT_TRUE(WaitFor(2000, [&] { return s.StatusText() == L"cut 1"; })) << Utf8(s.StatusText());
  s.Command(kNextCut, Source::Menu);
  EXPECT_TRUE(ShowsCentre(s, Level4(2)));
  ASSERT_TRUE(s.Key(VK_RIGHT, true));
  EXPECT_TRUE(ShowsCentre(s, Level4(0))) << "next cut on the last cut goes to the first";
  ASSERT_TRUE(s.Key(VK_LEFT, true));
  EXPECT_TRUE(ShowsCentre(s, Level4(2))) << "previous cut on the first goes to the last";
  s.Command(kPreviousCut, Source::Toolbar);
  EXPECT_TRUE(ShowsCentre(s, Level4(1)));
  EXPECT_TRUE(s.PlayPressed());

  // Stopped, a jump shows the new cut at once and keeps it stopped.
  s.Command(kPlay, Source::Toolbar);
  EXPECT_FALSE(s.PlayPressed());
  s.Command(kNextCut, Source::Accelerator);
  EXPECT_TRUE(ShowsCentre(s, Level4(2)));
  EXPECT_EQ(s.StatusText(), L"cut 2");
  EXPECT_FALSE(s.PlayPressed());
  s.Command(kNextCut);
  EXPECT_TRUE(ShowsCentre(s, Level4(0)));
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, StepModeTicksAtTheStepFactorTimesTheFramePeriod) {
  const std::wstring path = Put(L"steps.tl", FourLevels(12, 1, "steps"));
  PlayerSession s(gEnv.player, Folder(), "slow=10\r\n");
  ASSERT_TRUE(s.Start(Quoted(path)));
  const double normal = MeanInterval(Watch(s, 1500), {Level4(0), Level4(1), Level4(2), Level4(3)});
  EXPECT_GT(normal, 40);
  EXPECT_LT(normal, 200) << "83 ms wanted";

  ASSERT_TRUE(s.Key(VK_DOWN));
  EXPECT_TRUE(s.StepPressed());
  EXPECT_TRUE(s.PlayPressed());
  // 10 × 1000 ÷ 12 = 833 ms a frame; the credit shows from the cut's first frame on.
  const auto changes = Watch(s, 5000);
  const double step = MeanInterval(changes, {Level4(0), Level4(1), Level4(2), Level4(3)});
  EXPECT_GT(step, 650);
  EXPECT_LT(step, 1050) << "833 ms wanted";
  EXPECT_EQ(s.StatusText(), L"steps");

  // コマ送り速度: 4.
  s.PostCommand(kStepSpeed);
  HWND dialog = s.WaitForDialog(10000, L"コマ送り速度");
  ASSERT_NE(dialog, nullptr);
  SetDialogText(dialog, 1000, L"4");
  PressButton(dialog, IDOK);
  ASSERT_TRUE(DialogGone(dialog));
  EXPECT_TRUE(WaitFor(3000, [&] { return s.Setting(L"slow") == L"4"; })) << Utf8(s.Setting(L"slow"));
  const double faster = MeanInterval(Watch(s, 2500), {Level4(0), Level4(1), Level4(2), Level4(3)});
  EXPECT_GT(faster, 250);
  EXPECT_LT(faster, 450) << "333 ms wanted";

  s.Command(kStepMode, Source::Menu);
  EXPECT_FALSE(s.StepPressed());
  EXPECT_TRUE(s.PlayPressed());
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, ADissolveOfMinusFourShowsIntermediateBlends) {
  // 4 fps: black for 4 ticks, then white dissolving in over 4 ticks.
  const std::wstring path = Put(L"dissolve.tl", MakeTl(64, 48, 4, "dissolve",
                                                       {{Flat(64, 48, 0), 4}, {Flat(64, 48, 3), -4}, {Flat(64, 48, 3), 4}}));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  const auto changes = Watch(s, 4500);
  std::set<uint32_t> seen;
  for (const Change& c : changes) seen.insert(c.colour);
  const std::set<uint32_t> blends{PackColor(51, 51, 51), PackColor(102, 102, 102), PackColor(153, 153, 153),
                                  PackColor(204, 204, 204)};
  std::string shown;
  for (const Change& c : changes) shown += std::to_string(int(c.at - changes[0].at)) + ":" + std::to_string(c.colour & 0xFF) + " ";
  for (uint32_t b : blends) EXPECT_TRUE(seen.count(b)) << "blend " << std::hex << b << " not shown: " << shown;
  for (uint32_t c : seen) EXPECT_TRUE(c == kBlack || c == kWhite || blends.count(c)) << std::hex << c;
  // The blends come in order: the old frame's weight falls.
  std::vector<uint32_t> order;
  for (const Change& c : changes)
    if (blends.count(c.colour) && (order.empty() || order.back() < c.colour)) order.push_back(c.colour);
  EXPECT_GE(order.size(), 4u);
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, ADurationOfZeroStopsWithThePlayButtonReleased) {
  const std::wstring path = Put(L"stop.tl", MakeTl(64, 48, 12, "stop",
                                                   {{Flat(64, 48, 0), 3}, {Flat(64, 48, 3), 0}, {Flat(64, 48, 1), 3}}));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  EXPECT_TRUE(WaitFor(5000, [&] { return !s.PlayPressed(); }));
  EXPECT_EQ(s.CentreColour(), kWhite);
  Sleep(400);
  EXPECT_EQ(s.CentreColour(), kWhite);
  EXPECT_FALSE(s.PlayPressed());
  // Playing on goes to the frame after it.
  ASSERT_TRUE(s.Key(VK_SPACE));
  EXPECT_TRUE(ShowsCentre(s, Level4(1)));
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, DamagedFilesDoNotCrashThePlayer) {
  const auto good = ovtest::BuildOv({FourLevels(12, 1), MakeTl(96, 64, 12, "b", {{Drawing(96, 64, 1), 2}, {Drawing(96, 64, 5), 2}})},
                                    "film", "me", 96, 64);
  std::mt19937 rng(11);
  std::map<std::wstring, std::vector<uint8_t>> files;
  std::vector<uint8_t> noise(3000);
  for (auto& b : noise) b = uint8_t(rng());
  noise[0] = 'O', noise[1] = 'V';
  files[L"noise.ov"] = noise;
  noise[0] = 'T', noise[1] = 'L';
  files[L"noise.tl"] = noise;
  files[L"short.ov"] = std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2));
  auto flipped = good;
  for (size_t i = 60; i < flipped.size(); i += 37) flipped[i] ^= 0xA5;
  files[L"flipped.ov"] = flipped;
  auto huge = good;
  // The screen and largest image sizes after the two strings "film\0me\0".
  for (size_t at : {14, 16, 18, 20}) huge[at] = 0xFF, huge[at + 1] = 0x7F;
  files[L"huge.ov"] = huge;
  auto screen = good;
  for (size_t at : {14, 16}) screen[at] = 0x30, screen[at + 1] = 0x75;  // a 30000 × 30000 view area
  files[L"screen.ov"] = screen;
  auto negative = good;
  for (size_t at : {14, 16}) negative[at] = 0x00, negative[at + 1] = 0x80;  // below zero
  files[L"negative.ov"] = negative;
  auto table = good;
  table[22] = 0xFF, table[23] = 0x7F;  // a cut count far beyond the file
  files[L"table.ov"] = table;
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(Utf8(name));
    const std::wstring path = Put(name, bytes);
    PlayerSession s(gEnv.player, Folder());
    ASSERT_TRUE(s.Start(Quoted(path)));
    Sleep(300);
    for (int id : {kNextCut, kPreviousCut, kPlay, kPlay, kStepMode, kNextCut, kStepMode, kPreviousCut})
      s.Command(id, Source::Toolbar);
    Sleep(300);
    EXPECT_TRUE(s.Alive());
    EXPECT_TRUE(s.Responds());
    EXPECT_EQ(s.Close(), 0);
  }
}

TEST(Player, DataThatIsNeitherOvNorTlPlaysTheBuiltInAnimation) {
  const std::string junk = "this is not an animation";
  const std::wstring path = Put(L"junk.bin", std::vector<uint8_t>(junk.begin(), junk.end()));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  EXPECT_EQ(s.Title(), L"OrvinaPlayer - [junk.bin]");
  EXPECT_TRUE(ShowsImage(s, ExpectedView(BuiltIn(gEnv.player), 1)));
  // An empty file cannot be read: the title stays.
  PlayerSession e(gEnv.player, Folder() + L"\\empty");
  const std::wstring empty = Put(L"empty.ov", {});
  ASSERT_TRUE(e.Start(Quoted(empty)));
  EXPECT_EQ(e.Title(), L"OrvinaPlayer");
  EXPECT_EQ(s.Close(), 0);
  EXPECT_EQ(e.Close(), 0);
}

TEST(Player, ARateOfZeroInADamagedFilePlaysAtOneFrameASecond) {
  auto tl = FourLevels(12, 1);
  // The rate follows "TL", the length, the credit "levels\0" and four sizes.
  tl[6 + 7 + 8] = 0;
  const std::wstring path = Put(L"rate0.tl", tl);
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  const double period = MeanInterval(Watch(s, 4500), {Level4(0), Level4(1), Level4(2), Level4(3)});
  EXPECT_GT(period, 800);
  EXPECT_LT(period, 1300) << "1000 ms wanted";
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, ExtractWritesTheCutOnScreenAsATlFile) {
  const auto a = MakeTl(64, 48, 12, "first", {{Drawing(64, 48, 1), 1000}, {Drawing(64, 48, 2), 1000}});
  const auto b = MakeTl(80, 40, 10, "second", {{Drawing(80, 40, 3), 1000}});
  const auto film = ovtest::BuildOv({a, b}, "film", "me", 80, 48);
  const std::wstring path = Put(L"film.ov", film);
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  ASSERT_TRUE(s.PlayPressed());

  auto extract = [&](const std::wstring& name) {
    s.PostCommand(kExtract);
    HWND dialog = s.WaitForDialog(10000);
    if (!dialog) return false;
    SetFileName(dialog, Folder() + L"\\" + name);
    PressButton(dialog, IDOK);
    return DialogGone(dialog);
  };
  // Without an extension the dialog adds "tl".
  ASSERT_TRUE(extract(L"one"));
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(WaitFor(3000, [&] { return !(bytes = ReadFileBytes(Folder() + L"\\one.tl")).empty(); }));
  auto copy = film;
  MemoryStream stream(copy.data(), int32_t(copy.size()), int32_t(copy.size()));
  ov::FileHeader header;
  ASSERT_TRUE(ov::ReadFileHeader(stream, header));
  ASSERT_EQ(header.cutOffsets.size(), 2u);
  const std::vector<uint8_t> record(film.begin() + header.cutOffsets[0], film.begin() + header.cutOffsets[1]);
  ASSERT_EQ(bytes.size(), record.size() + 6);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.end()), record);
  EXPECT_EQ(bytes[0], 'T');
  EXPECT_EQ(bytes[1], 'L');
  EXPECT_EQ(uint32_t(bytes[2] | bytes[3] << 8 | bytes[4] << 16 | bytes[5] << 24), uint32_t(bytes.size()));
  EXPECT_TRUE(s.PlayPressed()) << "playback goes on";

  s.Command(kNextCut);
  ASSERT_TRUE(extract(L"two.tl"));
  EXPECT_TRUE(WaitFor(3000, [&] { return !(bytes = ReadFileBytes(Folder() + L"\\two.tl")).empty(); }));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 6, bytes.end()),
            std::vector<uint8_t>(film.begin() + header.cutOffsets[1], film.end()));
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, TheOpenDialogOffersItsFiltersAndLoadsTheChosenFile) {
  const std::wstring still = Put(L"still.tl", MakeTl(64, 48, 12, "s", {{Drawing(64, 48, 1), 1}}));
  const auto a = FourLevels(12, 2);
  const std::wstring film = Put(L"levels.ov", ovtest::BuildOv({a, a}, "f", "a", 64, 48));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(film)));

  // Cancelled: the film plays on as it was.
  ASSERT_TRUE(s.Key('O', true));
  HWND dialog = s.WaitForDialog(10000);
  ASSERT_NE(dialog, nullptr);
  HWND types = GetDlgItem(dialog, 0x470);
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 5);
  wchar_t first[128] = {};
  SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_STREQ(first, L"Playable Files (*.ov;*.tl;*.lzh;*.zip)");
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(DialogGone(dialog));
  EXPECT_EQ(s.Title(), L"OrvinaPlayer - [levels.ov]");
  EXPECT_TRUE(s.PlayPressed());
  EXPECT_GE(Watch(s, 800).size(), 3u) << "the film plays on";

  s.PostCommand(kOpen);
  dialog = s.WaitForDialog(10000);
  ASSERT_NE(dialog, nullptr);
  SetFileName(dialog, still);
  PressButton(dialog, IDOK);
  ASSERT_TRUE(DialogGone(dialog));
  EXPECT_TRUE(WaitFor(3000, [&] { return s.Title() == L"OrvinaPlayer - [still.tl]"; })) << Utf8(s.Title());
  EXPECT_FALSE(s.PlayPressed()) << "a still";
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, SettingsOutOfRangeAreBroughtIntoIt) {
  const auto tl = MakeTl(96, 64, 12, "still", {{Drawing(96, 64, 4), 1}});
  const std::wstring path = Put(L"still.tl", tl);
  PlayerSession s(gEnv.player, Folder(), "slow=50\r\nhilight=300, 128, -5\r\n");
  ASSERT_TRUE(s.Start(Quoted(path)));
  EXPECT_TRUE(ShowsImage(s, ExpectedView(tl, 1, PackColor(255, 128, 0))));
  s.PostCommand(kStepSpeed);
  HWND dialog = s.WaitForDialog(10000, L"コマ送り速度");
  ASSERT_NE(dialog, nullptr);
  wchar_t text[16] = {};
  DWORD_PTR got = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, 1000), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000, &got);
  EXPECT_STREQ(text, L"10");
  PressButton(dialog, IDCANCEL);
  ASSERT_TRUE(DialogGone(dialog));
  EXPECT_EQ(s.Setting(L"slow"), L"50") << "a cancelled dialog writes nothing";
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, ADroppedFileIsPlayed) {
  const std::wstring still = Put(L"still.tl", MakeTl(64, 48, 12, "s", {{Drawing(64, 48, 1), 1}}));
  const std::wstring film = Put(L"dropped.ov", ovtest::BuildOv({FourLevels(12, 1)}, "f", "a", 64, 48));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(still)));
  // What the shell posts for a drop: a DROPFILES block with the wide names, in the memory
  // of the program that receives it (a fixed block, so its address is its handle).
  std::vector<uint8_t> block(sizeof(DROPFILES) + (film.size() + 2) * sizeof(wchar_t), 0);
  auto* drop = reinterpret_cast<DROPFILES*>(block.data());
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(film.begin(), film.end(), reinterpret_cast<wchar_t*>(block.data() + sizeof(DROPFILES)));
  DWORD pid = 0;
  GetWindowThreadProcessId(s.Window(), &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  ASSERT_TRUE(WriteProcessMemory(process, remote, block.data(), block.size(), nullptr));
  CloseHandle(process);
  ASSERT_TRUE(PostMessageW(s.Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0));
  EXPECT_TRUE(WaitFor(5000, [&] { return s.Title() == L"OrvinaPlayer - [dropped.ov]"; })) << Utf8(s.Title());
  EXPECT_TRUE(s.PlayPressed());
  EXPECT_EQ(s.Close(), 0);
}

// The screen rectangle of toolbar button `index`, asked with the answer in the program's
// own memory.
RECT ButtonRect(const PlayerSession& s, int index) {
  RECT r{};
  DWORD pid = 0;
  GetWindowThreadProcessId(s.Window(), &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return r;
  void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote && SendMessageW(s.Toolbar(), TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(remote)))
    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  MapWindowPoints(s.Toolbar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Moves the mouse through the input queue, as a hand on the mouse does.
void MoveMouse(int x, int y) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = LONG(x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
  in.mi.dy = LONG(y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

// The tooltip shown while the mouse rests on toolbar button `index`.
std::wstring Tooltip(PlayerSession& s, int index) {
  const RECT r = ButtonRect(s, index);
  MoveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  DWORD pid = 0;
  GetWindowThreadProcessId(s.Window(), &pid);
  std::wstring text;
  WaitFor(4000, [&] {
    // Small moves inside the button keep the tooltip control watching it.
    MoveMouse((r.left + r.right) / 2 + 1, (r.top + r.bottom) / 2);
    for (HWND w = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); w;
         w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner != pid || !IsWindowVisible(w)) continue;
      // The tooltip's text comes from the control itself, not from a window caption.
      wchar_t buffer[128] = {};
      DWORD_PTR got = 0;
      SendMessageTimeoutW(w, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 3000, &got);
      text = buffer;
      if (!text.empty()) return true;
    }
    return false;
  });
  // Away from the window, so the next button's tooltip is a new one.
  MoveMouse(GetSystemMetrics(SM_CXSCREEN) - 10, GetSystemMetrics(SM_CYSCREEN) - 10);
  WaitFor(3000, [&] {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); w;
         w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w)) return false;
    }
    return true;
  });
  return text;
}

TEST(Player, ToolbarButtonsHaveTheirTooltips) {
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(L""));
  ASSERT_TRUE(s.BringToFront());
  // Buttons: open, separator, play, step, separator, previous cut, next cut.
  EXPECT_EQ(Tooltip(s, 0), L"開く");
  EXPECT_EQ(Tooltip(s, 2), L"再生");
  EXPECT_EQ(Tooltip(s, 3), L"コマ送り");
  EXPECT_EQ(Tooltip(s, 5), L"前のｶｯﾄ");
  EXPECT_EQ(Tooltip(s, 6), L"次のカット");
  EXPECT_EQ(s.Close(), 0);
}

// A left click on toolbar button `index`.
void ClickButton(PlayerSession& s, int index) {
  const RECT r = ButtonRect(s, index);
  MoveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  // Off the window, so no tooltip covers the view.
  MoveMouse(GetSystemMetrics(SM_CXSCREEN) - 10, GetSystemMetrics(SM_CYSCREEN) - 10);
  Sleep(150);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(s.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

TEST(Player, ClickingThePlayButtonStopsAndStartsPlayback) {
  const std::wstring path = Put(L"levels.tl", FourLevels(12, 1));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  ASSERT_TRUE(s.BringToFront());
  ASSERT_TRUE(s.PlayPressed());
  ClickButton(s, 2);
  EXPECT_FALSE(s.PlayPressed());
  Sleep(250);  // the last frame painted reaches the screen
  EXPECT_EQ(Watch(s, 500).size(), 1u) << "stopped";
  ClickButton(s, 2);
  EXPECT_TRUE(s.PlayPressed());
  EXPECT_GE(Watch(s, 500).size(), 3u) << "playing";
  // The step button: pressed in step mode.
  ClickButton(s, 3);
  EXPECT_TRUE(s.StepPressed());
  ClickButton(s, 3);
  EXPECT_FALSE(s.StepPressed());
  EXPECT_EQ(s.Close(), 0);
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

TEST(Player, AnotherActiveWindowPausesPlaybackAndComingBackResumesIt) {
  const std::wstring path = Put(L"levels.tl", FourLevels(12, 1));
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(path)));
  ASSERT_TRUE(s.BringToFront());
  EXPECT_GE(Watch(s, 600).size(), 3u);

  WNDCLASSW wc = {};
  wc.lpfnWndProc = PlainWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PlayerDriverWnd";
  RegisterClassW(&wc);
  HWND other = CreateWindowExW(0, wc.lpszClassName, L"driver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500, 200,
                               100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(other);
  EXPECT_TRUE(WaitFor(3000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return GetForegroundWindow() == other;
  }));
  Sleep(200);
  EXPECT_EQ(Watch(s, 800).size(), 1u) << "paused";
  EXPECT_TRUE(s.PlayPressed());

  ASSERT_TRUE(s.BringToFront());
  EXPECT_GE(Watch(s, 800).size(), 3u) << "playing again";
  DestroyWindow(other);
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, TheHighlightColourComesFromTheSettingsAndTheColourDialog) {
  // Brightness 100: every level becomes the highlight colour, and with black stays black.
  const auto tl = MakeTl(96, 64, 12, "still", {{Drawing(96, 64, 2), 1, 100}});
  const std::wstring path = Put(L"still.tl", tl);
  PlayerSession s(gEnv.player, Folder(), "hilight=0, 0, 0\r\n");
  ASSERT_TRUE(s.Start(Quoted(path)));
  const Image black = ExpectedView(tl, 1, 0);
  EXPECT_TRUE(std::all_of(black.px.begin(), black.px.end(), [](uint32_t c) { return c == 0; }));
  EXPECT_TRUE(ShowsImage(s, black)) << "every level black";

  s.PostCommand(kHighlight);
  HWND dialog = s.WaitForDialog(10000);
  ASSERT_NE(dialog, nullptr);
  SetDialogText(dialog, 706, L"255");
  SetDialogText(dialog, 707, L"0");
  SetDialogText(dialog, 708, L"255");
  PressButton(dialog, IDOK);
  ASSERT_TRUE(DialogGone(dialog));
  EXPECT_TRUE(WaitFor(3000, [&] { return s.Setting(L"hilight") == L"255, 0, 255"; })) << Utf8(s.Setting(L"hilight"));
  EXPECT_TRUE(ShowsImage(s, ExpectedView(tl, 1, PackColor(255, 0, 255))));
  EXPECT_EQ(s.Close(), 0);
}

TEST(Player, AFilmMadeByOrvinaPlays) {
  if (gEnv.film.empty()) GTEST_SKIP() << "no --film";
  PlayerSession s(gEnv.player, Folder());
  ASSERT_TRUE(s.Start(Quoted(gEnv.film)));
  const size_t slash = gEnv.film.find_last_of(L"\\/");
  EXPECT_EQ(s.Title(), L"OrvinaPlayer - [" + gEnv.film.substr(slash + 1) + L"]");
  EXPECT_TRUE(s.PlayPressed());
  // It moves: the view changes while it plays.
  const Image first = s.CaptureView();
  EXPECT_TRUE(WaitFor(5000, [&] { return !(s.CaptureView() == first); }));
  Sleep(700);
  if (!gEnv.shots.empty()) {
    CreateDirectoryW(gEnv.shots.c_str(), nullptr);
    EXPECT_TRUE(SaveBitmap(gEnv.shots + L"\\player_film.bmp", s.CaptureWindow()));
  }
  EXPECT_EQ(s.Close(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!ReadDriverFlags(argc, argv,
                       {{"--player", &gEnv.player, true},
                        {"--work", &gEnv.work, true},
                        {"--film", &gEnv.film},
                        {"--shots", &gEnv.shots}},
                       "player_driver --player OrvinaPlayer.exe --work FOLDER [--film F] [--shots D]"))
    return 2;
  return RUN_ALL_TESTS();
}
