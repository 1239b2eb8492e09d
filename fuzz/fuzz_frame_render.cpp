// Arbitrary bytes as a cut file, then every frame composed with every display option and
// exported as a bitmap: no read or write outside any surface, whatever the positions, sizes
// and camera placement the file holds.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "export/frame_bitmap.h"
#include "files/cut_file.h"
#include "io/memory_stream.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "model/frame_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream in(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  Cut cut(0, 0, 0, "", AntiAlias::kFull);
  if (!ReadCut(cut, in, nullptr)) return 0;
  // Keep the images small; the bounds of large canvases are checked by the export itself.
  if (int64_t(cut.CanvasWidth()) * cut.CanvasHeight() > (1 << 12)) return 0;
  if (int64_t(cut.FrameWidth()) * cut.FrameHeight() > (1 << 14)) return 0;
  FrameSurface image;
  if (!image.Create(cut.CanvasWidth(), cut.CanvasHeight(), 0)) return 0;
  const uint32_t flagSets[] = {0, 3, 4 | 3, 8 | 3, 1u << 4, 63u << 4 | 8};
  for (int32_t i = 0; i < cut.FrameCount() && i < 8; ++i) {
    Frame* frame = cut.FrameAt(i);
    for (uint32_t flags : flagSets) {
      std::vector<Rect> bounds;
      image.Clear(0);
      Compose(*frame, image, 0, 0, cut.CanvasWidth(), cut.CanvasHeight(), flags, &bounds);
      for (int32_t y = 0; y < image.Height(); ++y)
        for (int32_t x = 0; x < image.Width(); ++x)
          if (image.GetPixel(x, y) > 24) std::abort();
    }
    std::vector<uint8_t> bmp;
    if (ExportFrameBitmap(cut, i, image, bmp) && bmp.size() < 118) std::abort();
  }
  return 0;
}
