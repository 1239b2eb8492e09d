// orvina decode | extract | info: compiled animation files (*.ov, *.tl)
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "cli/cli_files.h"
#include "cli/command_registry.h"
#include "cli/json_print.h"
#include "cli/json_read.h"
#include "io/memory_stream.h"

namespace {

using ojson = nlohmann::ordered_json;

// The whole file in one block behind a memory stream, as the player holds it.
struct LoadedFile {
  std::vector<uint8_t> bytes;
  MemoryStream stream;
  explicit LoadedFile(const std::string& path) : bytes(ReadWholeFile(path)) {
    stream.Attach(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  }
};

void CheckSize(const std::string& path, const LoadedFile& file) {
  if (file.bytes.size() > size_t(INT32_MAX)) throw CliError(path, "file too large");
}

ov::FileHeader ReadHeader(const std::string& path, LoadedFile& file) {
  CheckSize(path, file);
  ov::FileHeader header;
  if (!ov::ReadFileHeader(file.stream, header)) throw CliError(path, "not a playable OV or TL file");
  return header;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// The current frame's view rectangle of the current page through its palette, as a
// 24-bit bitmap; pixels outside the frame buffer are black.
std::vector<uint8_t> ViewBitmap(Decoder& decoder) {
  FrameBuffer& fb = decoder.Buffer();
  const int32_t w = decoder.Cut().viewWidth, h = decoder.Cut().viewHeight;
  const int32_t x0 = decoder.Frame().viewX, y0 = decoder.Frame().viewY;
  const uint32_t rowBytes = (uint32_t(w) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * uint32_t(h);
  std::vector<uint8_t> b;
  b.reserve(54 + imageBytes);
  b.push_back('B'), b.push_back('M');
  Put32(b, 54 + imageBytes);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, imageBytes);
  Put32(b, 2835), Put32(b, 2835);  // 72 dpi
  Put32(b, 0), Put32(b, 0);
  for (int32_t row = h - 1; row >= 0; --row) {  // bottom-up
    const int32_t y = y0 + row;
    for (int32_t col = 0; col < w; ++col) {
      const int32_t x = x0 + col;
      const bool inside = x >= 0 && y >= 0 && x < fb.Width() && y < fb.Height();
      const uint32_t c = inside ? fb.GetPageColor(fb.GetPixel(x, y)) : 0;
      b.push_back(uint8_t(c)), b.push_back(uint8_t(c >> 8)), b.push_back(uint8_t(c >> 16));
    }
    for (uint32_t pad = uint32_t(w) * 3; pad < rowBytes; ++pad) b.push_back(0);
  }
  return b;
}

std::string FrameName(int64_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05lld.bmp", static_cast<long long>(n));
  return name;
}

struct Args {
  std::string input;
  std::string output;
  int64_t frames = -1;
  int32_t cut = 0;
};

constexpr int64_t kDefaultFrameLimit = 100000;
constexpr int32_t kLargestBitmapSide = 16384;

void Decode(const Args& args) {
  LoadedFile file(args.input);
  CheckSize(args.input, file);
  FrameBuffer buffer;
  Decoder decoder(buffer);
  if (!decoder.Open(file.stream)) throw CliError(args.input, "not a playable OV or TL file");
  if (!args.output.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(args.output, ec);
    if (!std::filesystem::is_directory(args.output, ec))
      throw CliError(args.output, "cannot make the folder");
  }
  const int64_t limit = args.frames >= 0 ? args.frames : kDefaultFrameLimit;
  for (int64_t n = 0; n < limit; ++n) {
    const int duration = decoder.NextFrame();
    const ov::FrameFields& f = decoder.Frame();
    std::printf(
        "cut=%d frame=%d offset=%d duration=%d repeat=%d brightness=%d view=%d,%d "
        "rect=%d,%d,%d,%d\n",
        int(decoder.CurrentCut()), int(decoder.FrameCounter()), int(decoder.FrameOffset()),
        duration, int(f.repeat), int(f.brightness), int(f.viewX), int(f.viewY), int(f.x),
        int(f.y), int(f.width), int(f.height));
    if (!args.output.empty()) {
      const int32_t w = decoder.Cut().viewWidth, h = decoder.Cut().viewHeight;
      if (w < 1 || h < 1 || w > kLargestBitmapSide || h > kLargestBitmapSide) {
        std::fflush(stdout);
        throw CliError(args.input, "frame " + std::to_string(n) + ": a view of " +
                                       std::to_string(w) + " x " + std::to_string(h) +
                                       " cannot be written as a bitmap");
      }
      std::fflush(stdout);
      WriteWholeFile((std::filesystem::path(args.output) / FrameName(n)).string(), ViewBitmap(decoder));
    }
    if (args.frames < 0 && decoder.AtEnd()) break;
  }
}

void Extract(const Args& args) {
  LoadedFile file(args.input);
  const ov::FileHeader header = ReadHeader(args.input, file);
  const int32_t count = int32_t(header.cutOffsets.size());
  if (args.cut < 0 || args.cut >= count)
    throw CliError(args.input, "no cut " + std::to_string(args.cut) + " (the file has " +
                                   std::to_string(count) + ")");
  std::vector<uint8_t> out(size_t(header.streamLength) + 6);
  MemoryStream tl(out.data(), int32_t(out.size()));
  if (!ov::ExtractCut(file.stream, header.cutOffsets, header.streamLength, args.cut, tl))
    throw CliError(args.input, "cut " + std::to_string(args.cut) + " lies outside the file");
  out.resize(size_t(tl.Length()));
  WriteWholeFile(args.output, out);
}

ojson Pair(int64_t a, int64_t b) { return ojson::array({a, b}); }

void Info(const Args& args) {
  LoadedFile file(args.input);
  const ov::FileHeader h = ReadHeader(args.input, file);
  const bool isOv = h.kind == ov::Kind::kOv;
  ojson j;
  j["magic"] = isOv ? "OV" : "TL";
  j["length"] = h.storedLength;
  j["fileLength"] = h.streamLength;
  if (isOv) {
    j["title"] = TextToJson(h.title);
    j["author"] = TextToJson(h.author);
  }
  // A TL file has neither: its view area is the cut's view, its buffer the cut's image.
  j["screen"] = Pair(h.screenWidth, h.screenHeight);
  j["largestImage"] = Pair(h.largestWidth, h.largestHeight);
  j["cutTable"] = h.cutOffsets;
  ojson cuts = ojson::array();
  for (size_t i = 0; i < h.cutOffsets.size(); ++i) {
    const int32_t start = h.cutOffsets[i];
    const int32_t end = i + 1 < h.cutOffsets.size() ? h.cutOffsets[i + 1] : h.streamLength;
    ojson c;
    c["offset"] = start;
    ov::CutHeader cut;
    const bool inside = start >= 0 && start < h.streamLength && end <= h.streamLength && end >= start;
    if (!inside || !file.stream.Seek(start, kSeekSet) || !ov::ReadCutHeader(file.stream, cut)) {
      c["damaged"] = "the cut header lies outside the file";
      cuts.push_back(std::move(c));
      continue;
    }
    c["bytes"] = end - start;
    c["credit"] = TextToJson(cut.credit);
    c["image"] = Pair(cut.imageWidth, cut.imageHeight);
    c["view"] = Pair(cut.viewWidth, cut.viewHeight);
    c["fps"] = cut.fps;
    c["levels"] = cut.levelCount;
    bool cutShort = false;
    c["frames"] = ov::CountFrames(file.stream, start, end, &cutShort);
    if (cutShort) c["damaged"] = "the last frame record is cut short";
    cuts.push_back(std::move(c));
  }
  j["cuts"] = std::move(cuts);
  PrintJson(j);
}

void AddOvCommands(CLI::App& app) {
  auto args = std::make_shared<Args>();

  CLI::App* decode = app.add_subcommand(
      "decode", "Play an OV or TL file frame by frame and print each frame's fields");
  decode->add_option("FILE", args->input, "OV or TL file")->required();
  decode->add_option("--frames", args->frames,
                     "frames to decode (default: one pass through the file, at most 100000)")
      ->check(CLI::NonNegativeNumber);
  decode->add_option("--out", args->output, "folder for frame_NNNNN.bmp of each frame's view");
  decode->callback([args] { Decode(*args); });

  CLI::App* extract = app.add_subcommand("extract", "Write one cut of an OV file as a TL file");
  extract->add_option("FILE", args->input, "OV (or TL) file")->required();
  extract->add_option("--cut", args->cut, "cut index, from 0")->required();
  extract->add_option("-o", args->output, "TL file to write")->required();
  extract->callback([args] { Extract(*args); });

  CLI::App* info = app.add_subcommand("info", "Print the header and cut table of an OV or TL file as JSON");
  info->add_option("FILE", args->input, "OV or TL file")->required();
  info->callback([args] { Info(*args); });
}

const Registrar registrar(30, AddOvCommands);

}  // namespace
