// orvina sheet read back: the CSV and XDTS parsed, the PDF through pdftotext, all against
// the exposure's ticks and the entries `orvina cut info --cells` shows of each frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_paths.h"
#include "export/exposure.h"
#include "files/cut_file.h"
#include "model/cut.h"
#include "tests/cli/run_orvina.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using clitest::Orvina;
using clitest::Result;
using clitest::Shell;

// What a cut's sheet must show: each tick's cell per layer (from 1; 0 for none), and the
// marks at the first tick of the showings that have them.
struct Expected {
  std::string name;
  int fps = 0;
  std::vector<std::string> layers;
  std::vector<std::vector<int>> cells;
  std::map<int64_t, int> dissolves;  // first tick → its ticks
  std::map<int64_t, std::string> comments;
  bool stops = false;
};

const char* const kNames[] = {"背景", "A,1", "B\"2", "影", "C"};
const char* const kComments[] = {"", "", "作画メモ", "a,b", "\"引用\""};

// A cut of 1 × 1 cells: frames with dissolves, loops, keyframes and comments whose layer
// entries hold, change, go empty, are left out or doubled.
json RandomCut(uint32_t seed, int fps, int layers, int frames, bool mayStop) {
  std::mt19937 rng(seed);
  json cut = {{"canvas", {4, 4}}, {"fps", fps}, {"layers", json::array()}, {"frames", json::array()}};
  std::vector<int> cells;
  for (int l = 0; l < layers; ++l) {
    cells.push_back(1 + int(rng() % 3));
    json list = json::array();
    for (int c = 0; c < cells.back(); ++c) list.push_back({"0"});
    const std::string name = kNames[l % 5] + (l < 5 ? std::string() : std::to_string(l));
    cut["layers"].push_back({{"name", name}, {"size", {1, 1}}, {"cells", list}});
  }
  for (int k = 0; k < frames; ++k) {
    static const int kTimes[] = {-3, -2, -1, 1, 2, 3, 4};
    static const int kLoops[] = {0, 0, 0, 1, 2, 3};
    json entries = json::array();
    for (int l = 0; l < layers; ++l) {
      for (int n = rng() % 6 == 0 ? 2 : 1; n > 0; --n) {
        const uint32_t what = rng() % 4;
        const int cell = int(rng() % uint32_t(cells[size_t(l)]));
        if (what == 0) continue;
        entries.push_back({{"layer", l}, {"cell", cell}, {"empty", what == 1}});
      }
    }
    cut["frames"].push_back({{"time", mayStop && rng() % 8 == 0 ? 0 : kTimes[rng() % 7]},
                             {"loop", kLoops[rng() % 6]},
                             {"keyframe", rng() % 5 == 0},
                             {"comment", kComments[rng() % 5]},
                             {"entries", entries}});
  }
  return cut;
}

// Each frame's cell per layer as `cut info --cells` shows it: the topmost entry that shows
// a cell.
std::vector<std::vector<int>> FrameCells(const json& info) {
  std::vector<std::vector<int>> frames;
  for (const json& f : info["frames"]) {
    std::vector<int> cells(info["layers"].size(), 0);
    for (const json& e : f["entries"])
      if (!e["layer"].is_null() && !e["empty"].get<bool>()) cells[e["layer"].get<size_t>()] = e["cell"].get<int>() + 1;
    frames.push_back(cells);
  }
  return frames;
}

// The number after `label` in `line`.
int64_t Field(const std::string& line, const std::string& label) {
  const size_t at = line.find(label);
  return at == std::string::npos ? 0 : std::strtoll(line.c_str() + at + label.size(), nullptr, 10);
}

// A CSV line's fields.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

int CellOf(const std::string& text) { return text == "×" ? 0 : std::stoi(text); }

class SheetCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(clitest::OrvinaPath())) << "orvina is not built";
    for (const char* tool : {"pdftotext", "pdfinfo"})
      ASSERT_EQ(Shell(std::string("command -v ") + tool).status, 0) << tool << " is missing: run scripts/setup.sh";
    dir_ = fs::temp_directory_path() / ("orvina_sheet_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Read(const std::string& name) const {
    const std::vector<uint8_t> b = clitest::ReadBytes(dir_ / name);
    return std::string(b.begin(), b.end());
  }

  // Builds the cuts and a film of them; returns what each cut's sheet must show.
  std::vector<Expected> MakeFilm(const std::string& film, const std::vector<json>& cuts) {
    // The title "試写" as film files hold it, in code page 932.
    std::string text = "\x8e\x8e\x8e\xca\r\nme\r\n320, 240\r\n";
    std::vector<std::vector<std::vector<int>>> frameCells;
    std::vector<json> infos;
    for (size_t i = 0; i < cuts.size(); ++i) {
      const std::string name = "cut" + std::to_string(i + 1);
      std::ofstream(dir_ / (name + ".json")) << cuts[i].dump();
      EXPECT_EQ(Orvina("cut build " + Path(name + ".json") + " -o " + Path(name + ".cut")).status, 0);
      const Result info = Orvina("cut info --cells " + Path(name + ".cut"));
      EXPECT_EQ(info.status, 0) << info.out;
      infos.push_back(json::parse(info.out));
      text += name + ".cut\r\n";
    }
    std::ofstream(dir_ / film, std::ios::binary) << text;
    // The ticks as the core's exposure plays them (checked against the decoder on its own);
    // what each shows as `cut info` tells.
    std::vector<Expected> out(cuts.size());
    for (size_t i = 0; i < cuts.size(); ++i) {
      Expected& e = out[i];
      e.name = "cut" + std::to_string(i + 1);
      e.fps = cuts[i]["fps"].get<int>();
      for (const json& l : infos[i]["layers"]) e.layers.push_back(l["name"].get<std::string>());
      Cut cut(0, 0, 0, "", AntiAlias::kFull);
      Exposure exposure;
      EXPECT_TRUE(LoadCut(cut, Path(e.name + ".cut"), nullptr) && CutExposure(cut, exposure, nullptr));
      for (const Showing& s : exposure.showings) {
        if (s.dissolve) e.dissolves[s.start] = s.ticks;
        const std::string comment = infos[i]["frames"][size_t(s.frame)]["comment"].get<std::string>();
        if (!comment.empty()) e.comments[s.start] = comment;
        e.cells.insert(e.cells.end(), size_t(s.ticks), FrameCells(infos[i])[size_t(s.frame)]);
      }
      e.stops = exposure.stops;
    }
    return out;
  }

  fs::path dir_;
};

