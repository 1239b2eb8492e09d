#include "cli/edit_script.h"

#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "cli/font_writer.h"
#include "cli/json_read.h"
#include "edit/cut_editing.h"
#include "edit/drawing_settings.h"
#include "edit/region_select.h"
#include "edit/stroke_tools.h"
#include "edit/text_tool.h"
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
  DrawingSettings drawing;
  ProtectMask mask = 0;
  std::unique_ptr<FrameSurface> view;  // canvas-sized, for the mosaic
  std::unique_ptr<CellSurface> pasteBuffer;
  std::vector<std::string> printed;
  size_t step = 0;

  Pen& ThePen() { return drawing.pen; }
  RasterSurface* Cell() {
    const auto current = CurrentCell(cut);
    return current ? current->cell : nullptr;
  }
  // The current cell after the tool's undo snapshot, or null when there is none.
  RasterSurface* EditCell() { return SaveUndo(cut) ? Cell() : nullptr; }
  FrameSurface* View() {
    if (!view) {
      auto fresh = std::make_unique<FrameSurface>();
      if (!fresh->Create(cut.CanvasWidth(), cut.CanvasHeight(), 0)) return nullptr;
      view = std::move(fresh);
    }
    return view.get();
  }
};

// One step, checked when the script is read and run afterwards; false when it was refused.
using Step = std::function<bool(Editor&)>;

// The fields of one step, each checked as it is read; a bad one throws naming its place.
class StepReader {
 public:
  StepReader(const JsonReader& in, const json& op, std::string place)
      : in_(in), op_(op), place_(std::move(place)) {}

  const json& Op() const { return op_; }
  const std::string& Place() const { return place_; }
  const json* Get(const std::string& key) const { return in_.Optional(op_, key); }
  int64_t Int(const std::string& key, int64_t min, int64_t max) const {
    return in_.Int(in_.Member(op_, key, place_), Where(key), min, max);
  }
  int64_t IntOr(const std::string& key, int64_t min, int64_t max, int64_t fallback) const {
    return in_.IntOr(op_, key, place_, min, max, fallback);
  }
  std::optional<int64_t> OptInt(const std::string& key, int64_t min, int64_t max) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return in_.Int(*v, Where(key), min, max);
  }
  std::optional<bool> OptBool(const std::string& key) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return in_.Bool(*v, Where(key));
  }
  Point At(const std::string& key) const { return PointOf(in_.Member(op_, key, place_), Where(key)); }
  // A list of points; `count` of them when it is not 0, else at least one.
  std::vector<Point> Points(const std::string& key, size_t count) const {
    const std::string where = Where(key);
    const json& list = in_.Array(in_.Member(op_, key, place_), where);
    if (count != 0 && list.size() != count) in_.Fail(where, "expected " + std::to_string(count) + " points");
    if (list.empty()) in_.Fail(where, "expected at least one point");
    std::vector<Point> points;
    for (size_t i = 0; i < list.size(); ++i) points.push_back(PointOf(list[i], JsonReader::Index(where, i)));
    return points;
  }
  std::optional<std::pair<int32_t, int32_t>> OptPair(const std::string& key, int64_t min,
                                                     int64_t max) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    const auto p = in_.Pair(*v, Where(key), min, max);
    return std::make_pair(int32_t(p.first), int32_t(p.second));
  }
  Rect RectAt(const std::string& key) const { return RectOf(in_.Member(op_, key, place_), Where(key)); }
  std::optional<Rect> OptRect(const std::string& key) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    return RectOf(*v, Where(key));
  }
  bool BoolOr(const std::string& key, bool fallback) const {
    return in_.BoolOr(op_, key, place_, fallback);
  }
  // A document string of at most 255 bytes.
  std::optional<std::string> OptName(const std::string& key) const {
    const json* v = Get(key);
    if (!v) return std::nullopt;
    std::string text = in_.Text(*v, Where(key));
    if (text.size() > 255) Fail(key, "longer than 255 bytes");
    return text;
  }
  std::string Word(const std::string& key) const {
    const json& v = in_.Member(op_, key, place_);
    if (!v.is_string()) in_.Fail(Where(key), "expected a string");
    return v.get<std::string>();
  }
  std::string WordOr(const std::string& key, const std::string& fallback) const {
    return Get(key) ? Word(key) : fallback;
  }
  Pen PenAt(const std::string& key, Pen pen) const {
    return ReadPen(in_, in_.Member(op_, key, place_), Where(key), pen);
  }
  [[noreturn]] void Fail(const std::string& key, const std::string& what) const {
    in_.Fail(key.empty() ? place_ : Where(key), what);
  }
  const JsonReader& In() const { return in_; }
  std::string Where(const std::string& key) const { return JsonReader::Join(place_, key); }

  // Pen fields over a starting pen.
  static Pen ReadPen(const JsonReader& in, const json& v, const std::string& place, Pen pen) {
    in.Object(v, place);
    pen.shape = int32_t(in.IntOr(v, "shape", place, 0, kPenShapeCount - 1, pen.shape));
    pen.density = int32_t(in.IntOr(v, "density", place, 0, kMaxDensity, pen.density));
    pen.colorA = int32_t(in.IntOr(v, "colorA", place, 0, 15, pen.colorA));
    pen.colorB = int32_t(in.IntOr(v, "colorB", place, 0, 15, pen.colorB));
    return pen;
  }

 private:
  Point PointOf(const json& v, const std::string& where) const {
    const auto p = in_.Pair(v, where, -kCoordinate, kCoordinate);
    return Point{int32_t(p.first), int32_t(p.second)};
  }
  Rect RectOf(const json& v, const std::string& where) const {
    in_.Array(v, where);
    if (v.size() != 4) in_.Fail(where, "expected [x, y, width, height]");
    int32_t n[4];
    for (size_t i = 0; i < 4; ++i)
      n[i] = int32_t(in_.Int(v[i], JsonReader::Index(where, i), -kCoordinate, kCoordinate));
    return Rect{n[0], n[1], n[2], n[3]};
  }

  const JsonReader& in_;
  const json& op_;
  std::string place_;
};

