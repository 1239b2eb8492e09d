#include "edit/region_select.h"

#include <cstdlib>

#include "edit/command_ids.h"
#include "model/cut.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/region_move.h"

namespace {

Point Minus(Point a, Point b) {
  return Point{a.x - b.x, a.y - b.y};
}
Point Plus(Point a, Point b) {
  return Point{a.x + b.x, a.y + b.y};
}

bool Inside(const Rect& r, Point p) {
  return p.x >= r.x && p.x < r.Right() && p.y >= r.y && p.y < r.Bottom();
}

// The selection moved to where it now lies: the drawing under it, or the floating paste.
void Drop(const ToolEvent& e, CutView& view, RegionSelectState& s, const PasteBuffer& paste,
          const ToolTarget& t) {
  Selection& selection = view.TheSelection();
  s.mode = RegionSelectState::kIdle;
  const Point p = CellAt(view, e.window, t.offset);
  Rect to = CellRectOf(view, selection.window, t.offset);
  if (selection.floating && !paste.Empty())
    to = Rect{to.x, to.y, paste.pixels->Width(), paste.pixels->Height()};
  const Point travel = Minus(p, s.anchor);
  const Rect from{to.x - travel.x, to.y - travel.y, to.width, to.height};
  Cut& cut = view.TheCut();
  if (s.undoFirst) {
    Undo(cut);
  } else {
    view.StrokeBounds() = Rect{};
  }
  if (!SaveUndo(cut)) return;
  if (selection.floating) {
    if (!paste.Empty())
      t.cell->Blit(to.x, to.y, *paste.pixels, 0, 0, to.width, to.height, kBlitTransparent,
                   view.Mask(), 0, nullptr);
  } else {
    MoveRegion(*t.cell, from, Point{to.x, to.y}, view.Mask());
  }
  Rect& bounds = view.StrokeBounds();
  bounds = UnionRect(UnionRect(bounds, from), to);
  // A repaint drops the selection: it is kept across this one.
  const Selection kept = selection;
  RepaintCells(view, bounds, t.offset);
  SetSelection(view, kept.window, kept.floating);
  s.mode = RegionSelectState::kMoved;
  s.moveEnd = p;
  s.movedIn = &view;
}

}  // namespace

std::optional<Rect> SelectedCells(CutView& view) {
  const auto t = TargetOf(view);
  const Selection& selection = view.TheSelection();
  if (!t || !selection.Exists()) return std::nullopt;
  return CellRectOf(view, selection.window, t->offset);
}

void ClearSelection(CutView& view) {
  Selection& selection = view.TheSelection();
  if (selection.Exists()) view.InvertFrame(selection.window);
  selection = Selection{};
}

void SetSelection(CutView& view, Rect window, bool floating) {
  ClearSelection(view);
  if (window.IsEmpty()) return;
  view.TheSelection() = Selection{window, floating};
  view.InvertFrame(window);
}

