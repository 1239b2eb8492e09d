#include "cli/edit_script.h"

#include <cctype>
#include <functional>
#include <memory>
#include <optional>

#include "cli/json_read.h"
#include "edit/cut_editing.h"
#include "edit/stroke_tools.h"
#include "model/cell_surface.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/undo.h"
#include "raster/effects.h"
#include "raster/fill.h"
#include "raster/mosaic_tool.h"
#include "raster/region_move.h"
#include "raster/stroke.h"
#include "raster/text_transfer.h"

namespace {

using json = nlohmann::json;
using ojson = nlohmann::ordered_json;

// Coordinates a step may name; wider values only walk longer outside the cell.
constexpr int64_t kCoordinate = 1 << 20;
constexpr int64_t kSize = 65535;

// The drawing settings and the views a script works with, as the editor holds them.
struct Editor {
  explicit Editor(Cut& c) : cut(c) {}

  Cut& cut;
  Pen pen;
  ProtectMask mask = 0;
  bool squarePen = false;
  std::unique_ptr<FrameSurface> view;  // canvas-sized, for the mosaic
  std::unique_ptr<CellSurface> pasteBuffer;
  std::vector<std::string> printed;
  size_t step = 0;

  RasterSurface* Cell() {
    const auto current = CurrentCell(cut);
    return current ? current->cell : nullptr;
  }
  // The current cell after the tool's undo snapshot, or null when there is none.
  RasterSurface* EditCell() { return SaveUndo(cut) ? Cell() : nullptr; }
  RasterSurface* View() {
    if (!view) {
      auto fresh = std::make_unique<FrameSurface>();
      if (!fresh->Create(cut.CanvasWidth(), cut.CanvasHeight(), 0)) return nullptr;
      view = std::move(fresh);
    }
    return view.get();
  }
};

using Step = std::function<bool(Editor&)>;

class StepReader {
 public:
  StepReader(const JsonReader& in, const json& op, std::string place)
      : in_(in), op_(op), place_(std::move(place)) {}

  const std::string& Place() const { return place_; }
  const json* Get(const std::string& key) const { return in_.Optional(op_, key); }
  int64_t Int(const std::string& key, int64_t min, int64_t max) const {
    return in_.Int(in_.Member(op_, key, place_), Where(key), min, max);
  }
  std::optional<int64_t> OptInt(const std::string& key, int64_t min, int64_t max) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return in_.Int(*v, Where(key), min, max);
  }
  Point At(const std::string& key) const {
    const auto p = in_.Pair(in_.Member(op_, key, place_), Where(key), -kCoordinate, kCoordinate);
    return Point{int32_t(p.first), int32_t(p.second)};
  }
  std::optional<std::pair<int32_t, int32_t>> OptPair(const std::string& key, int64_t min,
                                                     int64_t max) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    const auto p = in_.Pair(*v, Where(key), min, max);
    return std::make_pair(int32_t(p.first), int32_t(p.second));
  }
  Rect RectOf(const json& v, const std::string& where) const {
    in_.Array(v, where);
    if (v.size() != 4) in_.Fail(where, "expected [x, y, width, height]");
    int32_t n[4];
    for (size_t i = 0; i < 4; ++i)
      n[i] = int32_t(in_.Int(v[i], JsonReader::Index(where, i), -kCoordinate, kCoordinate));
    return Rect{n[0], n[1], n[2], n[3]};
  }
  Rect RectAt(const std::string& key) const {
    return RectOf(in_.Member(op_, key, place_), Where(key));
  }
  std::optional<Rect> OptRect(const std::string& key) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return RectOf(*v, Where(key));
  }
  bool BoolOr(const std::string& key, bool fallback) const {
    return in_.BoolOr(op_, key, place_, fallback);
  }
  std::optional<std::string> OptText(const std::string& key) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return in_.Text(*v, Where(key));
  }
  std::string Word(const std::string& key) const {
    const json& v = in_.Member(op_, key, place_);
    if (!v.is_string()) in_.Fail(Where(key), "expected a string");
    return v.get<std::string>();
  }
  [[noreturn]] void Fail(const std::string& key, const std::string& what) const {
    in_.Fail(key.empty() ? place_ : Where(key), what);
  }
  const JsonReader& In() const { return in_; }
  std::string Where(const std::string& key) const { return JsonReader::Join(place_, key); }

 private:
  const JsonReader& in_;
  const json& op_;
  std::string place_;
};

