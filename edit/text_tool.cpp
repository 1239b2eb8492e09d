#include "edit/text_tool.h"

#include <algorithm>

#include "model/cut.h"
#include "model/frame_surface.h"
#include "model/undo.h"
#include "raster/effects.h"
#include "raster/text_transfer.h"

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t cr = text.find('\r', at);
    if (cr == std::string::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, cr - at));
    at = cr + 2;
  }
  return lines;
}

TextBlock MeasureText(TextWriter& writer, const std::string& text) {
  TextBlock b;
  const bool vertical = writer.VerticalText();
  const int32_t spacing = writer.TextLineSpacing();
  for (const std::string& line : TextLines(text)) {
    const Point extent = writer.MeasureTextLine(line);
    if (vertical) {
      b.height = std::max(b.height, extent.x);
      b.width += spacing + extent.y;
    } else {
      b.width = std::max(b.width, extent.x);
      b.height += spacing + extent.y;
    }
    b.lineHeight = extent.y;
  }
  if (vertical && b.width != 0) b.width -= spacing;
  if (!vertical && b.height != 0) b.height -= spacing;
  return b;
}

void WriteText(TextWriter& writer, FrameSurface& display, Point q, RasterSurface& cell, Point at,
               const std::string& text, const TextBlock& block, const Pen& pen, ProtectMask mask) {
  FillRectangle(display, Rect{q.x, q.y, block.width, block.height}, 0);
  const int32_t step = block.lineHeight + writer.TextLineSpacing();
  const bool vertical = writer.VerticalText();
  int32_t i = 0;
  for (const std::string& line : TextLines(text)) {
    // Vertical lines run in columns from the right edge leftwards.
    const Point from =
        vertical ? Point{q.x + block.width - i * step, q.y} : Point{q.x, q.y + i * step};
    writer.DrawTextLine(line, from);
    ++i;
  }
  TransferText(cell, at.x, at.y, display, q.x, q.y, block.width, block.height, pen, mask);
}

void PlaceText(CutView& view, const ToolTarget& t, Point cell, const std::string& text,
               const TextBlock& block) {
  if (!SaveUndo(view.TheCut())) return;
  const Point q = CellToCanvas(cell, t.offset);
  WriteText(view, view.Display(), q, *t.cell, cell, text, block, view.Drawing().pen, view.Mask());
  view.StrokeBounds() = Rect{cell.x, cell.y, block.width, block.height};
  // The repaint also restores the displayed image under the block.
  view.Repaint(Rect{q.x, q.y, block.width, block.height});
}

void TextTool(const ToolEvent& e, CutView& view, TextState& s) {
  if (e.message == ToolMessage::kCancel) {
    s.outline.Hide(view);
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  const Point p = CellAt(view, e.window, t->offset);
  auto outlineAtMouse = [&] {
    if (s.measured)
      s.outline.Show(view,
                     WindowRectOf(view, Rect{p.x, p.y, s.block.width, s.block.height}, t->offset));
  };
  auto reset = [&] {
    s.outline.Hide(view);
    s.clicks = 0;
    s.measured = false;
  };
  switch (e.message) {
    case ToolMessage::kLeftDown:
      ++s.clicks;
      return;
    case ToolMessage::kLeftUp:
      if (s.clicks == 1 && !s.measured) {
        if (!view.AskText(s.text)) {
          reset();
          return;
        }
        s.block = MeasureText(view, s.text);
        s.measured = true;
        outlineAtMouse();
      } else if (s.clicks == 2 && s.measured) {
        s.outline.Hide(view);
        PlaceText(view, *t, p, s.text, s.block);
        reset();
      } else {
        reset();
      }
      return;
    case ToolMessage::kMove:
      if (s.clicks != 0) outlineAtMouse();
      return;
    case ToolMessage::kRightUp:
      if (s.clicks == 0) {
        view.OpenPenChooser(e.window);
      } else {
        reset();
      }
      return;
    default:
      return;
  }
}
