#pragma once

#include <cstdint>
#include <string>

#include "io/byte_stream.h"

class BlockStream;
class Cut;
class FrameBuffer;
class FrameSurface;

// The compile cache of a saved cut: a TL file beside the cut file ("name.tl" for
// "name.cut") holding the cut compiled whole.

// The cut file's path with its extension replaced by "tl" (added when it has none).
std::string CachePathOf(const std::string& cutPath);

// Renames a cut file, and its cache with it: a cache left behind would stand in for a cut
// later given the old name, and one already at the new name belongs to no cut. False,
// changing nothing, when the new name is taken or the cut file cannot be renamed.
bool RenameCutWithCache(const std::string& from, const std::string& to);

// A cache may stand in for its cut file only when it was written after it: a cut saved
// since is compiled again. False when either time cannot be learnt.
bool CacheIsNewer(const std::string& cachePath, const std::string& cutPath);

// Every frame of the cut as a TL stream at `out`'s position 0 (see FrameEncoder).
bool CompileCut(Cut& cut, FrameBuffer& buffer, FrameSurface& work, ByteStream& out);

// The frame records of a TL stream when it is whole: a TL header and cut header, then
// records that end exactly at the stream's end; -1 otherwise.
int32_t WholeTlFrameCount(ByteStream& tl);

// Timing-only update: rewrites in place the cut header's sizes, rate and levels and, in
// every frame record, the duration, repeat count, brightness and view position, as a full
// compile of the cut would write them. The pixel data stays, so this is right only when
// the cut's pictures are unchanged since the cache was compiled. Refused, writing nothing,
// unless the stream is a whole TL stream with the cut's credit, image size and level
// count and one record per frame of the cut.
bool PatchCacheTiming(Cut& cut, ByteStream& cache);

// What became of a cut's compile cache when its compiled form was asked for.
enum class CacheUse {
  kReused,    // the cache was taken as it stood
  kPatched,   // only the timing of the open cut had changed: the cache was patched in place
  kRebuilt,   // the cut was compiled and the cache written anew
  kBypassed,  // compiled without touching the cache (unsaved changes, or no file yet)
};

const char* CacheUseName(CacheUse use);

// The whole cut as a TL stream in `tl` (emptied first), through the cache beside
// `cutPath`. A cut that is not open (`open` null) is taken from its cache when the cache
// was written after the cut file, otherwise it is loaded, compiled and its cache written
// anew. An open cut decides by its change flags: both clear (and the cache newer than the
// file) reuse it, timing-changed alone patches it in place, anything else compiles the
// document as it stands, writing the cache unless the cut has unsaved changes. A cache that
// is not a whole TL stream is never used. Whenever the cache is left matching the open
// cut, its content- and timing-changed flags are cleared. False, with `why`, when the cut
// cannot be loaded or compiled (no frames) or its cache cannot be written.
bool CompileThroughCache(const std::string& cutPath, Cut* open, FrameBuffer& buffer,
                         FrameSurface& work, BlockStream& tl, CacheUse* use, std::string* why);