// Pen fields over a starting pen.
Pen ReadPen(const JsonReader& in, const json& v, const std::string& place, Pen pen) {
  in.Object(v, place);
  pen.shape = int32_t(in.IntOr(v, "shape", place, 0, kPenShapeCount - 1, pen.shape));
  pen.density = int32_t(in.IntOr(v, "density", place, 0, kMaxDensity, pen.density));
  pen.colorA = int32_t(in.IntOr(v, "colorA", place, 0, 15, pen.colorA));
  pen.colorB = int32_t(in.IntOr(v, "colorB", place, 0, 15, pen.colorB));
  return pen;
}

ojson PenJson(const Pen& pen) {
  return ojson{{"shape", pen.shape}, {"density", pen.density}, {"colorA", pen.colorA},
               {"colorB", pen.colorB}};
}

// The rectangle a cell command works on: the given one, or the whole cell.
const Rect* Selection(const std::optional<Rect>& r) { return r ? &*r : nullptr; }

Rect AreaOf(const RasterSurface& cell, const std::optional<Rect>& r) {
  return r ? *r : Rect{0, 0, cell.Width(), cell.Height()};
}

Step ParseStep(const JsonReader& in, const json& op, const std::string& place) {
  in.Object(op, place);
  const StepReader s(in, op, place);
  const std::string name = s.Word("op");

  // Pen and mask.
  if (name == "pen") {
    const Pen fields = ReadPen(in, op, place, Pen{});
    const bool shape = s.Get("shape"), density = s.Get("density"), a = s.Get("colorA"),
               b = s.Get("colorB");
    return [=](Editor& e) {
      if (shape) e.pen.shape = fields.shape;
      if (density) e.pen.density = fields.density;
      if (a) e.pen.colorA = fields.colorA;
      if (b) e.pen.colorB = fields.colorB;
      return true;
    };
  }
  if (name == "mask") {
    const ProtectMask mask = ProtectMask(s.Int("value", 0, 0xFFFFFFFFll));
    return [=](Editor& e) { return e.mask = mask, true; };
  }
  if (name == "squarePen") {
    return [](Editor& e) {
      e.pen.shape = TwinShape(e.pen.shape);
      e.squarePen = !e.squarePen;
      return true;
    };
  }

  // Strokes.
  if (name == "stamp") {
    const Point at = s.At("at");
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      cell->Stamp(at.x, at.y, e.pen, e.mask, nullptr);
      return true;
    };
  }
  if (name == "line" || name == "guideLine") {
    const Point from = s.At("from"), to = s.At("to");
    const bool guide = name == "guideLine";
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      if (guide) DrawGuideLine(*cell, from.x, from.y, to.x, to.y, e.pen, 0, nullptr);
      else DrawLine(*cell, from.x, from.y, to.x, to.y, e.pen, e.mask, nullptr);
      return true;
    };
  }
  if (name == "freePen") {
    const std::string where = s.Where("points");
    const json& list = in.Array(in.Member(op, "points", place), where);
    std::vector<Point> points;
    for (size_t i = 0; i < list.size(); ++i) {
      const auto xy = in.Pair(list[i], JsonReader::Index(where, i), -kCoordinate, kCoordinate);
      points.push_back(Point{int32_t(xy.first), int32_t(xy.second)});
    }
    if (points.empty()) in.Fail(where, "expected at least one point");
    const bool smoothing = s.BoolOr("smoothingSkip", true);
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      DrawFreePenStroke(*cell, points, e.pen, e.mask, smoothing);
      return true;
    };
  }
  if (name == "curve") {
    const std::string where = s.Where("points");
    const json& points = in.Array(in.Member(op, "points", place), where);
    if (points.size() != 4) in.Fail(where, "expected 4 points");
    Point p[4];
    for (size_t i = 0; i < 4; ++i) {
      const auto xy = in.Pair(points[i], JsonReader::Index(where, i), -kCoordinate, kCoordinate);
      p[i] = Point{int32_t(xy.first), int32_t(xy.second)};
    }
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      DrawCurveSegment(*cell, p, e.pen, e.mask, nullptr);
      return true;
    };
  }
  if (name == "rect") {
    const Rect r = s.RectAt("rect");
    const bool filled = s.BoolOr("filled", false);
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      return filled ? cell->FillRect(r.x, r.y, r.width, r.height, e.pen, e.mask, nullptr)
                    : cell->FrameRect(r.x, r.y, r.width, r.height, e.pen, e.mask, nullptr);
    };
  }

  // Fills.
  if (name == "fill") {
    const Point at = s.At("at");
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      return cell && FillToolClick(*cell, at.x, at.y, e.pen, e.mask, nullptr);
    };
  }
  if (name == "gradation") {
    const Point from = s.At("from"), to = s.At("to");
    const json& penJson = in.Member(op, "fromPen", place);
    const std::string penPlace = s.Where("fromPen");
    ReadPen(in, penJson, penPlace, Pen{});  // checked now, applied over the pen of the moment
    const json fromFields = penJson;
    return [=, &in](Editor& e) {
      const Pen start = ReadPen(in, fromFields, penPlace, e.pen);
      RasterSurface* cell = e.EditCell();
      return cell &&
             GradationFill(*cell, from.x, from.y, start, to.x, to.y, e.pen, e.mask, nullptr);
    };
  }
  if (name == "pickPen") {
    const Point at = s.At("at");
    return [=](Editor& e) {
      RasterSurface* cell = e.Cell();
      const bool picked = cell && PickPen(*cell, at.x, at.y, e.pen);
      ojson line{{"step", e.step}, {"pen", picked ? PenJson(e.pen) : ojson(nullptr)}};
      e.printed.push_back(line.dump());
      return picked;
    };
  }

  // Effects.
  if (name == "border") {
    const Rect r = s.RectAt("rect");
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      return cell && cell->Border(r.x, r.y, r.width, r.height, e.pen, e.mask);
    };
  }
  if (name == "mosaic") {
    const Rect r = s.RectAt("rect");
    const int32_t block = int32_t(s.Int("block", 1, 4096));
    if (r.width < 1 || r.height < 1) s.Fail("rect", "expected a width and height of 1 or more");
    const Rect blocks =
        MosaicDragRect(r.x, r.y, r.x + r.width - 1, r.y + r.height - 1, block);
    return [=](Editor& e) {
      RasterSurface* view = e.View();
      if (!view || blocks.IsEmpty() || !e.EditCell()) return false;
      return MosaicCurrentCell(e.cut, *view, blocks, block);
    };
  }
  if (name == "randomDots") {
    const auto r = s.OptRect("rect");
    const int32_t interval = int32_t(s.Int("interval", 1, kSize));
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      return cell && RandomDots(*cell, AreaOf(*cell, r), interval, e.pen, e.mask);
    };
  }
  if (name == "grid") {
    const auto r = s.OptRect("rect");
    const auto size = s.OptPair("size", 1, kSize);
    if (!size) s.Fail("size", "missing");
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      return cell &&
             GridLines(*cell, AreaOf(*cell, r), size->first, size->second, e.pen, e.mask);
    };
  }
  if (name == "eraser") {
    const Point at = s.At("at");
    const int32_t size = int32_t(s.Int("size", 0, 4096));
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      EraseSquare(*cell, at.x, at.y, size, e.mask, nullptr);
      return true;
    };
  }
  if (name == "transfer") {
    const Point at = s.At("at");
    const std::string where = s.Where("pixels");
    const json& rows = in.Array(in.Member(op, "pixels", place), where);
    if (rows.size() > 4096) in.Fail(where, "more than 4096 rows");
    std::vector<std::string> text;
    for (size_t y = 0; y < rows.size(); ++y) {
      const std::string rowPlace = JsonReader::Index(where, y);
      if (!rows[y].is_string()) in.Fail(rowPlace, "expected a string of hex digits");
      text.push_back(rows[y].get<std::string>());
      if (text.back().size() != text.front().size()) in.Fail(rowPlace, "rows differ in length");
      if (text.back().size() > 4096) in.Fail(rowPlace, "more than 4096 pixels");
      for (char c : text.back())
        if (!std::isxdigit(static_cast<unsigned char>(c))) in.Fail(rowPlace, "not a hex digit");
    }
    auto source = std::make_shared<CellSurface>();
    source->Create(text.empty() ? 0 : int32_t(text[0].size()), int32_t(text.size()), 0);
    for (size_t y = 0; y < text.size(); ++y)
      for (size_t x = 0; x < text[y].size(); ++x)
        source->SetPixel(int32_t(x), int32_t(y), std::stoi(text[y].substr(x, 1), nullptr, 16));
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      return cell && TransferText(*cell, at.x, at.y, *source, 0, 0, source->Width(),
                                  source->Height(), e.pen, e.mask);
    };
  }

  // Regions.
  if (name == "moveRegion") {
    const Rect r = s.RectAt("rect");
    const Point to = s.At("to");
    return [=](Editor& e) {
      RasterSurface* cell = e.EditCell();
      if (!cell) return false;
      MoveRegion(*cell, r, to, e.mask);
      return true;
    };
  }
  if (name == "copyRegion" || name == "cutRegion") {
    const Rect r = s.RectAt("rect");
    const bool cut = name == "cutRegion";
    return [=](Editor& e) {
      RasterSurface* cell = e.Cell();
      if (!cell) return false;
      auto copy = CopyRegion(*cell, r, e.mask);
      if (!copy) return false;
      e.pasteBuffer = std::move(copy);
      if (!cut || !e.EditCell()) return true;
      const Rect clipped = IntersectRect(r, Rect{0, 0, cell->Width(), cell->Height()});
      return cell->FillRect(clipped.x, clipped.y, clipped.width, clipped.height, Pen{0, 0, 0, 0},
                            e.mask, nullptr);
    };
  }
  if (name == "paste") {
    const Point at = s.At("at");
    return [=](Editor& e) {
      if (!e.pasteBuffer) return false;
      RasterSurface* cell = e.EditCell();
      return cell && cell->Blit(at.x, at.y, *e.pasteBuffer, 0, 0, e.pasteBuffer->Width(),
                                e.pasteBuffer->Height(), kBlitTransparent, e.mask, 0, nullptr);
    };
  }

  // Cell commands.
  if (name == "toUnderdrawing" || name == "eraseUnderdrawing" || name == "clear" ||
      name == "flipH" || name == "flipV") {
    const auto r = s.OptRect("rect");
    if (name == "toUnderdrawing")
      return [=](Editor& e) { return ConvertCellToUnderdrawing(e.cut, Selection(r), e.mask); };
    if (name == "eraseUnderdrawing")
      return [=](Editor& e) { return EraseCellUnderdrawing(e.cut, Selection(r)); };
    if (name == "clear") return [=](Editor& e) { return ClearCell(e.cut, Selection(r)); };
    const bool horizontal = name == "flipH";
    return [=](Editor& e) {
      return FlipCell(e.cut, Selection(r), horizontal, e.mask, nullptr);
    };
  }
  if (name == "copyToLayerBelow")
    return [](Editor& e) { return CopyToLayerBelow(e.cut, e.mask); };
  if (name == "undo") return [](Editor& e) { return Undo(e.cut); };
  if (name == "eraseLayerUnderdrawing")
    return [](Editor& e) { return EraseLayerUnderdrawing(e.cut); };

  // Frames.
  if (name == "addFrame") return [](Editor& e) { return AddFrameCopy(e.cut); };
  if (name == "insertFrame") return [](Editor& e) { return InsertFrameCopy(e.cut); };
  if (name == "removeFrame") return [](Editor& e) { return RemoveCurrentFrame(e.cut); };
  if (name == "addFrames" || name == "removeFrames") {
    const int32_t count = int32_t(s.Int("count", 1, kSize));
    if (name == "addFrames") return [=](Editor& e) { return AddFrames(e.cut, count) == count; };
    return [=](Editor& e) { return RemoveFrames(e.cut, count) == count; };
  }
  if (name == "goFrame") {
    const json& to = in.Member(op, "to", place);
    if (to.is_number_integer()) {
      const int32_t index = int32_t(in.Int(to, s.Where("to"), 1, kSize)) - 1;
      return [=](Editor& e) { return e.cut.GoFrame(index); };
    }
    const std::string where = s.Word("to");
    using Move = bool (Cut::*)();
    Move move = nullptr;
    if (where == "first") move = &Cut::GoFirstFrame;
    else if (where == "last") move = &Cut::GoLastFrame;
    else if (where == "next") move = &Cut::GoNextFrame;
    else if (where == "previous") move = &Cut::GoPrevFrame;
    else if (where == "nextKeyframe") move = &Cut::GoNextKeyframe;
    else if (where == "previousKeyframe") move = &Cut::GoPrevKeyframe;
    else s.Fail("to", "expected first, last, next, previous, nextKeyframe, previousKeyframe or a frame number");
    return [=](Editor& e) { return (e.cut.*move)(); };
  }
  if (name == "frameProps") {
    const auto time = s.OptInt("time", -32768, 32767);
    const auto loop = s.OptInt("loop", 0, 65535);
    const json* key = s.Get("keyframe");
    const bool keyframe = key ? in.Bool(*key, s.Where("keyframe")) : false;
    const auto brightness = s.OptInt("brightness", 0, 100);
    const auto comment = s.OptText("comment");
    if (comment && comment->size() > 255) s.Fail("comment", "longer than 255 bytes");
    return [=](Editor& e) {
      Frame* frame = e.cut.CurrentFrameObject();
      if (!frame) return false;
      FrameProperties p = PropertiesOf(*frame);
      if (time) p.time = int32_t(*time);
      if (loop) p.loop = int32_t(*loop);
      if (key) p.keyframe = keyframe;
      if (brightness) p.brightness = int32_t(*brightness);
      if (comment) p.comment = *comment;
      return ApplyFrameProperties(e.cut, p);
    };
  }
  if (name == "allKeyframes") return [](Editor& e) { return MakeAllKeyframes(e.cut), true; };
  if (name == "framePosition" || name == "layerPosition") {
    const Point to = s.At("to");
    if (name == "framePosition")
      return [=](Editor& e) { return SetFramePosition(e.cut, to.x, to.y); };
    return [=](Editor& e) { return SetLayerPosition(e.cut, to.x, to.y); };
  }
  if (name == "brightnessRun" || name == "framePositionRun" || name == "layerPositionRun") {
    const int32_t end = int32_t(s.Int("end", 1, kSize)) - 1;
    bool (*run)(Cut&, int32_t) = name == "brightnessRun"      ? BrightnessRun
                                 : name == "framePositionRun" ? FramePositionRun
                                                              : LayerPositionRun;
    return [=](Editor& e) { return run(e.cut, end); };
  }

  // Cells and layers.
  if (name == "setLayer") {
    const int32_t entry = int32_t(s.Int("entry", 0, 255));
    return [=](Editor& e) {
      Frame* frame = e.cut.CurrentFrameObject();
      return frame && frame->SetCurrentLayer(entry);
    };
  }
  if (name == "cell") {
    const std::string to = s.Word("to");
    CellStep step;
    if (to == "next") step = CellStep::kNext;
    else if (to == "previous") step = CellStep::kPrevious;
    else if (to == "first") step = CellStep::kFirst;
    else if (to == "last") step = CellStep::kLast;
    else s.Fail("to", "expected next, previous, first or last");
    return [=](Editor& e) { return StepCell(e.cut, step); };
  }
  if (name == "addCell") return [](Editor& e) { return AddCellAfter(e.cut); };
  if (name == "insertCell") return [](Editor& e) { return InsertCellBefore(e.cut); };
  if (name == "removeCell") return [](Editor& e) { return RemoveCell(e.cut); };
  if (name == "toggleEmpty") return [](Editor& e) { return ToggleEmptyCell(e.cut); };
  if (name == "toggleEmptyAll") return [](Editor& e) { return ToggleEmptyAllFrames(e.cut); };
  if (name == "addLayer" || name == "insertLayer") {
    const auto layerName = s.OptText("name");
    if (layerName && layerName->size() > 255) s.Fail("name", "longer than 255 bytes");
    const auto size = s.OptPair("size", 1, kSize);
    const auto at = s.OptPair("at", -32768, 32767);
    const bool before = name == "insertLayer";
    return [=](Editor& e) {
      const int32_t w = size ? size->first : e.cut.CanvasWidth();
      const int32_t h = size ? size->second : e.cut.CanvasHeight();
      return AddLayerToFrames(e.cut, layerName, w, h, at, nullptr, before) != nullptr;
    };
  }
  if (name == "layerProps") {
    const auto layerName = s.OptText("name");
    if (layerName && layerName->size() > 255) s.Fail("name", "longer than 255 bytes");
    const auto size = s.OptPair("size", 1, kSize);
    const json* follow = s.Get("followFrame");
    const bool followFrame = follow ? in.Bool(*follow, s.Where("followFrame")) : false;
    return [=](Editor& e) {
      Frame* frame = e.cut.CurrentFrameObject();
      LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
      if (!entry || !entry->layer) return false;
      Layer* layer = entry->layer;
      LayerProperties p{layer->Name(), layer->Width(), layer->Height(), layer->FollowFrame()};
      if (layerName) p.name = *layerName;
      if (size) p.width = size->first, p.height = size->second;
      if (follow) p.followFrame = followFrame;
      return ApplyLayerProperties(e.cut, p);
    };
  }
  if (name == "layerUp") return [](Editor& e) { return MoveLayerUp(e.cut); };
  if (name == "layerDown") return [](Editor& e) { return MoveLayerDown(e.cut); };
  if (name == "removeLayer") return [](Editor& e) { return RemoveCurrentLayer(e.cut); };
  if (name == "removeUnusedLayers")
    return [](Editor& e) { return RemoveUnusedLayers(e.cut) > 0; };

  s.Fail("op", "unknown operation \"" + name + "\"");
}

}  // namespace

