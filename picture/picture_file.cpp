// Picture files over libvips. Only the loaders of the formats we take are let near a file,
// decoding is on demand (sequential access), and nothing is cached between operations.
#include "picture/picture_file.h"

#include <vips/vips.h>

#include <cstring>
#include <mutex>

#include "edit/line_art.h"

namespace {

// Drops its reference when it goes.
struct ImageRef {
  VipsImage* image = nullptr;
  ImageRef() = default;
  explicit ImageRef(VipsImage* i) : image(i) {}
  ImageRef(const ImageRef&) = delete;
  ImageRef& operator=(const ImageRef&) = delete;
  ~ImageRef() { Reset(nullptr); }
  void Reset(VipsImage* i) {
    if (image) g_object_unref(image);
    image = i;
  }
};

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool StartVips() {
  static bool ready = false;
  static std::once_flag once;
  std::call_once(once, [] {
    // What goes wrong is reported with the file it happened to, not as warnings.
    g_log_set_handler("VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE), Quiet, nullptr);
    ready = vips_init("orvina") == 0;
    if (ready) {
      vips_cache_set_max(0);
      vips_concurrency_set(1);
    }
  });
  return ready;
}

// `what` and the first line of libvips' error buffer, which is then emptied.
std::string VipsError(const char* what) {
  std::string text = vips_error_buffer();
  vips_error_clear();
  const size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  // "pngload: libpng read error" reads better without the loader's name.
  const size_t colon = text.find(": ");
  if (colon != std::string::npos && colon < 24) text.erase(0, colon + 2);
  return text.empty() ? what : std::string(what) + " (" + text + ")";
}

// Where a picture's bytes are: a file, or a block of memory.
struct Source {
  std::string path;
  const uint8_t* bytes = nullptr;
  size_t size = 0;

  const char* Loader() const {
    return bytes ? vips_foreign_find_load_buffer(bytes, size) : vips_foreign_find_load(path.c_str());
  }
  VipsImage* Load(VipsAccess access) const {
    return bytes ? vips_image_new_from_buffer(bytes, size, "", "access", access, "fail_on",
                                              VIPS_FAIL_ON_TRUNCATED, nullptr)
                 : vips_image_new_from_file(path.c_str(), "access", access, "fail_on",
                                            VIPS_FAIL_ON_TRUNCATED, nullptr);
  }
  bool StartsWithBm() const {
    char head[2] = {};
    if (bytes) {
      if (size < 2) return false;
      std::memcpy(head, bytes, 2);
    } else {
      FILE* f = std::fopen(path.c_str(), "rb");
      if (!f) return false;
      const size_t got = std::fread(head, 1, 2, f);
      std::fclose(f);
      if (got != 2) return false;
    }
    return head[0] == 'B' && head[1] == 'M';
  }
};

// The loader libvips would take, when it is one of ours.
bool OurLoader(const Source& source) {
  const char* loader = source.Loader();
  if (!loader) {
    vips_error_clear();
    return false;
  }
  // Loader class names, as libvips names them (for memory, with "Buffer" after them).
  auto is = [loader](const char* prefix) { return std::strncmp(loader, prefix, std::strlen(prefix)) == 0; };
  for (const char* ours : {"VipsForeignLoadPng", "VipsForeignLoadSpng", "VipsForeignLoadJpeg",
                           "VipsForeignLoadTiff", "VipsForeignLoadNsgif", "VipsForeignLoadGif"})
    if (is(ours)) return true;
  // BMP reaches libvips only through ImageMagick's reader, which reads much else too.
  return is("VipsForeignLoadMagick") && source.StartsWithBm();
}

class VipsPicture : public PictureFile {
 public:
  explicit VipsPicture(VipsImage* image) : image_(image), region_(vips_region_new(image)) {}
  ~VipsPicture() override {
    if (region_) g_object_unref(region_);
  }
  int32_t Width() const override { return image_.image->Xsize; }
  int32_t Height() const override { return image_.image->Ysize; }
  const std::string& Error() const override { return error_; }

  bool Read(const Rect& area, uint16_t* samples) override {
    VipsRect r{area.x, area.y, area.width, area.height};
    if (!region_ || vips_region_prepare(region_, &r) != 0) {
      error_ = VipsError("cannot be read");
      return false;
    }
    const VipsImage* im = image_.image;
    const int bands = im->Bands;
    const bool wide = im->BandFmt == VIPS_FORMAT_USHORT;
    for (int32_t y = 0; y < area.height; ++y) {
      const VipsPel* p = VIPS_REGION_ADDR(region_, area.x, area.y + y);
      uint16_t* out = samples + size_t(y) * size_t(area.width);
      auto at = [&](int32_t x, int band) -> uint32_t {
        return wide ? reinterpret_cast<const uint16_t*>(p)[x * bands + band]
                    : uint32_t(p[x * bands + band]) * 257;
      };
      if (bands < 3) {
        for (int32_t x = 0; x < area.width; ++x) out[x] = uint16_t(at(x, 0));
      } else {
        for (int32_t x = 0; x < area.width; ++x) out[x] = GreyOfRgb(at(x, 0), at(x, 1), at(x, 2));
      }
    }
    return true;
  }

 private:
  ImageRef image_;
  VipsRegion* region_;
  std::string error_;
};

// One step of the pipeline: `step` makes a new image from the current one, or fails.
template <typename Step>
bool Then(ImageRef& image, Step step) {
  VipsImage* out = nullptr;
  if (step(image.image, &out) != 0) return false;
  image.Reset(out);
  return true;
}

std::unique_ptr<PictureFile> OpenPicture(const Source& source, std::string* why) {
  auto fail = [why](const std::string& text) {
    if (why) *why = text;
    return nullptr;
  };
  if (!StartVips()) return fail("the picture reader cannot start");
  if (!OurLoader(source)) {
    if (!source.bytes) {
      if (FILE* f = std::fopen(source.path.c_str(), "rb")) std::fclose(f);
      else return fail("cannot be opened");
    }
    return fail("not a PNG, JPEG, TIFF, BMP or GIF picture");
  }
  ImageRef image(source.Load(VIPS_ACCESS_SEQUENTIAL));
  if (!image.image) return fail(VipsError("cannot be read"));
  if (vips_image_get_orientation(image.image) > 1) {
    // Turning needs the whole picture at hand.
    image.Reset(source.Load(VIPS_ACCESS_RANDOM));
    if (!image.image ||
        !Then(image, [](VipsImage* in, VipsImage** out) { return vips_autorot(in, out, nullptr); }))
      return fail(VipsError("cannot be read"));
  }
  const VipsInterpretation kind = vips_image_guess_interpretation(image.image);
  const bool wide = image.image->BandFmt == VIPS_FORMAT_USHORT;
  if (vips_image_hasalpha(image.image)) {
    const int colours = image.image->Bands - 1;
    std::vector<double> white(size_t(colours), wide ? 65535.0 : 255.0);
    VipsArrayDouble* background = vips_array_double_new(white.data(), colours);
    const bool done = Then(image, [&](VipsImage* in, VipsImage** out) {
      return vips_flatten(in, out, "background", background, "max_alpha", wide ? 65535.0 : 255.0,
                          nullptr);
    });
    vips_area_unref(VIPS_AREA(background));
    if (!done) return fail(VipsError("cannot be read"));
  }
  const bool grey = image.image->Bands == 1;
  const bool rgb = image.image->Bands == 3 &&
                   (kind == VIPS_INTERPRETATION_sRGB || kind == VIPS_INTERPRETATION_RGB16);
  if (!grey && !rgb) {
    const VipsInterpretation to = wide ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB;
    if (!Then(image, [to](VipsImage* in, VipsImage** out) { return vips_colourspace(in, out, to, nullptr); }))
      return fail(VipsError("its colours cannot be read"));
  }
  if (image.image->BandFmt != VIPS_FORMAT_UCHAR && image.image->BandFmt != VIPS_FORMAT_USHORT) {
    if (!Then(image, [](VipsImage* in, VipsImage** out) {
          return vips_cast(in, out, VIPS_FORMAT_USHORT, nullptr);
        }))
      return fail(VipsError("cannot be read"));
  }
  auto picture = std::make_unique<VipsPicture>(image.image);
  image.image = nullptr;  // the picture holds the reference now
  return picture;
}

}  // namespace

bool PictureFilesAvailable() { return true; }

std::unique_ptr<PictureFile> OpenPictureFile(const std::string& path, std::string* why) {
  return OpenPicture(Source{path}, why);
}

std::unique_ptr<PictureFile> OpenPictureBytes(const uint8_t* bytes, size_t size, std::string* why) {
  static const uint8_t kNone = 0;
  return OpenPicture(Source{std::string(), size ? bytes : &kNone, size}, why);
}

bool EncodePng(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
               std::vector<uint8_t>& out, std::string* why) {
  if (!StartVips()) {
    if (why) *why = "the picture writer cannot start";
    return false;
  }
  std::vector<uint8_t> rgb(pixels.size() * 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgb[3 * i] = uint8_t(pixels[i] >> 16);
    rgb[3 * i + 1] = uint8_t(pixels[i] >> 8);
    rgb[3 * i + 2] = uint8_t(pixels[i]);
  }
  ImageRef image(vips_image_new_from_memory(rgb.data(), rgb.size(), width, height, 3, VIPS_FORMAT_UCHAR));
  void* bytes = nullptr;
  size_t size = 0;
  if (!image.image || vips_pngsave_buffer(image.image, &bytes, &size, nullptr) != 0) {
    if (why) *why = VipsError("the PNG file cannot be made");
    return false;
  }
  const auto* b = static_cast<const uint8_t*>(bytes);
  out.assign(b, b + size);
  g_free(bytes);
  return true;
}
