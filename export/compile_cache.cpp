#include "export/compile_cache.h"

#include <cstdio>
#include <memory>

#include "anim/frame_encoder.h"
#include "anim/ov_layout.h"
#include "files/cut_file.h"
#include "files/cut_naming.h"
#include "io/block_stream.h"
#include "io/cp932.h"
#include "io/failure.h"
#include "io/file_stream.h"
#include "io/file_system.h"
#include "io/file_time.h"
#include "io/safe_save.h"
#include "io/whole_file.h"
#include "model/cut.h"

std::string CachePathOf(const std::string& cutPath) {
  const PathParts parts = SplitPath(cutPath);
  return parts.folder + parts.name + ".tl";
}

bool RenameCutWithCache(const std::string& from, const std::string& to) {
  // A name that differs only in case may name the same file: renaming to it is allowed.
  if (from.empty() || to.empty() || (FileExists(to) && !SameFile(from, to))) return false;
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  const std::string oldCache = CachePathOf(from), newCache = CachePathOf(to);
  if (oldCache == newCache) return true;
  if (!SameFile(oldCache, newCache)) std::remove(newCache.c_str());
  // A cache that cannot move goes: the cut compiles afresh.
  if (FileExists(oldCache) && std::rename(oldCache.c_str(), newCache.c_str()) != 0)
    std::remove(oldCache.c_str());
  return true;
}

bool CacheIsNewer(const std::string& cachePath, const std::string& cutPath) {
  const auto cache = FileWriteTime(cachePath), cut = FileWriteTime(cutPath);
  // Strictly: file times are coarse, and a cut saved in the tick its cache was written
  // may hold changes the cache has not seen.
  return cache && cut && *cache > *cut;
}

bool CompileCut(Cut& cut, FrameBuffer& buffer, FrameSurface& work, ByteStream& out) {
  if (cut.FrameCount() < 1) return false;
  return FrameEncoder(out, buffer).Encode(cut, work, 0, cut.FrameCount() - 1);
}

namespace {

// Walks a TL stream: the cut header, then the start of every frame record with its fields.
struct TlWalk {
  ov::CutHeader header;
  int32_t headerAt = ov::kTlCutOffset;
  std::vector<int32_t> recordAt;
  std::vector<ov::FrameFields> fields;
};

bool Walk(ByteStream& tl, TlWalk& walk) {
  ov::FileHeader file;
  if (!ov::ReadFileHeader(tl, file) || file.kind != ov::Kind::kTl) return false;
  walk.header = file.tlCut;
  int64_t at = tl.Tell();
  while (at < file.streamLength) {
    ov::FrameHeader frame;
    if (!tl.Seek(int32_t(at), kSeekSet) || !ov::ReadFrameHeader(tl, frame)) return false;
    const int64_t next = at + frame.RecordBytes();
    if (next > file.streamLength) return false;
    walk.recordAt.push_back(int32_t(at));
    walk.fields.push_back(frame.fields);
    at = next;
  }
  return at == file.streamLength;
}

}  // namespace

int32_t WholeTlFrameCount(ByteStream& tl) {
  const int32_t back = tl.Tell();
  TlWalk walk;
  const bool whole = Walk(tl, walk);
  tl.Seek(back, kSeekSet);
  return whole ? int32_t(walk.recordAt.size()) : -1;
}

