#include "edit/keyboard_shortcuts.h"

#include "edit/command_ids.h"

namespace {

struct Row {
  char first, second;
  KeyAction action;
  uint32_t command;
};

constexpr Row kRows[] = {
    {'0', '1', KeyAction::kCommand, ID_TOOL_FREE_PEN},
    {'2', '9', KeyAction::kCommand, ID_TOOL_ERASER},
    {'3', '8', KeyAction::kCommand, ID_TOOL_LINE},
    {'4', '7', KeyAction::kCommand, ID_TOOL_CURVE},
    {'5', '6', KeyAction::kPreviousTool, 0},
    {'W', '{', KeyAction::kCommand, ID_TOOL_FILL},
    {'Q', '`', KeyAction::kCommand, ID_TOOL_SELECT},
    {'*', 'S', KeyAction::kCommand, ID_TOOL_LAYER_POSITION},
    {'A', '}', KeyAction::kCommand, ID_TOOL_FRAME_POSITION},
    {'d', 'k', KeyAction::kPenSmaller, 0},
    {'f', 'j', KeyAction::kPenLarger, 0},
    {'l', 's', KeyAction::kZoomIn, 0},
    {';', 'a', KeyAction::kZoomOut, 0},
    {'/', 'z', KeyAction::kCommand, ID_CELL_UNDO},
    {'.', 'x', KeyAction::kCommand, ID_CELL_TO_UNDERDRAWING},
    {'?', 'X', KeyAction::kCommand, ID_CELL_ERASE_UNDERDRAWING},
    {',', 'v', KeyAction::kCommand, ID_CELL_NEXT},
    {'c', 'm', KeyAction::kCommand, ID_CELL_PREVIOUS},
    {'<', 'C', KeyAction::kCommand, ID_CELL_FIRST},
    {'>', 'V', KeyAction::kCommand, ID_CELL_LAST},
    {'b', 'n', KeyAction::kCommand, ID_CELL_ADD},
    {'B', 'M', KeyAction::kCommand, ID_CELL_INSERT},
    {'D', 'J', KeyAction::kCommand, ID_CELL_SHOW_PREVIOUS},
    {'F', 'K', KeyAction::kCommand, ID_CELL_SHOW_NEXT},
    {'p', 'w', KeyAction::kCommand, ID_FRAME_NEXT},
    {'o', 'q', KeyAction::kCommand, ID_FRAME_PREVIOUS},
    {'E', 'O', KeyAction::kCommand, ID_FRAME_FIRST},
    {'P', 'R', KeyAction::kCommand, ID_FRAME_LAST},
    {'t', 'y', KeyAction::kCommand, ID_FRAME_ADD},
    {'I', 'T', KeyAction::kCommand, ID_FRAME_INSERT},
    {'i', 'r', KeyAction::kCommand, ID_FRAME_NEXT_KEYFRAME},
    {'e', 'u', KeyAction::kCommand, ID_FRAME_PREVIOUS_KEYFRAME},
    {'G', 'H', KeyAction::kCommand, ID_TOOL_GRID},
    {'g', 'h', KeyAction::kCommand, ID_TOOL_MASK},
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
