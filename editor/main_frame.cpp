// The main frame: its window, the layout of the panes and bars, the splitter, the tool
// choice, and the router every command passes through.
#include "editor/main_frame.h"

#include <commctrl.h>
#include <shellapi.h>

#include <new>

#include "edit/drawing_settings.h"
#include "edit/frame_layout.h"
#include "edit/open_path.h"
#include "edit/tool_dispatch.h"
#include "editor/cut_window.h"
#include "editor/drawing_commands.h"
#include "editor/editor_tools.h"
#include "editor/pen_chooser.h"
#include "editor/program_state.h"
#include "editor/resource.h"
#include "editor/ui_text.h"
#include "files/film.h"
#include "model/cut.h"
#include "win32/text_convert.h"
#include "win32/toolbar_button.h"

namespace {

constexpr wchar_t kFrameClass[] = L"OrvinadeFrame";
constexpr int kToolbarImages = 27;
constexpr int kToolbarImage = 16;
constexpr int kTooltipChars = 80;
constexpr UINT_PTR kRecoveryTimer = 1;
constexpr UINT kRecoveryTimerMs = 1000;

MainFrame* gMainFrame = nullptr;

// The toolbar: image → command, separators between the groups, check buttons for the tools.
const TBBUTTON kButtons[] = {
    ToolbarButton(21, ID_FILM_NEW_CUT_BEFORE, BTNS_BUTTON), ToolbarButton(22, ID_FILM_NEW_CUT_AFTER, BTNS_BUTTON),
    ToolbarButton(23, ID_FILM_DELETE_CUTS, BTNS_BUTTON),    ToolbarButton(0, 0, BTNS_SEP),
    ToolbarButton(1, ID_FRAME_ADD, BTNS_BUTTON),            ToolbarButton(2, ID_FRAME_INSERT, BTNS_BUTTON),
    ToolbarButton(3, ID_FRAME_DELETE, BTNS_BUTTON),         ToolbarButton(5, ID_FRAME_PREVIOUS, BTNS_BUTTON),
    ToolbarButton(4, ID_FRAME_NEXT, BTNS_BUTTON),           ToolbarButton(0, 0, BTNS_SEP),
    ToolbarButton(6, ID_CELL_ADD, BTNS_BUTTON),             ToolbarButton(7, ID_CELL_INSERT, BTNS_BUTTON),
    ToolbarButton(8, ID_CELL_DELETE, BTNS_BUTTON),          ToolbarButton(10, ID_CELL_PREVIOUS, BTNS_BUTTON),
    ToolbarButton(9, ID_CELL_NEXT, BTNS_BUTTON),            ToolbarButton(0, 0, BTNS_SEP),
    ToolbarButton(11, ID_TOOL_FREE_PEN, BTNS_CHECK),        ToolbarButton(12, ID_TOOL_ERASER, BTNS_CHECK),
    ToolbarButton(13, ID_TOOL_LINE, BTNS_CHECK),            ToolbarButton(14, ID_TOOL_CURVE, BTNS_CHECK),
    ToolbarButton(15, ID_TOOL_FILL, BTNS_CHECK),            ToolbarButton(16, ID_TOOL_SELECT, BTNS_CHECK),
    ToolbarButton(17, ID_TOOL_ZOOM, BTNS_CHECK),            ToolbarButton(0, 0, BTNS_SEP),
    ToolbarButton(0, ID_CELL_UNDO, BTNS_BUTTON),            ToolbarButton(18, ID_TOOL_MASK, BTNS_BUTTON),
    ToolbarButton(0, 0, BTNS_SEP),                          ToolbarButton(24, ID_CUT_ANIMATION, BTNS_BUTTON),
    ToolbarButton(25, ID_ANIMATION_STOP, BTNS_BUTTON),
};

void Place(HWND control, const Rect& r) {
  if (control) MoveWindow(control, r.x, r.y, r.width, r.height, TRUE);
}

}  // namespace

MainFrame* TheMainFrame() { return gMainFrame; }
void SetTheMainFrame(MainFrame* frame) { gMainFrame = frame; }

