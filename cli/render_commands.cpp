// orvina cut render | compose
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "anim/frame_buffer.h"
#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "export/frame_bitmap.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

struct RenderArgs {
  std::string input;
  std::string output;
  int64_t frame = 1;
  uint32_t flags = 0;
  int64_t currentLayer = -1;
  bool currentLayerGiven = false;
};

Frame& FrameOf(Cut& cut, int64_t number, const std::string& path) {
  if (number < 1 || number > cut.FrameCount())
    throw CliError(path, "no frame " + std::to_string(number) + " (the cut has " +
                             std::to_string(cut.FrameCount()) + " frames)");
  return *cut.FrameAt(int32_t(number - 1));
}

void CheckCanvas(Cut& cut, int64_t limit, const std::string& path) {
  if (cut.CanvasWidth() < 1 || cut.CanvasHeight() < 1) throw CliError(path, "the canvas is empty");
  if (int64_t(cut.CanvasWidth()) * cut.CanvasHeight() > limit)
    throw CliError(path, "canvas " + std::to_string(cut.CanvasWidth()) + "x" +
                             std::to_string(cut.CanvasHeight()) + " is too large to render");
}

void Render(const RenderArgs& args) {
  auto cut = LoadCutFile(args.input);
  FrameOf(*cut, args.frame, args.input);
  const int a = int((cut->StateFlags() & kStateAntiAliasMask) >> kStateAntiAliasShift);
  if (a > 2)
    throw CliError(args.input, "anti-aliasing choice " + std::to_string(a) + " is not valid");
  const int factor = 1 << a;
  if (cut->FrameWidth() / factor < 1 || cut->FrameHeight() / factor < 1)
    throw CliError(args.input, "frame size " + std::to_string(cut->FrameWidth()) + "x" +
                                   std::to_string(cut->FrameHeight()) +
                                   " is smaller than one output pixel");
  CheckCanvas(*cut, FrameBuffer::kMaxPixels * factor * factor, args.input);
  FrameSurface view;
  std::vector<uint8_t> bytes;
  if (!ExportFrameBitmap(*cut, int32_t(args.frame - 1), view, bytes))
    throw CliError(args.input, "cannot render the frame");
  WriteWholeFile(args.output, bytes);
}

void ComposeCommand(const RenderArgs& args) {
  auto cut = LoadCutFile(args.input);
  Frame& frame = FrameOf(*cut, args.frame, args.input);
  if (args.currentLayerGiven && !frame.SetCurrentLayer(int32_t(args.currentLayer)))
    throw CliError(args.input, "no entry " + std::to_string(args.currentLayer) + " (frame " +
                                   std::to_string(args.frame) + " has " +
                                   std::to_string(frame.EntryCount()) + " entries)");
  CheckCanvas(*cut, FrameBuffer::kMaxPixels, args.input);
  FrameSurface image;
  if (!image.Create(cut->CanvasWidth(), cut->CanvasHeight(), 0))
    throw CliError(args.input, "not enough memory for the canvas");
  Compose(frame, image, 0, 0, cut->CanvasWidth(), cut->CanvasHeight(), args.flags, nullptr);
  WriteWholeFile(args.output, EncodeFrameImageBitmap(image));
}

void AddRenderCommands(CLI::App& app) {
  CLI::App& cut = CommandGroup(app, "cut", "Cut files (*.cut)");
  auto args = std::make_shared<RenderArgs>();

  CLI::App* render = cut.add_subcommand(
      "render", "Write a frame as the editor's grey-tone bitmap export (4 bits per pixel)");
  render->add_option("FILE", args->input, "cut file")->required();
  render->add_option("--frame", args->frame, "frame number, from 1")->default_val(1);
  render->add_option("-o", args->output, "bitmap file to write")->required();
  render->callback([args] { Render(*args); });

  CLI::App* compose = cut.add_subcommand(
      "compose", "Write a composed frame as the cut view shows it (8 bits, frame palette)");
  compose->add_option("FILE", args->input, "cut file")->required();
  compose->add_option("--frame", args->frame, "frame number, from 1")->default_val(1);
  compose->add_option("--flags", args->flags,
                      "display flags: 1 previous cell, 2 next cell, 4 current cell only, "
                      "8 other layers pale, layer limit × 16")
      ->default_val(0);
  compose->add_option("--current-layer", args->currentLayer, "current entry index")
      ->each([args](const std::string&) { args->currentLayerGiven = true; });
  compose->add_option("-o", args->output, "bitmap file to write")->required();
  compose->callback([args] { ComposeCommand(*args); });
}

const Registrar registrar(12, AddRenderCommands);

}  // namespace