TEST_F(SheetCommand, CsvAndXdtsReadBackAsTheFilmPlays) {
  std::vector<json> cuts;
  for (uint32_t seed = 1; seed <= 8; ++seed)
    cuts.push_back(RandomCut(seed, seed % 2 ? 24 : 12, 1 + int(seed % 5), 4 + int(seed % 7), seed == 5));
  const std::vector<Expected> film = MakeFilm("film.flm", cuts);
  int dissolves = 0, comments = 0, stops = 0;
  for (const Expected& e : film) dissolves += int(e.dissolves.size()), comments += int(e.comments.size()), stops += e.stops;
  ASSERT_GT(dissolves, 5);
  ASSERT_GT(comments, 5);
  ASSERT_EQ(stops, 1);

  // CSV: a byte-order mark, the film, then per cut its line, the column titles and a row
  // per tick, a layer's field empty while it holds.
  ASSERT_EQ(Orvina("sheet " + Path("film.flm") + " -o " + Path("film.csv")).status, 0);
  const std::string csv = Read("film.csv");
  ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv.substr(3));
  for (std::string line; std::getline(lines, line);) {
    ASSERT_FALSE(line.empty());
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    rows.push_back(CsvFields(line));
  }
  size_t r = 0;
  EXPECT_EQ(rows[r++], (std::vector<std::string>{"フィルム", "試写"}));
  for (size_t c = 0; c < film.size(); ++c) {
    const Expected& e = film[c];
    const int64_t ticks = int64_t(e.cells.size());
    const std::string what = e.name;
    EXPECT_EQ(rows[r++], std::vector<std::string>{""});
    EXPECT_EQ(rows[r++], (std::vector<std::string>{"カット", "名前", "尺", "コマ数", "fps"}));
    EXPECT_EQ(rows[r++], (std::vector<std::string>{std::to_string(c + 1), e.name,
                                                   std::to_string(ticks / e.fps) + "+" + std::to_string(ticks % e.fps),
                                                   std::to_string(ticks), std::to_string(e.fps)}));
    std::vector<std::string> titles = {"コマ"};
    titles.insert(titles.end(), e.layers.begin(), e.layers.end());
    titles.insert(titles.end(), {"効果", "メモ"});
    EXPECT_EQ(rows[r++], titles) << what;
    std::vector<int> held(e.layers.size(), -1);
    for (int64_t t = 0; t < ticks; ++t, ++r) {
      ASSERT_LT(r, rows.size());
      const std::vector<std::string>& row = rows[r];
      ASSERT_EQ(row.size(), e.layers.size() + 3) << what << " tick " << t;
      EXPECT_EQ(row[0], std::to_string(t + 1));
      for (size_t k = 0; k < e.layers.size(); ++k) {
        const std::string& field = row[k + 1];
        // Written where the cell changes (and on the first row), empty while it holds.
        EXPECT_EQ(field.empty(), t > 0 && e.cells[size_t(t)][k] == held[k]) << what << " tick " << t;
        if (!field.empty()) held[k] = CellOf(field);
        EXPECT_EQ(held[k], e.cells[size_t(t)][k]) << what << " tick " << t << " layer " << k;
      }
      const std::string effect = e.dissolves.count(t) ? "OL " + std::to_string(e.dissolves.at(t))
                                 : e.stops && t + 1 == ticks ? "停止"
                                                             : "";
      EXPECT_EQ(row[e.layers.size() + 1], effect) << what << " tick " << t;
      EXPECT_EQ(row[e.layers.size() + 2], e.comments.count(t) ? e.comments.at(t) : "") << what << " tick " << t;
    }
  }
  EXPECT_EQ(r, rows.size());

  // XDTS: one time table per cut, a track per layer, an entry where the cell changes and
  // a closing null cell at the cut's length.
  ASSERT_EQ(Orvina("sheet " + Path("film.flm") + " -o " + Path("film.xdts")).status, 0);
  const std::string xdts = Read("film.xdts");
  const std::string first = "exchangeDigitalTimeSheet Save Data\n";
  ASSERT_EQ(xdts.substr(0, first.size()), first);
  const json doc = json::parse(xdts.substr(first.size()));
  EXPECT_EQ(doc["version"], 5);
  EXPECT_EQ(doc["header"]["cut"], "1");
  ASSERT_EQ(doc["timeTables"].size(), film.size());
  for (size_t c = 0; c < film.size(); ++c) {
    const Expected& e = film[c];
    const json& table = doc["timeTables"][c];
    const int64_t ticks = int64_t(e.cells.size());
    EXPECT_EQ(table["name"], e.name);
    EXPECT_EQ(table["duration"], ticks);
    EXPECT_EQ(table["timeTableHeaders"][0]["fieldId"], 0);
    EXPECT_EQ(table["timeTableHeaders"][0]["names"].get<std::vector<std::string>>(), e.layers);
    const json& tracks = table["fields"][0]["tracks"];
    ASSERT_EQ(tracks.size(), e.layers.size());
    for (size_t k = 0; k < e.layers.size(); ++k) {
      EXPECT_EQ(tracks[k]["trackNo"], k);
      std::vector<int> got(size_t(ticks), -1);
      int64_t last = -1;
      for (const json& f : tracks[k]["frames"]) {
        const int64_t at = f["frame"].get<int64_t>();
        const std::string value = f["data"][0]["values"][0].get<std::string>();
        const int cell = value == "SYMBOL_NULL_CELL" ? 0 : std::stoi(value);
        ASSERT_GT(at, last) << e.name << " layer " << k;
        if (at == ticks) {
          EXPECT_EQ(value, "SYMBOL_NULL_CELL");
          last = at;
          continue;
        }
        ASSERT_LT(at, ticks);
        // An entry only where something changes.
        if (at > 0) {
          EXPECT_NE(got[size_t(at - 1)], cell) << e.name << " layer " << k;
        }
        for (int64_t t = at; t < ticks; ++t) got[size_t(t)] = cell;
        last = at;
      }
      EXPECT_EQ(last, ticks) << e.name << " layer " << k;
      for (int64_t t = 0; t < ticks; ++t) EXPECT_EQ(got[size_t(t)], e.cells[size_t(t)][k]) << e.name << " tick " << t;
    }
  }
}