bool PatchCacheTiming(Cut& cut, ByteStream& cache) {
  const int factor = AntiAliasFactor(cut);
  if (factor == 0) return false;
  TlWalk walk;
  if (!Walk(cache, walk)) return false;
  const ov::CutHeader header = CutRecordHeader(cut, factor);
  if (walk.header.credit != TruncateCp932(cut.Credit(), size_t(ov::kMaxString)) ||
      walk.header.imageWidth != header.imageWidth || walk.header.imageHeight != header.imageHeight ||
      walk.header.levelCount != header.levelCount ||
      walk.recordAt.size() != size_t(cut.FrameCount()))
    return false;
  if (!cache.Seek(ov::kTlCutOffset, kSeekSet) || !ov::WriteCutHeader(cache, header)) return false;
  for (size_t k = 0; k < walk.recordAt.size(); ++k) {
    ov::FrameFields fields = FrameRecordFields(cut, int32_t(k), k == 0, factor);
    const ov::FrameFields& old = walk.fields[k];
    fields.x = old.x, fields.y = old.y, fields.width = old.width, fields.height = old.height;
    if (!cache.Seek(walk.recordAt[k], kSeekSet) || !ov::WriteFrameFields(cache, fields)) return false;
  }
  return true;
}

const char* CacheUseName(CacheUse use) {
  switch (use) {
    case CacheUse::kReused: return "reused";
    case CacheUse::kPatched: return "patched";
    case CacheUse::kRebuilt: return "rebuilt";
    case CacheUse::kBypassed: return "bypassed";
  }
  return "";
}

namespace {

constexpr uint32_t kCompileFlags = kStateContentChanged | kStateTimingChanged;

// The whole file into `tl`; false when it cannot be read or is not a whole TL stream.
bool ReadWholeTl(const std::string& path, BlockStream& tl) {
  tl.Close();
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, nullptr)) return false;
  const bool ok = bytes.empty() || tl.Write(bytes.data(), int32_t(bytes.size())) == 1;
  if (!ok || WholeTlFrameCount(tl) < 1) {
    tl.Close();
    return false;
  }
  return true;
}

}  // namespace

bool CompileThroughCache(const std::string& cutPath, Cut* open, FrameBuffer& buffer,
                         FrameSurface& work, BlockStream& tl, CacheUse* use, std::string* why) {
  CacheUse local;
  CacheUse& result = use ? *use : local;
  const std::string cachePath = CachePathOf(cutPath);
  const uint32_t flags = open ? open->StateFlags() : 0;
  auto clearFlags = [&] {
    if (open) open->SetStateFlags(flags & ~kCompileFlags);
  };

  if ((flags & kCompileFlags) == 0 && CacheIsNewer(cachePath, cutPath) && ReadWholeTl(cachePath, tl)) {
    result = CacheUse::kReused;
    clearFlags();
    return true;
  }
  // Patched in memory and saved whole: a patch that fails halfway must not leave a cache
  // newer than its cut with half the new timing.
  if (open && (flags & kCompileFlags) == kStateTimingChanged && ReadWholeTl(cachePath, tl) &&
      PatchCacheTiming(*open, tl) &&
      SaveFileSafely(cachePath, [&](ByteStream& s) { return ov::CopyStreamBytes(tl, 0, tl.Length(), s); },
                     nullptr)) {
    result = CacheUse::kPatched;
    clearFlags();
    return true;
  }

  std::unique_ptr<Cut> loaded;
  Cut* cut = open;
  if (!cut) {
    loaded = std::make_unique<Cut>(0, 0, 0, "", AntiAlias::kFull);
    std::string error;
    if (!LoadCut(*loaded, cutPath, nullptr, &error)) return Fail(why, "cannot load the cut: " + error);
    cut = loaded.get();
  }
  if (cut->FrameCount() < 1) return Fail(why, "the cut has no frames");
  tl.Close();
  if (!CompileCut(*cut, buffer, work, tl)) return Fail(why, "the cut cannot be compiled");
  // An open cut with unsaved changes is not what its file holds: its cache stays as it is.
  if (open && (flags & kStateUnsaved)) {
    result = CacheUse::kBypassed;
    return true;
  }
  std::string error;
  const bool saved = SaveFileSafely(
      cachePath, [&](ByteStream& s) { return ov::CopyStreamBytes(tl, 0, tl.Length(), s); }, &error);
  if (!saved) return Fail(why, "cannot write the cache " + cachePath + ": " + error);
  result = CacheUse::kRebuilt;
  clearFlags();
  return true;
}
