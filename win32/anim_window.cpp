#include "win32/anim_window.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>

#include "win32/text_convert.h"

namespace {

void FillBlack(HDC dc, const Rect& r, int top) {
  if (r.IsEmpty()) return;
  const RECT area{r.x, top + r.y, r.Right(), top + r.Bottom()};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace

// Enters the engine's lock; leaving the outermost one kills the timers given up inside it.
class AnimWindow::Lock {
 public:
  explicit Lock(AnimWindow& w) : w_(w) {
    EnterCriticalSection(&w_.lock_);
    ++w_.lockDepth_;
  }
  ~Lock() {
    std::vector<UINT> kills;
    if (--w_.lockDepth_ == 0) kills.swap(w_.pendingKills_);
    LeaveCriticalSection(&w_.lock_);
    for (UINT id : kills) timeKillEvent(id);
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  AnimWindow& w_;
};

AnimWindow::AnimWindow() { InitializeCriticalSection(&lock_); }

AnimWindow::~AnimWindow() {
  status_ = nullptr;
  Stop();
  if (periodBegun_) timeEndPeriod(resolution_);
  DeleteCriticalSection(&lock_);
}

void AnimWindow::Attach(HWND window) {
  window_ = window;
  windowThread_ = window ? GetWindowThreadProcessId(window, nullptr) : 0;
}

void AnimWindow::SetBarHeights(int toolbar, int statusBar) {
  toolbarHeight_ = std::max(toolbar, 0);
  statusHeight_ = std::max(statusBar, 0);
}

bool AnimWindow::Open(ByteStream& stream) {
  Lock lock(*this);
  return Playback::Open(stream);
}

void AnimWindow::Tick() {
  Lock lock(*this);
  Playback::Tick();
}

bool AnimWindow::Stop() {
  Lock lock(*this);
  return Playback::Stop();
}

void CALLBACK AnimWindow::TimerProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<AnimWindow*>(user)->OnTimerEvent(id);
}

void AnimWindow::OnTimerEvent(UINT id) {
  Lock lock(*this);
  // A callback of a timer that was stopped or replaced in the meantime does nothing.
  if (id == 0 || id != timerId_) return;
  Playback::Tick();
}

bool AnimWindow::PrepareTimer() {
  TIMECAPS caps;
  if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return false;
  const UINT resolution = std::min(std::max<UINT>(caps.wPeriodMin, 1), caps.wPeriodMax);
  if (!periodBegun_ || resolution != resolution_) {
    if (periodBegun_) timeEndPeriod(resolution_);
    periodBegun_ = timeBeginPeriod(resolution) == TIMERR_NOERROR;
  }
  resolution_ = resolution;
  return true;
}

bool AnimWindow::StartTimer(int periodMs) {
  Lock lock(*this);
  KillTimer();
  timerId_ = timeSetEvent(UINT(periodMs), resolution_, TimerProc, reinterpret_cast<DWORD_PTR>(this),
                          TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  return timerId_ != 0;
}

void AnimWindow::KillTimer() {
  Lock lock(*this);
  if (timerId_) pendingKills_.push_back(timerId_);
  timerId_ = 0;
}

SIZE AnimWindow::WantedClient() const {
  return SIZE{ViewAreaWidth(), toolbarHeight_ + statusHeight_ + ViewAreaHeight()};
}

void AnimWindow::FitWindow() {
  if (!window_ || fitting_) return;
  fitting_ = true;
  const SIZE want = WantedClient();
  RECT r{0, 0, want.cx, want.cy};
  const DWORD style = DWORD(GetWindowLongPtrW(window_, GWL_STYLE));
  const DWORD exStyle = DWORD(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  AdjustWindowRectEx(&r, style, GetMenu(window_) != nullptr, exStyle);
  SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps takes more height than the adjustment allowed for.
  RECT client;
  GetClientRect(window_, &client);
  const int dw = want.cx - client.right, dh = want.cy - client.bottom;
  if (dw != 0 || dh != 0) {
    RECT outer;
    GetWindowRect(window_, &outer);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  fitting_ = false;
  Invalidate();
}

void AnimWindow::ShowInactive() {
  if (!window_) return;
  const bool hidden = !IsWindowVisible(window_);
  ShowWindow(window_, SW_SHOWNA);
  if (hidden) UpdateWindow(window_);
}

void AnimWindow::Invalidate() {
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void AnimWindow::PaintNow() {
  if (!window_) return;
  HDC dc = GetDC(window_);
  if (!dc) return;
  Paint(dc);
  ReleaseDC(window_, dc);
  // Drawing from the timer's thread is batched per thread: send it on now. Some systems show
  // a window's new pixels only when its own thread next waits for messages: wake it.
  GdiFlush();
  if (GetCurrentThreadId() != windowThread_) PostMessageW(window_, WM_NULL, 0, 0);
}

void AnimWindow::Paint(HDC dc) {
  Lock lock(*this);
  RECT client{};
  if (window_) GetClientRect(window_, &client);
  const int top = toolbarHeight_;
  const int bottom = std::max<int>(client.bottom - statusHeight_, top);
  const int32_t areaWidth = ViewAreaWidth(), areaHeight = ViewAreaHeight();
  // A window cannot always be made as narrow as a small view area: the area is centred.
  const int left = std::max<int>((client.right - areaWidth) / 2, 0);
  FrameBuffer& fb = Buffer();
  PixelBuffer* pixels = fb.Buffer();
  const bool shown = IsOpen() && pixels && pixels->Handle();
  const PaintPlan plan = shown ? PlanPaint(areaWidth, areaHeight, fb.Width(), fb.Height(), Displayed())
                               : PlanPaint(areaWidth, areaHeight, 0, 0, ViewPlacement{});
  for (Rect band : plan.bands) {
    band.x += left;
    FillBlack(dc, band, top);
  }
  // Whatever of the client lies beside or below the view area is black too.
  FillBlack(dc, Rect{0, 0, left, bottom - top}, top);
  FillBlack(dc, Rect{left + areaWidth, 0, int32_t(client.right) - left - areaWidth, bottom - top}, top);
  FillBlack(dc, Rect{left, areaHeight, areaWidth, bottom - top - areaHeight}, top);
  if (plan.copy.IsEmpty()) return;
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, static_cast<HBITMAP>(pixels->Handle()));
  SetDIBColorTable(memory, 0, 256, reinterpret_cast<const RGBQUAD*>(fb.CombinedColors()));
  BitBlt(dc, left + plan.copy.x, top + plan.copy.y, plan.copy.width, plan.copy.height, memory,
         plan.sourceX, plan.sourceY, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void AnimWindow::SetStatusText(const std::string& text) {
  Lock lock(*this);
  statusText_ = Widen(text);
  if (GetCurrentThreadId() == windowThread_) {
    OnStatusText();
  } else if (window_) {
    PostMessageW(window_, kStatusTextMessage, 0, 0);
  }
}

void AnimWindow::OnStatusText() {
  std::wstring text;
  {
    Lock lock(*this);
    text = statusText_;
  }
  if (status_) SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void AnimWindow::PlaybackStopped() {
  // Posted: a tick must never wait for the window's thread.
  if (window_) PostMessageW(window_, kPlaybackStoppedMessage, 0, 0);
}

void AnimWindow::OnSize(UINT state) {
  if (state == SIZE_MINIMIZED || !IsOpen() || fitting_) return;
  // The window keeps the size of its view area.
  RECT client;
  GetClientRect(window_, &client);
  const SIZE want = WantedClient();
  if (client.right != want.cx || client.bottom != want.cy) FitWindow();
}

void AnimWindow::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (dc) Paint(dc);
  EndPaint(window_, &ps);
}

void AnimWindow::EraseBars(HDC dc) {
  if (!window_ || !dc) return;
  RECT client;
  GetClientRect(window_, &client);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  const RECT top{0, 0, client.right, toolbarHeight_};
  const RECT bottom{0, client.bottom - statusHeight_, client.right, client.bottom};
  if (toolbarHeight_ > 0) FillRect(dc, &top, face);
  if (statusHeight_ > 0) FillRect(dc, &bottom, face);
}

bool AnimWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_SIZE:
      OnSize(UINT(wParam));
      return true;
    case WM_PAINT:
      OnPaint();
      return true;
    case WM_ERASEBKGND:
      // Painting covers the view area; the bars' strips get the face colour, which themed
      // bars ask their parent for.
      EraseBars(reinterpret_cast<HDC>(wParam));
      *result = 1;
      return true;
    case WM_PRINTCLIENT:
      EraseBars(reinterpret_cast<HDC>(wParam));
      Paint(reinterpret_cast<HDC>(wParam));
      return true;
    case WM_CLOSE:
      Stop();
      return true;
    case WM_TIMER:
      Tick();
      return true;
    case WM_DESTROY:
      Stop();
      return false;
    case kStatusTextMessage:
      OnStatusText();
      return true;
    default:
      return false;
  }
}

bool AnimWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = sizeof(AnimWindow*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = kAnimWindowClass;
  return RegisterClassW(&wc) != 0;
}

HWND AnimWindow::CreateHidden(HINSTANCE instance, HWND owner, const wchar_t* title) {
  return CreateWindowExW(0, kAnimWindowClass, title, WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this);
}

LRESULT CALLBACK AnimWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // The object pointer needs the class's window data.
    if (GetClassLongPtrW(window, GCL_CBWNDEXTRA) < LONG_PTR(sizeof(AnimWindow*))) return FALSE;
    auto* self = static_cast<AnimWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    if (self) self->Attach(window);
  }
  auto* self = reinterpret_cast<AnimWindow*>(GetWindowLongPtrW(window, 0));
  LRESULT result = 0;
  if (self && self->HandleMessage(message, wParam, lParam, &result)) return result;
  if (self && message == WM_NCDESTROY) self->Attach(nullptr);
  return DefWindowProcW(window, message, wParam, lParam);
}
