#pragma once

// Generated cuts for the encoder's tests and benchmark: layers of cells with blobs of
// every pixel class, entries that move, change cells and go empty from frame to frame.

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "model/cut.h"
#include "model/frame.h"
#include "model/layer.h"
#include "model/raster_surface.h"

namespace cutgen {

struct Options {
  int32_t canvasWidth = 64, canvasHeight = 40;
  AntiAlias antiAlias = AntiAlias::kFull;
  int layers = 3;
  int cellsPerLayer = 3;
  int frames = 8;
  int32_t cellWidth = 24, cellHeight = 18;
  int blobsPerCell = 6;
  int noiseEvery = 7;         // one blob pixel in this many takes a random class
  int32_t step = 3;           // how far entries move per frame at most
  bool anyClass = true;       // every pixel class 0-15, not only the drawing classes
  bool timing = true;         // keyframes, negative times, loops, brightness
  bool followFrame = true;    // one layer follows the frame position
  bool repeatFrames = true;   // some frames are copies of the one before
  uint32_t displayFlags = 0;  // put into the cut as it is
};

inline int RandomClass(std::mt19937& rng, bool anyClass) {
  static const int kDrawing[] = {1, 2, 3, 4, 8, 9, 10};
  if (anyClass) return int(rng() % 15) + 1;
  return kDrawing[rng() % 7];
}

inline void PaintBlobs(RasterSurface& cell, std::mt19937& rng, const Options& o) {
  for (int b = 0; b < o.blobsPerCell; ++b) {
    const int32_t w = 1 + int32_t(rng() % uint32_t(std::max(1, cell.Width() / 2)));
    const int32_t h = 1 + int32_t(rng() % uint32_t(std::max(1, cell.Height() / 2)));
    const int32_t x = int32_t(rng() % uint32_t(cell.Width())), y = int32_t(rng() % uint32_t(cell.Height()));
    const int v = RandomClass(rng, o.anyClass);
    const bool ring = rng() % 3 == 0;
    for (int32_t j = y; j < std::min(y + h, cell.Height()); ++j)
      for (int32_t i = x; i < std::min(x + w, cell.Width()); ++i) {
        if (ring && j > y && j + 1 < y + h && i > x && i + 1 < x + w) continue;
        cell.SetPixel(i, j, (rng() % uint32_t(o.noiseEvery) == 0) ? RandomClass(rng, o.anyClass) : v);
      }
  }
}

inline std::unique_ptr<Cut> MakeCut(uint32_t seed, const Options& o) {
  std::mt19937 rng(seed);
  auto cut = std::make_unique<Cut>(o.canvasWidth, o.canvasHeight, 12, "gen " + std::to_string(seed),
                                   o.antiAlias);
  cut->SetFrameSize(std::max(1, o.canvasWidth * 3 / 4), std::max(1, o.canvasHeight * 3 / 4));
  for (int l = 0; l < o.layers; ++l) {
    Layer* layer = cut->AddLayer(std::nullopt, o.cellWidth + 3 * l, o.cellHeight + l, nullptr);
    layer->SetFollowFrame(o.followFrame && l == 1);
    for (int c = 1; c < o.cellsPerLayer; ++c) layer->InsertCellAfter(layer->CellCount() - 1, 0);
    for (int c = 0; c < layer->CellCount(); ++c) PaintBlobs(*layer->CellAt(c), rng, o);
  }
  struct Place { int32_t cell, x, y; };
  std::vector<Place> places;
  for (int l = 0; l < o.layers; ++l)
    places.push_back({int32_t(rng() % uint32_t(o.cellsPerLayer)),
                      int32_t(rng() % uint32_t(o.canvasWidth)) - o.cellWidth / 2,
                      int32_t(rng() % uint32_t(o.canvasHeight)) - o.cellHeight / 2});
  int32_t fx = 0, fy = 0;
  for (int k = 0; k < o.frames; ++k) {
    Frame* frame = cut->AddFrame();
    const bool copy = o.repeatFrames && k > 0 && rng() % 4 == 0;
    if (!copy) {
      for (int l = 0; l < o.layers; ++l) {
        Place& p = places[size_t(l)];
        const uint32_t what = rng() % 6;
        if (what == 0) p.cell = int32_t(rng() % uint32_t(o.cellsPerLayer));
        if (what == 1 || what == 2) {
          p.x += int32_t(rng() % uint32_t(2 * o.step + 1)) - o.step;
          p.y += int32_t(rng() % uint32_t(2 * o.step + 1)) - o.step;
        }
        if (what == 3 && rng() % 3 == 0) p.cell = ~(p.cell < 0 ? ~p.cell : p.cell);  // empty
        if (what == 4 && p.cell < 0) p.cell = ~p.cell;
      }
      if (rng() % 3 == 0) fx += int32_t(rng() % 5) - 2, fy += int32_t(rng() % 5) - 2;
    }
    for (int l = 0; l < o.layers; ++l) {
      const Place& p = places[size_t(l)];
      frame->InsertEntryAfter(cut->LayerAt(l), p.cell, p.x, p.y);
    }
    frame->SetCurrentLayer(copy && k > 0 ? cut->FrameAt(k - 1)->CurrentLayer()
                                         : int32_t(rng() % uint32_t(std::max(1, o.layers))));
    frame->SetPosition(fx, fy);
    if (o.timing) {
      frame->SetTime(int32_t(rng() % 7) - 2);
      frame->SetLoop(rng() % 5 == 0 ? int32_t(rng() % 4) : (k == 0 ? 0 : 1) * int32_t(rng() % 2));
      frame->SetBrightness(int32_t(rng() % 101));
      frame->SetKeyframe(rng() % 4 == 0);
    }
  }
  cut->SetDisplayFlags(o.displayFlags);
  return cut;
}

}  // namespace cutgen