void RegionSelectTool(const ToolEvent& e, CutView& view, RegionSelectState& s,
                      const PasteBuffer& paste) {
  const bool dragging = s.mode >= RegionSelectState::kNew;
  if (e.message == ToolMessage::kCancel) {
    if (dragging) view.Capture(false);
    ClearSelection(view);
    s.mode = RegionSelectState::kIdle;
    return;
  }
  const auto t = TargetOf(view);
  if (!t) return;
  Selection& selection = view.TheSelection();
  const Point p = CellAt(view, e.window, t->offset);
  const Point w = WindowOf(view, p, t->offset);
  const Rect r = selection.window;
  switch (e.message) {
    case ToolMessage::kLeftDown: {
      if (dragging) return;
      const Point previousAnchor = s.anchor;
      const bool justMoved = s.mode == RegionSelectState::kMoved && s.movedIn == &view;
      s.anchor = p;
      s.lastWindow = w;
      view.Capture(true);
      s.mode = RegionSelectState::kNew;
      if (!selection.Exists()) return;
      const Point m = e.window;
      if (std::abs(m.x - r.x) <= 1 && m.y >= r.y - 1 && m.y <= r.Bottom()) {
        s.mode = RegionSelectState::kResizeX;
      } else if (std::abs(m.y - r.y) <= 1 && m.x >= r.x - 1 && m.x <= r.Right()) {
        s.mode = RegionSelectState::kResizeY;
      } else if (Inside(r, m)) {
        s.mode = RegionSelectState::kMoving;
        // Repeated drags move the pixels as they were before the first: that move is taken
        // back at the drop and the travel counts from the first press.
        s.undoFirst = justMoved || selection.floating;
        if (justMoved) s.anchor = Plus(previousAnchor, Minus(p, s.moveEnd));
      } else {
        selection.floating = false;
      }
      return;
    }
    case ToolMessage::kMove: {
      const Point d = Minus(w, s.lastWindow);
      switch (s.mode) {
        case RegionSelectState::kNew:
          if (p.x > s.anchor.x && p.y > s.anchor.y) {
            const Point a = WindowOf(view, s.anchor, t->offset);
            SetSelection(view, Rect{a.x, a.y, w.x - a.x, w.y - a.y}, false);
          }
          break;
        case RegionSelectState::kMoving:
          SetSelection(view, Rect{r.x + d.x, r.y + d.y, r.width, r.height}, selection.floating);
          break;
        case RegionSelectState::kResizeX:
          if (r.width - 2 * d.x >= 1)
            SetSelection(view, Rect{r.x + d.x, r.y, r.width - 2 * d.x, r.height},
                         selection.floating);
          break;
        case RegionSelectState::kResizeY:
          if (r.height - 2 * d.y >= 1)
            SetSelection(view, Rect{r.x, r.y + d.y, r.width, r.height - 2 * d.y},
                         selection.floating);
          break;
        default:
          break;
      }
      s.lastWindow = w;
      return;
    }
    case ToolMessage::kLeftUp:
      if (!dragging) return;
      view.Capture(false);
      if (s.mode == RegionSelectState::kMoving && selection.Exists()) {
        Drop(e, view, s, paste, *t);
      } else {
        s.mode = RegionSelectState::kIdle;
      }
      return;
    case ToolMessage::kRightUp:
      if (dragging) return;
      if (selection.Exists()) {
        ClearSelection(view);
      } else {
        const Rect whole{0, 0, t->cell->Width(), t->cell->Height()};
        SetSelection(view, WindowRectOf(view, whole, t->offset), false);
      }
      s.mode = RegionSelectState::kIdle;
      return;
    default:
      return;
  }
}

bool CopySelection(CutView& view, PasteBuffer& paste) {
  const auto t = TargetOf(view);
  const auto cells = SelectedCells(view);
  if (!t || !cells) return false;
  const Rect r = IntersectRect(*cells, Rect{0, 0, t->cell->Width(), t->cell->Height()});
  auto pixels = CopyRegion(*t->cell, r, view.Mask());
  if (!pixels) return false;
  paste.pixels = std::move(pixels);
  paste.source = &view;
  paste.canvas = CellToCanvas(Point{r.x, r.y}, t->offset);
  return true;
}

bool ClearRegion(Cut& cut, RasterSurface& cell, Rect r, ProtectMask mask) {
  if (!SaveUndo(cut)) return false;
  r = IntersectRect(r, Rect{0, 0, cell.Width(), cell.Height()});
  const Pen transparent{0, 0, 0, 0};
  cell.FillRect(r.x, r.y, r.width, r.height, transparent, mask, nullptr);
  cut.MarkChanged(kChangeContent);
  return true;
}

bool PasteRegion(Cut& cut, RasterSurface& cell, const RasterSurface& pixels, Point at,
                 ProtectMask mask) {
  if (!SaveUndo(cut)) return false;
  cell.Blit(at.x, at.y, pixels, 0, 0, pixels.Width(), pixels.Height(), kBlitTransparent, mask, 0,
            nullptr);
  cut.MarkChanged(kChangeContent);
  return true;
}

bool CutSelection(CutView& view, PasteBuffer& paste) {
  const auto t = TargetOf(view);
  if (!t || !CopySelection(view, paste)) return false;
  const Point at = CanvasToCell(paste.canvas, t->offset);
  const Rect r{at.x, at.y, paste.pixels->Width(), paste.pixels->Height()};
  if (!ClearRegion(view.TheCut(), *t->cell, r, view.Mask())) return false;
  view.StrokeBounds() = r;
  RepaintCells(view, r, t->offset);
  return true;
}

bool PasteInto(CutView& view, PasteBuffer& paste, RegionSelectState& s) {
  const auto t = TargetOf(view);
  if (!t || paste.Empty()) return false;
  const Point at = paste.source == &view ? CanvasToCell(paste.canvas, t->offset) : Point{0, 0};
  if (!PasteRegion(view.TheCut(), *t->cell, *paste.pixels, at, view.Mask())) return false;
  const Rect r{at.x, at.y, paste.pixels->Width(), paste.pixels->Height()};
  view.StrokeBounds() = r;
  RepaintCells(view, r, t->offset);
  view.SelectTool(ID_TOOL_SELECT);
  s.mode = RegionSelectState::kIdle;
  SetSelection(view, WindowRectOf(view, r, t->offset), true);
  return true;
}