ojson PenJson(const Pen& pen) {
  return ojson{{"shape", pen.shape}, {"density", pen.density}, {"colorA", pen.colorA},
               {"colorB", pen.colorB}};
}

// The rectangle a cell command works on: the given one, or the whole cell.
const Rect* Selection(const std::optional<Rect>& r) { return r ? &*r : nullptr; }

Rect AreaOf(const RasterSurface& cell, const std::optional<Rect>& r) {
  return r ? *r : Rect{0, 0, cell.Width(), cell.Height()};
}

// A tool's work on the current cell after its undo snapshot; refused without a cell.
Step OnCell(std::function<bool(Editor&, RasterSurface&)> draw) {
  return [draw = std::move(draw)](Editor& e) {
    RasterSurface* cell = e.EditCell();
    return cell && draw(e, *cell);
  };
}

// A command with no fields.
template <bool (*command)(Cut&)>
Step Command(const StepReader&) {
  return [](Editor& e) { return command(e.cut); };
}

// --- Pen and mask ---------------------------------------------------------------------------

Step ParsePen(const StepReader& s) {
  const Pen fields = StepReader::ReadPen(s.In(), s.Op(), s.Place(), Pen{});
  const bool shape = s.Get("shape"), density = s.Get("density"), a = s.Get("colorA"),
             b = s.Get("colorB");
  return [=](Editor& e) {
    Pen& pen = e.ThePen();
    if (shape) pen.shape = fields.shape;
    if (density) pen.density = fields.density;
    if (a) pen.colorA = fields.colorA;
    if (b) pen.colorB = fields.colorB;
    return true;
  };
}

Step ParseMask(const StepReader& s) {
  const ProtectMask mask = ProtectMask(s.Int("value", 0, 0xFFFFFFFFll));
  return [=](Editor& e) { return e.mask = mask, true; };
}

Step ParseSquarePen(const StepReader&) {
  return [](Editor& e) { return ToggleSquarePen(e.drawing), true; };
}

// --- Strokes --------------------------------------------------------------------------------

Step ParseStamp(const StepReader& s) {
  const Point at = s.At("at");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    cell.Stamp(at.x, at.y, e.ThePen(), e.mask, nullptr);
    return true;
  });
}

Step ParseLine(const StepReader& s) {
  const Point from = s.At("from"), to = s.At("to");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    DrawLine(cell, from.x, from.y, to.x, to.y, e.ThePen(), e.mask, nullptr);
    return true;
  });
}

Step ParseGuideLine(const StepReader& s) {
  const Point from = s.At("from"), to = s.At("to");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    DrawGuideLine(cell, from.x, from.y, to.x, to.y, e.ThePen(), 0, nullptr);
    return true;
  });
}

