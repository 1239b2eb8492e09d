#include "edit/picture_import.h"

#include <algorithm>
#include <cctype>

#include "model/cut.h"
#include "model/cut_flags.h"

namespace {

// Limits of the cut file's fields.
constexpr int64_t kMostFrames = 65535;
constexpr int64_t kMostCells = 32768;
constexpr int32_t kMostLayers = 255;
constexpr int32_t kMostEntries = 255;
constexpr size_t kLongestName = 255;
// Numbers beyond this are taken as this (they are refused as too many frames anyway).
constexpr int64_t kLargestNumber = int64_t(1) << 50;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The name without its folder.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The first entry of the frame that shows the layer, or null.
LayerEntry* EntryOf(Frame& frame, const Layer* layer) {
  for (int32_t i = 0; i < frame.EntryCount(); ++i)
    if (frame.EntryAt(i)->layer == layer) return frame.EntryAt(i);
  return nullptr;
}

int64_t LastFrame(int64_t lowest, int64_t highest, const Exposure& e) {
  return e.start - 1 + (highest - lowest + 1) * e.on;
}

}  // namespace

std::optional<int64_t> PictureNumber(const std::string& fileName) {
  std::string name = BaseName(fileName);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  size_t end = name.size();
  while (end > 0 && !std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
  if (end == 0) return std::nullopt;
  size_t begin = end;
  while (begin > 0 && std::isdigit(static_cast<unsigned char>(name[begin - 1]))) --begin;
  int64_t number = 0;
  for (size_t i = begin; i < end; ++i) number = std::min(kLargestNumber, number * 10 + (name[i] - '0'));
  return number;
}

bool IsPictureName(const std::string& fileName) {
  const std::string name = Lower(BaseName(fileName));
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = name.substr(dot);
  for (const char* known : {".png", ".jpg", ".jpeg", ".tif", ".tiff", ".bmp", ".gif"})
    if (ext == known) return true;
  return false;
}

std::optional<Layer*> LayerNamed(Cut& cut, const std::string& name, std::string* error) {
  Layer* found = nullptr;
  for (int32_t i = 0; i < cut.LayerCount(); ++i) {
    Layer* layer = cut.LayerAt(i);
    if (layer->Name() != name) continue;
    if (found) {
      if (error) *error = "more than one layer is named \"" + name + "\"";
      return std::nullopt;
    }
    found = layer;
  }
  return found;
}

std::optional<std::string> CheckPlacement(Cut& cut, const std::string& layerName, int64_t lowest,
                                          int64_t highest, int64_t count, const Exposure& e) {
  if (layerName.empty() || layerName.size() > kLongestName)
    return "a layer name has 1 to 255 bytes";
  if (e.on < 1 || e.start < 1) return "frames are counted from 1";
  if (count < 1 || lowest > highest) return "no pictures";
  std::string error;
  const auto layer = LayerNamed(cut, layerName, &error);
  if (!layer) return error;
  const int64_t last = LastFrame(lowest, highest, e);
  if (last > kMostFrames)
    return "the pictures would reach frame " + std::to_string(last) + " (a cut has at most " +
           std::to_string(kMostFrames) + ")";
  if (*layer) {
    if ((*layer)->CellCount() + count > kMostCells)
      return "the layer would have more than " + std::to_string(kMostCells) + " cells";
  } else if (cut.LayerCount() >= kMostLayers) {
    return "the cut already has " + std::to_string(kMostLayers) + " layers";
  } else if (count > kMostCells) {
    return "a layer holds at most " + std::to_string(kMostCells) + " cells";
  }
  // Frames that get a new entry must have room for it; added frames copy the last one.
  auto full = [&](int32_t f) {
    Frame& frame = *cut.FrameAt(f - 1);
    return !EntryOf(frame, *layer) && frame.EntryCount() >= kMostEntries;
  };
  for (int64_t f = e.start; f <= std::min<int64_t>(last, cut.FrameCount()); ++f)
    if (full(int32_t(f)))
      return "frame " + std::to_string(f) + " already shows " + std::to_string(kMostEntries) + " layers";
  if (last > cut.FrameCount() && full(cut.FrameCount()))
    return "the last frame, which added frames copy, already shows " + std::to_string(kMostEntries) +
           " layers";
  return std::nullopt;
}

bool PlacePictures(Cut& cut, const std::string& layerName, std::vector<NumberedPicture>& pictures,
                   const Exposure& e, Placement* placement, std::string* error) {
  auto fail = [error](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (pictures.empty()) return fail("no pictures");
  const int64_t lowest = std::min(e.lowest.value_or(pictures.front().number), pictures.front().number);
  const int64_t highest = pictures.back().number;
  if (auto why = CheckPlacement(cut, layerName, lowest, highest, int64_t(pictures.size()), e))
    return fail(*why);
  Layer* layer = *LayerNamed(cut, layerName, nullptr);
  Placement placed;
  placed.layerMade = !layer;
  if (!layer) {
    const RasterSurface* prototype = cut.LayerCount() > 0 ? cut.LayerAt(0)->Prototype() : nullptr;
    layer = cut.AddLayer(layerName, cut.CanvasWidth(), cut.CanvasHeight(), prototype);
  }
  placed.layer = cut.IndexOfLayer(layer);

  // The cells, in number order; a made layer's first cell is the first picture's.
  for (size_t i = 0; i < pictures.size(); ++i) {
    if (!(placed.layerMade && i == 0) && !layer->InsertCellAfter(layer->CellCount() - 1, 0))
      return fail("out of memory for the cells");
    const int32_t index = placed.layerMade && i == 0 ? 0 : layer->CellCount() - 1;
    CleanedPicture& p = pictures[i].picture;
    layer->CellAt(index)->Blit(p.place.x, p.place.y, *p.cell, 0, 0, p.place.width,
                               p.place.height, 0, 0, 0, nullptr);
    p.cell.reset();
    const int64_t first = e.start + (pictures[i].number - lowest) * e.on;
    placed.pictures.push_back({pictures[i].number, index, int32_t(first), int32_t(first + e.on - 1)});
  }

  // Frames up to the last one the pictures reach.
  const int32_t last = int32_t(LastFrame(lowest, highest, e));
  Frame* model = cut.FrameAt(cut.FrameCount() - 1);
  while (cut.FrameCount() < last) {
    cut.GoFrame(cut.FrameCount() - 1);
    Frame* added = cut.AddFrame();
    added->CopyFrom(*model);
    added->SetTime(1);
    added->SetLoop(1);
    ++placed.framesAdded;
  }

  // Where the layer lies in frames that do not show it yet: as in the first frame that does.
  int32_t x = 0, y = 0;
  for (int32_t f = 0; f < cut.FrameCount(); ++f) {
    if (const LayerEntry* entry = EntryOf(*cut.FrameAt(f), layer)) {
      x = entry->x, y = entry->y;
      break;
    }
  }
  size_t next = 0;
  int64_t shownNumber = -1;
  int32_t shown = placed.pictures.front().cell;
  for (int32_t f = e.start; f <= last; ++f) {
    const int64_t number = lowest + (f - e.start) / e.on;
    if (next < pictures.size() && pictures[next].number == number) {
      shown = placed.pictures[next++].cell;
      shownNumber = number;
    }
    const bool empty = shownNumber != number && (!e.holdGaps || shownNumber < 0);
    Frame& frame = *cut.FrameAt(f - 1);
    LayerEntry* entry = EntryOf(frame, layer);
    if (!entry) {
      frame.SetCurrentLayer(frame.EntryCount() - 1);
      frame.InsertEntryAfter(layer, 0, x, y);
      entry = frame.CurrentEntry();
    }
    entry->cell = empty ? ~shown : shown;
  }
  cut.MarkChanged(kChangeContent);
  placed.firstFrame = e.start;
  placed.lastFrame = last;
  if (placement) *placement = std::move(placed);
  return true;
}
