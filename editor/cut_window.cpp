#include "editor/cut_window.h"

#include <shellapi.h>

#include <algorithm>
#include <new>

#include "edit/view_repaint.h"
#include "edit/view_scroll.h"
#include "editor/cut_window_host.h"
#include "editor/editor_tools.h"
#include "editor/pen_chooser.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "files/cut_file.h"
#include "files/cut_naming.h"
#include "model/cut.h"
#include "model/pixel_class.h"
#include "win32/text_convert.h"

namespace {

constexpr wchar_t kCutClass[] = L"OrvinadeCutFrame";
constexpr UINT_PTR kRightButtonTimer = 1;
constexpr UINT kRightButtonMs = 500;
constexpr DWORD kCopy = 0x00CC0020;  // SRCCOPY

bool gPanning = false;
Point gPanAnchor;

Point ToPoint(LPARAM position) { return {short(LOWORD(position)), short(HIWORD(position))}; }

// A new window shows the whole canvas at 1/1 when the MDI client has room, else fills it.
SIZE InitialSize(HWND mdiClient, int32_t canvasWidth, int32_t canvasHeight) {
  RECT frame{0, 0, canvasWidth, canvasHeight};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_MDICHILD);
  frame.right += GetSystemMetrics(SM_CXVSCROLL);
  frame.bottom += GetSystemMetrics(SM_CYHSCROLL);
  RECT client{0, 0, 640, 480};
  if (mdiClient) GetClientRect(mdiClient, &client);
  const LONG w = std::min(frame.right - frame.left, std::max(client.right - 16, LONG(160)));
  const LONG h = std::min(frame.bottom - frame.top, std::max(client.bottom - 16, LONG(120)));
  return SIZE{w, h};
}

}  // namespace

bool ViewPanning() { return gPanning; }

bool CutWindow::RegisterWindowClass(HINSTANCE instance, HBRUSH) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = sizeof(CutWindow*);
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_CUT));
  wc.lpszClassName = kCutClass;
  return RegisterClassExW(&wc) != 0;
}

CutWindow::CutWindow(const CutWindowHost& host, std::unique_ptr<Cut> cut)
    : host_(host), cut_(std::move(cut)) {}

CutWindow::~CutWindow() = default;

CutWindow* CutWindow::Open(const CutWindowHost& host, const std::string& path, std::string* why) {
  auto cut = std::make_unique<Cut>(1, 1, 24, std::string(), AntiAlias::kFull);
  if (!LoadCut(*cut, path, nullptr, why)) return nullptr;
  cut->SetPath(path);
  return CreateWindowFor(host, std::move(cut));
}

CutWindow* CutWindow::Open(const CutWindowHost& host, std::unique_ptr<Cut> cut) {
  return cut ? CreateWindowFor(host, std::move(cut)) : nullptr;
}

CutWindow* CutWindow::CreateWindowFor(const CutWindowHost& host, std::unique_ptr<Cut> cut) {
  std::unique_ptr<CutWindow> self(new CutWindow(host, std::move(cut)));
  self->display_.SetPalette(Program().framePalette);
  if (!self->display_.Create(self->cut_->CanvasWidth(), self->cut_->CanvasHeight(), 0)) return nullptr;
  self->view_.canvasWidth = self->cut_->CanvasWidth();
  self->view_.canvasHeight = self->cut_->CanvasHeight();
  MDICREATESTRUCTW mdi = {};
  mdi.szClass = kCutClass;
  mdi.szTitle = L"untitled.cut";
  mdi.hOwner = Program().instance;
  mdi.x = mdi.y = CW_USEDEFAULT;
  const SIZE size = InitialSize(host.mdiClient, self->cut_->CanvasWidth(), self->cut_->CanvasHeight());
  mdi.cx = size.cx;
  mdi.cy = size.cy;
  mdi.lParam = reinterpret_cast<LPARAM>(self.get());
  HWND window = reinterpret_cast<HWND>(
      SendMessageW(host.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mdi)));
  if (!window) return nullptr;
  // From here the window owns the object: it is freed when the window is destroyed.
  return self.release();
}

CutWindow* CutWindow::FromWindow(HWND window) {
  if (!window) return nullptr;
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (wcscmp(name, kCutClass) != 0) return nullptr;
  return reinterpret_cast<CutWindow*>(GetWindowLongPtrW(window, 0));
}

