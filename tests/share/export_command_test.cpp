// orvina export checked against the decoder and the engine's arithmetic, and its files read
// back by programs we did not write: gifsicle, webpmux, ImageMagick, ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "tests/anim/ov_stream_builder.h"
#include "tests/cli/run_orvina.h"

namespace {

namespace fs = std::filesystem;
using clitest::Orvina;
using clitest::Result;
using clitest::Shell;
using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Picture;

// Debian's ImageMagick, whatever else is called convert on the path.
const char* const kMagick = "/usr/bin/convert";

// An RGB picture, 3 bytes a pixel.
struct Rgb {
  int32_t w = 0, h = 0;
  std::vector<uint8_t> px;
  Rgb() = default;
  Rgb(int32_t width, int32_t height) : w(width), h(height), px(size_t(width) * size_t(height) * 3, 0) {}
  bool operator==(const Rgb&) const = default;
};

// A picture the player shows and for how long, in 1/120 s (whole at 10, 12, 24 and 30 fps).
struct Shown {
  Rgb picture;
  int64_t time = 0;
};
struct Expected {
  std::vector<Shown> shown;
  bool held = false;
};

// The view bitmap that `orvina decode --out` writes: 24 bits, bottom-up.
Rgb ReadViewBitmap(const fs::path& path) {
  const std::vector<uint8_t> b = clitest::ReadBytes(path);
  if (b.size() < 54) return Rgb();
  auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
  Rgb r(int32_t(u32(18)), int32_t(u32(22)));
  const size_t stride = (size_t(r.w) * 3 + 3) & ~size_t(3);
  for (int32_t y = 0; y < r.h; ++y)
    for (int32_t x = 0; x < r.w; ++x)
      for (int c = 0; c < 3; ++c)
        r.px[(size_t(y) * size_t(r.w) + size_t(x)) * 3 + size_t(c)] =
            b[u32(10) + size_t(r.h - 1 - y) * stride + size_t(x) * 3 + size_t(2 - c)];
  return r;
}

// Every picture ImageMagick reads from `files` (coalesced: whole frames), w × h each.
// The w × h RGB pictures a tool wrote to its standard output.
std::vector<Rgb> PicturesOf(const Result& r, int32_t w, int32_t h, const std::string& what) {
  std::vector<Rgb> pictures;
  const size_t each = size_t(w) * size_t(h) * 3;
  if (r.status != 0 || each == 0 || r.out.size() % each != 0) {
    ADD_FAILURE() << what << " " << r.out.size() << " bytes";
    return pictures;
  }
  for (size_t at = 0; at < r.out.size(); at += each) {
    Rgb p(w, h);
    std::copy(r.out.begin() + std::ptrdiff_t(at), r.out.begin() + std::ptrdiff_t(at + each), p.px.begin());
    pictures.push_back(std::move(p));
  }
  return pictures;
}

std::vector<Rgb> ReadWithMagick(const std::string& files, int32_t w, int32_t h) {
  const Result r = Shell(std::string(kMagick) + " " + files + " -coalesce -depth 8 rgb:-", false);
  return PicturesOf(r, w, h, "ImageMagick read of " + files + ":");
}

// Each time in 1/120 s as whole units of 1/unitsPerSecond, rounded on the running total;
// a held last picture has 0.
std::vector<int64_t> Durations(const Expected& e, int64_t unitsPerSecond) {
  std::vector<int64_t> out;
  int64_t total = 0, was = 0;
  for (const Shown& s : e.shown) {
    total += s.time;
    const int64_t now = (2 * total * unitsPerSecond + 120) / 240;
    out.push_back(now - was);
    was = now;
  }
  if (e.held) out.back() = 0;
  return out;
}

// The number after each `label` in `text`, times `scale`, rounded.
std::vector<int64_t> Numbers(const std::string& text, const std::string& label, double scale = 1) {
  std::vector<int64_t> v;
  for (size_t at = text.find(label); at != std::string::npos; at = text.find(label, at + 1))
    v.push_back(std::llround(std::strtod(text.c_str() + at + label.size(), nullptr) * scale));
  return v;
}

// The duration column of webpmux's frame table: rows "N: width height alpha x y duration …".
std::vector<int64_t> WebpDurations(const std::string& info) {
  std::vector<int64_t> v;
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream row(line);
    std::string number, w, h, alpha, x, y;
    int64_t duration = 0;
    if (row >> number >> w >> h >> alpha >> x >> y >> duration && number.back() == ':') v.push_back(duration);
  }
  return v;
}

