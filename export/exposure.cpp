#include "export/exposure.h"

#include <cstdlib>
#include <unordered_map>

#include "anim/frame_encoder.h"
#include "model/cut.h"

namespace {

// The cells one frame shows, per layer.
std::vector<int32_t> CellsOf(Frame& frame, const std::unordered_map<const Layer*, size_t>& layerIndex,
                             size_t layers) {
  std::vector<int32_t> cells(layers, Exposure::kEmpty);
  for (int32_t i = 0; i < frame.EntryCount(); ++i) {
    const LayerEntry* entry = frame.EntryAt(i);
    const auto found = entry ? layerIndex.find(entry->layer) : layerIndex.end();
    if (found == layerIndex.end() || entry->IsEmpty()) continue;
    cells[found->second] = entry->cell;  // later entries lie on top
  }
  return cells;
}

}  // namespace

bool CutExposure(Cut& cut, Exposure& out, std::string* error) {
  out = Exposure{};
  const int32_t frames = cut.FrameCount();
  if (frames < 1) {
    if (error) *error = "the cut has no frames";
    return false;
  }
  out.fps = std::max(int(uint8_t(cut.Fps())), 1);
  std::unordered_map<const Layer*, size_t> layerIndex;
  for (int32_t i = 0; i < cut.LayerCount(); ++i) {
    Layer* layer = cut.LayerAt(i);
    layerIndex.emplace(layer, size_t(i));
    out.layers.push_back(layer->Name().value_or(""));
  }
  for (int32_t i = 0; i < frames; ++i) out.comments.push_back(cut.FrameAt(i)->Comment());
  out.frameRow.assign(size_t(frames), -1);
  const int64_t columns = int64_t(out.layers.size()) + 1;

  // The decoder's walk over the frame records: a repeat count above 1 opens a loop there;
  // while one is open, the next record with a count closes it and play goes back to the
  // opening frame, until the passes are used up. A loop open at the end is closed by the
  // cut's first record, which every cut begins with.
  int32_t passes = 1, opening = 0;
  int32_t i = 0;
  for (;;) {
    bool back = false;
    if (i == frames) {
      if (passes < 2) break;
      back = true;
    } else {
      const int16_t repeat = FrameRecordFields(cut, i, i == 0, 1).repeat;
      if (passes > 1 && repeat != 0) {
        back = true;
      } else if (repeat > 1) {
        opening = i;
        passes = repeat;
      }
    }
    if (back) {
      i = opening;
      --passes;
    }
    const int16_t duration = FrameRecordFields(cut, i, i == 0, 1).duration;
    Showing s;
    s.frame = i;
    s.start = out.ticks;
    s.ticks = duration == 0 ? 1 : std::abs(duration);
    s.dissolve = duration < 0;
    out.ticks += s.ticks;
    if (out.ticks * columns > kLargestExposure) {
      if (error) {
        *error = "plays longer than a sheet holds (" + std::to_string(kLargestExposure / columns) + " ticks with " +
                 std::to_string(columns - 1) + " layers)";
      }
      out = Exposure{};
      return false;
    }
    if (out.frameRow[size_t(i)] < 0) {
      out.frameRow[size_t(i)] = int32_t(out.frameCells.size());
      out.frameCells.push_back(CellsOf(*cut.FrameAt(i), layerIndex, out.layers.size()));
    }
    out.showings.push_back(s);
    if (duration == 0) {
      out.stops = true;
      break;
    }
    ++i;
  }
  return true;
}