// The frame's own commands. The tools are chosen by their commands: a tool's number is its
// command's.
const Command<MainFrame> MainFrame::kCommands[] = {
    {ID_APP_EXIT, [](MainFrame& f, int) { f.OnExit(); }},
    {ID_APP_ABOUT, [](MainFrame& f, int) { f.OnAbout(); }},
    {ID_VIEW_STATUS_BAR, [](MainFrame& f, int) { f.OnToggleBar(kStatusBarShown, f.statusBar_); }},
    {ID_VIEW_TOOLBAR, [](MainFrame& f, int) { f.OnToggleBar(kToolbarShown, f.toolbar_); }},
    {ID_ANIMATION_STOP, [](MainFrame& f, int) { f.preview_.StopAndHide(); }},
    {ID_TOOL_EXPLAIN, [](MainFrame& f, int) { f.OnExplainTool(); }},
    {ID_TOOL_FRAME_POSITION, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_FRAME_POSITION); }},
    {ID_TOOL_LAYER_POSITION, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_LAYER_POSITION); }},
    {ID_TOOL_ZOOM, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_ZOOM); }},
    {ID_TOOL_FREE_PEN, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_FREE_PEN); }},
    {ID_TOOL_FILL, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_FILL); }},
    {ID_TOOL_LINE, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_LINE); }},
    {ID_TOOL_CURVE, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_CURVE); }},
    {ID_TOOL_RECTANGLE, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_RECTANGLE); }},
    {ID_TOOL_SELECT, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_SELECT); }},
    {ID_TOOL_ERASER, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_ERASER); }},
    {ID_TOOL_GRADATION, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_GRADATION); }},
    {ID_TOOL_TEXT, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_TEXT); }},
    {ID_TOOL_BORDER, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_BORDER); }},
    {ID_TOOL_MOSAIC, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_MOSAIC); }},
    {ID_TOOL_CONCENTRATION, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_CONCENTRATION); }},
    {ID_TOOL_PARALLEL, [](MainFrame& f, int) { f.SelectTool(ID_TOOL_PARALLEL); }},
    {ID_TOOL_SQUARE_PEN, [](MainFrame&, int) { ToggleSquarePen(Program().drawing); }},
    {ID_TOOL_GRID, [](MainFrame& f, int) { AskSnapGrid(f.Owner()); }},
    {ID_TOOL_MASK, [](MainFrame& f, int) { AskProtectMask(f.Owner()); }},
    {ID_TOOL_FONT, [](MainFrame& f, int) { AskTextFont(f.Owner()); }},
    {ID_CLIPBOARD_TRANSPARENT, [](MainFrame& f, int) { AskClipboardColor(f.Owner()); }},
    {ID_CELL_RANDOM_DOTS, [](MainFrame& f, int) { AskRandomDots(f.ActiveCutWindow(), f.Owner()); }},
    {ID_CELL_DRAW_GRID, [](MainFrame& f, int) { AskGridLines(f.ActiveCutWindow(), f.Owner()); }},
};

MainFrame::MainFrame(HINSTANCE instance)
    : instance_(instance),
      currentTool_(ID_TOOL_FREE_PEN),
      previousTool_(ID_TOOL_FREE_PEN),
      filmPane_(host_, panels_, preview_, [this] { recovery_.ForgetSaved(); }),
      recovery_(RecoveryHooks(), filmPane_.TheFilm(), '\\') {
  host_.preview = &preview_;
  host_.commitPanels = [this](CutWindow& window) { panels_.Commit(&window); };
  host_.refreshPanels = [this](CutWindow& window) { panels_.Refresh(&window); };
  host_.updateLayerRow = [this](CutWindow& window) { panels_.UpdateLayerRow(window); };
  host_.activated = [this](CutWindow& window) {
    filmPane_.SelectCutOfWindow(window);
    panels_.Refresh(&window);
  };
  host_.confirmClose = [this](CutWindow& window) { return filmPane_.ConfirmCloseCut(window); };
  host_.leaveFilm = [this](const Cut& cut) { filmPane_.TheFilm().DetachCut(&cut); };
  host_.closed = [this](const Cut& cut) { recovery_.Closed(cut); };
  host_.currentTool = [this] { return currentTool_; };
  host_.previousTool = [this] { return previousTool_; };
  host_.selectTool = [this](uint32_t tool) { SelectTool(tool); };
  host_.popUpToolMenu = [this] { PopUpToolMenu(); };
  host_.togglePanels = [this] { TogglePanels(); };
  host_.openFile = [this](const std::string& path) { return OpenByExtension(path); };
}

MainFrame::~MainFrame() = default;