// The words pdftotext finds on each page, with their boxes.
struct Word {
  double x0, y0, x1, y1;
  std::string text;
  double X() const { return (x0 + x1) / 2; }
  double Y() const { return (y0 + y1) / 2; }
};

std::vector<std::vector<Word>> PdfWords(const std::string& pdf) {
  const Result r = Shell("pdftotext -bbox " + pdf + " -", false);
  EXPECT_EQ(r.status, 0);
  std::vector<std::vector<Word>> pages;
  std::istringstream lines(r.out);
  auto number = [](const std::string& line, const std::string& name) {
    return std::strtod(line.c_str() + line.find(name + "=\"") + name.size() + 2, nullptr);
  };
  for (std::string line; std::getline(lines, line);) {
    if (line.find("<page ") != std::string::npos) pages.emplace_back();
    const size_t open = line.find("<word ");
    if (open == std::string::npos || pages.empty()) continue;
    const size_t from = line.find('>', open) + 1;
    const std::string text = line.substr(from, line.find("</word>") - from);
    pages.back().push_back({number(line, "xMin"), number(line, "yMin"), number(line, "xMax"), number(line, "yMax"), text});
  }
  return pages;
}

TEST_F(SheetCommand, PdfPagesShowEveryChangeWhereItsTickAndLayerAre) {
  // A long cut: 20 layers (more than one page holds), over 6 seconds at 24 fps.
  json cut = RandomCut(11, 24, 20, 40, false);
  for (size_t l = 0; l < cut["layers"].size(); ++l) cut["layers"][l]["name"] = "L" + std::to_string(l + 1);
  for (json& f : cut["frames"]) f["time"] = std::abs(f["time"].get<int>()) * 3, f["comment"] = "";
  const std::vector<Expected> film = MakeFilm("long.flm", {cut, RandomCut(12, 12, 2, 3, false)});
  const Expected& e = film[0];
  const int64_t ticks = int64_t(e.cells.size());
  ASSERT_GT(ticks, 2 * 144);
  ASSERT_EQ(Orvina("sheet " + Path("long.flm") + " -o " + Path("long.pdf")).status, 0);

  // Pages of 6 seconds, every layer group over them all; then the short cut's page.
  const int64_t down = (ticks + 143) / 144;
  const Result info = Shell("pdfinfo " + Path("long.pdf"));
  EXPECT_EQ(Field(info.out, "Pages:"), 2 * down + 1) << info.out;
  EXPECT_NE(info.out.find("試写"), std::string::npos) << info.out;
  const std::vector<std::vector<Word>> pages = PdfWords(Path("long.pdf"));
  ASSERT_EQ(int64_t(pages.size()), 2 * down + 1);

  // Where each cell number stands: its row by the tick numbers beside it, its column by the
  // layer names above.
  std::map<std::pair<int64_t, std::string>, std::string> shown;  // (tick, layer) → text
  std::set<std::string> layersSeen;
  for (const std::vector<Word>& page : pages) {
    // The header: film, cut number and name, length as seconds+frames.
    std::set<std::string> words;
    for (const Word& w : page) words.insert(w.text);
    EXPECT_TRUE(words.count("試写") && words.count("カット")) << *words.begin();
    if (words.count("cut2")) continue;
    EXPECT_TRUE(words.count("cut1"));
    const std::string length = std::to_string(ticks / 24) + "+" + std::to_string(ticks % 24);
    EXPECT_TRUE(words.count(length + "（" + std::to_string(ticks) + "コマ・24fps）")) << length;
    // The column titles: a tick number column ("コマ") and the layer names, in each half.
    std::vector<const Word*> tickColumns, names;
    for (const Word& w : page) {
      if (w.text == "コマ") tickColumns.push_back(&w);
      if (w.text.size() > 1 && w.text[0] == 'L' && std::isdigit(uint8_t(w.text[1]))) names.push_back(&w);
    }
    ASSERT_EQ(tickColumns.size(), 2u);
    const double body = tickColumns[0]->y1;
    auto nearest = [](const std::vector<const Word*>& words, auto distance) {
      const Word* best = nullptr;
      for (const Word* w : words)
        if (!best || distance(*w) < distance(*best)) best = w;
      return best;
    };
    std::vector<const Word*> ticks;
    for (const Word& w : page)
      if (w.y0 > body && std::abs(nearest(tickColumns, [&](const Word& c) { return std::abs(c.X() - w.X()); })->X() -
                                  w.X()) < 8)
        ticks.push_back(&w);
    for (const Word* n : names) layersSeen.insert(n->text);
    for (const Word& w : page) {
      if (w.y0 < body || w.text == "OL" || std::find(ticks.begin(), ticks.end(), &w) != ticks.end()) continue;
      // The row by the tick number nearest in height in the same half; the layer above.
      const Word* column = nearest(tickColumns, [&](const Word& c) { return w.X() > c.X() ? w.X() - c.X() : 1e9; });
      const Word* tick = nearest(ticks, [&](const Word& t) {
        return std::abs(t.Y() - w.Y()) + (std::abs(t.X() - column->X()) < 8 ? 0 : 1e9);
      });
      const Word* layer = nearest(names, [&](const Word& n) { return std::abs(n.X() - w.X()); });
      ASSERT_LT(std::abs(tick->Y() - w.Y()), 3) << w.text;
      shown[{std::stoll(tick->text) - 1, layer->text}] = w.text;
    }
  }
  EXPECT_EQ(layersSeen.size(), e.layers.size());
  std::map<std::pair<int64_t, std::string>, std::string> want;
  for (int64_t t = 0; t < ticks; ++t)
    for (size_t k = 0; k < e.layers.size(); ++k)
      if (t == 0 || e.cells[size_t(t)][k] != e.cells[size_t(t - 1)][k])
        want[{t, e.layers[k]}] = e.cells[size_t(t)][k] == 0 ? "×" : std::to_string(e.cells[size_t(t)][k]);
  EXPECT_EQ(shown, want);
}

