#include "export/film_export.h"

#include "anim/frame_buffer.h"
#include "anim/ov_layout.h"
#include "files/film.h"
#include "io/failure.h"
#include "io/file_system.h"

bool ExportReadsTarget(Film& film, const std::string& target) {
  if (target.empty() || (!film.Path().empty() && SameFile(target, film.Path()))) return true;
  for (int32_t i = 0; i < film.Count(); ++i) {
    const std::string cut = film.PathAt(i);
    if (SameFile(target, cut) || SameFile(target, CachePathOf(cut))) return true;
  }
  return false;
}

bool FilmExporter::AddCutToOv(FilmItem& item, int32_t n, ov::OvWriter& ov, ExportedCut* done,
                              std::string* why) {
  ExportedCut local;
  ExportedCut& result = done ? *done : local;
  result = ExportedCut{};
  result.index = n;
  result.path = item.path;
  if (!CompileThroughCache(item.path, item.Document(), buffer_, work_, compiled_, &result.use, why))
    return false;
  result.frames = WholeTlFrameCount(compiled_);
  if (!ov.BeginCut(n) || !ov.AppendTl(compiled_, &result.imageWidth, &result.imageHeight))
    return Fail(why, "cannot write the OV file");
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
