#pragma once

// A cut view in memory for the tool tests: one cut, one layer placed on the canvas, a
// display image, and a record of what the tools did on the "window": inverted lines and
// frames still shown, capture, the pen chooser, the tool chosen, the text they asked for.

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "edit/cut_editing.h"
#include "edit/cut_view.h"
#include "edit/tool_dispatch.h"
#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/undo.h"
#include "raster/effects.h"

class MemoryView : public CutView {
 public:
  // A canvas of w × h with one cell of cw × ch whose corner lies at `at` on the canvas,
  // shown 1/1 in a window the size of the canvas.
  MemoryView(int32_t w, int32_t h, int32_t cw, int32_t ch, Point at = {})
      : cut_(std::make_unique<Cut>(w, h, 24, "", AntiAlias::kFull)) {
    cut_->AddFrame();
    AddLayerToFrames(*cut_, std::nullopt, cw, ch, std::make_pair(at.x, at.y), nullptr, false);
    cut_->GoFrame(0);
    display_.Create(w, h, 0);
    geometry_.canvasWidth = w;
    geometry_.canvasHeight = h;
    geometry_.clientWidth = w;
    geometry_.clientHeight = h;
  }

  RasterSurface& Cell() { return *CurrentCell(*cut_)->cell; }
  void SetZoomLevel(int32_t level) {
    geometry_.zoom = Zoom::FromLevel(level);
    geometry_.clientWidth = geometry_.zoom.ToWindow(geometry_.canvasWidth);
    geometry_.clientHeight = geometry_.zoom.ToWindow(geometry_.canvasHeight);
  }

  // One mouse message to `tool` at a window point.
  void Send(ToolStates& states, uint32_t tool, ToolMessage message, Point at, uint32_t keys = 0) {
    RunTool(tool, ToolEvent{message, keys, at}, *this, states);
  }
  // Press, moves through the points, release.
  void Drag(ToolStates& states, uint32_t tool, std::initializer_list<Point> points,
            uint32_t keys = 0) {
    const Point* p = points.begin();
    Send(states, tool, ToolMessage::kLeftDown, *p, keys);
    for (; p != points.end(); ++p)
      Send(states, tool, ToolMessage::kMove, *p, keys | kKeyLeftButton);
    Send(states, tool, ToolMessage::kLeftUp, *(points.end() - 1), keys);
  }
  void Click(ToolStates& states, uint32_t tool, Point at, uint32_t keys = 0) {
    Send(states, tool, ToolMessage::kMove, at, keys);
    Send(states, tool, ToolMessage::kLeftDown, at, keys);
    Send(states, tool, ToolMessage::kLeftUp, at, keys);
  }
  void RightClick(ToolStates& states, uint32_t tool, Point at, uint32_t keys = 0) {
    Send(states, tool, ToolMessage::kRightDown, at, keys);
    Send(states, tool, ToolMessage::kRightUp, at, keys);
  }

  // Feedback still on the window: each line or frame drawn an odd number of times.
  int FeedbackShown() const {
    int n = 0;
    for (const auto& [key, count] : inverted_) n += count % 2;
    return n;
  }

  DrawingSettings drawing;
  ProtectMask mask = 0;
  SnapGrid grid;
  bool captured = false;
  int chooserOpened = 0;
  uint32_t selectedTool = 0;
  std::string answer;  // what the text dialog returns; no answer cancels it
  bool answers = true;
  bool vertical = false;
  int32_t lineSpacing = 12;

  Cut& TheCut() override { return *cut_; }
  const ViewGeometry& Geometry() const override { return geometry_; }
  FrameSurface& Display() override { return display_; }
  Rect& StrokeBounds() override { return strokeBounds_; }
  Selection& TheSelection() override { return selection_; }
  DrawingSettings& Drawing() override { return drawing; }
  ProtectMask Mask() const override { return mask; }
  SnapGrid Grid() const override { return grid; }
  void Repaint(Rect) override {
    // A copy to the window ends the selection, as in the editor.
    ClearSelection(*this);
  }
  void RepaintAll() override { ClearSelection(*this); }
  void InvertLine(Point a, Point b) override {
    ++inverted_[std::make_tuple(0, a.x, a.y, b.x, b.y)];
  }
  void InvertFrame(Rect r) override {
    ++inverted_[std::make_tuple(1, r.x, r.y, r.width, r.height)];
  }
  void MovePenCursor(Point) override {}
  void HidePenCursor() override {}
  void Capture(bool on) override { captured = on; }
  void OpenPenChooser(Point) override { ++chooserOpened; }
  void ShowWaitCursor(bool) override {}
  void ZoomAt(Point, bool) override {}
  void SelectTool(uint32_t tool) override { selectedTool = tool; }
  bool AskText(std::string& text) override {
    if (answers) text = answer;
    return answers;
  }
  // Glyphs are 6 wide and 10 high along the writing.
  Point MeasureTextLine(const std::string& line) override {
    return Point{int32_t(6 * line.size()), 10};
  }
  bool VerticalText() const override { return vertical; }
  int32_t TextLineSpacing() const override { return lineSpacing; }
  // A line is drawn as a solid bar of its extent: across from the point, or, written
  // vertically, down from it and leftwards by the line's height.
  void DrawTextLine(const std::string& line, Point at) override {
    const Point e = MeasureTextLine(line);
    const Rect r = vertical ? Rect{at.x - e.y, at.y, e.y, e.x} : Rect{at.x, at.y, e.x, e.y};
    FillRectangle(display_, r, 1);
  }

 private:
  std::unique_ptr<Cut> cut_;
  FrameSurface display_;
  ViewGeometry geometry_;
  Rect strokeBounds_;
  Selection selection_;
  std::map<std::tuple<int, int32_t, int32_t, int32_t, int32_t>, int> inverted_;
};