TEST_F(SheetCommand, BadInputFailsInOneLineAndWritesNothing) {
  std::vector<json> cuts = {RandomCut(1, 24, 2, 3, false), RandomCut(2, 24, 2, 3, false)};
  MakeFilm("film.flm", cuts);
  const std::vector<uint8_t> whole = clitest::ReadBytes(dir_ / "cut2.cut");
  clitest::WriteBytes(dir_ / "cut2.cut", std::vector<uint8_t>(whole.begin(), whole.begin() + 40));
  // The sheet names the cut from the film as the tool shows paths: relative to the current
  // folder where that reaches it (a checkout beside the test folder), else whole.
  std::string expected = Orvina("cut info " + Path("cut2.cut")).out;
  ASSERT_EQ(expected.rfind(Path("cut2.cut"), 0), 0u) << expected;
  expected.replace(0, Path("cut2.cut").size(), ShownPath(Path("cut2.cut")));
  for (const char* out : {"film.csv", "film.xdts", "film.pdf"}) {
    const Result r = Orvina("sheet " + Path("film.flm") + " -o " + Path(out));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, expected) << out;
    EXPECT_FALSE(fs::exists(Path(out)));
  }
  EXPECT_EQ(Orvina("sheet " + Path("cut1.cut") + " -o " + Path("x.txt")).out,
            Path("x.txt") + ": not a sheet this command writes (OUT.csv, OUT.xdts or OUT.pdf)\n");
  EXPECT_EQ(Orvina("sheet " + Path("film.flm.ov") + " -o " + Path("x.csv")).out,
            Path("film.flm.ov") + ": not a film or cut file (FILM.flm or CUT.cut)\n");
  // A cut alone: no film line.
  ASSERT_EQ(Orvina("sheet " + Path("cut1.cut") + " -o " + Path("one.csv")).status, 0);
  EXPECT_EQ(Read("one.csv").find("\xEF\xBB\xBF" "カット,名前,尺,"), 0u);
}

}  // namespace