std::vector<std::string> ApplyEditScript(Cut& cut, const json& script, const std::string& file) {
  const JsonReader in(file);
  in.Object(script, "");
  const json& ops = in.Array(in.Member(script, "ops", ""), "ops");
  std::vector<Step> steps;
  for (size_t i = 0; i < ops.size(); ++i) steps.push_back(ParseStep(in, ops[i], JsonReader::Index("ops", i)));

  Editor editor(cut);
  if (const json* pen = in.Optional(script, "pen")) editor.pen = ReadPen(in, *pen, "pen", Pen{});
  editor.mask = ProtectMask(in.IntOr(script, "mask", "", 0, 0xFFFFFFFFll, 0));
  const int64_t frame = in.IntOr(script, "frame", "", 1, kSize, 1);
  if (frame > cut.FrameCount())
    in.Fail("frame", "the cut has " + std::to_string(cut.FrameCount()) + " frames");
  cut.GoFrame(int32_t(frame - 1));
  Frame* current = cut.CurrentFrameObject();
  if (const json* entry = in.Optional(script, "entry")) {
    const int64_t index = in.Int(*entry, "entry", 0, 255);
    if (!current || !current->SetCurrentLayer(int32_t(index)))
      in.Fail("entry", "the frame has " + std::to_string(current ? current->EntryCount() : 0) +
                           " entries");
  } else if (current && current->EntryCount() > 0) {
    current->SetCurrentLayer(current->EntryCount() - 1);
  }

  for (size_t i = 0; i < steps.size(); ++i) {
    editor.step = i;
    steps[i](editor);
  }
  return editor.printed;
}
