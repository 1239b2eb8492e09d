// orvina import: numbered drawings (picture files) cleaned into line art and placed as cells
// of a layer, into a cut file or a new cut; --preview shows the clean-up of one picture.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "cli/json_print.h"
#include "cli/text_convert.h"
#include "edit/clipboard_image.h"
#include "edit/line_art.h"
#include "edit/picture_import.h"
#include "model/cut.h"
#include "model/layer.h"
#include "picture/picture_file.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct ImportArgs {
  std::vector<std::string> inputs;
  std::string newCut;
  std::string layer;
  int on = 1;
  int start = 1;
  std::string gaps = "hold";
  std::optional<int> black, white;
  bool tones = false;
  int despeckle = 0;
  std::string crop;
  std::string scale = "fit";
  std::string output;
  bool report = false;
  bool allowSkips = false;
  std::string preview;
};

struct Skipped {
  std::string file;
  std::string reason;
};

struct Candidate {
  std::string file;
  int64_t number = 0;
};

// "A,B[,C…]" as `count` numbers (`optional` more at the end may be left out).
std::vector<int64_t> ParseNumbers(const std::string& text, size_t count, size_t optional,
                                  const std::string& option, const std::string& form) {
  std::vector<int64_t> numbers;
  size_t at = 0;
  while (at <= text.size()) {
    size_t comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    int64_t v = 0;
    const char* b = text.data() + at;
    const char* e = text.data() + comma;
    const auto [end, ec] = std::from_chars(b, e, v);
    if (b == e || ec != std::errc() || end != e) throw CliError(option, "\"" + text + "\" is not " + form);
    numbers.push_back(v);
    at = comma + 1;
  }
  if (numbers.size() > count || numbers.size() + optional < count)
    throw CliError(option, "\"" + text + "\" is not " + form);
  return numbers;
}

CleanupOptions CleanupOf(const ImportArgs& a) {
  CleanupOptions o;
  o.black = a.black;
  o.white = a.white;
  o.tones = a.tones;
  o.despeckle = a.despeckle;
  o.fit = a.scale == "fit";
  if (a.black && a.white && *a.black >= *a.white)
    throw CliError("--black", std::to_string(*a.black) + " is not below --white " + std::to_string(*a.white));
  if (!a.crop.empty()) {
    const auto n = ParseNumbers(a.crop, 4, 0, "--crop", "X,Y,W,H");
    if (n[2] < 1 || n[3] < 1 || n[0] < 0 || n[1] < 0 || n[0] > INT32_MAX || n[1] > INT32_MAX ||
        n[2] > INT32_MAX || n[3] > INT32_MAX)
      throw CliError("--crop", "\"" + a.crop + "\" is not X,Y,W,H with a width and height of at least 1");
    o.crop = Rect{int32_t(n[0]), int32_t(n[1]), int32_t(n[2]), int32_t(n[3])};
  }
  return o;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

bool IsCutName(const std::string& path) { return Lower(fs::path(path).extension().string()) == ".cut"; }

// The files of the inputs (a folder stands for the files in it, by name), each numbered or
// skipped with the reason; the numbered in frame order, the first of each number kept.
std::vector<Candidate> Collect(const std::vector<std::string>& inputs, std::vector<Skipped>& skipped) {
  std::vector<std::string> files;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
      std::vector<std::string> inside;
      for (const auto& entry : fs::directory_iterator(input, ec)) inside.push_back(entry.path().string());
      if (ec) skipped.push_back({input, "the folder cannot be read"});
      std::sort(inside.begin(), inside.end());
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(input);
    }
  }
  // One picture alone needs no number.
  const bool alone = files.size() == 1;
  std::vector<Candidate> numbered;
  for (const std::string& file : files) {
    std::error_code ec;
    const std::string ext = fs::path(file).extension().string();
    if (fs::is_directory(file, ec)) {
      skipped.push_back({file, "a folder (folders inside are not read)"});
    } else if (!fs::exists(file, ec)) {
      skipped.push_back({file, "no such file"});
    } else if (!IsPictureName(file)) {
      skipped.push_back({file, ext.empty() ? "not a picture file (no extension)"
                                            : "not a picture file (" + ext + ")"});
    } else if (const auto n = PictureNumber(file)) {
      numbered.push_back({file, *n});
    } else if (alone) {
      numbered.push_back({file, 1});
    } else {
      skipped.push_back({file, "no frame number in its name"});
    }
  }
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const Candidate& a, const Candidate& b) { return a.number < b.number; });
  std::vector<Candidate> kept;
  for (const Candidate& c : numbered) {
    if (!kept.empty() && kept.back().number == c.number)
      skipped.push_back({c.file, "number " + std::to_string(c.number) + " is " + kept.back().file + "'s"});
    else
      kept.push_back(c);
  }
  return kept;
}