// Random rectangles of random levels over a picture.
void Scribble(Picture& p, std::mt19937& rng, int levels) {
  for (int k = 0; k < 4; ++k) {
    const int32_t x = int32_t(rng() % uint32_t(p.width)), y = int32_t(rng() % uint32_t(p.height));
    p.FillRect(x, y, 1 + int32_t(rng() % uint32_t(p.width - x)), 1 + int32_t(rng() % uint32_t(p.height - y)),
               uint8_t(rng() % uint32_t(levels)));
  }
}

// One frame of a generated cut: duration, repeat, brightness, view, and whether its picture
// changes.
struct Step {
  int duration, repeat, brightness = 50, viewX = 0, viewY = 0;
  bool changes = true;
};

// With `noise`, each changing frame takes a random level in every pixel.
std::vector<uint8_t> MakeCut(uint32_t seed, int16_t w, int16_t h, int16_t viewW, int16_t viewH, int levels,
                             uint8_t fps, const std::vector<Step>& steps, bool noise = false) {
  std::mt19937 rng(seed);
  auto header = ovtest::Header(w, h, levels, fps, "cut " + std::to_string(seed));
  header.viewWidth = viewW, header.viewHeight = viewH;
  return ovtest::BuildTl(header, [&](CutCoder& c) {
    Picture p(w, h, uint8_t(levels - 1));
    for (const Step& s : steps) {
      ov::FrameFields f = Fields(int16_t(s.duration), int16_t(s.repeat), uint8_t(s.brightness));
      f.viewX = int16_t(s.viewX), f.viewY = int16_t(s.viewY);
      if (s.changes || &s == &steps.front()) {
        if (noise) {
          for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) p.Set(x, y, uint8_t(rng() % uint32_t(levels)));
        } else {
          Scribble(p, rng, levels);
        }
        c.Frame(f, p);
      } else {
        c.Same(f);
      }
    }
  });
}

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(clitest::OrvinaPath())) << "orvina is not built";
    for (const char* tool : {"gifsicle", "webpmux"})
      ASSERT_EQ(Shell(std::string("command -v ") + tool).status, 0) << tool << " is missing: run scripts/setup.sh";
    ASSERT_EQ(access(kMagick, X_OK), 0) << "ImageMagick is missing: run scripts/setup.sh";
    dir_ = fs::temp_directory_path() /
           ("orvina_export_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);

    // Three cuts at 12, 24 and 10 fps on a 24 × 12 view area: dissolves (never on a
    // loop's first frame, whose other page holds the frame before the loop), a loop of 3
    // with a dissolve inside, brightness, an unchanged frame, views that pan, 13 levels,
    // and a stop after which nothing more shows.
    const auto cut0 = MakeCut(1, 16, 8, 16, 8, 4, 12,
                              {{2, 1}, {-3, 0}, {1, 0, 70, 0, 0, false}, {1, 3, 30}, {2, 0}, {-2, 0}, {1, 1, 100}});
    const auto cut1 = MakeCut(2, 20, 10, 12, 6, 13, 24,
                              {{3, 1}, {1, 0, 50, 4, 2}, {-4, 0, 50, 4, 2}, {2, 0, 0, 8, 4, false}, {1, 0, 50, 8, 4}});
    const auto cut2 = MakeCut(3, 10, 6, 10, 6, 4, 10, {{1, 1}, {-2, 0}, {0, 0}, {3, 0}});
    clitest::WriteBytes(dir_ / "stops.ov", ovtest::BuildOv({cut0, cut1, cut2}, "film", "me", 24, 12));
    // A cut that plays on: a first frame held longer by an unchanged one, a dissolve and a
    // loop still open at the end, which the cut's own first frame closes.
    clitest::WriteBytes(dir_ / "plays.tl",
                        MakeCut(4, 12, 8, 12, 8, 4, 30, {{2, 1}, {3, 0, 50, 0, 0, false}, {-2, 0}, {1, 2}, {2, 0}}));
    // Noise at 13 levels dissolving: 169 colours, and more codes than one LZW table holds.
    clitest::WriteBytes(dir_ / "noise.tl", MakeCut(6, 160, 120, 160, 120, 13, 24, {{1, 1}, {-2, 0}}, true));
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // What the player shows, from `orvina decode --out` and the engine's rules: a frame of
  // duration d > 0 for d ticks; a dissolve over n ticks as n blends of the frame before
  // (weight a) and the new one (weight n + 1 − a), a = n … 1, one tick each; a frame of
  // duration 0 held. Views centred in the area, black around; equal neighbours merged.
  Expected Reference(const std::string& film, int32_t areaW, int32_t areaH, const std::vector<int>& fps) {
    const fs::path frames = dir_ / (fs::path(film).stem().string() + "_decoded");
    const Result r = Orvina("decode " + Path(film) + " --out " + frames.string());
    EXPECT_EQ(r.status, 0) << r.out;
    const std::vector<int64_t> cuts = Numbers(r.out, "cut=");
    const std::vector<int64_t> durations = Numbers(r.out, "duration=");
    Expected e;
    Rgb before;
    for (size_t i = 0; i < durations.size() && !e.held; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05zu.bmp", i);
      const Rgb view = ReadViewBitmap(frames / name);
      Rgb now(areaW, areaH);
      const int32_t dx = (areaW - view.w) / 2, dy = (areaH - view.h) / 2;
      for (int32_t y = 0; y < view.h; ++y)
        std::copy_n(&view.px[size_t(y) * size_t(view.w) * 3], size_t(view.w) * 3,
                    &now.px[(size_t(y + dy) * size_t(areaW) + size_t(dx)) * 3]);
      const int64_t tick = 120 / fps[size_t(cuts[i])];
      const int64_t d = durations[i];
      if (d < 0) {
        for (int64_t a = -d; a >= 1; --a) {
          Rgb blend(areaW, areaH);
          for (size_t k = 0; k < blend.px.size(); ++k)
            blend.px[k] = uint8_t((before.px[k] * a + now.px[k] * (1 - d - a)) / (1 - d));
          e.shown.push_back({blend, tick});
        }
      } else {
        e.shown.push_back({now, d * tick});
        e.held = d == 0;
      }
      before = now;
    }
    std::vector<Shown> merged;
    for (Shown& s : e.shown) {
      if (!merged.empty() && merged.back().picture == s.picture) {
        merged.back().time += s.time;
      } else {
        merged.push_back(std::move(s));
      }
    }
    e.shown = std::move(merged);
    return e;
  }

  // The export's pictures read back by ImageMagick equal the expected ones.
  void ExpectPictures(const std::vector<Rgb>& got, const Expected& e, int scale, const std::string& what) {
    ASSERT_EQ(got.size(), e.shown.size()) << what;
    for (size_t i = 0; i < got.size(); ++i) {
      const Rgb& want = e.shown[i].picture;
      Rgb big(want.w * scale, want.h * scale);
      for (int32_t y = 0; y < big.h; ++y)
        for (int32_t x = 0; x < big.w; ++x)
          for (int c = 0; c < 3; ++c)
            big.px[(size_t(y) * size_t(big.w) + size_t(x)) * 3 + size_t(c)] =
                want.px[(size_t(y / scale) * size_t(want.w) + size_t(x / scale)) * 3 + size_t(c)];
      size_t k = 0;
      while (k < big.px.size() && k < got[i].px.size() && got[i].px[k] == big.px[k]) ++k;
      EXPECT_TRUE(got[i] == big) << what << ": picture " << i << " differs at pixel " << k / 3 << " channel " << k % 3
                                 << ": " << int(k < got[i].px.size() ? got[i].px[k] : -1) << " instead of "
                                 << int(k < big.px.size() ? big.px[k] : -1);
    }
  }

  fs::path dir_;
};

