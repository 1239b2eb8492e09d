// orvina film info | extract | next-name
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_paths.h"
#include "cli/command_registry.h"
#include "cli/json_print.h"
#include "cli/json_read.h"
#include "files/cut_naming.h"
#include "files/film.h"
#include "files/film_text.h"
#include "io/file_system.h"

namespace {

using ojson = nlohmann::ordered_json;

// Films resolve their lines with "/" between folders on every system.
constexpr char kSep = '/';

struct FilmArgs {
  std::string film;
  std::string output;
  std::vector<int> cuts;
};

void Info(const FilmArgs& args) {
  FilmText text;
  std::string error;
  if (!ReadFilmFile(args.film, &text, &error)) throw CliError(args.film, error);
  const std::string film = AbsolutePath(args.film);
  ojson j;
  j["title"] = TextToJson(text.title);
  j["author"] = TextToJson(text.author);
  j["size"] = ojson::array({text.width, text.height});
  ojson cuts = ojson::array();
  for (const std::string& line : text.lines) {
    ojson c;
    c["line"] = TextToJson(line);
    const std::string path = ResolvePath(line, film, kSep);
    c["path"] = path.empty() ? ojson(nullptr) : TextToJson(ShownPath(path));
    c["exists"] = !path.empty() && FileExists(path);
    cuts.push_back(std::move(c));
  }
  j["cuts"] = std::move(cuts);
  PrintJson(j);
}

void ExtractCuts(const FilmArgs& args) {
  Film film;
  std::string error;
  if (!film.Load(AbsolutePath(args.film), kSep, &error)) throw CliError(args.film, error);
  std::vector<int32_t> selected;
  for (const int n : args.cuts) {
    if (n < 1 || n > film.Count())
      throw CliError(args.film, "no cut " + std::to_string(n) + " (the film has " +
                                    std::to_string(film.Count()) + ")");
    selected.push_back(n - 1);
  }
  // The film window hands over its selected rows in film order.
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::vector<ExtractedCut> done;
  if (!film.Extract(AbsolutePath(args.output), selected, &done, &error))
    throw CliError(args.output, error);
  ojson j;
  j["film"] = TextToJson(args.output);
  ojson cuts = ojson::array();
  for (const ExtractedCut& e : done) {
    ojson c;
    c["line"] = TextToJson(e.line);
    c["source"] = TextToJson(ShownPath(e.source));
    c["target"] = TextToJson(ShownPath(e.target));
    c["copied"] = e.copied;
    if (!e.copied) c["problem"] = e.problem;
    if (!e.conflict.empty()) c["conflict"] = TextToJson(ShownPath(e.conflict));
    cuts.push_back(std::move(c));
  }
  j["cuts"] = std::move(cuts);
  PrintJson(j);
}

void AddFilmCommands(CLI::App& app) {
  CLI::App& group = CommandGroup(app, "film", "Film files (*.flm)");
  auto args = std::make_shared<FilmArgs>();

  CLI::App* info = group.add_subcommand("info", "Print a film's title, author, size and cuts as JSON");
  info->add_option("FILM", args->film, "film file")->required();
  info->callback([args] { Info(*args); });

  CLI::App* extract =
      group.add_subcommand("extract", "Write a new film of some cuts, with copies of their files beside it");
  extract->add_option("FILM", args->film, "film file")->required();
  extract->add_option("--cuts", args->cuts, "the cuts to take, counted from 1 in film order (1,3,...)")
      ->required()
      ->delimiter(',');
  extract->add_option("-o", args->output, "new film file")->required();
  extract->callback([args] { ExtractCuts(*args); });

  CLI::App* next = group.add_subcommand("next-name", "Print the next free numbered name for a cut file");
  next->add_option("PATH", args->film, "cut file path")->required();
  next->callback([args] {
    std::string path = args->film;
    if (!NextNumberedName(path)) throw CliError(args->film, "no free numbered name up to 999");
    path += "\n";
    std::fwrite(path.data(), 1, path.size(), stdout);
  });
}

const Registrar registrar(40, AddFilmCommands);

}  // namespace
