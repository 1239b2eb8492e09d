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
    case ID_TOOL_FREE_PEN:
      return FreePenTool(e, view, s.freePen);
    case ID_TOOL_LINE:
      return LineTool(e, view, s.line);
    case ID_TOOL_CURVE:
      return CurveTool(e, view, s.curve);
    case ID_TOOL_CONCENTRATION:
      return ConcentrationTool(e, view, s.concentration);
    case ID_TOOL_PARALLEL:
      return ParallelTool(e, view, s.parallel);
    case ID_TOOL_RECTANGLE:
      return RectangleTool(e, view, s.rectangle);
    case ID_TOOL_FILL:
      return FillTool(e, view, s.fill);
    case ID_TOOL_GRADATION:
      return GradationTool(e, view, s.gradation);
    case ID_TOOL_ERASER:
      return EraserTool(e, view, s.eraser);
    case ID_TOOL_BORDER:
      return BorderTool(e, view, s.border);
    case ID_TOOL_MOSAIC:
      return MosaicTool(e, view, s.mosaic);
    case ID_TOOL_FRAME_POSITION:
      return FramePositionTool(e, view, s.framePosition);
    case ID_TOOL_LAYER_POSITION:
      return LayerPositionTool(e, view, s.layerPosition);
    case ID_TOOL_SELECT:
      return RegionSelectTool(e, view, s.select, s.paste);
    case ID_TOOL_TEXT:
      return TextTool(e, view, s.text);
    case ID_TOOL_ZOOM:
      return ZoomTool(e, view);
    default:
      return;
  }
}
