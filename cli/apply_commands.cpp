// orvina cut apply: editing steps on a cut, as the editor's tools and commands run them.
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "cli/edit_script.h"
#include "cli/json_read.h"
#include "model/cut.h"

namespace {

struct ApplyArgs {
  std::string cut;
  std::string script;
  std::string output;
  bool print = false;
};

void AddApplyCommand(CLI::App& app) {
  CLI::App& cut = CommandGroup(app, "cut", "Cut files (*.cut)");
  auto args = std::make_shared<ApplyArgs>();
  CLI::App* apply = cut.add_subcommand("apply", "Apply a script of editing steps to a cut");
  apply->add_option("CUT", args->cut, "cut file to edit")->required();
  apply->add_option("SCRIPT", args->script, "JSON script of editing steps")->required();
  apply->add_option("-o", args->output, "cut file to write")->required();
  apply->add_flag("--print", args->print, "print the pen each pickPen step picked");
  apply->callback([args] {
    auto c = LoadCutFile(args->cut);
    const auto script = ParseJsonFile(args->script);
    const auto lines = ApplyEditScript(*c, script, args->script);
    SaveCutFile(*c, args->output);
    if (args->print)
      for (const std::string& line : lines) std::printf("%s\n", line.c_str());
  });
}

const Registrar registrar(12, AddApplyCommand);

}  // namespace