CutWindow* CutWindow::Active(HWND mdiClient) {
  if (!mdiClient) return nullptr;
  return FromWindow(reinterpret_cast<HWND>(SendMessageW(mdiClient, WM_MDIGETACTIVE, 0, 0)));
}

std::vector<CutWindow*> CutWindow::All(HWND mdiClient) {
  std::vector<CutWindow*> windows;
  if (!mdiClient) return windows;
  for (HWND child = GetWindow(mdiClient, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (CutWindow* window = FromWindow(child)) windows.push_back(window);
  return windows;
}

bool CutWindow::CloseAll(HWND mdiClient) {
  while (CutWindow* window = Active(mdiClient)) {
    HWND child = window->Window();
    SendMessageW(child, WM_CLOSE, 0, 0);
    if (IsWindow(child)) return false;  // the user kept it open
  }
  return true;
}

LRESULT CALLBACK CutWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    const auto* mdi = static_cast<const MDICREATESTRUCTW*>(create->lpCreateParams);
    auto* self = mdi ? reinterpret_cast<CutWindow*>(mdi->lParam) : nullptr;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    if (self) self->window_ = window;
  }
  auto* self = reinterpret_cast<CutWindow*>(GetWindowLongPtrW(window, 0));
  if (!self) return DefMDIChildProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, 0, 0);
    const LRESULT result = DefMDIChildProcW(window, message, wParam, lParam);
    delete self;
    return result;
  }
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    // An edit the memory cannot hold stops where it is; the editor and the cut stay.
    MessageBeep(MB_ICONHAND);
    return 0;
  }
}

LRESULT CutWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefMDIChildProcW(window_, message, wParam, lParam);
}

LRESULT CutWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      break;  // the MDI child's own handling too
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CHAR:
      OnChar(uint32_t(wParam));
      return 0;
    case WM_COMMAND:
      if (RunCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
      break;
    case WM_TIMER:
      if (wParam == kRightButtonTimer) OnRightButtonTimer();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      OnMouse(message, wParam, lParam);
      return 0;
    case kCancelMessage:
      Cancel();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_MDIACTIVATE:
      OnActivate(reinterpret_cast<HWND>(lParam) == window_);
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
  }
  return Default(message, wParam, lParam);
}

void CutWindow::OnCreate() {
  DragAcceptFiles(window_, TRUE);
  UpdateTitle();
  FullRepaint();
}

void CutWindow::UpdateTitle() {
  if (cut_->Path().empty()) return;
  SetWindowTextW(window_, Widen(FileNameOf(cut_->Path())).c_str());
}

void CutWindow::Cancel() {
  // Routed as the mouse messages are: the pen chooser goes first.
  ThePenChooser().Hide();
  RouteToTool(kCancelMessage, 0, Point{});
}

void CutWindow::CopyToWindow(HDC dc, const Rect& source, const Rect& destination) {
  HBITMAP bitmap = display_.Buffer() ? static_cast<HBITMAP>(display_.Buffer()->Handle()) : nullptr;
  if (!bitmap) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, destination.x, destination.y, destination.width, destination.height, memory,
             source.x, source.y, source.width, source.height, kCopy);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void CutWindow::PartialRepaint(Rect canvas, bool copy) {
  RepaintRect(*cut_, display_, canvas);
  if (!copy || !RepaintBlit(view_, canvas)) return;
  // The copy ends the selection: its outline would be overwritten.
  ClearSelection(*this);
  ShowCanvas(canvas);
}

void CutWindow::ShowCanvas(Rect canvas) {
  const std::optional<ViewBlit> blit = RepaintBlit(view_, canvas);
  if (!blit) return;
  HDC dc = GetDC(window_);
  HPALETTE old = SelectEditorPalette(dc);
  CopyToWindow(dc, blit->source, blit->destination);
  if (old) SelectPalette(dc, old, FALSE);
  ReleaseDC(window_, dc);
}

void CutWindow::FullRepaint() {
  SendMessageW(window_, kCancelMessage, 0, 0);
  PartialRepaint(Rect{0, 0, display_.Width(), display_.Height()}, true);
  SendMessageW(window_, kCancelMessage, 0, 0);
}