RecoveryHost MainFrame::RecoveryHooks() {
  RecoveryHost hooks;
  hooks.openCuts = [this] {
    std::vector<Cut*> cuts;
    for (CutWindow* window : CutWindow::All(mdiClient_)) cuts.push_back(&window->TheCut());
    return cuts;
  };
  hooks.atRest = [this] { return AtRest(); };
  hooks.filmRestored = [this] { filmPane_.ShowFilm(); };
  hooks.openCut = [this](std::unique_ptr<Cut> cut) -> Cut* {
    CutWindow* window = filmPane_.OpenRestoredCut(std::move(cut));
    return window ? &window->TheCut() : nullptr;
  };
  return hooks;
}

bool MainFrame::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = sizeof(MainFrame*);
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_FRAME));
  // What shows of the frame's own client area is the splitter strip.
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32644));  // IDC_SIZEWE
  wc.lpszClassName = kFrameClass;
  return RegisterClassExW(&wc) != 0;
}

HWND MainFrame::Create() {
  return CreateWindowExW(WS_EX_ACCEPTFILES, kFrameClass, kFrameTitle,
                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                         LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAIN_MENU)), instance_, this);
}

LRESULT CALLBACK MainFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    if (self) self->frame_ = window;
  }
  auto* self = reinterpret_cast<MainFrame*>(GetWindowLongPtrW(window, 0));
  if (!self) return DefFrameProcW(window, nullptr, message, wParam, lParam);
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    // What the memory cannot hold is not done; the editor and its documents stay.
    MessageBeep(MB_ICONHAND);
    return 0;
  }
}

LRESULT MainFrame::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(frame_, mdiClient_, message, wParam, lParam);
}

LRESULT MainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SIZE:
      OnSize(UINT(wParam), lParam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), HIWORD(wParam) != 0);
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CLOSE:
      OnExit();
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      if (OnCommand(HIWORD(wParam), LOWORD(wParam))) return 0;
      break;
    case WM_INITMENU:
      OnInitMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      break;
    case WM_MENUSELECT:
      ShowMenuHelp(LOWORD(wParam));
      break;
    case WM_MOUSEMOVE:
      OnSplitterMove(short(LOWORD(lParam)));
      return 0;
    case WM_LBUTTONDOWN:
      OnSplitterDown(short(LOWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
      OnSplitterUp(short(LOWORD(lParam)));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_ACTIVATEAPP:
      if (!wParam) recovery_.OnDeactivated(RecoveryCopies::Clock::now());
      break;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
      menuLoop_ = message == WM_ENTERMENULOOP;
      break;
  }
  return Default(message, wParam, lParam);
}

HWND MainFrame::CreateChild(DWORD exStyle, const wchar_t* className, DWORD style, int id) {
  HWND child = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                               frame_, reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
  if (child) SendMessageW(child, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

bool MainFrame::OnCreate() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);

  CLIENTCREATESTRUCT client = {};
  client.hWindowMenu = GetSubMenu(GetMenu(frame_), 7);  // "ウィンドウ(&W)"
  client.idFirstChild = IDC_FIRST_MDI_CHILD;
  mdiClient_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0,
                      frame_, reinterpret_cast<HMENU>(INT_PTR(IDC_MDI_CLIENT)), instance_, &client);
  FramePanels::Controls& c = panes_;
  c.frameTime = CreateChild(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL, IDC_FRAME_TIME);
  c.loop = CreateChild(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL, IDC_LOOP);
  c.brightness = CreateChild(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL, IDC_BRIGHTNESS);
  c.comment = CreateChild(WS_EX_CLIENTEDGE, L"EDIT", ES_AUTOHSCROLL, IDC_COMMENT);
  c.layerList = CreateChild(WS_EX_CLIENTEDGE, L"LISTBOX",
                            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, IDC_LAYER_LIST);
  c.cutList =
      CreateChild(WS_EX_CLIENTEDGE, L"LISTBOX",
                  LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL | WS_VSCROLL, IDC_CUT_LIST);
  statusBar_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame_,
                      reinterpret_cast<HMENU>(INT_PTR(IDC_STATUS_BAR)), instance_, nullptr);
  const bool toolbarMade = CreateToolbar();
  c.keyframe = CreateChild(0, L"BUTTON", BS_AUTOCHECKBOX | BS_NOTIFY, IDC_KEYFRAME);
  toolPopup_ = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TOOL_MENU));
  if (!mdiClient_ || !statusBar_ || !toolbarMade) return false;

  host_.frame = frame_;
  host_.mdiClient = mdiClient_;
  panels_.Attach(panes_, mdiClient_, Owner());
  filmPane_.Attach(c.cutList, Owner());

  HDC dc = GetDC(frame_);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(frame_, dc);
  lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading + 4;

  SetToolMark(currentTool_, true);
  ThePenChooser().Create(instance_, frame_);
  preview_.Create(instance_, frame_);
  layoutFlags_ = kStatusBarShown | kToolbarShown | kPanelsShown | kNormalLayout;
  // Cuts opened before the frame is first shown get a client of the right size.
  Layout();
  SetTimer(frame_, kRecoveryTimer, kRecoveryTimerMs, nullptr);
  return true;
}