// The clean-up of one file for a layer of this size, or nothing with the reason.
std::optional<CleanedPicture> Clean(const std::string& file, const CleanupOptions& options, int32_t width,
                                    int32_t height, std::string* why) {
  std::unique_ptr<PictureFile> picture = OpenPictureFile(file, why);
  if (!picture) return std::nullopt;
  // Without a layer the picture is taken 1:1.
  if (width < 1) width = picture->Width(), height = picture->Height();
  auto read = [&](const Rect& area, uint16_t* samples) { return picture->Read(area, samples); };
  auto cleaned = CleanPicture(picture->Width(), picture->Height(), read, options, width, height, why);
  if (!cleaned && !picture->Error().empty()) *why = picture->Error();
  return cleaned;
}

Json LevelsJson(const Levels& l) { return Json{{"black", l.black}, {"white", l.white}}; }

std::string Cp932Name(const std::string& name) {
  const auto bytes = Utf8ToCp932(name);
  if (!bytes) throw CliError("--layer", "\"" + name + "\" cannot be written in a cut (code page 932)");
  return *bytes;
}

// The cut the pictures go into: a new one, or the cut file named first.
std::unique_ptr<Cut> TargetCut(const ImportArgs& a, std::vector<std::string>& pictures) {
  pictures = a.inputs;
  if (!a.newCut.empty()) {
    const auto n = ParseNumbers(a.newCut, 3, 1, "--new", "W,H or W,H,FPS");
    const int64_t fps = n.size() > 2 ? n[2] : 24;
    if (n[0] < 1 || n[1] < 1 || n[0] > 65535 || n[1] > 65535 || fps < 1 || fps > 255)
      throw CliError("--new", "\"" + a.newCut + "\" is not W,H[,FPS] with sizes 1-65535 and FPS 1-255");
    auto cut = std::make_unique<Cut>(int32_t(n[0]), int32_t(n[1]), int32_t(fps), "", AntiAlias::kFull);
    cut->AddFrame();
    return cut;
  }
  if (pictures.empty() || !IsCutName(pictures.front()))
    throw CliError("import", "name the cut file first, or make a new cut with --new W,H[,FPS]");
  auto cut = LoadCutFile(pictures.front());
  pictures.erase(pictures.begin());
  return cut;
}

void Preview(const ImportArgs& a) {
  CleanupOptions options = CleanupOf(a);
  int32_t width = 0, height = 0;
  std::vector<std::string> rest;
  if (!a.newCut.empty() || !a.inputs.empty()) {
    auto cut = TargetCut(a, rest);
    if (!rest.empty()) throw CliError(rest.front(), "--preview takes one picture, given with it");
    width = cut->CanvasWidth(), height = cut->CanvasHeight();
    if (!a.layer.empty()) {
      std::string error;
      const auto layer = LayerNamed(*cut, Cp932Name(a.layer), &error);
      if (!layer) throw CliError(a.layer, error);
      if (*layer) width = (*layer)->Width(), height = (*layer)->Height();
    }
  }
  std::string why;
  const auto cleaned = Clean(a.preview, options, width, height, &why);
  if (!cleaned) throw CliError(a.preview, why);
  const RasterSurface& cell = *cleaned->cell;
  std::vector<uint32_t> rgb(size_t(cell.Width()) * size_t(cell.Height()));
  for (int32_t y = 0; y < cell.Height(); ++y)
    for (int32_t x = 0; x < cell.Width(); ++x)
      rgb[size_t(y) * size_t(cell.Width()) + size_t(x)] = kClipboardColors[cell.GetPixel(x, y)];
  std::vector<uint8_t> png;
  if (!EncodePng(rgb, cell.Width(), cell.Height(), png, &why)) throw CliError(a.output, why);
  WriteWholeFile(a.output, png);
  if (a.report)
    PrintJson(Json{{"file", a.preview},
                   {"size", {cell.Width(), cell.Height()}},
                   {"levels", LevelsJson(cleaned->levels)}});
}

