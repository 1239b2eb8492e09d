#include "edit/tool_dispatch.h"

#include "edit/command_ids.h"

namespace {

void ZoomTool(const ToolEvent& e, CutView& view) {
  if (e.message == ToolMessage::kLeftDown) view.ZoomAt(e.window, true);
  if (e.message == ToolMessage::kRightDown) view.ZoomAt(e.window, false);
}

}  // namespace

bool GestureInProgress(const ToolStates& s) {
  return s.freePen.drawing || s.line.count < 0 || s.rectangle.active || s.eraser.erasing ||
         s.border.active || s.mosaic.dragging || s.framePosition.dragging ||
         s.layerPosition.dragging || s.select.mode >= RegionSelectState::kNew;
}

void RunTool(uint32_t tool, const ToolEvent& e, CutView& view, ToolStates& s) {
  switch (tool) {
    case command::kFreePenTool:
      return FreePenTool(e, view, s.freePen);
    case command::kLineTool:
      return LineTool(e, view, s.line);
    case command::kCurveTool:
      return CurveTool(e, view, s.curve);
    case command::kConcentrationTool:
      return ConcentrationTool(e, view, s.concentration);
    case command::kParallelTool:
      return ParallelTool(e, view, s.parallel);
    case command::kRectangleTool:
      return RectangleTool(e, view, s.rectangle);
    case command::kFillTool:
      return FillTool(e, view, s.fill);
    case command::kGradationTool:
      return GradationTool(e, view, s.gradation);
    case command::kEraserTool:
      return EraserTool(e, view, s.eraser);
    case command::kBorderTool:
      return BorderTool(e, view, s.border);
    case command::kMosaicTool:
      return MosaicTool(e, view, s.mosaic);
    case command::kFramePositionTool:
      return FramePositionTool(e, view, s.framePosition);
    case command::kLayerPositionTool:
      return LayerPositionTool(e, view, s.layerPosition);
    case command::kSelectTool:
      return RegionSelectTool(e, view, s.select, s.paste);
    case command::kTextTool:
      return TextTool(e, view, s.text);
    case command::kZoomTool:
      return ZoomTool(e, view);
    default:
      return;
  }
}
