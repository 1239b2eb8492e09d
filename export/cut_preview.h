#pragma once

#include <string>

#include "export/compile_cache.h"

class BlockStream;
class Cut;
class FrameBuffer;
class FrameSurface;

// What the cut window's previews hand to the animation window.

// The cut menu's animation: the whole cut through its compile cache (CompileThroughCache;
// a cut never saved is compiled without one). `view` is the cut view's image and serves
// as the work image; after a compile it is cleared and the current frame composed into it
// again with the cut's display flags.
bool CompileCutPreview(Cut& cut, FrameBuffer& buffer, FrameSurface& view, BlockStream& tl,
                       CacheUse* use, std::string* why);

// The frame menu's "show the current frame": a TL stream of the current frame alone; no
// cache is involved.
bool CompileFramePreview(Cut& cut, FrameBuffer& buffer, FrameSurface& work, BlockStream& tl);