TEST_F(ExportCommand, PngFramesAreWhatThePlayerShowsForAsLongAsItShowsThem) {
  const Expected stops = Reference("stops.ov", 24, 12, {12, 24, 10});
  const Expected plays = Reference("plays.tl", 12, 8, {30});
  ASSERT_TRUE(stops.held);
  ASSERT_FALSE(plays.held);
  // Dissolve steps, brightness, loops: many different pictures, none of them twice in a row.
  EXPECT_GE(stops.shown.size(), 25u);

  for (auto [film, e, area] : {std::tuple{"stops.ov", &stops, std::pair{24, 12}}, {"plays.tl", &plays, std::pair{12, 8}}}) {
    const std::string out = Path(std::string(film) + "_png") + "/";
    const Result r = Orvina("export " + Path(film) + " -o " + out);
    ASSERT_EQ(r.status, 0) << r.out;
    std::string files;
    for (size_t i = 0; i < e->shown.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05zu.png", i);
      files += " " + out + name;
    }
    ExpectPictures(ReadWithMagick(files, area.first, area.second), *e, 1, film);
    const auto timing = clitest::ReadBytes(out + "timing.json");
    const std::string json(timing.begin(), timing.end());
    EXPECT_EQ(Numbers(json, "\"ms\": "), Durations(*e, 1000)) << json;
    EXPECT_EQ(Numbers(json, "\"loopCount\": "), std::vector<int64_t>{e->held ? 1 : 0});
    EXPECT_FALSE(fs::exists(out + ".orvina-export"));
  }
  // Exported again into the same folder, the shorter film leaves none of the longer one's frames.
  ASSERT_EQ(Orvina("export " + Path("plays.tl") + " -o " + Path("stops.ov_png") + "/").status, 0);
  char after[32];
  std::snprintf(after, sizeof after, "stops.ov_png/frame_%05zu.png", plays.shown.size());
  EXPECT_FALSE(fs::exists(Path(after)));
  EXPECT_TRUE(fs::exists(Path("stops.ov_png/frame_00000.png")));

  // The whole time, exactly: the stopping film to its stop, the other one pass.
  int64_t ticks = 0;
  for (const Shown& s : plays.shown) ticks += s.time;
  EXPECT_EQ(ticks, (2 + 3 + 2 + 2 * (1 + 2)) * 4);

  // One cut alone is the film's pictures of that cut.
  const Result one = Orvina("export " + Path("stops.ov") + " --cut 1 -o " + Path("cut1") + "/");
  ASSERT_EQ(one.status, 0) << one.out;
  const auto json = clitest::ReadBytes(Path("cut1/timing.json"));
  const std::vector<int64_t> ms = Numbers(std::string(json.begin(), json.end()), "\"ms\": ");
  // 24 fps: ticks 3, 1, four dissolve steps, 2 (the pan at brightness 0), 1; 11 in all.
  EXPECT_EQ(ms, (std::vector<int64_t>{125, 42, 41, 42, 42, 41, 84, 41}));
}