bool MainFrame::CreateToolbar() {
  toolbar_ =
      CreateToolbarEx(frame_, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, kToolbarImages,
                      instance_, IDB_TOOLBAR, kButtons, int(std::size(kButtons)), kToolbarImage,
                      kToolbarImage, kToolbarImage, kToolbarImage, sizeof(TBBUTTON));
  return toolbar_ != nullptr;
}

void MainFrame::OnDestroy() {
  KillTimer(frame_, kRecoveryTimer);
  preview_.Stop();
  if (toolPopup_) DestroyMenu(toolPopup_);
  toolPopup_ = nullptr;
  PostQuitMessage(0);
}

// The bar's height whether it shows or not: the layout goes by the layout flags.
int MainFrame::BarHeight(HWND bar) const {
  RECT r;
  if (!bar || !GetWindowRect(bar, &r)) return 0;
  return r.bottom - r.top;
}

void MainFrame::OnSize(UINT state, LPARAM lParam) {
  if (statusBar_) SendMessageW(statusBar_, WM_SIZE, state, lParam);
  if (toolbar_) SendMessageW(toolbar_, WM_SIZE, state, lParam);
  Layout();
}

void MainFrame::Layout() {
  RECT client;
  GetClientRect(frame_, &client);
  if (!(layoutFlags_ & kNormalLayout)) {
    Place(mdiClient_, Rect{0, 0, client.right, client.bottom});
    return;
  }
  const int toolbar = (layoutFlags_ & kToolbarShown) ? BarHeight(toolbar_) : 0;
  const int status = (layoutFlags_ & kStatusBarShown) ? BarHeight(statusBar_) : 0;
  const FrameLayout l =
      LayOutFrame(client.right, client.bottom, toolbar, status, lineHeight_, paneWidth_);
  const FramePanels::Controls& c = panes_;
  Place(mdiClient_, l.mdiClient);
  Place(c.comment, l.comment);
  Place(c.keyframe, l.keyframe);
  Place(c.frameTime, l.frameTime);
  Place(c.brightness, l.brightness);
  Place(c.loop, l.loop);
  Place(c.layerList, l.layerList);
  Place(c.cutList, l.cutList);
  InvalidateRect(frame_, nullptr, FALSE);
}

void MainFrame::OnActivate(UINT state, bool minimised) {
  if (state == WA_INACTIVE || minimised) return;
  HDC dc = GetDC(frame_);
  SelectEditorPalette(dc);
  ReleaseDC(frame_, dc);
  if (CutWindow* cut = ActiveCutWindow()) SendMessageW(cut->Window(), kCancelMessage, 0, 0);
}

void MainFrame::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(frame_, &ps);
  RECT client;
  GetClientRect(frame_, &client);
  const RECT strip{paneWidth_, client.top, paneWidth_ + kSplitterWidth, client.bottom};
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  EndPaint(frame_, &ps);
}

LRESULT MainFrame::OnNotify(NMHDR* header) {
  if (!header) return 0;
  switch (header->code) {
    case TTN_GETDISPINFOW: {
      // The tooltip is the first line of the command's help, and only while the status
      // bar is shown.
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
      info->lpszText = info->szText;
      info->szText[0] = L'\0';
      info->hinst = nullptr;
      if (layoutFlags_ & kStatusBarShown) {
        const std::wstring tip = FirstLine(LoadUiString(instance_, int(header->idFrom)));
        wcsncpy(info->szText, tip.c_str(), kTooltipChars - 1);
        info->szText[kTooltipChars - 1] = L'\0';
      }
      return 0;
    }
    case TTN_SHOW:
      ShowMenuHelp(int(header->idFrom));
      return 0;
    case TTN_POP:
      SetStatusText(L"");
      return 0;
  }
  return 0;
}

void MainFrame::ShowMenuHelp(int id) {
  SetStatusText(StatusHelp(LoadUiString(instance_, id)));
}