Step ParseFreePen(const StepReader& s) {
  const std::vector<Point> points = s.Points("points", 0);
  const bool smoothing = s.BoolOr("smoothingSkip", true);
  return OnCell([=](Editor& e, RasterSurface& cell) {
    DrawFreePenStroke(cell, points, e.ThePen(), e.mask, smoothing);
    return true;
  });
}

Step ParseCurve(const StepReader& s) {
  const std::vector<Point> p = s.Points("points", 4);
  return OnCell([=](Editor& e, RasterSurface& cell) {
    DrawCurveSegment(cell, p.data(), e.ThePen(), e.mask, nullptr);
    return true;
  });
}

Step ParseRect(const StepReader& s) {
  const Rect r = s.RectAt("rect");
  const bool filled = s.BoolOr("filled", false);
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return filled ? cell.FillRect(r.x, r.y, r.width, r.height, e.ThePen(), e.mask, nullptr)
                  : cell.FrameRect(r.x, r.y, r.width, r.height, e.ThePen(), e.mask, nullptr);
  });
}

// --- Fills ----------------------------------------------------------------------------------

Step ParseFill(const StepReader& s) {
  const Point at = s.At("at");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return FillToolClick(cell, at.x, at.y, e.ThePen(), e.mask, nullptr);
  });
}

Step ParseGradation(const StepReader& s) {
  const Point from = s.At("from"), to = s.At("to");
  s.PenAt("fromPen", Pen{});  // checked now, applied over the pen of the moment
  const json fromFields = s.Op().at("fromPen");
  const std::string penPlace = s.Where("fromPen");
  const JsonReader& in = s.In();
  return [=, &in](Editor& e) {
    const Pen start = StepReader::ReadPen(in, fromFields, penPlace, e.ThePen());
    RasterSurface* cell = e.EditCell();
    return cell && GradationFill(*cell, from.x, from.y, start, to.x, to.y, e.ThePen(), e.mask, nullptr);
  };
}

Step ParsePickPen(const StepReader& s) {
  const Point at = s.At("at");
  return [=](Editor& e) {
    RasterSurface* cell = e.Cell();
    const bool picked = cell && PickPen(*cell, at.x, at.y, e.ThePen());
    ojson line{{"step", e.step}, {"pen", picked ? PenJson(e.ThePen()) : ojson(nullptr)}};
    e.printed.push_back(line.dump());
    return picked;
  };
}

// --- Effects --------------------------------------------------------------------------------

Step ParseBorder(const StepReader& s) {
  const Rect r = s.RectAt("rect");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return cell.Border(r.x, r.y, r.width, r.height, e.ThePen(), e.mask);
  });
}

Step ParseMosaic(const StepReader& s) {
  const Rect r = s.RectAt("rect");
  const int32_t block = int32_t(s.Int("block", 1, 4096));
  if (r.width < 1 || r.height < 1) s.Fail("rect", "expected a width and height of 1 or more");
  const Rect blocks = MosaicDragRect(r.x, r.y, r.x + r.width - 1, r.y + r.height - 1, block);
  return [=](Editor& e) {
    RasterSurface* view = e.View();
    if (!view || blocks.IsEmpty() || !e.EditCell()) return false;
    return MosaicCurrentCell(e.cut, *view, blocks, block);
  };
}

Step ParseRandomDots(const StepReader& s) {
  const auto r = s.OptRect("rect");
  const int32_t interval = int32_t(s.Int("interval", 1, kSize));
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return RandomDots(cell, AreaOf(cell, r), interval, e.ThePen(), e.mask);
  });
}

Step ParseGrid(const StepReader& s) {
  const auto r = s.OptRect("rect");
  const auto size = s.OptPair("size", 1, kSize);
  if (!size) s.Fail("size", "missing");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return GridLines(cell, AreaOf(cell, r), size->first, size->second, e.ThePen(), e.mask);
  });
}

Step ParseEraser(const StepReader& s) {
  const Point at = s.At("at");
  const int32_t size = int32_t(s.Int("size", 0, 4096));
  return OnCell([=](Editor& e, RasterSurface& cell) {
    EraseSquare(cell, at.x, at.y, size, e.mask, nullptr);
    return true;
  });
}