TEST_F(ExportCommand, GifAndWebpReadBackByOutsideToolsAsThePlayerShows) {
  const Expected stops = Reference("stops.ov", 24, 12, {12, 24, 10});
  const Expected plays = Reference("plays.tl", 12, 8, {30});
  const Expected noise = Reference("noise.tl", 160, 120, {24});

  for (auto [film, e, w, h, scale, loops] :
       {std::tuple{"stops.ov", &stops, 24, 12, 1, 0}, {"plays.tl", &plays, 12, 8, 1, 0}, {"plays.tl", &plays, 12, 8, 3, 4},
        {"noise.tl", &noise, 160, 120, 1, 0}}) {
    const std::string args = " --scale " + std::to_string(scale) + " --loop-count " + std::to_string(loops);
    const std::string name = std::string(film) + "_" + std::to_string(scale);
    const std::string what = name + args;

    const std::string gif = Path(name + ".gif");
    const Result g = Orvina("export " + Path(film) + " -o " + gif + args);
    ASSERT_EQ(g.status, 0) << g.out;
    const Result info = Shell("gifsicle --info " + gif);
    ASSERT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("logical screen " + std::to_string(w * scale) + "x" + std::to_string(h * scale)),
              std::string::npos) << info.out;
    // gifsicle leaves out a delay of 0.
    std::vector<int64_t> delays;
    for (size_t at = info.out.find("+ image #"); at != std::string::npos;) {
      const size_t next = info.out.find("+ image #", at + 1);
      const std::vector<int64_t> d = Numbers(info.out.substr(at, next - at), "delay ", 100);
      delays.push_back(d.empty() ? 0 : d[0]);
      at = next;
    }
    EXPECT_EQ(delays, Durations(*e, 100)) << what << "\n" << info.out;
    // Plays once when it stops; otherwise the loop block counts the repeats after the first play.
    const std::string loop = e->held ? "" : loops == 0 ? "loop forever" : "loop count " + std::to_string(loops - 1);
    EXPECT_EQ(loop.empty() ? info.out.find("loop") == std::string::npos : info.out.find(loop) != std::string::npos,
              true) << what << "\n" << info.out;
    ExpectPictures(ReadWithMagick(gif, w * scale, h * scale), *e, scale, what + " (GIF)");

    const std::string webp = Path(name + ".webp");
    const Result p = Orvina("export " + Path(film) + " -o " + webp + args);
    ASSERT_EQ(p.status, 0) << p.out;
    const Result mux = Shell("webpmux -info " + webp);
    ASSERT_EQ(mux.status, 0) << mux.out;
    EXPECT_NE(mux.out.find("Canvas size: " + std::to_string(w * scale) + " x " + std::to_string(h * scale)),
              std::string::npos) << mux.out;
    EXPECT_EQ(Numbers(mux.out, "Loop Count : "), std::vector<int64_t>{e->held ? 1 : loops}) << mux.out;
    // Each frame row: number, width, height, alpha, x, y, duration, ...
    EXPECT_EQ(WebpDurations(mux.out), Durations(*e, 1000)) << what << "\n" << mux.out;
    ExpectPictures(ReadWithMagick(webp, w * scale, h * scale), *e, scale, what + " (WebP)");
  }
}

