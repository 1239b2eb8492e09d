#include "edit/keyboard_shortcuts.h"

#include "edit/command_ids.h"

namespace {

struct Row {
  char first, second;
  KeyAction action;
  uint32_t command;
};

constexpr Row kRows[] = {
    {'0', '1', KeyAction::kCommand, command::kFreePenTool},
    {'2', '9', KeyAction::kCommand, command::kEraserTool},
    {'3', '8', KeyAction::kCommand, command::kLineTool},
    {'4', '7', KeyAction::kCommand, command::kCurveTool},
    {'5', '6', KeyAction::kPreviousTool, 0},
    {'W', '{', KeyAction::kCommand, command::kFillTool},
    {'Q', '`', KeyAction::kCommand, command::kSelectTool},
    {'*', 'S', KeyAction::kCommand, command::kLayerPositionTool},
    {'A', '}', KeyAction::kCommand, command::kFramePositionTool},
    {'d', 'k', KeyAction::kPenSmaller, 0},
    {'f', 'j', KeyAction::kPenLarger, 0},
    {'l', 's', KeyAction::kZoomIn, 0},
    {';', 'a', KeyAction::kZoomOut, 0},
    {'/', 'z', KeyAction::kCommand, command::kUndo},
    {'.', 'x', KeyAction::kCommand, command::kToUnderdrawing},
    {'?', 'X', KeyAction::kCommand, command::kEraseUnderdrawing},
    {',', 'v', KeyAction::kCommand, command::kCellNext},
    {'c', 'm', KeyAction::kCommand, command::kCellPrevious},
    {'<', 'C', KeyAction::kCommand, command::kCellFirst},
    {'>', 'V', KeyAction::kCommand, command::kCellLast},
    {'b', 'n', KeyAction::kCommand, command::kCellAdd},
    {'B', 'M', KeyAction::kCommand, command::kCellInsert},
    {'D', 'J', KeyAction::kCommand, command::kShowPreviousCell},
    {'F', 'K', KeyAction::kCommand, command::kShowNextCell},
    {'p', 'w', KeyAction::kCommand, command::kFrameNext},
    {'o', 'q', KeyAction::kCommand, command::kFramePrevious},
    {'E', 'O', KeyAction::kCommand, command::kFrameFirst},
    {'P', 'R', KeyAction::kCommand, command::kFrameLast},
    {'t', 'y', KeyAction::kCommand, command::kFrameAdd},
    {'I', 'T', KeyAction::kCommand, command::kFrameInsert},
    {'i', 'r', KeyAction::kCommand, command::kNextKeyframe},
    {'e', 'u', KeyAction::kCommand, command::kPreviousKeyframe},
    {'G', 'H', KeyAction::kCommand, command::kGridDialog},
    {'g', 'h', KeyAction::kCommand, command::kMaskDialog},
    {' ', ' ', KeyAction::kTogglePanels, 0},
};

}  // namespace

Shortcut ShortcutFor(uint32_t character) {
  for (const Row& row : kRows) {
    if (character == uint32_t(uint8_t(row.first)) || character == uint32_t(uint8_t(row.second)))
      return Shortcut{row.action, row.command};
  }
  return Shortcut{};
}
