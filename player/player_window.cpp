#include "player/player_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "anim/ov_layout.h"
#include "io/safe_save.h"
#include "player/resource.h"
#include "player/step_speed_dialog.h"
#include "win32/file_dialog.h"
#include "win32/text_convert.h"
#include "win32/toolbar_button.h"
#include "win32/whole_file.h"

namespace {

constexpr wchar_t kClassName[] = L"NimPlayerWnd";
constexpr wchar_t kTitle[] = L"OrvinaPlayer";
constexpr int kToolbarImages = 5;
constexpr int kToolbarImageWidth = 16, kToolbarImageHeight = 15;
constexpr int kTooltipChars = 80;

constexpr wchar_t kOpenFilters[] =
    L"Playable Files (*.ov;*.tl;*.lzh;*.zip)\0*.ov;*.tl;*.lzh;*.zip\0"
    L"Orvina Files (*.ov)\0*.ov\0"
    L"Talvex Files (*.tl)\0*.tl\0"
    L"Archive Files (*.lzh;*.zip)\0*.lzh;*.zip\0"
    L"All Files (*.*)\0*.*\0";
constexpr wchar_t kExtractFilters[] = L"TL Files (*.tl)\0*.tl\0All Files (*.*)\0*.*\0";

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int HeightOf(HWND window) {
  RECT r;
  return window && GetWindowRect(window, &r) ? int(r.bottom - r.top) : 0;
}

}  // namespace

PlayerWindow::PlayerWindow(HINSTANCE instance)
    : instance_(instance), settingsPath_(PlayerSettingsPath()) {}

PlayerWindow::~PlayerWindow() {
  // The bars went with the window.
  anim_.SetStatusBar(nullptr);
  anim_.Stop();
}

bool PlayerWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.cbWndExtra = sizeof(PlayerWindow*);
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PLAYER));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszMenuName = MAKEINTRESOURCEW(IDR_PLAYER_MENU);
  wc.lpszClassName = kClassName;
  return RegisterClassW(&wc) != 0;
}

HWND PlayerWindow::Create() {
  return CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, kTitle,
                         WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
}

LRESULT CALLBACK PlayerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<PlayerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    if (self) {
      self->window_ = window;
      self->anim_.Attach(window);
    }
  }
  auto* self = reinterpret_cast<PlayerWindow*>(GetWindowLongPtrW(window, 0));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

LRESULT PlayerWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_SIZE:
      OnSize(UINT(wParam), lParam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      return 0;
    case WM_INITMENU:
      OnInitMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case kPlaybackStoppedMessage:
      ShowPlayButton();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  LRESULT result = 0;
  if (anim_.HandleMessage(message, wParam, lParam, &result)) return result;
  return DefWindowProcW(window_, message, wParam, lParam);
}

bool PlayerWindow::OnCreate() {
  settings_ = ReadPlayerSettings(settingsPath_);
  anim_.Buffer().SetHighlight(settings_.red, settings_.green, settings_.blue);

  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                            reinterpret_cast<HMENU>(IDC_PLAYER_STATUS), instance_, nullptr);
  const TBBUTTON buttons[] = {
      ToolbarButton(0, ID_FILE_OPEN, BTNS_BUTTON), ToolbarButton(0, 0, BTNS_SEP),
      ToolbarButton(1, ID_PLAY, BTNS_CHECK),       ToolbarButton(4, ID_STEP_MODE, BTNS_CHECK),
      ToolbarButton(0, 0, BTNS_SEP),               ToolbarButton(3, ID_PREVIOUS_CUT, BTNS_BUTTON),
      ToolbarButton(2, ID_NEXT_CUT, BTNS_BUTTON),
  };
  toolbar_ = CreateToolbarEx(window_, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, IDC_PLAYER_TOOLBAR,
                             kToolbarImages, instance_, IDB_PLAYER_TOOLBAR, buttons,
                             int(sizeof buttons / sizeof buttons[0]), kToolbarImageWidth,
                             kToolbarImageHeight, kToolbarImageWidth, kToolbarImageHeight,
                             sizeof(TBBUTTON));
  if (!status_ || !toolbar_) return false;
  anim_.SetStatusBar(status_);
  MeasureBars();
  return true;
}

void PlayerWindow::MeasureBars() { anim_.SetBarHeights(HeightOf(toolbar_), HeightOf(status_)); }

void PlayerWindow::OnSize(UINT state, LPARAM lParam) {
  // The bars lay themselves out on the parent's new size.
  if (status_) SendMessageW(status_, WM_SIZE, state, lParam);
  if (toolbar_) SendMessageW(toolbar_, WM_SIZE, state, lParam);
  MeasureBars();
  LRESULT ignored;
  anim_.HandleMessage(WM_SIZE, state, lParam, &ignored);
}

