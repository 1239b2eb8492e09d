#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/compile_cache.h"
#include "io/block_stream.h"
#include "io/byte_stream.h"
#include "model/frame_surface.h"

class FrameBuffer;
class Film;
struct FilmItem;
namespace ov {
class OvWriter;
}

struct ExportedCut {
  int32_t index = 0;  // place in the OV file
  std::string path;   // the cut file
  int32_t frames = 0;
  CacheUse use = CacheUse::kReused;
  int16_t imageWidth = 0, imageHeight = 0;
};

// Whether writing the film's export to `target` would replace a file the export reads: the
// film file, a cut file or a cut's compile cache. An empty target counts as one of them.
bool ExportReadsTarget(Film& film, const std::string& target);

// Compiles films into OV files through the compile caches beside the cut files (see
// CompileThroughCache): open cuts are taken from their film items' links.
class FilmExporter {
 public:
  // `buffer` is made at each cut's image size while it is compiled.
  explicit FilmExporter(FrameBuffer& buffer) : buffer_(buffer) {}

  // Film item `item` as cut `n` of the OV file that `ov` writes: its offset entered in the
  // table and its cut record appended. False, with `why` saying so, when the cut cannot be
  // loaded or compiled, its cache cannot be written, or the OV file refuses a write.
  bool AddCutToOv(FilmItem& item, int32_t n, ov::OvWriter& ov, ExportedCut* done, std::string* why);

  // The OV file of the film's items `items` (in that order; every item for the film export)
  // at `out`'s position 0: header, cut table, cut records, then the length and the largest
  // image size. `progress` hears of each cut as it is added. When a cut fails, writing
  // stops there: what was written stays, with the length, the largest size and the table
  // entries of the cuts not reached still 0; `failedIndex` and `why` tell which and why.
  bool Export(Film& film, const std::vector<int32_t>& items, ByteStream& out,
              const std::function<void(const ExportedCut&)>& progress, int32_t* failedIndex,
              std::string* why);

 private:
  FrameBuffer& buffer_;
  FrameSurface work_;
  BlockStream compiled_;
};
