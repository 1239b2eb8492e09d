// The animation window in-process under Windows (Wine): the real multimedia timer, painting
// through the DIB section, the window's size rule and the private message.
//   anim_window_test [gtest flags]
//   anim_window_test --measure [FILE.tl|FILE.ov]   timer periods and the cost of one tick
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/memory_stream.h"
#include "model/pixel_class.h"
#include "tests/anim/ov_stream_builder.h"
#include "tests/win32/driver/program_session.h"
#include "win32/anim_window.h"
#include "win32/dib_pixel_buffer.h"

namespace {

using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Header;
using ovtest::Picture;

// Runs the window's messages for `ms` milliseconds, or until `done` says so.
// Private messages seen while pumping.
int gStoppedMessages = 0;

template <typename Done>
bool PumpUntil(double ms, Done done) {
  const double end = NowMs() + ms;
  while (NowMs() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == kPlaybackStoppedMessage) ++gStoppedMessages;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    Sleep(1);
  }
  return done();
}
void Pump(double ms) {
  PumpUntil(ms, [] { return false; });
}

// A TL file of flat frames of an image, one (level, duration) each.
std::vector<uint8_t> FlatTl(int16_t w, int16_t h, const std::vector<std::pair<int, int>>& frames,
                            uint8_t fps) {
  return ovtest::BuildTl(Header(w, h, 4, fps), [&](CutCoder& c) {
    for (auto [level, duration] : frames)
      c.Frame(Fields(int16_t(duration), 1), Picture(w, h, uint8_t(level)));
  });
}

// The engine in a window of its own class, counting its paints (every tick of a film of
// duration-1 frames paints once) and when they happened.
class TestWindow : public AnimWindow {
 public:
  explicit TestWindow(std::vector<uint8_t> file) : bytes(std::move(file)) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    window = CreateHidden(GetModuleHandleW(nullptr), nullptr, L"anim");
  }
  ~TestWindow() override {
    Stop();
    if (window) DestroyWindow(window);
  }
  bool OpenFile() { return Open(stream); }

  std::vector<uint8_t> bytes;
  MemoryStream stream;
  HWND window = nullptr;
  std::atomic<int> paints{0};
  std::vector<double> paintTimes;  // written under the engine's lock
  bool fakeTimer = false;          // no real timer: the test calls Tick itself

 protected:
  void PaintNow() override {
    ++paints;
    paintTimes.push_back(NowMs());
    AnimWindow::PaintNow();
  }
  bool StartTimer(int periodMs) override {
    if (fakeTimer) return true;
    return AnimWindow::StartTimer(periodMs);
  }
  void KillTimer() override {
    if (!fakeTimer) AnimWindow::KillTimer();
  }
};

struct ClassRegistration {
  ClassRegistration() { AnimWindow::RegisterWindowClass(GetModuleHandleW(nullptr)); }
};

class AnimWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseDibSections();
    static ClassRegistration registration;
  }
};

