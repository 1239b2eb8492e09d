#include "tests/win32/tools/drawing_session.h"

#include <algorithm>

#include "editor/resource.h"

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 20000, &result);
  return LRESULT(result);
}

}  // namespace

bool DrawingSession::Start(const std::wstring& cut) {
  if (!EditorSession::Start(L"\"" + cut + L"\"")) return false;
  Send(MdiClient(), WM_MDIMAXIMIZE, WPARAM(Cut()), 0);
  return true;
}

bool DrawingSession::OpenThroughDialog(const std::wstring& path) {
  const size_t before = CutWindows().size();
  PostCommand(ID_CUT_OPEN);
  return ChooseFile(path) && WaitFor(20000, [&] { return CutWindows().size() > before; });
}

POINT DrawingSession::At(CellPoint cell) const {
  RECT client{};
  GetClientRect(Cut(), &client);
  // Centred, or scrolled to the top-left corner when larger than the window.
  const int ox = std::max(0, int(client.right - canvasWidth_ * numerator_ / denominator_) / 2);
  const int oy = std::max(0, int(client.bottom - canvasHeight_ * numerator_ / denominator_) / 2);
  return POINT{(cell.x + layerX_) * numerator_ / denominator_ + ox, (cell.y + layerY_) * numerator_ / denominator_ + oy};
}

CellPoint DrawingSession::CellUnder(POINT p) const {
  const POINT origin = At(CellPoint{-layerX_, -layerY_});
  return CellPoint{(p.x - origin.x) * denominator_ / numerator_ - layerX_,
                   (p.y - origin.y) * denominator_ / numerator_ - layerY_};
}

void DrawingSession::Mouse(UINT message, POINT at, WPARAM keys) { Send(Cut(), message, keys, MAKELPARAM(at.x, at.y)); }

void DrawingSession::PostMouse(UINT message, POINT at, WPARAM keys) {
  PostMessageW(Cut(), message, keys, MAKELPARAM(at.x, at.y));
}

void DrawingSession::Click(CellPoint at, WPARAM keys) {
  const POINT p = At(at);
  Mouse(WM_MOUSEMOVE, p, keys);
  Mouse(WM_LBUTTONDOWN, p, keys | MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p, keys);
}

void DrawingSession::RightClick(CellPoint at, WPARAM keys) {
  const POINT p = At(at);
  Mouse(WM_MOUSEMOVE, p, keys);
  Mouse(WM_RBUTTONDOWN, p, keys | MK_RBUTTON);
  Mouse(WM_RBUTTONUP, p, keys);
}

void DrawingSession::Drag(const std::vector<CellPoint>& points, WPARAM keys) {
  Mouse(WM_MOUSEMOVE, At(points.front()), keys);
  Mouse(WM_LBUTTONDOWN, At(points.front()), keys | MK_LBUTTON);
  for (const CellPoint& p : points) Mouse(WM_MOUSEMOVE, At(p), keys | MK_LBUTTON);
  Mouse(WM_LBUTTONUP, At(points.back()), keys);
}

void DrawingSession::Char(wchar_t c) { Send(Cut(), WM_CHAR, c, 1); }
void DrawingSession::PostChar(wchar_t c) { PostMessageW(Cut(), WM_CHAR, c, 1); }