void MainFrame::SetStatusText(const std::wstring& text) {
  if (statusBar_) SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void MainFrame::OnInitMenu(HMENU menu) {
  auto check = [menu](int id, bool on) {
    CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  };
  if (CutWindow* cut = ActiveCutWindow()) {
    const uint32_t flags = cut->TheCut().DisplayFlags();
    check(ID_CELL_SHOW_PREVIOUS, flags & kShowPreviousCell);
    check(ID_CELL_SHOW_NEXT, flags & kShowNextCell);
    check(ID_CUT_CURRENT_CELL_ONLY, flags & kCurrentCellOnly);
    check(ID_CUT_PALE_LAYERS, flags & kOtherLayersPale);
    check(ID_CELL_EMPTY, cut->CurrentCellIsEmpty());
    check(ID_TOOL_SMOOTHING_SKIP, Program().drawing.smoothingSkip);
    check(ID_TOOL_EMPHASIZE_LINES, cut->LinesEmphasized());
  }
  check(ID_CLIPBOARD_TRANSPARENT, Program().clipTransparent);
  check(ID_TOOL_SQUARE_PEN, Program().drawing.squarePen);
  check(ID_VIEW_STATUS_BAR, layoutFlags_ & kStatusBarShown);
  check(ID_VIEW_TOOLBAR, layoutFlags_ & kToolbarShown);
}

void MainFrame::OnInitMenuPopup(HMENU menu) {
  if (!toolPopup_ || menu != GetSubMenu(toolPopup_, 0)) return;
  auto check = [menu](int id, bool on) {
    CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  };
  if (CutWindow* cut = ActiveCutWindow()) {
    check(ID_TOOL_SMOOTHING_SKIP, Program().drawing.smoothingSkip);
    check(ID_TOOL_EMPHASIZE_LINES, cut->LinesEmphasized());
  }
  check(ID_TOOL_SQUARE_PEN, Program().drawing.squarePen);
}

void MainFrame::OnDropFiles(HDROP drop) {
  std::wstring path(MAX_PATH, L'\0');
  const UINT n = DragQueryFileW(drop, 0, path.data(), MAX_PATH);
  path.resize(n < MAX_PATH ? n : 0);
  DragFinish(drop);
  if (!path.empty()) OpenByExtension(AnsiPath(path));
  SetForegroundWindow(frame_);
}

void MainFrame::OnTimer(UINT_PTR id) {
  if (id == kRecoveryTimer) recovery_.OnTimer(RecoveryCopies::Clock::now());
}

bool MainFrame::AtRest() {
  if (menuLoop_ || filmPane_.Exporting() || splitterDragging_ || !IsWindowEnabled(frame_) ||
      GetCapture())
    return false;
  for (const int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
    if (GetAsyncKeyState(button) & 0x8000) return false;
  if (GestureInProgress(EditorTools())) return false;
  // A floating paste is not put down yet.
  for (CutWindow* cut : CutWindow::All(mdiClient_))
    if (cut->TheSelection().floating) return false;
  return true;
}

void MainFrame::DrawSplitterTrack() {
  RECT client;
  GetClientRect(frame_, &client);
  const int top = (layoutFlags_ & kToolbarShown) ? BarHeight(toolbar_) : 0;
  const int bottom = client.bottom - ((layoutFlags_ & kStatusBarShown) ? BarHeight(statusBar_) : 0);
  const RECT strip{paneWidth_, top, paneWidth_ + kSplitterWidth, bottom};
  HDC dc = GetDC(frame_);
  DrawFocusRect(dc, &strip);
  ReleaseDC(frame_, dc);
}

void MainFrame::OnSplitterDown(int x) {
  SetCapture(frame_);
  splitterDragging_ = true;
  dragAnchor_ = x;
  DrawSplitterTrack();
}

void MainFrame::OnSplitterMove(int x) {
  if (!splitterDragging_) return;
  DrawSplitterTrack();
  paneWidth_ += x - dragAnchor_;
  DrawSplitterTrack();
  dragAnchor_ = x;
}

void MainFrame::OnSplitterUp(int x) {
  if (!splitterDragging_) return;
  ReleaseCapture();
  splitterDragging_ = false;
  DrawSplitterTrack();
  paneWidth_ += x - dragAnchor_;
  Layout();
}

CutWindow* MainFrame::ActiveCutWindow() const {
  return CutWindow::Active(mdiClient_);
}

void MainFrame::SetToolMark(uint32_t tool, bool on) {
  if (toolbar_) SendMessageW(toolbar_, TB_CHECKBUTTON, tool, MAKELONG(on ? TRUE : FALSE, 0));
  const UINT state = MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED);
  if (HMENU menu = GetMenu(frame_)) CheckMenuItem(menu, tool, state);
  if (toolPopup_) CheckMenuItem(toolPopup_, tool, state);
}

void MainFrame::SelectTool(uint32_t tool) {
  if (tool == currentTool_) return;
  CutWindow* cut = ActiveCutWindow();
  if (cut) SendMessageW(cut->Window(), kCancelMessage, 0, 0);
  SetToolMark(currentTool_, false);
  previousTool_ = currentTool_;
  currentTool_ = tool;
  SetToolMark(currentTool_, true);
  if (cut) SendMessageW(cut->Window(), kCancelMessage, 0, 0);
}

void MainFrame::PopUpToolMenu() {
  if (!toolPopup_) return;
  POINT at;
  GetCursorPos(&at);
  TrackPopupMenu(GetSubMenu(toolPopup_, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, frame_, nullptr);
}

void MainFrame::TogglePanels() {
  layoutFlags_ ^= kNormalLayout;
  const bool normal = layoutFlags_ & kNormalLayout;
  const bool panels = normal && (layoutFlags_ & kPanelsShown);
  const FramePanels::Controls& c = panes_;
  const std::pair<HWND, bool> controls[] = {
      {statusBar_, normal && (layoutFlags_ & kStatusBarShown)},
      {toolbar_, normal && (layoutFlags_ & kToolbarShown)},
      {c.layerList, panels},
      {c.frameTime, panels},
      {c.loop, panels},
      {c.brightness, panels},
      {c.cutList, panels},
      {c.keyframe, panels},
      {c.comment, panels}};
  ShowAroundLayout(controls);
}

void MainFrame::OnToggleBar(uint32_t flag, HWND bar) {
  layoutFlags_ ^= flag;
  const std::pair<HWND, bool> shown[] = {{bar, (layoutFlags_ & flag) != 0}};
  ShowAroundLayout(shown);
}

// Windows are shown only after the MDI client has moved off their place: moving it copies
// what the screen shows there, and a window shown over it a moment before would be copied
// into the cut windows.
void MainFrame::ShowAroundLayout(std::span<const std::pair<HWND, bool>> windows) {
  for (const auto& [window, shown] : windows)
    if (!shown && window) ShowWindow(window, SW_HIDE);
  Layout();
  for (const auto& [window, shown] : windows)
    if (shown && window) ShowWindow(window, SW_SHOW);
}

// The active cut window first, then the panels, the film pane and the frame's own commands;
// what none of them knows goes to default frame processing (the window menu's items).
bool MainFrame::OnCommand(int code, int id) {
  if (CutWindow* cut = ActiveCutWindow(); cut && cut->RunCommand(id, code)) return true;
  return panels_.RunCommand(id, code) || filmPane_.RunCommand(id, code) ||
         RunCommand(kCommands, *this, id, code);
}

bool MainFrame::OpenByExtension(const std::string& path) {
  switch (OpenKindOf(path)) {
    case OpenKind::kCut:
      return filmPane_.OpenCutFile(path);
    case OpenKind::kLayer: {
      CutWindow* cut = ActiveCutWindow();
      return cut && panels_.OpenLayerFile(*cut, path);
    }
    case OpenKind::kFilm:
      // A dropped film asks about the changed one first, as the open command does.
      return filmPane_.AskSaveFilm() && filmPane_.OpenFilm(path);
    case OpenKind::kNothing:
      break;
  }
  return false;
}

void MainFrame::OnExit() {
  if (!CutWindow::CloseAll(mdiClient_) || !filmPane_.AskSaveFilm()) return;
  DestroyWindow(frame_);
}

void MainFrame::OnExplainTool() {
  const std::wstring text = LoadUiString(instance_, int(currentTool_));
  const size_t feed = text.find(L'\n');
  const std::wstring caption = feed == std::wstring::npos ? L"Orvinade Tool" : text.substr(0, feed);
  const std::wstring message = feed == std::wstring::npos ? text : text.substr(feed + 1);
  MessageBoxW(frame_, message.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainFrame::OnAbout() {
  MessageBoxW(frame_, LoadUiString(instance_, IDS_ABOUT).c_str(), L"About Orvinade", MB_OK);
}
