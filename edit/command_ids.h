#pragma once

// Menu command numbers the window-free editor logic names: the tools (a tool is known by the
// number of its menu item) and the commands of the keyboard shortcuts. They are the numbers
// of the editor's resources, which check them against their own.

#include <cstdint>

namespace command {

inline constexpr uint32_t kFramePositionTool = 40019;
inline constexpr uint32_t kLayerPositionTool = 40023;
inline constexpr uint32_t kZoomTool = 40028;
inline constexpr uint32_t kFreePenTool = 40029;
inline constexpr uint32_t kFillTool = 40031;
inline constexpr uint32_t kLineTool = 40037;
inline constexpr uint32_t kCurveTool = 40038;
inline constexpr uint32_t kRectangleTool = 40045;
inline constexpr uint32_t kSelectTool = 40059;
inline constexpr uint32_t kEraserTool = 40065;
inline constexpr uint32_t kGradationTool = 40070;
inline constexpr uint32_t kTextTool = 40073;
inline constexpr uint32_t kBorderTool = 40075;
inline constexpr uint32_t kMosaicTool = 40086;
inline constexpr uint32_t kConcentrationTool = 40090;
inline constexpr uint32_t kParallelTool = 40132;

inline constexpr uint32_t kFrameAdd = 40004;
inline constexpr uint32_t kFrameInsert = 40005;
inline constexpr uint32_t kFramePrevious = 40007;
inline constexpr uint32_t kFrameNext = 40008;
inline constexpr uint32_t kCellInsert = 40010;
inline constexpr uint32_t kCellAdd = 40011;
inline constexpr uint32_t kCellPrevious = 40012;
inline constexpr uint32_t kCellNext = 40013;
inline constexpr uint32_t kToUnderdrawing = 40024;
inline constexpr uint32_t kEraseUnderdrawing = 40025;
inline constexpr uint32_t kUndo = 40030;
inline constexpr uint32_t kShowPreviousCell = 40032;
inline constexpr uint32_t kShowNextCell = 40033;
inline constexpr uint32_t kGridDialog = 40040;
inline constexpr uint32_t kFrameFirst = 40041;
inline constexpr uint32_t kFrameLast = 40042;
inline constexpr uint32_t kCellFirst = 40043;
inline constexpr uint32_t kCellLast = 40044;
inline constexpr uint32_t kMaskDialog = 40046;
inline constexpr uint32_t kNextKeyframe = 40104;
inline constexpr uint32_t kPreviousKeyframe = 40105;

}  // namespace command
