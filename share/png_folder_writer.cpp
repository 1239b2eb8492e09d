// A folder of numbered PNG files (libpng's simplified API): palette images of the colours
// used (bit depth 1, 2, 4 or 8 by their count), RGB past 256 colours, with timing.json:
//
//   {
//     "loopCount": 0,                                   how often to play, 0 for ever
//     "frames": [
//       {"file": "frame_00000.png", "ms": 83},          how long each file shows; the
//       …                                               last of a film that stops: 0
//     ]
//   }
//
// The files are made in a working folder inside the target and moved into place only when
// all of them are complete, timing.json last; frames of an earlier, longer export are then
// removed, so the folder holds one export, as a file written again does.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "share/color_index.h"
#include "share/picture_writers.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkingFolder = ".orvina-export";

std::string FrameName(size_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05zu.png", n);
  return name;
}

class PngFolderWriter final : public PictureWriter {
 public:
  PngFolderWriter(const WriterOptions& options, const std::string& folder)
      : options_(options), folder_(folder), working_(fs::path(folder) / kWorkingFolder) {}
  ~PngFolderWriter() override {
    std::error_code ec;
    if (begun_) fs::remove_all(working_, ec);
  }

  int64_t UnitsPerSecond() const override { return 1000; }
  bool Add(const Canvas& picture, const Canvas* before, const Rect& changed, int64_t start) override;
  bool Finish(int64_t end, bool held) override;

 private:
  bool Begin();
  bool WritePng(const Canvas& picture, const fs::path& path);
  bool WriteTiming(const std::vector<int64_t>& durations, int plays, const fs::path& path);

  const WriterOptions options_;
  const fs::path folder_, working_;
  bool begun_ = false;
  std::vector<int64_t> starts_;
  IndexedRect indexed_;
  std::vector<uint8_t> pixels_, scaled_;
};

bool PngFolderWriter::Begin() {
  std::error_code ec;
  // What a run that broke off left behind is ours to clear.
  fs::remove_all(working_, ec);
  if (!fs::create_directory(working_, ec)) return Fail("cannot make the folder " + working_.string());
  begun_ = true;
  return true;
}

bool PngFolderWriter::WritePng(const Canvas& picture, const fs::path& path) {
  const int s = options_.scale;
  const int32_t w = picture.width * s, h = picture.height * s;
  if (!PictureSizeFits(w, h))
    return Fail("PNG: a picture of " + std::to_string(w) + " x " + std::to_string(h) + " is too large");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  std::vector<png_byte> colormap;
  size_t channels = 1;
  if (IndexRect(picture, nullptr, picture.Whole(), 256, false, indexed_)) {
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = png_uint_32(indexed_.colors.size());
    for (uint32_t c : indexed_.colors) {
      colormap.push_back(png_byte(c >> 16)), colormap.push_back(png_byte(c >> 8)), colormap.push_back(png_byte(c));
    }
    pixels_.assign(indexed_.index.begin(), indexed_.index.end());
  } else {
    image.format = PNG_FORMAT_RGB;
    channels = 3;
    pixels_.resize(picture.px.size() * 3);
    for (size_t i = 0; i < picture.px.size(); ++i) {
      const uint32_t c = picture.px[i];
      pixels_[3 * i] = uint8_t(c >> 16), pixels_[3 * i + 1] = uint8_t(c >> 8), pixels_[3 * i + 2] = uint8_t(c);
    }
  }
  const std::vector<uint8_t>* rows = &pixels_;
  if (s > 1) {
    const size_t in = size_t(picture.width) * channels, out = size_t(w) * channels;
    scaled_.resize(out * size_t(h));
    for (int32_t y = 0; y < picture.height; ++y) {
      uint8_t* to = scaled_.data() + size_t(y) * size_t(s) * out;
      const uint8_t* from = pixels_.data() + size_t(y) * in;
      for (int32_t x = 0; x < picture.width; ++x)
        for (int k = 0; k < s; ++k) std::copy(from + x * channels, from + (x + 1) * channels, to + (size_t(x) * s + k) * channels);
      for (int k = 1; k < s; ++k) std::copy(to, to + out, to + size_t(k) * out);
    }
    rows = &scaled_;
  }
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return Fail("cannot create " + path.string());
  const int written = png_image_write_to_stdio(&image, file, 0, rows->data(), png_int_32(size_t(w) * channels),
                                               colormap.empty() ? nullptr : colormap.data());
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    const std::string why = written ? "write failed" : image.message;
    png_image_free(&image);
    return Fail(path.string() + ": " + why);
  }
  return true;
}

bool PngFolderWriter::Add(const Canvas& picture, const Canvas*, const Rect&, int64_t start) {
  if (!begun_ && !Begin()) return false;
  if (!WritePng(picture, working_ / FrameName(starts_.size()))) return false;
  starts_.push_back(start);
  return true;
}

bool PngFolderWriter::WriteTiming(const std::vector<int64_t>& durations, int plays, const fs::path& path) {
  std::string text = "{\n  \"loopCount\": " + std::to_string(plays) + ",\n  \"frames\": [\n";
  for (size_t i = 0; i < durations.size(); ++i) {
    text += "    {\"file\": \"" + FrameName(i) + "\", \"ms\": " + std::to_string(durations[i]) + "}";
    text += i + 1 < durations.size() ? ",\n" : "\n";
  }
  text += "  ]\n}\n";
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return Fail("cannot create " + path.string());
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return Fail(path.string() + ": write failed");
  return true;
}

bool PngFolderWriter::Finish(int64_t end, bool held) {
  if (starts_.empty()) return Fail("PNG: no pictures");
  std::vector<int64_t> durations;
  for (size_t i = 0; i < starts_.size(); ++i)
    durations.push_back((i + 1 < starts_.size() ? starts_[i + 1] : end) - starts_[i]);
  if (held) durations.back() = 0;
  if (!WriteTiming(durations, held ? 1 : options_.loopCount, working_ / "timing.json")) return false;
  std::error_code ec;
  for (size_t i = 0; i <= starts_.size(); ++i) {
    const std::string name = i < starts_.size() ? FrameName(i) : "timing.json";
    fs::rename(working_ / name, folder_ / name, ec);
    if (ec) return Fail("cannot move " + name + " into " + folder_.string());
  }
  fs::remove_all(working_, ec);
  begun_ = false;
  for (size_t i = starts_.size();; ++i) {
    if (!fs::remove(folder_ / FrameName(i), ec)) break;
  }
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewPngFolderWriter(const WriterOptions& options, const std::string& folder) {
  return std::make_unique<PngFolderWriter>(options, folder);
}