Step ParseTransfer(const StepReader& s) {
  const Point at = s.At("at");
  const std::string where = s.Where("pixels");
  const JsonReader& in = s.In();
  const json& rows = in.Array(in.Member(s.Op(), "pixels", s.Place()), where);
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
  return OnCell([=](Editor& e, RasterSurface& cell) {
    return TransferText(cell, at.x, at.y, *source, 0, 0, source->Width(), source->Height(),
                        e.ThePen(), e.mask);
  });
}

// The text tool's second click: the text (UTF-8, lines separated by CR LF) written in a font
// of the system's with its block's corner at the cell point.
Step ParseText(const StepReader& s) {
  if (!FontWritingAvailable()) s.Fail("op", "text is not available in this build");
  const Point at = s.At("at");
  const std::string text = s.Word("text");
  FontChoice font;
  font.face = s.WordOr("font", "Sans");
  font.size = int32_t(s.IntOr("size", 1, 1000, font.size));
  font.weight = int32_t(s.IntOr("weight", 1, 1000, font.weight));
  font.lineSpacing = int32_t(s.IntOr("lineSpacing", -1000, 1000, font.lineSpacing));
  return [=](Editor& e) {
    const auto current = CurrentCell(e.cut);
    FrameSurface* display = e.View();
    if (!current || !display || !SaveUndo(e.cut)) return false;
    const auto writer = MakeFontWriter(font, *display);
    const Point canvas = CellToCanvas(at, Point{current->x, current->y});
    WriteText(*writer, *display, canvas, *current->cell, at, text, MeasureText(*writer, text),
              e.ThePen(), e.mask);
    return true;
  };
}

// --- Regions: the selection's commands as the region-select tool runs them -----------------

Step ParseMoveRegion(const StepReader& s) {
  const Rect r = s.RectAt("rect");
  const Point to = s.At("to");
  return OnCell([=](Editor& e, RasterSurface& cell) {
    MoveRegion(cell, r, to, e.mask);
    return true;
  });
}

// Copy (and with `cut` cut) the rectangle into the script's paste buffer.
Step CopyStep(const StepReader& s, bool cut) {
  const Rect r = s.RectAt("rect");
  return [=](Editor& e) {
    RasterSurface* cell = e.Cell();
    auto copy = cell ? CopyRegion(*cell, r, e.mask) : nullptr;
    if (!copy) return false;
    e.pasteBuffer = std::move(copy);
    return !cut || ClearRegion(e.cut, *cell, r, e.mask);
  };
}

Step ParseCopyRegion(const StepReader& s) { return CopyStep(s, false); }
Step ParseCutRegion(const StepReader& s) { return CopyStep(s, true); }

Step ParsePaste(const StepReader& s) {
  const Point at = s.At("at");
  return [=](Editor& e) {
    RasterSurface* cell = e.Cell();
    return cell && e.pasteBuffer && PasteRegion(e.cut, *cell, *e.pasteBuffer, at, e.mask);
  };
}

// --- Cell commands, on the rectangle or the whole cell ---------------------------------------

Step ParseToUnderdrawing(const StepReader& s) {
  const auto r = s.OptRect("rect");
  return [=](Editor& e) { return ConvertCellToUnderdrawing(e.cut, Selection(r), e.mask); };
}

Step ParseEraseUnderdrawing(const StepReader& s) {
  const auto r = s.OptRect("rect");
  return [=](Editor& e) { return EraseCellUnderdrawing(e.cut, Selection(r)); };
}

Step ParseClear(const StepReader& s) {
  const auto r = s.OptRect("rect");
  return [=](Editor& e) { return ClearCell(e.cut, Selection(r)); };
}

Step FlipStep(const StepReader& s, bool horizontal) {
  const auto r = s.OptRect("rect");
  return [=](Editor& e) { return FlipCell(e.cut, Selection(r), horizontal, e.mask, nullptr); };
}

Step ParseFlipH(const StepReader& s) { return FlipStep(s, true); }
Step ParseFlipV(const StepReader& s) { return FlipStep(s, false); }

Step ParseCopyToLayerBelow(const StepReader&) {
  return [](Editor& e) { return CopyToLayerBelow(e.cut, e.mask); };
}

// --- Frames ---------------------------------------------------------------------------------

Step ParseAddFrames(const StepReader& s) {
  const int32_t count = int32_t(s.Int("count", 1, kSize));
  return [=](Editor& e) { return AddFrames(e.cut, count) == count; };
}