void PlayerWindow::OnActivate(UINT state) {
  if (state == WA_INACTIVE) {
    // Playback pauses while another window is active.
    if (anim_.Stop()) anim_.SetTimerRate(-1);
  } else if (anim_.TimerRate() == -1) {
    anim_.SetTimerRate(0);
    anim_.ClearStatus();
    anim_.Tick();
  }
}

void PlayerWindow::OnInitMenu(HMENU menu) {
  CheckMenuItem(menu, ID_PLAY, MF_BYCOMMAND | (anim_.TimerRate() != 0 ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, ID_STEP_MODE, MF_BYCOMMAND | (anim_.StepFactor() > 1 ? MF_CHECKED : MF_UNCHECKED));
}

void PlayerWindow::OnDropFiles(HDROP drop) {
  std::wstring path;
  const UINT n = DragQueryFileW(drop, 0, nullptr, 0);
  if (n > 0 && n != UINT(-1)) {
    path.resize(n + 1);
    DragQueryFileW(drop, 0, path.data(), n + 1);
    path.resize(n);
  }
  DragFinish(drop);
  const bool wasRunning = anim_.Stop();
  if (path.empty() || !Load(path)) Restart(wasRunning);
  SetForegroundWindow(window_);
}

LRESULT PlayerWindow::OnNotify(const NMHDR* header) {
  if (!header) return 0;
  // Tooltips of the toolbar buttons: the string with the button's command id.
  if (header->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    info->hinst = nullptr;
    info->lpszText = info->szText;
    info->szText[0] = L'\0';
    LoadStringW(instance_, UINT(info->hdr.idFrom), info->szText, kTooltipChars);
  } else if (header->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
    info->hinst = nullptr;
    info->lpszText = info->szText;
    info->szText[0] = '\0';
    LoadStringA(instance_, UINT(info->hdr.idFrom), info->szText, kTooltipChars);
  }
  return 0;
}

void PlayerWindow::OnClose() {
  anim_.Stop();
  DestroyWindow(window_);
}

void PlayerWindow::OnDestroy() {
  // No tick may touch the window once it is gone.
  anim_.Stop();
  PostQuitMessage(0);
}

void PlayerWindow::OnCommand(int id) {
  switch (id) {
    case ID_FILE_OPEN: OnOpen(); break;
    case ID_FILE_EXIT: DestroyWindow(window_); break;
    case ID_PLAY: OnPlay(); break;
    case ID_STEP_MODE: OnStepMode(); break;
    case ID_NEXT_CUT: OnNextCut(); break;
    case ID_PREVIOUS_CUT: OnPreviousCut(); break;
    case ID_HIGHLIGHT: OnHighlight(); break;
    case ID_STEP_SPEED: OnStepSpeed(); break;
    case ID_EXTRACT: OnExtract(); break;
  }
}

void PlayerWindow::ShowPlayButton() {
  if (toolbar_) SendMessageW(toolbar_, TB_CHECKBUTTON, ID_PLAY, MAKELONG(anim_.TimerRate() != 0, 0));
}

void PlayerWindow::ShowStepButton() {
  if (toolbar_) SendMessageW(toolbar_, TB_CHECKBUTTON, ID_STEP_MODE, MAKELONG(anim_.StepFactor() != 1, 0));
}

void PlayerWindow::Restart(bool wasRunning) {
  if (wasRunning) anim_.Tick();
  ShowPlayButton();
}

bool PlayerWindow::OpenBlock(std::vector<uint8_t> block) {
  // The engine is stopped here: nothing reads the old block while it is replaced.
  block_ = std::move(block);
  stream_.Attach(block_.data(), int32_t(block_.size()), int32_t(block_.size()));
  const bool opened = anim_.Open(stream_);
  ShowPlayButton();
  ShowStepButton();
  return opened;
}

bool PlayerWindow::Load(const std::wstring& path) {
  std::vector<uint8_t> block = ArchiveLoader::IsArchivePath(path) ? archives_.ReadArchive(window_, path)
                                                                  : ReadWholeFile(path);
  if (block.empty()) return false;
  anim_.Stop();
  SetWindowTextW(window_, (std::wstring(kTitle) + L" - [" + FileNameOf(path) + L"]").c_str());
  if (!OpenBlock(std::move(block))) PlayBuiltIn();
  anim_.ClearStatus();
  return true;
}

bool PlayerWindow::PlayBuiltIn() {
  HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(IDR_BUILT_IN_ANIMATION), L"" PLAYER_ANIMATION_TYPE);
  HGLOBAL loaded = found ? LoadResource(instance_, found) : nullptr;
  const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = found ? SizeofResource(instance_, found) : 0;
  if (!bytes || size == 0) return false;
  anim_.Stop();
  return OpenBlock(std::vector<uint8_t>(bytes, bytes + size));
}

void PlayerWindow::OnOpen() {
  const bool wasRunning = anim_.Stop();
  const std::wstring path = AskOpenPath(window_, kOpenFilters);
  // A cancelled dialog or an unreadable file leave the film playing on as it was.
  if (path.empty() || !Load(path)) Restart(wasRunning);
}

