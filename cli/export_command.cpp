// orvina export: a film as the player shows it, as an animated GIF or WebP, a folder of
// PNG files with their times, or a video (MP4, WebM, APNG).
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "anim/ov_layout.h"
#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "io/file_stream.h"
#include "io/safe_save.h"
#include "share/film_recorder.h"
#include "share/picture_sequence.h"
#include "share/picture_writers.h"
#include "share/video_writer.h"

namespace {

namespace fs = std::filesystem;

struct ExportArgs {
  std::string input;
  std::string output;
  int32_t cut = -1;
  int scale = 1;
  std::string highlight;
  int loopCount = 0;
  bool progress = false;
  int fps = 0;       // video: 0 for the film's own rate
  int quality = -1;  // video: below 0 for the encoder's default
};

enum class OutputKind { kGif, kWebp, kFolder, kMp4, kWebm, kApng };

OutputKind KindOf(const std::string& path) {
  if (path.empty()) throw CliError("-o", "no output named");
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (ext == ".gif") return OutputKind::kGif;
  if (ext == ".webp") return OutputKind::kWebp;
  if (ext == ".mp4") return OutputKind::kMp4;
  if (ext == ".webm") return OutputKind::kWebm;
  if (ext == ".apng") return OutputKind::kApng;
  std::error_code ec;
  if (path.back() == '/' || fs::is_directory(path, ec)) return OutputKind::kFolder;
  throw CliError(path,
                 "not an output this command writes (OUT.gif, OUT.webp, OUT.mp4, OUT.webm, OUT.apng or a folder ending "
                 "in /)");
}

bool IsVideo(OutputKind kind) { return kind == OutputKind::kMp4 || kind == OutputKind::kWebm || kind == OutputKind::kApng; }

VideoKind VideoKindOf(OutputKind kind) {
  return kind == OutputKind::kMp4 ? VideoKind::kMp4 : kind == OutputKind::kWebm ? VideoKind::kWebm : VideoKind::kApng;
}

// The video's rate and quality from the film's cuts (only `cut` when it is 0 or more) and
// the options.
VideoOptions VideoSettings(const ExportArgs& args, OutputKind kind, ByteStream& film, const ov::FileHeader& header) {
  VideoOptions video;
  video.kind = VideoKindOf(kind);
  std::vector<int> rates;
  if (header.kind == ov::Kind::kTl) {
    rates.push_back(header.tlCut.fps);
  } else {
    for (size_t i = 0; i < header.cutOffsets.size(); ++i) {
      if (args.cut >= 0 && int32_t(i) != args.cut) continue;
      ov::CutHeader cut;
      film.Seek(header.cutOffsets[i], kSeekSet);
      if (!ov::ReadCutHeader(film, cut)) throw CliError(args.input, "not a playable OV or TL file");
      rates.push_back(cut.fps);
    }
  }
  video.rate = FilmVideoRate(rates);
  if (args.fps != 0) {
    if (args.fps < video.rate)
      throw CliError("--fps", std::to_string(args.fps) + " is below the film's rate of " + std::to_string(video.rate) +
                                  " frames a second");
    video.rate = args.fps;
  }
  if (args.quality >= 0) {
    const int largest = LargestVideoQuality(video.kind);
    if (largest == 0) throw CliError("--quality", "APNG is lossless and takes no quality");
    if (args.quality > largest)
      throw CliError("--quality", std::to_string(args.quality) + " is outside 0-" + std::to_string(largest));
    video.quality = args.quality;
  }
  return video;
}

// "R,G,B" as 0xRRGGBB, as the player's highlight setting is written ("255, 255, 255").
uint32_t ParseHighlight(const std::string& text) {
  uint32_t rgb = 0;
  size_t at = 0;
  for (int k = 0; k < 3; ++k) {
    const size_t comma = k < 2 ? text.find(',', at) : text.size();
    std::string part = comma == std::string::npos ? std::string() : text.substr(at, comma - at);
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    int value = -1;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() || value < 0 || value > 255)
      throw CliError("--highlight", "\"" + text + "\" is not R,G,B with each from 0 to 255");
    rgb = rgb << 8 | uint32_t(value);
    at = comma + 1;
  }
  return rgb;
}

