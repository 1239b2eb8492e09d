// The cut window as the view of the drawing tools: mouse messages routed to the current tool,
// the inverted feedback and the pen cursor on the window, the text font, and the keyboard
// shortcuts.
#include <algorithm>
#include <utility>

#include "edit/keyboard_shortcuts.h"
#include "edit/view_repaint.h"
#include "editor/cut_window.h"
#include "editor/cut_window_host.h"
#include "editor/dialogs.h"
#include "editor/editor_tools.h"
#include "editor/pen_chooser.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "model/cut.h"

namespace {

// The window whose messages the tools handled last: its feedback is the tools' feedback.
const CutWindow* gToolWindow = nullptr;
HCURSOR gCursorBeforeWait = nullptr;

ToolMessage MessageOf(UINT message) {
  constexpr std::pair<UINT, ToolMessage> kMessages[] = {
      {WM_LBUTTONDOWN, ToolMessage::kLeftDown},
      {WM_LBUTTONUP, ToolMessage::kLeftUp},
      {WM_LBUTTONDBLCLK, ToolMessage::kLeftDoubleClick},
      {WM_RBUTTONDOWN, ToolMessage::kRightDown},
      {WM_RBUTTONUP, ToolMessage::kRightUp},
      {WM_RBUTTONDBLCLK, ToolMessage::kRightDoubleClick},
      {kCancelMessage, ToolMessage::kCancel}};
  for (const auto& [windows, tool] : kMessages)
    if (windows == message) return tool;
  return ToolMessage::kMove;
}

// A device context of the display bitmap with the text font, transparent black text.
class TextDc {
 public:
  TextDc(HWND window, FrameSurface* display) : window_(window) {
    screen_ = GetDC(window);
    dc_ = screen_;
    if (display && display->Buffer()) {
      dc_ = CreateCompatibleDC(screen_);
      oldBitmap_ = SelectObject(dc_, static_cast<HBITMAP>(display->Buffer()->Handle()));
    }
    if (Program().font.handle) oldFont_ = SelectObject(dc_, Program().font.handle);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~TextDc() {
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (dc_ != screen_) {
      GdiFlush();
      SelectObject(dc_, oldBitmap_);
      DeleteDC(dc_);
    }
    ReleaseDC(window_, screen_);
  }
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

}  // namespace

ToolStates& EditorTools() {
  static ToolStates states;
  return states;
}

void ForgetView(const CutView& view) {
  if (EditorTools().paste.source == &view) EditorTools().paste.source = nullptr;
  if (gToolWindow == &view) gToolWindow = nullptr;
}

void CutWindow::RouteToTool(UINT message, WPARAM keys, Point at) {
  // A cancel also reaches the tools in the window that just lost the activation.
  const bool active = Active(host_.mdiClient) == this;
  if (!active && !(message == kCancelMessage && gToolWindow == this)) {
    if (message == kCancelMessage) {
      ClearSelection(*this);
      HidePenCursor();
    }
    return;
  }
  gToolWindow = this;
  const ToolEvent event{MessageOf(message), uint32_t(keys), at};
  RunTool(host_.currentTool(), event, *this, EditorTools());
}

const Rect* CutWindow::Selection() {
  const auto cells = SelectedCells(*this);
  if (!cells) return nullptr;
  selectedCells_ = *cells;
  return &selectedCells_;
}

std::optional<Rect> CutWindow::SelectionOnCanvas() const {
  if (!selection_.Exists()) return std::nullopt;
  const Rect& w = selection_.window;
  const Point a = WindowToCanvas(view_, Point{w.x, w.y}, Grid());
  const Point b = WindowToCanvas(view_, Point{w.Right(), w.Bottom()}, Grid());
  return Rect{a.x, a.y, b.x - a.x, b.y - a.y};
}

DrawingSettings& CutWindow::Drawing() {
  return Program().drawing;
}
ProtectMask CutWindow::Mask() const {
  return Program().protectMask;
}
SnapGrid CutWindow::Grid() const {
  return SnapGrid{Program().gridWidth, Program().gridHeight};
}

void CutWindow::InvertLine(Point from, Point to) {
  HDC dc = GetDC(window_);
  const int old = SetROP2(dc, R2_NOT);
  MoveToEx(dc, from.x, from.y, nullptr);
  LineTo(dc, to.x, to.y);
  SetROP2(dc, old);
  ReleaseDC(window_, dc);
}

void CutWindow::InvertFrame(Rect window) {
  if (window.IsEmpty()) return;
  HDC dc = GetDC(window_);
  const RECT r{window.x, window.y, window.Right(), window.Bottom()};
  DrawFocusRect(dc, &r);
  ReleaseDC(window_, dc);
}

void CutWindow::MovePenCursor(Point canvas) {
  const Rect old = penCursor_;
  if (!old.IsEmpty()) RepaintRect(*cut_, display_, old);
  display_.Stamp(canvas.x, canvas.y, Program().drawing.pen, Program().protectMask, nullptr);
  penCursor_ = Rect{canvas.x - 4, canvas.y - 4, 8, 8};
  ShowCanvas(UnionRect(old, penCursor_));
}

void CutWindow::HidePenCursor() {
  if (penCursor_.IsEmpty()) return;
  const Rect old = penCursor_;
  penCursor_ = Rect{};
  RepaintRect(*cut_, display_, old);
  ShowCanvas(old);
}

void CutWindow::Capture(bool on) {
  if (on) {
    SetCapture(window_);
  } else if (GetCapture() == window_) {
    ReleaseCapture();
  }
}

void CutWindow::OpenPenChooser(Point window) {
  POINT at{window.x, window.y};
  ClientToScreen(window_, &at);
  ThePenChooser().ShowAt(at.x, at.y, Program().drawing);
}

void CutWindow::ShowWaitCursor(bool on) {
  if (on) {
    gCursorBeforeWait = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  } else {
    SetCursor(gCursorBeforeWait);
  }
}

void CutWindow::SelectTool(uint32_t tool) {
  host_.selectTool(tool);
}

bool CutWindow::AskText(std::string& text) {
  TextDialog dialog;
  dialog.text = text;
  if (!dialog.Run(Program().instance, host_.frame)) return false;
  text = dialog.text;
  return true;
}

bool CutWindow::VerticalText() const {
  const TextFont& font = Program().font;
  return font.handle && !font.face.empty() && font.face[0] == '@';
}

int32_t CutWindow::TextLineSpacing() const {
  return Program().font.lineSpacing;
}

Point CutWindow::MeasureTextLine(const std::string& line) {
  TextDc text(window_, nullptr);
  SIZE extent{0, 0};
  GetTextExtentPoint32A(text.Dc(), line.data(), int(line.size()), &extent);
  return Point{extent.cx, extent.cy};
}

void CutWindow::DrawTextLine(const std::string& line, Point canvas) {
  TextDc text(window_, &display_);
  ExtTextOutA(text.Dc(), canvas.x, canvas.y, 0, nullptr, line.data(), UINT(line.size()), nullptr);
}

void CutWindow::OnChar(uint32_t character) {
  DrawingSettings& drawing = Program().drawing;
  const Shortcut shortcut = ShortcutFor(character);
  // Every character puts the pen's shape back in line with its size and the square pen.
  if (shortcut.action == KeyAction::kPenSmaller) {
    PenSizeSmaller(drawing);
  } else if (shortcut.action == KeyAction::kPenLarger) {
    PenSizeLarger(drawing);
  } else {
    RederivePenShape(drawing);
  }
  switch (shortcut.action) {
    case KeyAction::kCommand:
      SendMessageW(host_.frame, WM_COMMAND, MAKEWPARAM(shortcut.command, 0), 0);
      return;
    case KeyAction::kPreviousTool:
      host_.selectTool(host_.previousTool());
      return;
    case KeyAction::kZoomIn:
    case KeyAction::kZoomOut: {
      POINT at;
      GetCursorPos(&at);
      ScreenToClient(window_, &at);
      ZoomAt(at, shortcut.action == KeyAction::kZoomIn);
      return;
    }
    case KeyAction::kTogglePanels:
      host_.togglePanels();
      return;
    default:
      return;
  }
}
