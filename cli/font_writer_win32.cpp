#include "cli/font_writer.h"

// orvina.exe writes no text: the editor's text tool does that on Windows.
bool FontWritingAvailable() { return false; }

std::unique_ptr<TextWriter> MakeFontWriter(const FontChoice&, FrameSurface&) { return nullptr; }
