// orvina cut compile | film compile
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "anim/frame_buffer.h"
#include "anim/frame_encoder.h"
#include "cli/cli_files.h"
#include "cli/cli_paths.h"
#include "cli/command_registry.h"
#include "cli/json_print.h"
#include "export/compile_cache.h"
#include "export/film_export.h"
#include "files/film.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/frame_surface.h"

namespace {

using ojson = nlohmann::ordered_json;

struct CompileArgs {
  std::string input;
  std::string output;
  int64_t frame = 0;  // 0: every frame
  bool progress = false;
};

// Why the encoder would refuse the cut, in the user's terms.
void CheckCompilable(Cut& cut, const std::string& path) {
  if (cut.FrameCount() < 1) throw CliError(path, "the cut has no frames");
  const int factor = AntiAliasFactor(cut);
  if (factor == 0) throw CliError(path, "anti-aliasing choice 3 is not valid");
  const int32_t w = cut.CanvasWidth() / factor, h = cut.CanvasHeight() / factor;
  if (w < 1 || h < 1)
    throw CliError(path, "canvas " + std::to_string(cut.CanvasWidth()) + "x" +
                             std::to_string(cut.CanvasHeight()) + " is smaller than one output pixel");
  if (w > INT16_MAX || h > INT16_MAX || int64_t(w) * h > FrameBuffer::kMaxPixels)
    throw CliError(path, "canvas " + std::to_string(cut.CanvasWidth()) + "x" +
                             std::to_string(cut.CanvasHeight()) + " is too large to compile");
}

std::vector<uint8_t> BytesOf(const BlockStream& stream) {
  std::vector<uint8_t> bytes(size_t(stream.Length()));
  if (!bytes.empty()) stream.CopyTo(bytes.data());
  return bytes;
}

void CompileCutCommand(const CompileArgs& args) {
  auto cut = LoadCutFile(args.input);
  CheckCompilable(*cut, args.input);
  int32_t first = 0, last = cut->FrameCount() - 1;
  if (args.frame != 0) {
    if (args.frame < 1 || args.frame > cut->FrameCount())
      throw CliError(args.input, "no frame " + std::to_string(args.frame) + " (the cut has " +
                                     std::to_string(cut->FrameCount()) + " frames)");
    first = last = int32_t(args.frame - 1);
  }
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream tl;
  if (!FrameEncoder(tl, buffer).Encode(*cut, work, first, last))
    throw CliError(args.input, "not enough memory to compile the cut");
  WriteWholeFile(args.output, BytesOf(tl));
}

// Films resolve their lines with "/" between folders on every system.
constexpr char kSep = '/';

void CompileFilmCommand(const CompileArgs& args) {
  Film film;
  std::string error;
  const std::string filmPath = AbsolutePath(args.input);
  if (!film.Load(filmPath, kSep, &error)) throw CliError(args.input, error);
  if (film.Count() < 1) throw CliError(args.input, "the film has no cuts");
  const std::string outPath = AbsolutePath(args.output);
  if (ExportReadsFile(film, outPath)) throw CliError(args.output, "is a file of the film");
  std::vector<int32_t> items;
  for (int32_t i = 0; i < film.Count(); ++i) items.push_back(i);
  FrameBuffer buffer;
  FilmExporter exporter(buffer);
  int32_t failed = -1;
  const bool ok = exporter.ExportToFile(
      film, items, outPath,
      [&](const ExportedCut& done) {
        if (!args.progress) return;
        std::printf("cut %d: %s, %d frames, cache %s\n", int(done.index + 1),
                    ShownPath(done.path).c_str(), int(done.frames), CacheUseName(done.use));
        std::fflush(stdout);
      },
      &failed, &error);
  if (ok) return;
  if (failed < 0) throw CliError(args.output, error);
  throw CliError(ShownPath(film.ItemAt(failed)->path),
                 error + " (the export stopped at cut " + std::to_string(failed + 1) + ")");
}

void AddCompileCommands(CLI::App& app) {
  auto args = std::make_shared<CompileArgs>();
  CLI::App& cut = CommandGroup(app, "cut", "Cut files (*.cut)");
  CLI::App* compile = cut.add_subcommand("compile", "Compile a cut, or one of its frames, into a TL file");
  compile->add_option("CUT", args->input, "cut file")->required();
  compile->add_option("-o", args->output, "TL file to write")->required();
  compile->add_option("--frame", args->frame, "only this frame, from 1");
  compile->callback([args] { CompileCutCommand(*args); });

  CLI::App& film = CommandGroup(app, "film", "Film files (*.flm)");
  CLI::App* export_ = film.add_subcommand(
      "compile", "Compile a film into an OV file, through the compile cache beside each cut");
  export_->add_option("FILM", args->input, "film file")->required();
  export_->add_option("-o", args->output, "OV file to write")->required();
  export_->add_flag("--progress", args->progress, "print one line per cut");
  export_->callback([args] { CompileFilmCommand(*args); });
}

const Registrar registrar(14, AddCompileCommands);

}  // namespace
