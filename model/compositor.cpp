#include "model/compositor.h"

#include <algorithm>

#include "model/cut_flags.h"
#include "model/frame.h"
#include "model/raster_surface.h"

namespace {

struct Composer {
  Frame& frame;
  RasterSurface& target;
  int32_t x, y, width, height;
  uint32_t flags;
  std::vector<Rect>* bounds;

  Rect* Record(int32_t index) {
    if (!bounds || index < 0) return nullptr;
    if (size_t(index) >= bounds->size()) bounds->resize(size_t(index) + 1);
    return &(*bounds)[size_t(index)];
  }

  // Draws entry `index` with `mode`; its bounds go to record `record`.
  void Draw(int32_t index, int mode, int32_t record) {
    const auto e = frame.ResolveEntry(index);
    Rect* out = Record(record);
    if (!e) {
      if (out) *out = Rect{};
      return;
    }
    target.Blit(x, y, *e->cell, x - e->x, y - e->y, width, height, mode, 0, 0, out);
  }

  void OnionSkins(int32_t index) {
    const auto e = frame.ResolveEntry(index);
    if (!e) return;
    if (flags & kShowPreviousCell) {
      if (RasterSurface* prev = frame.PrevCellOf(index))
        target.BlitTint(x, y, *prev, x - e->x, y - e->y, width, height, false);
    }
    if (flags & kShowNextCell) {
      if (RasterSurface* next = frame.NextCellOf(index))
        target.BlitTint(x, y, *next, x - e->x, y - e->y, width, height, true);
    }
  }

  void Run() {
    const int32_t limit = int32_t((flags & kLayerLimitMask) >> kLayerLimitShift);
    const int32_t n = limit ? limit : frame.EntryCount();
    const int32_t current = frame.CurrentLayer();
    if (bounds) bounds->assign(size_t(std::max(n, 1)), Rect{});

    if (flags & kCurrentCellOnly) {
      OnionSkins(current);
      Draw(current, kBlitTransparent, 0);
      return;
    }
    if (flags & kOtherLayersPale) {
      for (int32_t i = 0; i < n; ++i)
        if (i != current) Draw(i, kBlitTransparent | kBlitPale, i);
      OnionSkins(current);
      Draw(current, kBlitTransparent, current);
      return;
    }
    for (int32_t i = 0; i < n; ++i) {
      if (i == current) OnionSkins(i);
      Draw(i, kBlitTransparent, i);
    }
  }
};

}  // namespace

void Compose(Frame& frame, RasterSurface& target, int32_t x, int32_t y, int32_t width,
             int32_t height, uint32_t flags, std::vector<Rect>* bounds) {
  Composer{frame, target, x, y, width, height, flags, bounds}.Run();
}
