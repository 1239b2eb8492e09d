// orvina layer export | import
#include <memory>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "files/layer_file.h"
#include "model/cut.h"

namespace {

struct LayerArgs {
  std::string cut;
  std::string layer;
  std::string output;
  int frame = 1;
  std::optional<int> entry;
};

// Makes frame `frame` (from 1) current with entry `entry` (from 0; the top entry when
// none is given), as the editor's frame and layer panels do.
void Select(Cut& cut, const LayerArgs& args) {
  if (args.frame < 1 || args.frame > cut.FrameCount())
    throw CliError(args.cut, "no frame " + std::to_string(args.frame) + " (the cut has " +
                                 std::to_string(cut.FrameCount()) + ")");
  cut.GoFrame(args.frame - 1);
  Frame* frame = cut.CurrentFrameObject();
  if (args.entry) {
    if (!frame->SetCurrentLayer(*args.entry))
      throw CliError(args.cut, "frame " + std::to_string(args.frame) + " has no entry " +
                                   std::to_string(*args.entry) + " (it has " +
                                   std::to_string(frame->EntryCount()) + ")");
  } else if (frame->EntryCount() > 0) {
    frame->SetCurrentLayer(frame->EntryCount() - 1);
  }
  LayerEntry* entry = frame->CurrentEntry();
  if (cut.LayerCount() > 0 && (!entry || !entry->layer))
    throw CliError(args.cut, "frame " + std::to_string(args.frame) + " shows no layer there");
}

void AddLayerCommands(CLI::App& app) {
  CLI::App& group = CommandGroup(app, "layer", "Layer files (*.lyr)");
  auto args = std::make_shared<LayerArgs>();
  auto addSelection = [args](CLI::App* command) {
    command->add_option("--frame", args->frame, "frame, counted from 1 (default 1)");
    command->add_option("--entry", args->entry,
                        "layer entry of that frame, counted from 0 (default the top one)");
  };

  CLI::App* exporting = group.add_subcommand("export", "Save the layer a frame shows as a layer file");
  exporting->add_option("CUT", args->cut, "cut file")->required();
  addSelection(exporting);
  exporting->add_option("-o", args->output, "layer file to write")->required();
  exporting->callback([args] {
    auto cut = LoadCutFile(args->cut);
    Select(*cut, *args);
    std::string error;
    if (!SaveLayerFile(*cut, args->output, &error)) throw CliError(args->output, error);
  });

  CLI::App* importing =
      group.add_subcommand("import", "Replace the layer a frame shows with a layer file's layer");
  importing->add_option("CUT", args->cut, "cut file")->required();
  importing->add_option("LAYER", args->layer, "layer file")->required();
  addSelection(importing);
  importing->add_option("-o", args->output, "cut file to write")->required();
  importing->callback([args] {
    auto cut = LoadCutFile(args->cut);
    Select(*cut, *args);
    std::string error;
    if (!LoadLayerFile(*cut, args->layer, &error)) throw CliError(args->layer, error);
    SaveCutFile(*cut, args->output);
  });
}

const Registrar registrar(20, AddLayerCommands);

}  // namespace
