#include "anim/film_export.h"

#include <cstdio>
#include <memory>

#include "anim/compile_cache.h"
#include "anim/file_stream.h"
#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "files/safe_save.h"
#include "model/cut.h"

const char* CacheUseName(CacheUse use) {
  switch (use) {
    case CacheUse::kReused: return "reused";
    case CacheUse::kPatched: return "patched";
    case CacheUse::kRebuilt: return "rebuilt";
    case CacheUse::kBypassed: return "compiled without cache";
  }
  return "";
}

namespace {

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

constexpr uint32_t kCompileFlags = kStateContentChanged | kStateTimingChanged;

}  // namespace

FilmExporter::Copy FilmExporter::CopyCacheFile(const std::string& cachePath, ov::OvWriter& ov,
                                               int32_t n, ExportedCut* done) {
  std::FILE* file = std::fopen(cachePath.c_str(), "rb");
  if (!file) return Copy::kUnusable;
  FileStream cache(file);
  const int32_t frames = WholeTlFrameCount(cache);
  if (frames < 1) return Copy::kUnusable;
  done->frames = frames;
  return ov.BeginCut(n) && ov.AppendTl(cache, &done->imageWidth, &done->imageHeight)
             ? Copy::kDone
             : Copy::kWriteFailed;
}

bool FilmExporter::AddCutToOv(FilmItem& item, int32_t n, ov::OvWriter& ov, ExportedCut* done,
                              std::string* why) {
  ExportedCut local;
  ExportedCut& result = done ? *done : local;
  result = ExportedCut{};
  result.index = n;
  result.path = item.path;
  const std::string cachePath = CachePathOf(item.path);
  Cut* open = item.cut;
  const uint32_t flags = open ? open->StateFlags() : 0;

  // A cache that cannot be used is compiled anew below; a write into the OV that fails is
  // not retried.
  if (!open || (flags & kCompileFlags) == 0) {
    if (CacheIsNewer(cachePath, item.path)) {
      result.use = CacheUse::kReused;
      const Copy copy = CopyCacheFile(cachePath, ov, n, &result);
      if (copy == Copy::kWriteFailed) return Fail(why, "cannot write the OV file");
      if (copy == Copy::kDone) return true;
    }
  } else if ((flags & kCompileFlags) == kStateTimingChanged) {
    if (std::FILE* file = std::fopen(cachePath.c_str(), "rb+")) {
      FileStream cache(file);
      const bool patched = PatchCacheTiming(*open, cache) && cache.Finish();
      if (patched) {
        result.use = CacheUse::kPatched;
        const Copy copy = CopyCacheFile(cachePath, ov, n, &result);
        if (copy == Copy::kWriteFailed) return Fail(why, "cannot write the OV file");
        if (copy == Copy::kDone) {
          open->SetStateFlags(flags & ~kCompileFlags);
          return true;
        }
      }
    }
  }

  std::unique_ptr<Cut> loaded;
  Cut* cut = open;
  if (!cut) {
    loaded = std::make_unique<Cut>(0, 0, 0, "", AntiAlias::kFull);
    std::string error;
    if (!LoadCut(*loaded, item.path, nullptr, &error)) return Fail(why, "cannot load the cut: " + error);
    cut = loaded.get();
  }
  if (cut->FrameCount() < 1) return Fail(why, "the cut has no frames");
  compiled_.Close();
  if (!CompileCut(*cut, buffer_, work_, compiled_)) return Fail(why, "the cut cannot be compiled");
  // An open cut with unsaved changes is not what its file holds: its cache stays as it is.
  const bool writeCache = !open || (flags & kStateUnsaved) == 0;
  if (writeCache) {
    std::string error;
    const bool saved = SaveFileSafely(
        cachePath,
        [&](ByteStream& s) {
          return ov::CopyStreamBytes(compiled_, 0, compiled_.Length(), s);
        },
        &error);
    if (!saved) return Fail(why, "cannot write the cache " + cachePath + ": " + error);
  }
  result.use = writeCache ? CacheUse::kRebuilt : CacheUse::kBypassed;
  result.frames = cut->FrameCount();
  if (!ov.BeginCut(n) || !ov.AppendTl(compiled_, &result.imageWidth, &result.imageHeight))
    return Fail(why, "cannot write the OV file");
  if (open && writeCache) open->SetStateFlags(flags & ~kCompileFlags);
  return true;
}

bool FilmExporter::Export(Film& film, const std::vector<int32_t>& items, ByteStream& out,
                          const std::function<void(const ExportedCut&)>& progress,
                          int32_t* failedIndex, std::string* why) {
  if (failedIndex) *failedIndex = -1;
  if (items.empty()) return Fail(why, "the film has no cuts");
  if (items.size() > size_t(INT16_MAX)) return Fail(why, "too many cuts for an OV file");
  for (const int32_t i : items) {
    if (!film.ItemAt(i)) return Fail(why, "no cut " + std::to_string(i + 1) + " in the film");
  }
  ov::OvWriter ov(out);
  if (!ov.Begin(film.Title(), film.Author(), int16_t(film.Width()), int16_t(film.Height()),
                int16_t(items.size())))
    return Fail(why, "cannot write the OV file");
  for (size_t n = 0; n < items.size(); ++n) {
    ExportedCut done;
    if (!AddCutToOv(*film.ItemAt(items[n]), int32_t(n), ov, &done, why)) {
      if (failedIndex) *failedIndex = int32_t(n);
      return false;
    }
    if (progress) progress(done);
  }
  return ov.Finish() || Fail(why, "cannot write the OV file");
}
