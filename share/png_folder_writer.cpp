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
// The files are made in a working folder inside the target. Only when all of them are
// complete does the earlier export there (its frames and timing.json) move aside into a
// second working folder and the new one move in, timing.json last; a move that fails puts
// everything back, so the folder holds one whole export, the old or the new, as a file
// written again does.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "io/byte_stream.h"
#include "io/safe_save.h"
#include "share/color_index.h"
#include "share/picture_writers.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kWorkingFolder = ".orvina-export";
constexpr const char* kPreviousFolder = ".orvina-previous";
constexpr const char* kTimingName = "timing.json";

std::string FrameName(size_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05zu.png", n);
  return name;
}

class PngFolderWriter final : public PictureWriter {
 public:
  PngFolderWriter(const WriterOptions& options, const std::string& folder)
      : options_(options),
        folder_(folder),
        working_(fs::path(folder) / kWorkingFolder),
        previous_(fs::path(folder) / kPreviousFolder) {}
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
  bool WriteFile(const fs::path& path, const void* bytes, size_t size);
  // Moves the new files `names` from the working folder into the target, the earlier
  // export's aside first; all or nothing.
  bool SwapIn(const std::vector<std::string>& names);

  const WriterOptions options_;
  const fs::path folder_, working_, previous_;
  bool begun_ = false;
  std::vector<int64_t> starts_;
  IndexedRect indexed_;
  std::vector<uint8_t> pixels_, scaled_, png_;
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
  const png_int_32 stride = png_int_32(size_t(w) * channels);
  const png_byte* map = colormap.empty() ? nullptr : colormap.data();
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
  png_.resize(size);
  const int encoded = png_image_write_to_memory(&image, png_.data(), &size, 0, rows->data(), stride, map);
  if (!encoded) {
    const std::string why = image.message;
    png_image_free(&image);
    return Fail(path.string() + ": " + why);
  }
  return WriteFile(path, png_.data(), size);
}

bool PngFolderWriter::WriteFile(const fs::path& path, const void* bytes, size_t size) {
  std::string why;
  if (!WriteNewFile(
          path.string(), [&](ByteStream& s) { return s.Write(bytes, int32_t(size)) == 1; }, &why))
    return Fail(path.string() + ": " + why);
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
  return WriteFile(path, text.data(), text.size());
}

bool PngFolderWriter::SwapIn(const std::vector<std::string>& names) {
  std::error_code ec;
  std::vector<std::string> old;
  for (size_t i = 0; fs::exists(folder_ / FrameName(i), ec); ++i) old.push_back(FrameName(i));
  if (fs::exists(folder_ / kTimingName, ec)) old.push_back(kTimingName);
  // Left by a move back that failed: the only copy of an earlier export.
  if (fs::exists(previous_, ec))
    return Fail(previous_.string() + " holds an earlier export that could not be put back: move it out first");
  if (!old.empty() && !fs::create_directory(previous_, ec))
    return Fail("cannot make the folder " + previous_.string());
  auto move = [](const fs::path& from, const fs::path& to) {
    return ReplaceFileAtomically(from.string(), to.string());
  };
  size_t aside = 0, in = 0;
  bool ok = true;
  while (ok && aside < old.size()) {
    if (move(folder_ / old[aside], previous_ / old[aside])) ++aside;
    else ok = Fail("cannot move " + old[aside] + " out of " + folder_.string());
  }
  while (ok && in < names.size()) {
    if (move(working_ / names[in], folder_ / names[in])) ++in;
    else ok = Fail("cannot move " + names[in] + " into " + folder_.string());
  }
  if (ok) {
    fs::remove_all(previous_, ec);
    return true;
  }
  // Back as it was: what came in leaves, what went aside returns. Should a return fail,
  // the earlier export stays in the second working folder rather than being lost.
  bool restored = true;
  for (size_t i = 0; i < in; ++i) fs::remove(folder_ / names[i], ec);
  for (size_t i = 0; i < aside; ++i)
    restored = move(previous_ / old[i], folder_ / old[i]) && restored;
  if (restored) fs::remove_all(previous_, ec);
  return false;
}

bool PngFolderWriter::Finish(int64_t end, bool held) {
  if (starts_.empty()) return Fail("PNG: no pictures");
  std::vector<int64_t> durations;
  for (size_t i = 0; i < starts_.size(); ++i)
    durations.push_back((i + 1 < starts_.size() ? starts_[i + 1] : end) - starts_[i]);
  if (held) durations.back() = 0;
  if (!WriteTiming(durations, held ? 1 : options_.loopCount, working_ / kTimingName)) return false;
  std::vector<std::string> names;
  for (size_t i = 0; i < starts_.size(); ++i) names.push_back(FrameName(i));
  names.push_back(kTimingName);
  if (!SwapIn(names)) return false;
  std::error_code ec;
  fs::remove_all(working_, ec);
  begun_ = false;
  return true;
}

}  // namespace

std::unique_ptr<PictureWriter> NewPngFolderWriter(const WriterOptions& options, const std::string& folder) {
  return std::make_unique<PngFolderWriter>(options, folder);
}
