#include "tests/win32/player/player_session.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr wchar_t kPlayerClass[] = L"NimPlayerWnd";
constexpr int kPlay = 40007, kStep = 40008;

struct Search {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || !IsWindowVisible(window)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (wcscmp(name, s->className) != 0) return TRUE;
  if (s->caption) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (wcscmp(text, s->caption) != 0) return TRUE;
  }
  s->found = window;
  return FALSE;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption = nullptr) {
  Search s{pid, className, caption, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring TextOf(HWND window) {
  if (!window) return L"";
  wchar_t text[1024] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &got))
    return L"";
  return std::wstring(text, std::min<size_t>(got, 1023));
}

bool CopyOver(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

}  // namespace

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

bool WaitFor(double ms, const std::function<bool()>& done) {
  const double end = NowMs() + ms;
  for (;;) {
    if (done()) return true;
    if (NowMs() >= end) return false;
    Sleep(10);
  }
}

std::wstring Widen(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(size_t(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(std::max(n, 0)), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  const bool ok = bytes.empty() || (WriteFile(h, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size());
  CloseHandle(h);
  return ok;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes(GetFileSize(h, nullptr));
  DWORD got = 0;
  if (!bytes.empty() && !ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(h);
  return bytes;
}

PlayerSession::PlayerSession(const std::wstring& player, const std::wstring& folder, const std::string& setupLines)
    : folder_(folder) {
  CreateDirectoryW(folder_.c_str(), nullptr);
  CopyOver(player, ProgramPath());
  DeleteFileW(SettingsPath().c_str());
  if (!setupLines.empty()) {
    const std::string text = "[setup]\r\n" + setupLines;
    WriteFileBytes(SettingsPath(), std::vector<uint8_t>(text.begin(), text.end()));
  }
}

PlayerSession::~PlayerSession() {
  if (Alive()) Close();
  if (process_.hProcess) CloseHandle(process_.hProcess);
  if (process_.hThread) CloseHandle(process_.hThread);
}

bool PlayerSession::Start(const std::wstring& arguments) {
  std::wstring line = L"\"" + ProgramPath() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(ProgramPath().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &si, &process_))
    return false;
  WaitForInputIdle(process_.hProcess, 20000);
  if (!WaitFor(30000, [&] { return (window_ = FindProcessWindow(process_.dwProcessId, kPlayerClass)) != nullptr; }))
    return false;
  toolbar_ = FindWindowExW(window_, nullptr, TOOLBARCLASSNAMEW, nullptr);
  status_ = FindWindowExW(window_, nullptr, STATUSCLASSNAMEW, nullptr);
  return toolbar_ && status_;
}

bool PlayerSession::Alive() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool PlayerSession::Responds() const {
  DWORD_PTR ignored = 0;
  return window_ && SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

int PlayerSession::Close() {
  if (!process_.hProcess) return -1;
  // Only a running program is asked to close; one that ended gives its exit code.
  if (Alive() && window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return int(code);
}

std::wstring PlayerSession::Title() const { return TextOf(window_); }
std::wstring PlayerSession::StatusText() const { return TextOf(status_); }

bool PlayerSession::PlayPressed() const {
  return SendMessageW(toolbar_, TB_ISBUTTONCHECKED, kPlay, 0) != 0;
}
bool PlayerSession::StepPressed() const {
  return SendMessageW(toolbar_, TB_ISBUTTONCHECKED, kStep, 0) != 0;
}

std::wstring PlayerSession::Setting(const wchar_t* key) const {
  wchar_t text[256] = {};
  GetPrivateProfileStringW(L"setup", key, L"", text, 256, SettingsPath().c_str());
  return text;
}

void PlayerSession::Command(int id, Source source) {
  WPARAM wParam = MAKEWPARAM(id, source == Source::Accelerator ? 1 : 0);
  LPARAM lParam = source == Source::Toolbar ? reinterpret_cast<LPARAM>(toolbar_) : 0;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window_, WM_COMMAND, wParam, lParam, SMTO_NORMAL, 10000, &ignored);
}

void PlayerSession::PostCommand(int id) { PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool PlayerSession::BringToFront() {
  SetForegroundWindow(window_);
  return WaitFor(3000, [&] { return GetForegroundWindow() == window_; });
}

bool PlayerSession::Key(WORD vk, bool ctrl) {
  if (!BringToFront()) return false;
  std::vector<INPUT> in;
  auto key = [&](WORD k, bool up) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (k == VK_LEFT || k == VK_RIGHT || k == VK_DOWN || k == VK_UP) i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    in.push_back(i);
  };
  if (ctrl) key(VK_CONTROL, false);
  key(vk, false);
  key(vk, true);
  if (ctrl) key(VK_CONTROL, true);
  const bool sent = SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) == in.size();
  // The keys are handled once the program has emptied its queue.
  Sleep(100);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  return sent;
}

HWND PlayerSession::WaitForDialog(double ms, const wchar_t* caption) const {
  HWND found = nullptr;
  WaitFor(ms, [&] { return (found = FindProcessWindow(process_.dwProcessId, L"#32770", caption)) != nullptr; });
  return found;
}

RECT PlayerSession::ViewArea() const {
  RECT client{}, bar{};
  GetClientRect(window_, &client);
  GetWindowRect(toolbar_, &bar);
  const int top = bar.bottom - bar.top;
  GetWindowRect(status_, &bar);
  const int bottom = client.bottom - (bar.bottom - bar.top);
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  return RECT{origin.x, origin.y + top, origin.x + client.right, origin.y + bottom};
}

Image CaptureScreen(const RECT& r) {
  Image image;
  image.width = std::max<int>(r.right - r.left, 0);
  image.height = std::max<int>(r.bottom - r.top, 0);
  image.px.assign(size_t(image.width) * size_t(image.height), 0);
  if (image.px.empty()) return image;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.width;
  bi.bmiHeader.biHeight = -image.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP target = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, target);
  BitBlt(dc, 0, 0, image.width, image.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < image.px.size(); ++i) image.px[i] = p[i] & 0xFFFFFF;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(target);
  ReleaseDC(nullptr, screen);
  return image;
}

Image PlayerSession::CaptureView() const { return CaptureScreen(ViewArea()); }

Image PlayerSession::CaptureWindow() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return CaptureScreen(r);
}

uint32_t PlayerSession::CentreColour() const {
  const RECT v = ViewArea();
  const int x = (v.left + v.right) / 2, y = (v.top + v.bottom) / 2;
  return CaptureScreen(RECT{x, y, x + 1, y + 1}).px[0];
}

bool SaveBitmap(const std::wstring& path, const Image& image) {
  const uint32_t rowBytes = (uint32_t(image.width) * 3 + 3) & ~3u;
  const uint32_t size = 54 + rowBytes * uint32_t(image.height);
  std::vector<uint8_t> b(size, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(image.width));
  put32(22, uint32_t(image.height));
  b[26] = 1, b[28] = 24;
  put32(34, rowBytes * uint32_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = &b[54 + size_t(image.height - 1 - y) * rowBytes];
    for (int x = 0; x < image.width; ++x) {
      const uint32_t c = image.At(x, y);
      row[3 * x] = uint8_t(c), row[3 * x + 1] = uint8_t(c >> 8), row[3 * x + 2] = uint8_t(c >> 16);
    }
  }
  return WriteFileBytes(path, b);
}
