// orvina sheet: the timing sheet of a film or a cut, as CSV, XDTS or PDF.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_files.h"
#include "cli/cli_paths.h"
#include "cli/command_registry.h"
#include "cli/text_convert.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "model/cut.h"
#include "sheet/sheet.h"

namespace {

namespace fs = std::filesystem;

// Films resolve their lines with "/" between folders on every system.
constexpr char kSep = '/';

struct SheetArgs {
  std::string input;
  std::string output;
};

enum class SheetKind { kCsv, kXdts, kPdf };

std::string Extension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

SheetKind KindOf(const std::string& path) {
  const std::string ext = Extension(path);
  if (ext == ".csv") return SheetKind::kCsv;
  if (ext == ".xdts") return SheetKind::kXdts;
  if (ext == ".pdf") return SheetKind::kPdf;
  throw CliError(path, "not a sheet this command writes (OUT.csv, OUT.xdts or OUT.pdf)");
}

bool IsUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = uint8_t(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

// A document's text (code page 932) in UTF-8; bytes that do not convert become "?".
std::string DocumentText(const std::string& bytes) {
  if (const auto text = Cp932ToUtf8(bytes)) return *text;
  std::string out;
  for (const char c : bytes) out += uint8_t(c) < 0x80 ? c : '?';
  return out;
}

// A file's name without folder and extension: as the system spells it when that is UTF-8,
// else as a name written on a Japanese Windows.
std::string NameOf(const std::string& path) {
  const std::string stem = fs::path(path).stem().string();
  return IsUtf8(stem) ? stem : DocumentText(stem);
}

SheetCut SheetCutOf(const std::string& path, int32_t number) {
  Cut cut(0, 0, 0, "", AntiAlias::kFull);
  std::string error;
  if (!LoadCut(cut, path, nullptr, &error)) throw CliError(ShownPath(path), error);
  SheetCut sheetCut;
  sheetCut.number = number;
  sheetCut.name = NameOf(path);
  if (!CutExposure(cut, sheetCut.exposure, &error)) throw CliError(ShownPath(path), error);
  for (std::string& name : sheetCut.exposure.layers) name = DocumentText(name);
  for (std::string& comment : sheetCut.exposure.comments) comment = DocumentText(comment);
  return sheetCut;
}

void WriteSheet(const SheetArgs& args) {
  const SheetKind kind = KindOf(args.output);
  if (kind == SheetKind::kPdf && !SheetPdfAvailable()) throw CliError("sheet", "PDF is not available in this build");
  Sheet sheet;
  const std::string input = AbsolutePath(args.input);
  const std::string ext = Extension(args.input);
  if (ext == ".cut") {
    sheet.cuts.push_back(SheetCutOf(input, 1));
  } else if (ext == ".flm") {
    Film film;
    std::string error;
    if (!film.Load(input, kSep, &error)) throw CliError(args.input, error);
    if (film.Count() < 1) throw CliError(args.input, "the film has no cuts");
    sheet.film = film.Title().empty() ? NameOf(input) : DocumentText(film.Title());
    for (int32_t i = 0; i < film.Count(); ++i) sheet.cuts.push_back(SheetCutOf(film.ItemAt(i)->path, i + 1));
  } else {
    throw CliError(args.input, "not a film or cut file (FILM.flm or CUT.cut)");
  }

  std::vector<uint8_t> bytes;
  if (kind == SheetKind::kPdf) {
    std::string error;
    if (!SheetPdf(sheet, bytes, &error)) throw CliError(args.output, error);
  } else {
    const std::string text = kind == SheetKind::kCsv ? SheetCsv(sheet) : SheetXdts(sheet);
    bytes.assign(text.begin(), text.end());
  }
  WriteWholeFile(args.output, bytes);
}

void AddSheetCommand(CLI::App& app) {
  auto args = std::make_shared<SheetArgs>();
  CLI::App* cmd = app.add_subcommand(
      "sheet", "Write the timing sheet of a film or cut: each layer's cell on each tick, as CSV, XDTS or PDF");
  cmd->add_option("FILE", args->input, "film file (*.flm) or cut file (*.cut)")->required();
  cmd->add_option("-o", args->output, "OUT.csv (UTF-8), OUT.xdts or OUT.pdf (printable, A4)")->required();
  cmd->callback([args] { WriteSheet(*args); });
}

const Registrar registrar(34, AddSheetCommand);

}  // namespace
