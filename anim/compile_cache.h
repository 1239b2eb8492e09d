#pragma once

#include <cstdint>
#include <string>

#include "anim/byte_stream.h"

class Cut;
class FrameBuffer;
class FrameSurface;

// The compile cache of a saved cut: a TL file beside the cut file ("name.tl" for
// "name.cut") holding the cut compiled whole.

// The cut file's path with its extension replaced by "tl" (added when it has none).
std::string CachePathOf(const std::string& cutPath);

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