TEST_F(ExportCommand, PicturesLongerThanAFrameHoldsGoOnInMoreFrames) {
  // At 1 fps a frame of 32767 ticks lasts 9 hours: longer than a GIF delay (655.35 s) and a
  // WebP duration (16777.215 s) hold, so both go on in small frames that change nothing.
  clitest::WriteBytes(Path("long.tl"), MakeCut(7, 8, 6, 8, 6, 4, 1, {{32767, 1}, {1, 0}}));
  ASSERT_EQ(Orvina("export " + Path("long.tl") + " -o " + Path("long.gif")).status, 0);
  ASSERT_EQ(Orvina("export " + Path("long.tl") + " -o " + Path("long.webp")).status, 0);
  const Result gif = Shell("gifsicle --info " + Path("long.gif"));
  const std::vector<int64_t> delays = Numbers(gif.out, "delay ", 100);
  const Result webp = Shell("webpmux -info " + Path("long.webp"));
  const std::vector<int64_t> durations = WebpDurations(webp.out);
  int64_t gifTotal = 0, webpTotal = 0;
  for (int64_t d : delays) {
    gifTotal += d;
    EXPECT_LE(d, 65535);
  }
  for (int64_t d : durations) {
    webpTotal += d;
    EXPECT_LE(d, 0xFFFFFF);
  }
  EXPECT_EQ(gifTotal, 3276800) << gif.out;
  EXPECT_EQ(webpTotal, 32768000) << webp.out;
  EXPECT_EQ(durations, (std::vector<int64_t>{0xFFFFFF, 32767000 - 0xFFFFFF, 1000})) << webp.out;
  // The pictures as they show: the first until the second comes.
  for (const std::string name : {"long.gif", "long.webp"}) {
    const std::vector<Rgb> pictures = ReadWithMagick(Path(name), 8, 6);
    ASSERT_GE(pictures.size(), 3u) << name;
    for (size_t i = 1; i + 1 < pictures.size(); ++i) EXPECT_EQ(pictures[i], pictures[0]) << name << " " << i;
    EXPECT_NE(pictures.back(), pictures[0]) << name;
  }
}

