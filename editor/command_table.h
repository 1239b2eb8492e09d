#pragma once

#include <cstddef>

// One command of an editor area, declared once beside its handler: the menu command's id (or
// a child control's id, for its notifications) and what runs it. The handler gets the
// notification code: 0 from a menu, 1 from an accelerator, the control's own for a control.
template <class Area>
struct Command {
  int id;
  void (*run)(Area& area, int code);
};

// Runs the command `id` of the area's table; false when the table has no such command.
template <class Area, size_t N>
bool RunCommand(const Command<Area> (&table)[N], Area& area, int id, int code) {
  for (const Command<Area>& command : table) {
    if (command.id != id) continue;
    command.run(area, code);
    return true;
  }
  return false;
}