void PlayerWindow::OnPlay() {
  if (anim_.TimerRate() != 0) {
    anim_.Stop();
    anim_.SetTimerRate(0);  // also ends a pause
  } else {
    anim_.SetStepFactor(anim_.StepFactor());
    anim_.Tick();
  }
  ShowPlayButton();
}

void PlayerWindow::OnStepMode() {
  const bool wasRunning = anim_.Stop();
  anim_.SetStepFactor(anim_.StepFactor() == 1 ? settings_.slow : 1);
  ShowStepButton();
  Restart(wasRunning);
}

void PlayerWindow::AfterCutJump(bool wasRunning) {
  Decoder& decoder = anim_.AnimDecoder();
  if (wasRunning) {
    const int titleTicks = decoder.Cut().fps * 100 / anim_.StepFactor() / 200;
    anim_.SetTitleTicks(titleTicks);
    anim_.SetNextDuration(std::max(anim_.NextDuration(), titleTicks));
    anim_.Tick();
  } else {
    anim_.SetMark(decoder.NextCutIndex());
    anim_.CentreOnFrame();
    anim_.ShowCredit();
    anim_.Buffer().Blend(0, 1);
    InvalidateRect(window_, nullptr, FALSE);
  }
  ShowPlayButton();
}

void PlayerWindow::OnNextCut() {
  const bool wasRunning = anim_.Stop();
  Decoder& decoder = anim_.AnimDecoder();
  if (!anim_.IsOpen()) return Restart(wasRunning);
  // When the frame decoded ahead already begins the next cut there is nothing to decode.
  if (decoder.NextCutIndex() == anim_.Mark()) anim_.SetNextDuration(decoder.NextCut());
  anim_.SetTicksLeft(1);
  AfterCutJump(wasRunning);
}

void PlayerWindow::OnPreviousCut() {
  const bool wasRunning = anim_.Stop();
  Decoder& decoder = anim_.AnimDecoder();
  if (!anim_.IsOpen()) return Restart(wasRunning);
  decoder.SetNextCutIndex(anim_.Mark());
  anim_.SetNextDuration(decoder.PreviousCut());
  anim_.SetTicksLeft(1);
  AfterCutJump(wasRunning);
}

void PlayerWindow::OnHighlight() {
  static COLORREF custom[16];
  CHOOSECOLORW cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = window_;
  cc.rgbResult = RGB(settings_.red, settings_.green, settings_.blue);
  cc.lpCustColors = custom;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorW(&cc)) return;
  settings_.red = GetRValue(cc.rgbResult);
  settings_.green = GetGValue(cc.rgbResult);
  settings_.blue = GetBValue(cc.rgbResult);
  WriteHighlightSetting(settingsPath_, settings_.red, settings_.green, settings_.blue);

  const bool wasRunning = anim_.Stop();
  anim_.Buffer().SetHighlight(settings_.red, settings_.green, settings_.blue);
  if (anim_.IsOpen()) {
    // The cut starts again so that its level ramp is built with the new colour.
    Decoder& decoder = anim_.AnimDecoder();
    if (decoder.NextCutIndex() == anim_.Mark()) decoder.NextCut();
    anim_.SetNextDuration(decoder.PreviousCut());
    anim_.SetTicksLeft(1);
    if (!wasRunning) {
      anim_.SetMark(decoder.NextCutIndex());
      anim_.CentreOnFrame();
      anim_.Buffer().Blend(0, 1);
      InvalidateRect(window_, nullptr, FALSE);
    }
  }
  Restart(wasRunning);
}

void PlayerWindow::OnStepSpeed() {
  const bool wasRunning = anim_.Stop();
  StepSpeedDialog dialog(settings_.slow);
  if (dialog.Run(instance_, window_)) {
    settings_.slow = dialog.Slow();
    if (anim_.StepFactor() != 1) anim_.SetStepFactor(settings_.slow);
    WriteSlowSetting(settingsPath_, settings_.slow);
  }
  Restart(wasRunning);
}

void PlayerWindow::OnExtract() {
  const bool wasRunning = anim_.Stop();
  const Decoder& decoder = anim_.AnimDecoder();
  const std::wstring chosen = anim_.IsOpen() ? AskSavePath(window_, kExtractFilters, L"tl") : L"";
  if (!chosen.empty()) {
    // The cut whose header was read last, written whole as a TL file.
    std::vector<uint8_t> bytes(size_t(stream_.Length()) + ov::kTlCutOffset);
    MemoryStream out(bytes.data(), int32_t(bytes.size()));
    const std::string path = AnsiText(chosen);
    if (!path.empty() && ov::ExtractCut(stream_, decoder.CutOffsets(), decoder.StreamLength(),
                                        decoder.CurrentCut(), out)) {
      SaveFileSafely(path, [&](ByteStream& s) { return s.Write(bytes.data(), out.Length()) == 1; },
                     nullptr);
    }
  }
  Restart(wasRunning);
}
