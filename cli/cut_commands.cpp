// orvina cut info | build | resave
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "cli/cut_json.h"
#include "cli/json_print.h"
#include "cli/json_read.h"
#include "model/cut.h"

namespace {

struct CutArgs {
  std::string input;
  std::string output;
  bool cells = false;
};

void AddCutCommands(CLI::App& app) {
  CLI::App& cut = CommandGroup(app, "cut", "Cut files (*.cut)");
  auto args = std::make_shared<CutArgs>();

  CLI::App* info = cut.add_subcommand("info", "Print a cut as JSON");
  info->add_option("FILE", args->input, "cut file")->required();
  info->add_flag("--cells", args->cells, "include every cell's pixels");
  info->callback([args] {
    auto c = LoadCutFile(args->input);
    PrintJson(CutToJson(*c, args->cells));
  });

  CLI::App* build = cut.add_subcommand("build", "Make a cut file from its JSON form");
  build->add_option("FILE", args->input, "JSON file")->required();
  build->add_option("-o", args->output, "cut file to write")->required();
  build->callback([args] {
    auto c = CutFromJson(ParseJsonFile(args->input), args->input);
    SaveCutFile(*c, args->output);
  });

  CLI::App* resave = cut.add_subcommand("resave", "Read a cut file and write it again");
  resave->add_option("IN", args->input, "cut file to read")->required();
  resave->add_option("OUT", args->output, "cut file to write")->required();
  resave->callback([args] {
    auto c = LoadCutFile(args->input);
    SaveCutFile(*c, args->output);
  });
}

const Registrar registrar(10, AddCutCommands);

}  // namespace