void Import(const ImportArgs& a) {
  if (!a.preview.empty()) return Preview(a);
  if (a.layer.empty()) throw CliError("import", "--layer NAME is required");
  const CleanupOptions options = CleanupOf(a);
  Exposure exposure;
  exposure.on = a.on;
  exposure.start = a.start;
  exposure.holdGaps = a.gaps == "hold";
  const std::string layerName = Cp932Name(a.layer);

  std::vector<std::string> inputs;
  std::unique_ptr<Cut> cut = TargetCut(a, inputs);
  if (inputs.empty()) throw CliError("import", "no pictures named");
  std::vector<Skipped> skipped;
  const std::vector<Candidate> candidates = Collect(inputs, skipped);
  if (!candidates.empty()) {
    const auto why = CheckPlacement(*cut, layerName, candidates.front().number, candidates.back().number,
                                    int64_t(candidates.size()), exposure);
    if (why) throw CliError("import", *why);
    exposure.lowest = candidates.front().number;
  }

  std::string error;
  const auto layer = LayerNamed(*cut, layerName, &error);
  const int32_t width = *layer ? (*layer)->Width() : cut->CanvasWidth();
  const int32_t height = *layer ? (*layer)->Height() : cut->CanvasHeight();
  std::vector<NumberedPicture> pictures;
  std::map<int64_t, std::pair<std::string, Levels>> shown;
  for (const Candidate& c : candidates) {
    std::string why;
    auto cleaned = Clean(c.file, options, width, height, &why);
    if (!cleaned) {
      skipped.push_back({c.file, why});
      continue;
    }
    shown[c.number] = {c.file, cleaned->levels};
    pictures.push_back({c.number, std::move(*cleaned)});
  }

  for (const Skipped& s : skipped) std::fprintf(stderr, "%s: skipped: %s\n", s.file.c_str(), s.reason.c_str());
  const bool write = !pictures.empty() && (skipped.empty() || a.allowSkips);
  Placement placement;
  if (write && !PlacePictures(*cut, layerName, pictures, exposure, &placement, &error))
    throw CliError(a.output, error);
  if (write) SaveCutFile(*cut, a.output);

  if (a.report) {
    Json placed = Json::array();
    for (const PlacedPicture& p : placement.pictures)
      placed.push_back(Json{{"file", shown[p.number].first},
                            {"number", p.number},
                            {"cell", p.cell},
                            {"frames", {p.firstFrame, p.lastFrame}},
                            {"levels", LevelsJson(shown[p.number].second)}});
    Json skips = Json::array();
    for (const Skipped& s : skipped) skips.push_back(Json{{"file", s.file}, {"reason", s.reason}});
    Json report{{"written", write}};
    if (write) {
      report["cut"] = a.output;
      report["layer"] = {{"index", placement.layer}, {"made", placement.layerMade}};
      report["frames"] = {{"first", placement.firstFrame},
                          {"last", placement.lastFrame},
                          {"added", placement.framesAdded}};
    }
    report["placed"] = placed;
    report["skipped"] = skips;
    PrintJson(report);
  }
  if (pictures.empty()) throw CliError("import", "no picture could be read; nothing written");
  if (!write)
    throw CliError("import", std::to_string(skipped.size()) + (skipped.size() == 1 ? " file" : " files") +
                                 " skipped; nothing written (--allow-skips writes the rest)");
}

void AddImportCommand(CLI::App& app) {
  auto args = std::make_shared<ImportArgs>();
  CLI::App* cmd = app.add_subcommand(
      "import", "Numbered drawings (PNG, JPEG, TIFF, BMP, GIF) cleaned into line art, as cells of a layer");
  cmd->add_option("INPUTS", args->inputs, "CUT.cut (unless --new), then pictures or folders of them");
  cmd->add_option("--new", args->newCut, "a new cut of W,H pixels (and FPS frames a second, default 24)");
  cmd->add_option("--layer", args->layer, "the layer the pictures go into (made when missing)");
  cmd->add_option("--on", args->on, "frames each picture is shown: 1, 2 or 3 (default 1)")->check(CLI::Range(1, 3));
  cmd->add_option("--start", args->start, "the frame of the lowest number (default 1)")->check(CLI::Range(1, 65535));
  cmd->add_option("--gaps", args->gaps, "a missing number holds the picture before it, or shows an empty cell")
      ->check(CLI::IsMember({"hold", "empty"}));
  cmd->add_option("--black", args->black, "black point, 0-255 (default from the picture)")->check(CLI::Range(0, 255));
  cmd->add_option("--white", args->white, "white point, 0-255 (default from the picture)")->check(CLI::Range(0, 255));
  cmd->add_flag("--tones", args->tones, "mid-greys become dark and light grey");
  cmd->add_option("--despeckle", args->despeckle, "remove marks of fewer pixels than N")
      ->check(CLI::Range(0, 1000000));
  cmd->add_option("--crop", args->crop, "only this rectangle of each picture, X,Y,W,H");
  cmd->add_option("--scale", args->scale, "fit (to the layer, keeping the aspect ratio) or none (1:1)")
      ->check(CLI::IsMember({"fit", "none"}));
  cmd->add_option("-o", args->output, "cut file to write (a PNG file with --preview)")->required();
  cmd->add_flag("--report", args->report, "print what was placed and skipped as JSON");
  cmd->add_flag("--allow-skips", args->allowSkips, "write the cut even when some files were skipped");
  cmd->add_option("--preview", args->preview, "write the clean-up of this one picture as a PNG file");
  // Asked before the arguments are read, so the answer is the same however it is called.
  cmd->preparse_callback([](size_t) {
    if (!PictureFilesAvailable()) throw CliError("import", "not available in this build");
  });
  cmd->callback([args] { Import(*args); });
}

const Registrar registrar(34, AddImportCommand);

}  // namespace