Step ParseRemoveFrames(const StepReader& s) {
  const int32_t count = int32_t(s.Int("count", 1, kSize));
  return [=](Editor& e) { return RemoveFrames(e.cut, count) == count; };
}

Step ParseGoFrame(const StepReader& s) {
  const json& to = s.In().Member(s.Op(), "to", s.Place());
  if (to.is_number_integer()) {
    const int32_t index = int32_t(s.Int("to", 1, kSize)) - 1;
    return [=](Editor& e) { return e.cut.GoFrame(index); };
  }
  using Move = bool (Cut::*)();
  static constexpr std::pair<std::string_view, Move> kMoves[] = {
      {"first", &Cut::GoFirstFrame},          {"last", &Cut::GoLastFrame},
      {"next", &Cut::GoNextFrame},            {"previous", &Cut::GoPrevFrame},
      {"nextKeyframe", &Cut::GoNextKeyframe}, {"previousKeyframe", &Cut::GoPrevKeyframe}};
  const std::string where = s.Word("to");
  for (const auto& [name, move] : kMoves) {
    if (name == where) return [m = move](Editor& e) { return (e.cut.*m)(); };
  }
  s.Fail("to", "expected first, last, next, previous, nextKeyframe, previousKeyframe or a frame number");
}

Step ParseFrameProps(const StepReader& s) {
  const auto time = s.OptInt("time", -32768, 32767);
  const auto loop = s.OptInt("loop", 0, 65535);
  const auto keyframe = s.OptBool("keyframe");
  const auto brightness = s.OptInt("brightness", 0, 100);
  const auto comment = s.OptName("comment");
  return [=](Editor& e) {
    Frame* frame = e.cut.CurrentFrameObject();
    if (!frame) return false;
    FrameProperties p = PropertiesOf(*frame);
    if (time) p.time = int32_t(*time);
    if (loop) p.loop = int32_t(*loop);
    if (keyframe) p.keyframe = *keyframe;
    if (brightness) p.brightness = int32_t(*brightness);
    if (comment) p.comment = *comment;
    return ApplyFrameProperties(e.cut, p);
  };
}

Step ParseFramePosition(const StepReader& s) {
  const Point to = s.At("to");
  return [=](Editor& e) { return SetFramePosition(e.cut, to.x, to.y); };
}

Step ParseLayerPosition(const StepReader& s) {
  const Point to = s.At("to");
  return [=](Editor& e) { return SetLayerPosition(e.cut, to.x, to.y); };
}

// The brightness or a position of the current frame carried on to frame "end".
template <bool (*run)(Cut&, int32_t)>
Step Run(const StepReader& s) {
  const int32_t end = int32_t(s.Int("end", 1, kSize)) - 1;
  return [=](Editor& e) { return run(e.cut, end); };
}

// --- Cells and layers -----------------------------------------------------------------------

Step ParseSetLayer(const StepReader& s) {
  const int32_t entry = int32_t(s.Int("entry", 0, 255));
  return [=](Editor& e) {
    Frame* frame = e.cut.CurrentFrameObject();
    return frame && frame->SetCurrentLayer(entry);
  };
}

Step ParseCell(const StepReader& s) {
  static constexpr std::pair<std::string_view, CellStep> kSteps[] = {
      {"next", CellStep::kNext},
      {"previous", CellStep::kPrevious},
      {"first", CellStep::kFirst},
      {"last", CellStep::kLast}};
  const std::string to = s.Word("to");
  for (const auto& [name, step] : kSteps) {
    if (name == to) return [to = step](Editor& e) { return StepCell(e.cut, to); };
  }
  s.Fail("to", "expected next, previous, first or last");
}

Step LayerStep(const StepReader& s, bool before) {
  const auto layerName = s.OptName("name");
  const auto size = s.OptPair("size", 1, kSize);
  const auto at = s.OptPair("at", -32768, 32767);
  return [=](Editor& e) {
    const int32_t w = size ? size->first : e.cut.CanvasWidth();
    const int32_t h = size ? size->second : e.cut.CanvasHeight();
    return AddLayerToFrames(e.cut, layerName, w, h, at, nullptr, before) != nullptr;
  };
}

Step ParseAddLayer(const StepReader& s) { return LayerStep(s, false); }
Step ParseInsertLayer(const StepReader& s) { return LayerStep(s, true); }