TEST_F(ExportCommand, BadInputFailsInOneLineAndWritesNothing) {
  clitest::WriteBytes(Path("junk.ov"), {'O', 'V', 9, 0, 0, 0, 'x'});
  for (const std::string out : {"junk.gif", "junk.webp", "junk/"}) {
    const Result r = Orvina("export " + Path("junk.ov") + " -o " + Path(out));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, Path("junk.ov") + ": not a playable OV or TL file\n");
  }
  const Result cut = Orvina("export " + Path("plays.tl") + " --cut 1 -o " + Path("none.gif"));
  EXPECT_EQ(cut.out, Path("plays.tl") + ": no cut 1 (the file has 1)\n");
  const Result kind = Orvina("export " + Path("plays.tl") + " -o " + Path("plays.bmp"));
  EXPECT_NE(kind.status, 0);
  EXPECT_EQ(kind.out.find(Path("plays.bmp") + ": not an output"), 0u) << kind.out;
  const Result colour = Orvina("export " + Path("plays.tl") + " --highlight 255,0 -o " + Path("none.gif"));
  EXPECT_EQ(colour.out, "--highlight: \"255,0\" is not R,G,B with each from 0 to 255\n");

  // A folder under a file cannot be made; it is named.
  clitest::WriteBytes(Path("file"), {1});
  const Result folder = Orvina("export " + Path("plays.tl") + " -o " + Path("file/sub/"));
  EXPECT_NE(folder.status, 0);
  EXPECT_EQ(folder.out, Path("file/sub/") + ": cannot make the folder\n");

  // An existing GIF stays as it was.
  clitest::WriteBytes(Path("kept.gif"), {'k', 'e', 'p', 't'});
  EXPECT_NE(Orvina("export " + Path("junk.ov") + " -o " + Path("kept.gif")).status, 0);
  EXPECT_EQ(clitest::ReadBytes(Path("kept.gif")), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));

  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir_)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"file", "junk.ov", "kept.gif", "noise.tl", "plays.tl", "stops.ov"}));

  // A file of one frame is shown still: one picture, held; the highlight is its brightest
  // level's colour.
  clitest::WriteBytes(Path("still.tl"), MakeCut(5, 12, 8, 12, 8, 4, 12, {{7, 1}}));
  const Result pink = Orvina("export " + Path("still.tl") + " --highlight \"255, 0, 255\" -o " + Path("pink/"));
  ASSERT_EQ(pink.status, 0) << pink.out;
  const auto timing = clitest::ReadBytes(Path("pink/timing.json"));
  EXPECT_EQ(std::string(timing.begin(), timing.end()),
            "{\n  \"loopCount\": 1,\n  \"frames\": [\n    {\"file\": \"frame_00000.png\", \"ms\": 0}\n  ]\n}\n");
  const std::vector<Rgb> still = ReadWithMagick(Path("pink/frame_00000.png"), 12, 8);
  ASSERT_EQ(still.size(), 1u);
  std::set<int> levels;
  for (size_t k = 0; k < still[0].px.size(); k += 3) {
    const uint8_t r = still[0].px[k], g = still[0].px[k + 1], b = still[0].px[k + 2];
    EXPECT_TRUE(g == 0 && r == b && r % 85 == 0) << int(r) << "," << int(g) << "," << int(b);
    levels.insert(r);
  }
  EXPECT_TRUE(levels.count(255)) << "the scribble keeps some of the brightest level";
}

// Every frame ffmpeg decodes from `file`, as w × h RGB pictures.
std::vector<Rgb> DecodeWithFfmpeg(const std::string& file, int32_t w, int32_t h) {
  const Result r = Shell("ffmpeg -v error -i " + file + " -vsync passthrough -f rawvideo -pix_fmt rgb24 -", false);
  return PicturesOf(r, w, h, "ffmpeg's decoding of " + file + ":");
}

// `picture` with each pixel repeated scale × scale times, in the top-left of a black w × h one.
Rgb ScaledAndPadded(const Rgb& picture, int scale, int32_t w, int32_t h) {
  Rgb out(w, h);
  for (int32_t y = 0; y < picture.h * scale; ++y)
    for (int32_t x = 0; x < picture.w * scale; ++x)
      std::copy_n(&picture.px[(size_t(y / scale) * size_t(picture.w) + size_t(x / scale)) * 3], 3,
                  &out.px[(size_t(y) * size_t(w) + size_t(x)) * 3]);
  return out;
}

