#include "export/cut_preview.h"

#include "anim/frame_encoder.h"
#include "io/block_stream.h"
#include "io/failure.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

bool CompileCutPreview(Cut& cut, FrameBuffer& buffer, FrameSurface& view, BlockStream& tl,
                       CacheUse* use, std::string* why) {
  CacheUse local;
  CacheUse& result = use ? *use : local;
  if (cut.Path().empty()) {
    if (cut.FrameCount() < 1) return Fail(why, "the cut has no frames");
    tl.Close();
    if (!CompileCut(cut, buffer, view, tl)) return Fail(why, "the cut cannot be compiled");
    result = CacheUse::kBypassed;
  } else if (!CompileThroughCache(cut.Path(), &cut, buffer, view, tl, &result, why)) {
    return false;
  }
  if (result == CacheUse::kRebuilt || result == CacheUse::kBypassed) {
    view.Clear(0);
    if (Frame* frame = cut.CurrentFrameObject())
      Compose(*frame, view, 0, 0, view.Width(), view.Height(), cut.DisplayFlags(), nullptr);
  }
  return true;
}

bool CompileFramePreview(Cut& cut, FrameBuffer& buffer, FrameSurface& work, BlockStream& tl) {
  const int32_t k = cut.CurrentFrame();
  tl.Close();
  return k >= 0 && FrameEncoder(tl, buffer).Encode(cut, work, k, k);
}