TEST_F(AnimWindowTest, FrameBufferPixelsAreADibSection) {
  FrameBuffer fb;
  ASSERT_TRUE(fb.Create(21, 7));
  ASSERT_NE(fb.Buffer(), nullptr);
  HBITMAP bitmap = static_cast<HBITMAP>(fb.Buffer()->Handle());
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION dib = {};
  ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), int(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);
  EXPECT_EQ(dib.dsBm.bmWidth, 21);
  EXPECT_EQ(dib.dsBm.bmHeight, 8) << "one spare row";
  EXPECT_EQ(dib.dsBm.bmWidthBytes, fb.Stride());
  EXPECT_EQ(dib.dsBm.bmBits, fb.Bits());
  // Top-down: the first byte is the top left pixel.
  fb.SetPixel(0, 0, 5);
  fb.SetPixel(20, 6, 9);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const uint32_t colours[2] = {PackColor(10, 20, 30), PackColor(200, 100, 50)};
  SetDIBColorTable(dc, 5, 1, reinterpret_cast<const RGBQUAD*>(&colours[0]));
  SetDIBColorTable(dc, 9, 1, reinterpret_cast<const RGBQUAD*>(&colours[1]));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(dc, 20, 6), RGB(200, 100, 50));
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST_F(AnimWindowTest, PaintShowsTheFrameThroughTheCombinedColoursInBlackBands) {
  // A 20 × 10 view in a 40 × 30 screen: a still frame of stripes, centred.
  Picture p(20, 10, 3);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 20; ++x) p.Set(x, y, uint8_t((x / 3 + y) % 4));
  auto tl = ovtest::BuildTl(Header(20, 10, 4, 12), [&](CutCoder& c) { c.Frame(Fields(1, 1, 30), p); });
  TestWindow w(ovtest::BuildOv({tl}, "f", "a", 40, 30));
  ASSERT_NE(w.window, nullptr);
  ASSERT_TRUE(w.OpenFile());
  EXPECT_FALSE(w.TimerRunning()) << "a single frame is still";
  RECT client;
  GetClientRect(w.window, &client);
  // A window may not become as narrow as 40 pixels: the view area is centred in it.
  const int cw = client.right, left = (cw - 40) / 2;
  EXPECT_GE(cw, 40);
  EXPECT_EQ(client.bottom, 30);

  // Paint into a 32-bit bitmap of the client area and compare every pixel.
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = cw;
  bi.bmiHeader.biHeight = -30;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(target, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  std::fill_n(static_cast<uint32_t*>(bits), cw * 30, 0x123456u);
  w.Paint(dc);
  GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  FrameBuffer& fb = w.Buffer();
  int wrong = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < cw; ++x) {
      const int ax = x - left;
      const bool inside = ax >= 10 && ax < 30 && y >= 10 && y < 20;
      // Brightness 30 darkens the ramp: the colour is the current page's palette entry.
      const uint32_t want = inside ? fb.GetPageColor(p.At(ax - 10, y - 10)) : 0;
      if ((px[y * cw + x] & 0xFFFFFF) != want && wrong++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << px[y * cw + x] << " != " << want;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(fb.GetPageColor(3), PackColor(153, 153, 153)) << "brightness 30 of white";
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(target);
}

TEST_F(AnimWindowTest, TheWindowKeepsTheSizeOfItsViewArea) {
  TestWindow w(FlatTl(200, 48, {{1, 5}}, 12));
  ASSERT_TRUE(w.OpenFile());
  SetWindowPos(w.window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(w.window, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 48);
  // Bars above and below make it taller.
  w.SetBarHeights(20, 10);
  SetWindowPos(w.window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(w.window, &client);
  EXPECT_EQ(client.bottom, 78);
}

TEST_F(AnimWindowTest, TheTimerTicksAtTheFramePeriodAndNeverAfterStop) {
  // 50 frames a second, each frame one tick: every tick paints.
  std::vector<std::pair<int, int>> frames;
  for (int i = 0; i < 8; ++i) frames.push_back({i % 4, 1});
  TestWindow w(FlatTl(32, 16, frames, 50));
  ASSERT_TRUE(w.OpenFile());
  EXPECT_TRUE(w.TimerRunning());
  EXPECT_EQ(w.CurrentPeriod(), 20);
  EXPECT_GE(w.TimerResolution(), 1u);
  EXPECT_TRUE(PumpUntil(3000, [&] { return w.paints >= 6; })) << w.paints << " paints";
  // Start and stop over and over while ticks arrive: once Stop returns, no tick runs.
  int late = 0;
  for (int round = 0; round < 40; ++round) {
    w.Tick();
    Sleep(DWORD(round % 3 * 9));
    ASSERT_TRUE(w.Stop());
    const int stopped = w.paints;
    Sleep(45);
    late += w.paints - stopped;
  }
  EXPECT_EQ(late, 0);
  EXPECT_FALSE(w.TimerRunning());
  EXPECT_FALSE(w.Stop()) << "nothing runs";
}

TEST_F(AnimWindowTest, StepFactorAndFrameRateSetThePeriod) {
  auto one = FlatTl(16, 8, {{0, 1}, {1, 1}}, 12);
  auto two = FlatTl(16, 8, {{2, 1}, {3, 1}}, 24);
  TestWindow w(ovtest::BuildOv({one, two}, "f", "a", 16, 8));
  ASSERT_TRUE(w.OpenFile());
  ASSERT_TRUE(w.Stop());
  w.SetStepFactor(10);
  w.Tick();
  EXPECT_EQ(w.CurrentPeriod(), 833) << "step mode at 12 fps";
  // The first frame of cut 2 changes the period.
  EXPECT_TRUE(PumpUntil(5000, [&] { return w.CurrentPeriod() == 416; })) << w.CurrentPeriod();
  w.Stop();
}

TEST_F(AnimWindowTest, ADurationOfZeroStopsAndPostsThePrivateMessage) {
  TestWindow w(FlatTl(16, 8, {{0, 1}, {3, 0}, {1, 1}}, 50));
  ASSERT_TRUE(w.OpenFile());
  gStoppedMessages = 0;
  EXPECT_TRUE(PumpUntil(3000, [&] { return gStoppedMessages > 0; }));
  EXPECT_EQ(gStoppedMessages, 1);
  EXPECT_FALSE(w.TimerRunning());
  EXPECT_EQ(w.TimerRate(), 0);
  const int paints = w.paints;
  Sleep(100);
  EXPECT_EQ(w.paints, paints);
  EXPECT_EQ(w.Buffer().CombinedColors()[w.Buffer().Bits()[0]], PackColor(255, 255, 255));
}

TEST_F(AnimWindowTest, ARefusedFileLeavesABlackViewAndNoTicks) {
  TestWindow w(FlatTl(16, 8, {{3, 1}, {3, 1}}, 50));
  ASSERT_TRUE(w.OpenFile());
  w.Stop();
  std::vector<uint8_t> junk(64, 'X');
  w.stream.Attach(junk.data(), int32_t(junk.size()), int32_t(junk.size()));
  EXPECT_FALSE(w.Open(w.stream));
  w.Tick();
  EXPECT_FALSE(w.TimerRunning());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 16, 8);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  w.Paint(dc);
  EXPECT_EQ(GetPixel(dc, 5, 5) & 0xFFFFFF, 0u);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}

// --measure

struct Figures {
  double mean = 0, worst = 0, min = 0, max = 0;
  size_t n = 0;
};
Figures Intervals(const std::vector<double>& times, double wanted) {
  Figures f;
  if (times.size() < 3) return f;
  // The first interval includes the start-up; leave it out.
  std::vector<double> d;
  for (size_t i = 2; i < times.size(); ++i) d.push_back(times[i] - times[i - 1]);
  double sum = 0;
  f.min = d[0], f.max = d[0];
  for (double v : d) {
    sum += v;
    f.min = std::min(f.min, v), f.max = std::max(f.max, v);
    f.worst = std::max(f.worst, std::fabs(v - wanted));
  }
  f.mean = sum / double(d.size());
  f.n = d.size();
  return f;
}

// A 640 × 480 film of 13 levels with moving shapes and grain, every frame one tick.
std::vector<uint8_t> BusyFilm(int frames) {
  std::mt19937 rng(7);
  return ovtest::BuildTl(Header(640, 480, 13, 24), [&](CutCoder& c) {
    Picture p(640, 480, 12);
    for (int f = 0; f < frames; ++f) {
      for (int i = 0; i < 40; ++i) {
        const int32_t x = int32_t(rng() % 600), y = int32_t(rng() % 440);
        p.FillRect(x, y, 8 + int32_t(rng() % 32), 8 + int32_t(rng() % 32), uint8_t(rng() % 13));
      }
      for (int i = 0; i < 20000; ++i) p.Set(int32_t(rng() % 640), int32_t(rng() % 480), uint8_t(rng() % 13));
      c.Frame(Fields(1, f == 0 ? 1 : 0), p);
    }
  });
}

void MeasurePeriod(const char* what, std::vector<uint8_t> film, int step, double seconds) {
  TestWindow w(std::move(film));
  if (!w.OpenFile()) {
    std::printf("%s: cannot open\n", what);
    return;
  }
  if (step != 1) {
    w.Stop();
    w.paintTimes.clear();
    w.SetStepFactor(step);
    w.Tick();
  }
  const int wanted = w.CurrentPeriod();
  Pump(seconds * 1000);
  w.Stop();
  const Figures f = Intervals(w.paintTimes, wanted);
  std::printf("%-28s requested %4d ms: mean %7.2f ms, min %7.2f, max %7.2f, worst deviation %6.2f ms over %zu ticks\n",
              what, wanted, f.mean, f.min, f.max, f.worst, f.n);
}

int Measure(const char* file) {
  UseDibSections();
  AnimWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
  std::vector<std::pair<int, int>> frames;
  for (int i = 0; i < 8; ++i) frames.push_back({i % 4, 1});
  MeasurePeriod("12 fps", FlatTl(320, 240, frames, 12), 1, 4);
  MeasurePeriod("24 fps", FlatTl(320, 240, frames, 24), 1, 4);
  MeasurePeriod("50 fps", FlatTl(320, 240, frames, 50), 1, 3);
  MeasurePeriod("12 fps, step factor 10", FlatTl(320, 240, frames, 12), 10, 6);

  // One tick of a 640 × 480 film: switch (blend, paint) and decode the next frame.
  std::vector<uint8_t> film;
  if (file) {
    HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      film.resize(GetFileSize(h, nullptr));
      DWORD got = 0;
      ReadFile(h, film.data(), DWORD(film.size()), &got, nullptr);
      film.resize(got);
      CloseHandle(h);
    }
  } else {
    film = BusyFilm(24);
  }
  TestWindow w(std::move(film));
  w.fakeTimer = true;
  if (!w.OpenFile()) {
    std::printf("640 x 480 film: cannot open\n");
    return 1;
  }
  ShowWindow(w.window, SW_SHOWNA);
  Pump(200);
  std::vector<double> ticks;
  for (int i = 0; i < 96; ++i) {
    const double t0 = NowMs();
    w.Tick();
    ticks.push_back(NowMs() - t0);
  }
  // The parts: decoding alone and painting alone.
  std::vector<double> decodes, paints;
  for (int i = 0; i < 48; ++i) {
    double t0 = NowMs();
    w.AnimDecoder().NextFrame();
    decodes.push_back(NowMs() - t0);
    HDC dc = GetDC(w.window);
    t0 = NowMs();
    w.Paint(dc);
    GdiFlush();
    paints.push_back(NowMs() - t0);
    ReleaseDC(w.window, dc);
  }
  auto report = [](const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v) sum += x;
    std::printf("%-28s mean %6.2f ms, median %6.2f, max %6.2f over %zu\n", what, sum / double(v.size()),
                v[v.size() / 2], v.back(), v.size());
  };
  std::printf("640 x 480 frame (%d x %d view):\n", w.AnimDecoder().Cut().viewWidth, w.AnimDecoder().Cut().viewHeight);
  report("  tick (switch + decode)", ticks);
  report("  decode one frame", decodes);
  report("  paint the view", paints);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--measure") return Measure(i + 1 < argc ? argv[i + 1] : nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
