#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "anim/block_stream.h"
#include "anim/byte_stream.h"
#include "model/frame_surface.h"

class FrameBuffer;
class Film;
struct FilmItem;
namespace ov {
class OvWriter;
}

// What became of one cut's compile cache while it was added to an OV file.
enum class CacheUse {
  kReused,    // the cache was copied as it stood
  kPatched,   // only the timing of the open cut had changed: the cache was patched in place
  kRebuilt,   // the cut was compiled and the cache written anew
  kBypassed,  // the open cut has unsaved changes: compiled, the cache left alone
};

const char* CacheUseName(CacheUse use);

struct ExportedCut {
  int32_t index = 0;  // place in the OV file
  std::string path;   // the cut file
  int32_t frames = 0;
  CacheUse use = CacheUse::kReused;
  int16_t imageWidth = 0, imageHeight = 0;
};

// Compiles films into OV files through the compile caches beside the cut files.
//
// Cache rule: a cut that is not open is taken from its cache when the cache was written
// after the cut file, otherwise it is loaded, compiled and its cache written anew. An open
// cut (its film item links it) decides by its change flags: both clear (and the cache
// newer than the file) reuse it, timing-changed alone patches it in place, anything else
// compiles the document as it stands. A cache that is not a whole TL stream is never used.
class FilmExporter {
 public:
  // `buffer` is made at each cut's image size while it is compiled.
  explicit FilmExporter(FrameBuffer& buffer) : buffer_(buffer) {}

  // Film item `item` as cut `n` of the OV file that `ov` writes: its offset entered in the
  // table and its cut record appended. False, with `why` saying so, when the cut cannot be
  // loaded or compiled or its cache cannot be read or written.
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
  enum class Copy { kUnusable, kDone, kWriteFailed };
  Copy CopyCacheFile(const std::string& cachePath, ov::OvWriter& ov, int32_t n, ExportedCut* done);

  FrameBuffer& buffer_;
  FrameSurface work_;
  BlockStream compiled_;
};
