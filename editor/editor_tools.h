#pragma once

// The drawing tools' state for the whole run of the editor, shared by every cut window.

#include "edit/tool_dispatch.h"

ToolStates& EditorTools();
// A view that closes: no longer the paste buffer's source nor the tools' window.
void ForgetView(const CutView& view);
