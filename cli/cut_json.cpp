#include "cli/cut_json.h"

#include "cli/json_read.h"
#include "model/cut.h"

namespace {

using ojson = nlohmann::ordered_json;
using json = nlohmann::json;

ojson PairJson(int64_t a, int64_t b) { return ojson::array({a, b}); }

ojson CellRows(const RasterSurface& cell) {
  static const char digits[] = "0123456789abcdef";
  ojson rows = ojson::array();
  std::string row(size_t(cell.Width()), '0');
  for (int32_t y = 0; y < cell.Height(); ++y) {
    for (int32_t x = 0; x < cell.Width(); ++x) row[size_t(x)] = digits[cell.GetPixel(x, y)];
    rows.push_back(row);
  }
  return rows;
}

ojson LayerJson(Layer& layer, bool withCells) {
  ojson j;
  j["name"] = TextToJson(layer.Name() ? *layer.Name() : std::string("UNTITLED"));
  j["size"] = PairJson(layer.Width(), layer.Height());
  j["followFrame"] = layer.FollowFrame();
  if (withCells) {
    ojson cells = ojson::array();
    layer.Cells().ForEach([&](RasterSurface* cell) { cells.push_back(CellRows(*cell)); });
    j["cells"] = std::move(cells);
  } else {
    j["cellCount"] = layer.CellCount();
  }
  return j;
}

ojson FrameJson(Cut& cut, Frame& frame) {
  ojson j;
  j["position"] = PairJson(frame.X(), frame.Y());
  j["time"] = frame.Time();
  j["loop"] = frame.Loop();
  j["brightness"] = frame.Brightness();
  j["keyframe"] = frame.IsKeyframe();
  j["comment"] = TextToJson(frame.Comment());
  ojson entries = ojson::array();
  for (int32_t i = 0; i < frame.EntryCount(); ++i) {
    const LayerEntry e = *frame.EntryAt(i);
    ojson ej;
    const int32_t index = e.layer ? cut.IndexOfLayer(e.layer) : -1;
    ej["layer"] = index >= 0 ? ojson(index) : ojson(nullptr);
    ej["cell"] = e.cell < 0 ? ~e.cell : e.cell;
    ej["empty"] = e.cell < 0;
    ej["position"] = PairJson(e.x, e.y);
    entries.push_back(std::move(ej));
  }
  j["entries"] = std::move(entries);
  return j;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Checks the rows against the layer size before any pixel memory is taken.
void CheckCellRows(const JsonReader& in, const json& rows, const std::string& place, int32_t width,
                   int32_t height) {
  in.Array(rows, place);
  if (rows.size() != size_t(height))
    in.Fail(place, std::to_string(rows.size()) + " rows, the layer is " + std::to_string(height) +
                       " high");
  for (size_t y = 0; y < rows.size(); ++y) {
    const std::string rowPlace = JsonReader::Index(place, y);
    if (!rows[y].is_string()) in.Fail(rowPlace, "expected a string of hex digits");
    const std::string& row = rows[y].get_ref<const std::string&>();
    if (row.size() != size_t(width))
      in.Fail(rowPlace, std::to_string(row.size()) + " pixels, the layer is " +
                            std::to_string(width) + " wide");
    for (size_t x = 0; x < row.size(); ++x) {
      if (HexDigit(row[x]) < 0) in.Fail(rowPlace, "not a hex digit at pixel " + std::to_string(x));
    }
  }
}

void FillCell(const json& rows, RasterSurface& cell) {
  for (size_t y = 0; y < rows.size(); ++y) {
    const std::string& row = rows[y].get_ref<const std::string&>();
    for (size_t x = 0; x < row.size(); ++x) cell.SetPixel(int32_t(x), int32_t(y), HexDigit(row[x]));
  }
}

void ReadLayer(const JsonReader& in, Cut& cut, const json& j, const std::string& place) {
  in.Object(j, place);
  const std::string name = in.Text(in.Member(j, "name", place), JsonReader::Join(place, "name"));
  const auto size = in.Pair(in.Member(j, "size", place), JsonReader::Join(place, "size"), 0, 65535);
  const int32_t width = int32_t(size.first), height = int32_t(size.second);
  const bool follow = in.BoolOr(j, "followFrame", place, false);
  const std::string cellsPlace = JsonReader::Join(place, "cells");
  const json& cells = in.Array(in.Member(j, "cells", place), cellsPlace);
  if (cells.size() > 65535) in.Fail(cellsPlace, "more than 65535 cells");
  for (size_t k = 0; k < cells.size(); ++k)
    CheckCellRows(in, cells[k], JsonReader::Index(cellsPlace, k), width, height);
  Layer* layer = cut.AddLayer(name, 0, 0, nullptr);
  layer->SetName(name);
  layer->SetFollowFrame(follow);
  layer->RemoveCell(0);
  layer->Resize(width, height);
  for (size_t k = 0; k < cells.size(); ++k) {
    if (!layer->InsertCellAfter(int32_t(k) - 1, 0))
      in.Fail(JsonReader::Index(cellsPlace, k), "not enough memory for the cell");
    FillCell(cells[k], *layer->CellAt(int32_t(k)));
  }
  if (layer->CellCount() > 0) cut.GrowUndoBuffer(layer->CellByteSize());
}

void ReadEntry(const JsonReader& in, Cut& cut, Frame& frame, const json& j, const std::string& place) {
  in.Object(j, place);
  const json& layerValue = in.Member(j, "layer", place);
  Layer* layer = nullptr;
  if (!layerValue.is_null()) {
    const std::string layerPlace = JsonReader::Join(place, "layer");
    const int64_t index = in.Int(layerValue, layerPlace, INT32_MIN, INT32_MAX);
    if (index < 0 || index >= cut.LayerCount())
      in.Fail(layerPlace, "no layer " + std::to_string(index) + " (the cut has " +
                              std::to_string(cut.LayerCount()) + ")");
    layer = cut.LayerAt(int32_t(index));
  }
  const bool empty = in.BoolOr(j, "empty", place, false);
  const int64_t cell = in.Int(in.Member(j, "cell", place), JsonReader::Join(place, "cell"), 0,
                              empty ? 32767 : 32767);
  if (layer && !empty && cell >= layer->CellCount())
    in.Fail(JsonReader::Join(place, "cell"), "no cell " + std::to_string(cell) + " (the layer has " +
                                                 std::to_string(layer->CellCount()) + ")");
  const auto pos = in.PairOr(j, "position", place, -32768, 32767, {0, 0});
  frame.InsertEntryAfter(layer, empty ? ~int32_t(cell) : int32_t(cell), int32_t(pos.first),
                         int32_t(pos.second));
}

void ReadFrame(const JsonReader& in, Cut& cut, const json& j, const std::string& place) {
  in.Object(j, place);
  Frame* frame = cut.AddFrame();
  const auto pos = in.PairOr(j, "position", place, -32768, 32767, {0, 0});
  frame->SetPosition(int32_t(pos.first), int32_t(pos.second));
  frame->SetTime(int32_t(in.IntOr(j, "time", place, -32768, 32767, 1)));
  frame->SetLoop(int32_t(in.IntOr(j, "loop", place, 0, 65535, 1)));
  const int32_t brightness = int32_t(in.IntOr(j, "brightness", place, 0, 127, 50));
  const bool keyframe = in.BoolOr(j, "keyframe", place, false);
  frame->SetToneKey(keyframe ? ~brightness : brightness);
  frame->SetComment(in.TextOr(j, "comment", place, ""));
  const std::string entriesPlace = JsonReader::Join(place, "entries");
  const json& entries = in.Array(in.Member(j, "entries", place), entriesPlace);
  if (entries.size() > 255) in.Fail(entriesPlace, "more than 255 entries");
  for (size_t i = 0; i < entries.size(); ++i)
    ReadEntry(in, cut, *frame, entries[i], JsonReader::Index(entriesPlace, i));
}

}  // namespace

nlohmann::ordered_json CutToJson(Cut& cut, bool withCells) {
  ojson j;
  j["canvas"] = PairJson(cut.CanvasWidth(), cut.CanvasHeight());
  j["frameSize"] = PairJson(cut.FrameWidth(), cut.FrameHeight());
  j["fps"] = cut.Fps();
  j["credit"] = TextToJson(cut.Credit());
  j["antiAlias"] = int(cut.GetAntiAlias());
  ojson layers = ojson::array();
  for (int32_t i = 0; i < cut.LayerCount(); ++i) layers.push_back(LayerJson(*cut.LayerAt(i), withCells));
  j["layers"] = std::move(layers);
  ojson frames = ojson::array();
  for (int32_t i = 0; i < cut.FrameCount(); ++i) frames.push_back(FrameJson(cut, *cut.FrameAt(i)));
  j["frames"] = std::move(frames);
  return j;
}

std::unique_ptr<Cut> CutFromJson(const nlohmann::json& doc, const std::string& file) {
  const JsonReader in(file);
  in.Object(doc, "");
  const auto canvas = in.Pair(in.Member(doc, "canvas", ""), "canvas", 0, 65535);
  const auto frameSize = in.PairOr(doc, "frameSize", "", 0, 65535, canvas);
  const int32_t fps = int32_t(in.IntOr(doc, "fps", "", 0, 255, 24));
  const std::string credit = in.TextOr(doc, "credit", "", "");
  const int64_t aa = in.IntOr(doc, "antiAlias", "", 0, 2, 0);
  auto cut = std::make_unique<Cut>(int32_t(canvas.first), int32_t(canvas.second), fps, credit,
                                   AntiAlias(aa));
  cut->SetFrameSize(int32_t(frameSize.first), int32_t(frameSize.second));
  const json& layers = in.Array(in.Member(doc, "layers", ""), "layers");
  if (layers.size() > 255) in.Fail("layers", "more than 255 layers");
  for (size_t i = 0; i < layers.size(); ++i) ReadLayer(in, *cut, layers[i], JsonReader::Index("layers", i));
  const json& frames = in.Array(in.Member(doc, "frames", ""), "frames");
  if (frames.size() > 65535) in.Fail("frames", "more than 65535 frames");
  for (size_t i = 0; i < frames.size(); ++i) ReadFrame(in, *cut, frames[i], JsonReader::Index("frames", i));
  return cut;
}