Step ParseLayerProps(const StepReader& s) {
  const auto layerName = s.OptName("name");
  const auto size = s.OptPair("size", 1, kSize);
  const auto followFrame = s.OptBool("followFrame");
  return [=](Editor& e) {
    Frame* frame = e.cut.CurrentFrameObject();
    LayerEntry* entry = frame ? frame->CurrentEntry() : nullptr;
    if (!entry || !entry->layer) return false;
    Layer* layer = entry->layer;
    LayerProperties p{layer->Name(), layer->Width(), layer->Height(), layer->FollowFrame()};
    if (layerName) p.name = *layerName;
    if (size) p.width = size->first, p.height = size->second;
    if (followFrame) p.followFrame = *followFrame;
    return ApplyLayerProperties(e.cut, p);
  };
}

bool RemoveSomeUnusedLayers(Cut& cut) { return RemoveUnusedLayers(cut) > 0; }
bool MakeAllKeyframesStep(Cut& cut) { return MakeAllKeyframes(cut), true; }

// Every step by its name.
struct StepParser {
  std::string_view name;
  Step (*parse)(const StepReader&);
};
constexpr StepParser kStepParsers[] = {
    {"pen", ParsePen},
    {"mask", ParseMask},
    {"squarePen", ParseSquarePen},
    {"stamp", ParseStamp},
    {"line", ParseLine},
    {"guideLine", ParseGuideLine},
    {"freePen", ParseFreePen},
    {"curve", ParseCurve},
    {"rect", ParseRect},
    {"fill", ParseFill},
    {"gradation", ParseGradation},
    {"pickPen", ParsePickPen},
    {"border", ParseBorder},
    {"mosaic", ParseMosaic},
    {"randomDots", ParseRandomDots},
    {"grid", ParseGrid},
    {"eraser", ParseEraser},
    {"transfer", ParseTransfer},
    {"text", ParseText},
    {"moveRegion", ParseMoveRegion},
    {"copyRegion", ParseCopyRegion},
    {"cutRegion", ParseCutRegion},
    {"paste", ParsePaste},
    {"toUnderdrawing", ParseToUnderdrawing},
    {"eraseUnderdrawing", ParseEraseUnderdrawing},
    {"clear", ParseClear},
    {"flipH", ParseFlipH},
    {"flipV", ParseFlipV},
    {"copyToLayerBelow", ParseCopyToLayerBelow},
    {"undo", Command<Undo>},
    {"eraseLayerUnderdrawing", Command<EraseLayerUnderdrawing>},
    {"addFrame", Command<AddFrameCopy>},
    {"insertFrame", Command<InsertFrameCopy>},
    {"removeFrame", Command<RemoveCurrentFrame>},
    {"addFrames", ParseAddFrames},
    {"removeFrames", ParseRemoveFrames},
    {"goFrame", ParseGoFrame},
    {"frameProps", ParseFrameProps},
    {"allKeyframes", Command<MakeAllKeyframesStep>},
    {"framePosition", ParseFramePosition},
    {"layerPosition", ParseLayerPosition},
    {"brightnessRun", Run<BrightnessRun>},
    {"framePositionRun", Run<FramePositionRun>},
    {"layerPositionRun", Run<LayerPositionRun>},
    {"setLayer", ParseSetLayer},
    {"cell", ParseCell},
    {"addCell", Command<AddCellAfter>},
    {"insertCell", Command<InsertCellBefore>},
    {"removeCell", Command<RemoveCell>},
    {"toggleEmpty", Command<ToggleEmptyCell>},
    {"toggleEmptyAll", Command<ToggleEmptyAllFrames>},
    {"addLayer", ParseAddLayer},
    {"insertLayer", ParseInsertLayer},
    {"layerProps", ParseLayerProps},
    {"layerUp", Command<MoveLayerUp>},
    {"layerDown", Command<MoveLayerDown>},
    {"removeLayer", Command<RemoveCurrentLayer>},
    {"removeUnusedLayers", Command<RemoveSomeUnusedLayers>},
};

Step ParseStep(const JsonReader& in, const json& op, const std::string& place) {
  in.Object(op, place);
  const StepReader s(in, op, place);
  const std::string name = s.Word("op");
  for (const StepParser& parser : kStepParsers) {
    if (parser.name == name) return parser.parse(s);
  }
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
  if (const json* pen = in.Optional(script, "pen")) editor.ThePen() = StepReader::ReadPen(in, *pen, "pen", Pen{});
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