double Psnr(const Rgb& a, const Rgb& b) {
  double sum = 0;
  for (size_t k = 0; k < a.px.size(); ++k) sum += (double(a.px[k]) - b.px[k]) * (double(a.px[k]) - b.px[k]);
  return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.px.size()) / sum);
}

// ffprobe's KEY=value lines for the video stream and the container.
std::map<std::string, std::string> Probe(const std::string& file) {
  const Result r = Shell("ffprobe -v error -count_frames -show_entries stream=codec_name,width,height,pix_fmt,"
                         "color_range,color_space,color_transfer,color_primaries,r_frame_rate,nb_read_frames:"
                         "format=duration -of default=noprint_wrappers=1 " + file, false);
  std::map<std::string, std::string> values;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);)
    if (const size_t eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  return values;
}

TEST_F(ExportCommand, VideoReadBackByFfprobeAndFfmpegAsThePlayerShows) {
  for (const char* tool : {"ffprobe", "ffmpeg"})
    ASSERT_EQ(Shell(std::string("command -v ") + tool).status, 0) << tool << " is missing: run scripts/setup.sh";
  // An odd view area, padded to even in MP4 and WebM.
  clitest::WriteBytes(Path("odd.tl"), MakeCut(7, 41, 23, 41, 23, 13, 24, {{2, 1}, {-2, 0}, {3, 2}, {1, 0}}));
  const Expected stops = Reference("stops.ov", 24, 12, {12, 24, 10});
  const Expected plays = Reference("plays.tl", 12, 8, {30});
  const Expected odd = Reference("odd.tl", 41, 23, {24});

  struct Case {
    const char* film;
    const Expected* e;
    int32_t w, h;  // the view area
    int scale;
    int rate;  // of the video
    std::string ext, args;
  };
  // Pixels enlarged, as tiny pictures are not what video encoders are for. The three cuts
  // of stops.ov (12, 24 and 10 fps) tick in whole frames of 120 fps.
  for (const Case& c : {Case{"plays.tl", &plays, 12, 8, 4, 30, "mp4", ""}, {"plays.tl", &plays, 12, 8, 4, 30, "webm", ""},
                        {"plays.tl", &plays, 12, 8, 1, 30, "apng", " --loop-count 2"},
                        {"stops.ov", &stops, 24, 12, 3, 120, "mp4", ""}, {"stops.ov", &stops, 24, 12, 1, 120, "apng", ""},
                        {"odd.tl", &odd, 41, 23, 3, 48, "mp4", " --fps 48 --quality 12"},
                        {"odd.tl", &odd, 41, 23, 3, 24, "webm", ""}}) {
    const std::string out = Path(std::string(c.film) + "." + c.ext);
    const std::string args = c.args + " --scale " + std::to_string(c.scale);
    const std::string what = out + args;
    const Result r = Orvina("export " + Path(c.film) + " -o " + out + args);
    ASSERT_EQ(r.status, 0) << what << ": " << r.out;
    const bool apng = c.ext == "apng";
    const int32_t sw = c.w * c.scale, sh = c.h * c.scale;
    const int32_t w = apng ? sw : (sw + 1) & ~1, h = apng ? sh : (sh + 1) & ~1;
    // Each picture's frames at the video's rate, on the running total; one frame for the
    // picture the film stops on.
    std::vector<int64_t> frames = Durations(*c.e, c.rate);
    if (c.e->held) frames.back() = apng ? 0 : 1;
    int64_t total = 0;
    for (const int64_t n : frames) total += n;

    std::map<std::string, std::string> probe = Probe(out);
    const std::string codec = c.ext == "mp4" ? "h264" : c.ext == "webm" ? "vp9" : "apng";
    EXPECT_EQ(probe["codec_name"], codec) << what;
    EXPECT_EQ(probe["width"], std::to_string(w)) << what;
    EXPECT_EQ(probe["height"], std::to_string(h)) << what;
    EXPECT_EQ(probe["pix_fmt"], apng ? "rgb24" : "yuv420p") << what;
    if (!apng) {
      for (const char* tag : {"color_space", "color_transfer", "color_primaries"}) EXPECT_EQ(probe[tag], "bt709") << what;
      EXPECT_EQ(probe["color_range"], "tv") << what;
      EXPECT_EQ(probe["r_frame_rate"], std::to_string(c.rate) + "/1") << what;
      EXPECT_EQ(probe["nb_read_frames"], std::to_string(total)) << what;
      EXPECT_NEAR(std::strtod(probe["duration"].c_str(), nullptr), double(total) / c.rate, 0.0015) << what;
    }
    const std::vector<uint8_t> bytes = clitest::ReadBytes(out);
    const std::string file(bytes.begin(), bytes.end());
    if (c.ext == "mp4") {
      // The index before the data, and the colours in the container too: BT.709 primaries,
      // transfer and matrix, limited range.
      EXPECT_LT(file.find("moov"), file.find("mdat")) << what;
      EXPECT_NE(file.find(std::string("colrnclx\0\1\0\1\0\1\0", 15)), std::string::npos) << what;
    }

    const std::vector<Rgb> decoded = DecodeWithFfmpeg(out, w, h);
    if (apng) {
      // One frame per picture with its delay, exactly the PNG folder's pictures.
      const std::string folder = Path(std::string(c.film) + "_frames") + "/";
      ASSERT_EQ(Orvina("export " + Path(c.film) + " -o " + folder).status, 0);
      std::string files;
      for (size_t i = 0; i < c.e->shown.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05zu.png", i);
        files += " " + folder + name;
      }
      const std::vector<Rgb> png = ReadWithMagick(files, w, h);
      EXPECT_TRUE(decoded == png) << what << ": " << decoded.size() << " frames, " << png.size() << " PNG files";
      // A delay of 0 (the picture the film stops on) read as such, "N/A".
      const Result delays =
          Shell("ffprobe -v error -default_fps 0 -show_entries packet=duration_time -of csv=p=0 " + out, false);
      std::vector<int64_t> delayFrames;
      std::istringstream lines(delays.out);
      for (std::string line; std::getline(lines, line);) delayFrames.push_back(std::llround(std::strtod(line.c_str(), nullptr) * c.rate));
      EXPECT_EQ(delayFrames, frames) << what << "\n" << delays.out;
      // The play count: how often the animation plays, once when the film stops.
      const size_t actl = file.find("acTL");
      ASSERT_NE(actl, std::string::npos) << what;
      EXPECT_EQ(uint8_t(file[actl + 11]), c.e->held ? 1 : 2) << what;
      continue;
    }
    // Every frame near the picture the player shows then (black in the padding).
    ASSERT_EQ(int64_t(decoded.size()), total) << what;
    size_t k = 0;
    double worst = 99;
    for (size_t i = 0; i < frames.size(); ++i) {
      const Rgb want = ScaledAndPadded(c.e->shown[i].picture, c.scale, w, h);
      for (int64_t n = 0; n < frames[i]; ++n, ++k) worst = std::min(worst, Psnr(decoded[k], want));
    }
    EXPECT_GE(worst, 40) << what;
  }

  // The rate only rises; quality is the encoder's.
  EXPECT_EQ(Orvina("export " + Path("stops.ov") + " --fps 60 -o " + Path("slow.mp4")).out,
            "--fps: 60 is below the film's rate of 120 frames a second\n");
  EXPECT_EQ(Orvina("export " + Path("plays.tl") + " --quality 3 -o " + Path("q.apng")).out,
            "--quality: APNG is lossless and takes no quality\n");
  EXPECT_EQ(Orvina("export " + Path("plays.tl") + " --fps 60 -o " + Path("q.gif")).out,
            "--fps: only for video (OUT.mp4, OUT.webm, OUT.apng)\n");
  EXPECT_EQ(Orvina("export " + Path("plays.tl") + " --loop-count 2 -o " + Path("q.webm")).out,
            "--loop-count: MP4 and WebM have none; they play as the player does\n");
  // A damaged film writes nothing.
  clitest::WriteBytes(Path("junk.ov"), {'O', 'V', 9, 0, 0, 0, 'x'});
  for (const char* ext : {"mp4", "webm", "apng"}) {
    const std::string out = Path(std::string("junk.") + ext);
    EXPECT_EQ(Orvina("export " + Path("junk.ov") + " -o " + out).out, Path("junk.ov") + ": not a playable OV or TL file\n");
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(out + ".saving"));
  }
}

}  // namespace