void Export(const ExportArgs& args) {
  const OutputKind kind = KindOf(args.output);
  if (!IsVideo(kind) && (args.fps != 0 || args.quality >= 0))
    throw CliError(args.fps != 0 ? "--fps" : "--quality", "only for video (OUT.mp4, OUT.webm, OUT.apng)");
  if ((kind == OutputKind::kMp4 || kind == OutputKind::kWebm) && args.loopCount != 0)
    throw CliError("--loop-count", "MP4 and WebM have none; they play as the player does");
  RecordOptions record;
  if (!args.highlight.empty()) record.highlight = ParseHighlight(args.highlight);
  record.cut = args.cut;

  // The film is read as it plays, not whole: memory holds one frame's data.
  std::error_code ec;
  const uintmax_t length = fs::file_size(args.input, ec);
  if (ec) throw CliError(args.input, "cannot open the file");
  if (length > uintmax_t(INT32_MAX)) throw CliError(args.input, "file too large");
  std::FILE* file = std::fopen(args.input.c_str(), "rb");
  if (!file) throw CliError(args.input, "cannot open the file");
  FileStream film(file);
  ov::FileHeader header;
  if (!ov::ReadFileHeader(film, header)) throw CliError(args.input, "not a playable OV or TL file");
  // What the recorder would refuse is refused before anything is made.
  const int32_t cuts = int32_t(header.cutOffsets.size());
  if (args.cut >= cuts)
    throw CliError(args.input, "no cut " + std::to_string(args.cut) + " (the file has " + std::to_string(cuts) + ")");
  const int64_t area = int64_t(header.screenWidth) * header.screenHeight;
  if (header.screenWidth < 1 || header.screenHeight < 1 || area > kLargestViewArea)
    throw CliError(args.input, "a view area of " + std::to_string(header.screenWidth) + " x " +
                                   std::to_string(header.screenHeight) + " cannot be exported");
  const int64_t w = int64_t(header.screenWidth) * args.scale, h = int64_t(header.screenHeight) * args.scale;
  if (!PictureSizeFits(w, h))
    throw CliError(args.output, "pictures of " + std::to_string(w) + " x " + std::to_string(h) +
                                    " are too large (at most " + std::to_string(kLargestPictureSide) +
                                    " a side and " + std::to_string(kLargestPictureArea) + " pixels)");

  VideoOptions video;
  if (IsVideo(kind)) video = VideoSettings(args, kind, film, header);

  WriterOptions options;
  options.scale = args.scale;
  options.loopCount = args.loopCount;
  if (args.progress) {
    record.cutStarted = [cuts](int32_t cut) {
      std::printf("cut %d of %d\n", int(cut + 1), int(cuts));
      std::fflush(stdout);
    };
  }
  std::unique_ptr<PictureWriter> writer;
  std::unique_ptr<PictureSequence> sequence;
  std::string error;
  bool recorded = false;
  auto run = [&](std::unique_ptr<PictureWriter> made) {
    writer = std::move(made);
    sequence = std::make_unique<PictureSequence>(*writer);
    recorded = RecordFilm(film, record, *sequence, &error);
    return recorded;
  };
  bool made = false;
  std::string saveError;
  bool saved = true;
  if (kind == OutputKind::kFolder) {
    made = !fs::exists(args.output, ec);
    fs::create_directories(args.output, ec);
    if (!fs::is_directory(args.output, ec)) throw CliError(args.output, "cannot make the folder");
    run(NewPngFolderWriter(options, args.output));
  } else {
    // The file grows as the pictures are made, beside the output until it is complete.
    saved = SaveFileSafely(
        args.output,
        [&](ByteStream& out) {
          return run(IsVideo(kind)                ? NewVideoWriter(options, video, out)
                     : kind == OutputKind::kGif ? NewGifWriter(options, out)
                                                : NewWebpWriter(options, out));
        },
        &saveError);
  }
  if (!recorded && writer) {
    // The writer's failures are the output's; the rest the film's.
    const std::string& subject = writer->Error().empty() ? args.input : args.output;
    sequence.reset();
    writer.reset();
    if (made) fs::remove(args.output, ec);  // only while empty
    throw CliError(subject, error);
  }
  if (!saved) throw CliError(args.output, saveError);
  if (args.progress) {
    const double seconds = double(sequence->EndTime()) / double(writer->UnitsPerSecond());
    std::printf("%lld pictures, %.2f s\n", static_cast<long long>(sequence->Stored()), seconds);
  }
}

void AddExportCommand(CLI::App& app) {
  auto args = std::make_shared<ExportArgs>();
  CLI::App* cmd = app.add_subcommand(
      "export", "Write an OV or TL file as the player shows it: an animated GIF or WebP, PNG frames, or a video");
  cmd->add_option("FILE", args->input, "OV or TL file")->required();
  cmd->add_option("-o", args->output,
                  "OUT.gif, OUT.webp, OUT.mp4, OUT.webm, OUT.apng, or a folder (ending in /) for PNG frames and timing.json")
      ->required();
  cmd->add_option("--cut", args->cut, "only this cut, from 0")->check(CLI::NonNegativeNumber);
  cmd->add_option("--scale", args->scale, "enlarge each pixel to N x N (1-16)")->check(CLI::Range(1, 16));
  cmd->add_option("--highlight", args->highlight, "the brightest level's colour, R,G,B (default 255,255,255)");
  cmd->add_option("--loop-count", args->loopCount, "how often the animation plays, 0 for ever (default)")
      ->check(CLI::Range(0, 65535));
  cmd->add_option("--fps", args->fps, "video: frames a second, at least the film's own rate (the default)")
      ->check(CLI::Range(1, 240));
  cmd->add_option("--quality", args->quality,
                  "video: the encoder's constant quality, lower is better: H.264 0-51 (default 14), VP9 0-63 (default 18)")
      ->check(CLI::NonNegativeNumber);
  cmd->add_flag("--progress", args->progress, "print a line as each cut starts, and a summary");
  // Asked before the arguments are read, so the answer is the same however it is called.
  cmd->preparse_callback([](size_t) {
    if (!PictureWritersAvailable()) throw CliError("export", "not available in this build");
  });
  cmd->callback([args] { Export(*args); });
}

const Registrar registrar(32, AddExportCommand);

}  // namespace