void CutWindow::OnPaint() {
  const bool quiet = gPanning || thumbTracking_;
  if (!quiet) SendMessageW(window_, kCancelMessage, 0, 0);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  HPALETTE old = SelectEditorPalette(dc);
  for (const Rect& band : BackgroundBands(view_)) {
    if (band.IsEmpty()) continue;
    const RECT r{band.x, band.y, band.Right(), band.Bottom()};
    RECT visible;
    if (::IntersectRect(&visible, &r, &ps.rcPaint)) FillRect(dc, &visible, Program().background);
  }
  const Rect update{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                    ps.rcPaint.bottom - ps.rcPaint.top};
  if (const std::optional<ViewBlit> blit = PaintBlit(view_, update))
    CopyToWindow(dc, blit->source, blit->destination);
  if (old) SelectPalette(dc, old, FALSE);
  EndPaint(window_, &ps);
  if (!quiet) SendMessageW(window_, kCancelMessage, 0, 0);
}

void CutWindow::OnSize(int width, int height) {
  view_.clientWidth = width;
  view_.clientHeight = height;
  SetUpScrollBars();
}

void CutWindow::SetUpScrollBars() {
  view_ = WithScrollBarsSetUp(view_);
  const ScrollAxis axes[2] = {HorizontalAxis(view_), VerticalAxis(view_)};
  const int bars[2] = {SB_HORZ, SB_VERT};
  for (int i = 0; i < 2; ++i) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = axes[i].range;
    info.nPage = UINT(std::max(axes[i].page, 0));
    info.nPos = axes[i].position;
    SetScrollInfo(window_, bars[i], &info, TRUE);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

bool CutWindow::OnSetCursor(HWND hit, UINT area) {
  if (hit != window_ || area != HTCLIENT) return false;
  POINT at;
  GetCursorPos(&at);
  ScreenToClient(window_, &at);
  const SnapGrid grid{Program().gridWidth, Program().gridHeight};
  const bool cross = ShowsCrossCursor(view_, Point{at.x, at.y}, grid);
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cross ? 32515 : 32512)));  // cross, arrow
  return true;
}

void CutWindow::OnScroll(int bar, int request, int thumb) {
  const bool horizontal = bar == SB_HORZ;
  const ScrollAxis axis = horizontal ? HorizontalAxis(view_) : VerticalAxis(view_);
  int32_t& scroll = horizontal ? view_.scroll.x : view_.scroll.y;
  const int32_t old = scroll;
  auto scrollBy = [&](int32_t to) {
    scroll = to;
    const int32_t d = old - to;
    ScrollWindow(window_, horizontal ? d : 0, horizontal ? 0 : d, nullptr, nullptr);
  };
  switch (request) {
    case SB_LINEUP:
    case SB_LINEDOWN:
      SendMessageW(window_, kCancelMessage, 0, 0);
      scrollBy(request == SB_LINEUP ? LineUp(axis) : LineDown(axis));
      SendMessageW(window_, kCancelMessage, 0, 0);
      break;
    case SB_PAGEUP:
    case SB_PAGEDOWN:
      scroll = request == SB_PAGEUP ? PageUp(axis) : PageDown(axis);
      InvalidateRect(window_, nullptr, FALSE);
      break;
    case SB_THUMBTRACK: {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(window_, bar, &info);
      const std::optional<int32_t> to = ThumbPosition(axis, info.nTrackPos, view_.zoom);
      if (!to) return;
      if (!thumbTracking_) {
        thumbTracking_ = true;
        SendMessageW(window_, kCancelMessage, 0, 0);
      }
      scrollBy(*to);
      UpdateWindow(window_);
      break;
    }
    case SB_THUMBPOSITION: {
      const std::optional<int32_t> to = ThumbPosition(axis, thumb, view_.zoom);
      if (!to) return;
      SendMessageW(window_, kCancelMessage, 0, 0);
      thumbTracking_ = false;
      scroll = *to;
      InvalidateRect(window_, nullptr, FALSE);
      break;
    }
    case SB_ENDSCROLL:
      if (thumbTracking_) {
        thumbTracking_ = false;
        InvalidateRect(window_, nullptr, FALSE);
      }
      return;
    default:
      return;
  }
  SetScrollPos(window_, bar, scroll, TRUE);
}

bool CutWindow::OnPan(UINT message, WPARAM keys, POINT at) {
  const bool held = (keys & MK_SHIFT) && (keys & MK_CONTROL);
  if (message != WM_MOUSEMOVE) return false;
  if (!held) {
    if (gPanning) {
      gPanning = false;
      SendMessageW(window_, kCancelMessage, 0, 0);
    }
    return false;
  }
  if (!gPanning) {
    SendMessageW(window_, kCancelMessage, 0, 0);
    gPanning = true;
    gPanAnchor = Point{at.x, at.y};
    return true;
  }
  // Only the latest position counts.
  MSG queued;
  while (PeekMessageW(&queued, window_, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE))
    at = POINT{short(LOWORD(queued.lParam)), short(HIWORD(queued.lParam))};
  const PanStep step = Pan(view_, gPanAnchor, Point{at.x, at.y});
  const Point delta{step.scroll.x - view_.scroll.x, step.scroll.y - view_.scroll.y};
  gPanAnchor = step.anchor;
  if (delta.x == 0 && delta.y == 0) return true;
  ScrollWindowEx(window_, -delta.x, -delta.y, nullptr, nullptr, nullptr, nullptr, 0);
  ValidateRect(window_, nullptr);
  view_.scroll = step.scroll;
  HDC dc = GetDC(window_);
  HPALETTE old = SelectEditorPalette(dc);
  for (const Rect& strip : UncoveredStrips(view_, delta)) {
    if (strip.IsEmpty()) continue;
    if (const std::optional<ViewBlit> blit = PaintBlit(view_, strip))
      CopyToWindow(dc, blit->source, blit->destination);
  }
  if (old) SelectPalette(dc, old, FALSE);
  ReleaseDC(window_, dc);
  SetScrollPos(window_, SB_HORZ, view_.scroll.x, TRUE);
  SetScrollPos(window_, SB_VERT, view_.scroll.y, TRUE);
  return true;
}

void CutWindow::OnMouse(UINT message, WPARAM keys, LPARAM position) {
  const Point at = ToPoint(position);
  if (OnPan(message, keys, POINT{at.x, at.y})) return;
  ThePenChooser().Hide();
  if (message == WM_RBUTTONDOWN) SetTimer(window_, kRightButtonTimer, kRightButtonMs, nullptr);
  if (message == WM_RBUTTONUP) KillTimer(window_, kRightButtonTimer);
  if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) SetFocus(window_);
  RouteToTool(message, keys, at);
}

void CutWindow::OnRightButtonTimer() {
  KillTimer(window_, kRightButtonTimer);
  host_.popUpToolMenu();
}

void CutWindow::ZoomAt(POINT window, bool zoomIn) {
  const Point canvas = WindowToCanvasUnsnapped(view_, Point{window.x, window.y});
  view_ = ::ZoomAt(view_, canvas, zoomIn);
  SetUpScrollBars();
}

void CutWindow::OnActivate(bool active) {
  // The panels follow the active cut; leaving a cut stores what was typed into them.
  if (active) {
    host_.activated(*this);
  } else {
    host_.commitPanels(*this);
  }
  SendMessageW(window_, kCancelMessage, 0, 0);
}

void CutWindow::OnClose() {
  host_.commitPanels(*this);
  if (!host_.confirmClose(*this)) return;
  host_.leaveFilm(*cut_);
  SendMessageW(host_.mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window_), 0);
}

void CutWindow::OnDestroy() {
  KillTimer(window_, kRightButtonTimer);
  ForgetView(*this);
  host_.closed(*cut_);
}

void CutWindow::TakePath(const std::string& path) {
  cut_->SetPath(path);
  UpdateTitle();
}

void CutWindow::CutSizeChanged() {
  // Without the memory for the new size the old bitmap stays and shows what fits.
  display_.Create(cut_->CanvasWidth(), cut_->CanvasHeight(), 0);
  if (emphasize_) SetLineEmphasis(display_, true);
  view_.canvasWidth = display_.Width();
  view_.canvasHeight = display_.Height();
  SetUpScrollBars();
  FullRepaint();
}
