#include "tests/win32/driver/program_session.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The file name box of the common open and save dialogs (a combo box; an edit in older ones).
constexpr int kFileNameCombo = 0x47c, kFileNameEdit = 0x480;

struct Search {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
  int control = 0;  // when not 0, only a window holding this control
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
  if (s->control && !GetDlgItem(window, s->control)) return TRUE;
  s->found = window;
  return FALSE;
}

// The program's file name without folder and ".exe".
std::wstring ProgramName(const std::wstring& path) {
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption) {
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

void SetDialogText(HWND dialog, int id, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                      5000, &ignored);
}

std::wstring DialogText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetSpin(HWND dialog, int spin, int value) {
  HWND control = GetDlgItem(dialog, spin);
  if (HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0)))
    SetWindowTextW(buddy, std::to_wstring(value).c_str());
  SendMessageW(control, UDM_SETPOS32, 0, value);
}

void CheckButton(HWND dialog, int id, bool on) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void FocusControl(HWND dialog, int id) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE, SMTO_NORMAL,
                      5000, &ignored);
}

bool SetFileName(HWND dialog, const std::wstring& path) {
  for (int id : {kFileNameCombo, kFileNameEdit}) {
    if (GetDlgItem(dialog, id)) {
      SetDialogText(dialog, id, path);
      return true;
    }
  }
  return false;
}

bool DialogGone(HWND dialog, double ms) {
  return WaitFor(ms, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

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

std::wstring Utf16(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(size_t(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

std::string Utf8(const std::wstring& wide) {
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

ProgramSession::ProgramSession(const std::wstring& program, const std::wstring& folder, const std::string& settings)
    : folder_(folder), name_(ProgramName(program)) {
  CreateDirectoryW(folder_.c_str(), nullptr);
  CopyFileW(program.c_str(), ProgramPath().c_str(), FALSE);
  DeleteFileW(SettingsPath().c_str());
  if (!settings.empty()) WriteFileBytes(SettingsPath(), std::vector<uint8_t>(settings.begin(), settings.end()));
}

ProgramSession::ProgramSession(Beside, const ProgramSession& running)
    : folder_(running.folder_), name_(running.name_) {}

ProgramSession::~ProgramSession() {
  if (Alive()) Close();
  if (process_.hProcess) CloseHandle(process_.hProcess);
  if (process_.hThread) CloseHandle(process_.hThread);
}

bool ProgramSession::Start(const std::wstring& arguments, const wchar_t* windowClass, double ms) {
  return Launch(arguments) && WaitForWindow(windowClass, ms);
}

bool ProgramSession::Launch(const std::wstring& arguments) {
  std::wstring line = L"\"" + ProgramPath() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  return CreateProcessW(ProgramPath().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &si, &process_) != 0;
}

bool ProgramSession::WaitForWindow(const wchar_t* windowClass, double ms) {
  WaitForInputIdle(process_.hProcess, DWORD(ms));
  return WaitFor(ms, [&] { return (window_ = FindProcessWindow(process_.dwProcessId, windowClass)) != nullptr; });
}

bool ProgramSession::Alive() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramSession::Responds() const {
  DWORD_PTR ignored = 0;
  return window_ && SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

bool ProgramSession::Sync() const {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored) != 0;
}

void ProgramSession::Kill() {
  if (!Alive()) return;
  TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 10000);
}

void ProgramSession::Detach() {
  if (process_.hProcess) CloseHandle(process_.hProcess);
  if (process_.hThread) CloseHandle(process_.hThread);
  process_ = {};
}

int ProgramSession::Close(double ms) {
  if (!process_.hProcess) return -1;
  // Only a running program is asked to close; one that ended gives its exit code.
  if (Alive() && window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, DWORD(ms)) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return int(code);
}

std::wstring ProgramSession::Setting(const wchar_t* section, const wchar_t* key) const {
  wchar_t text[512] = {};
  GetPrivateProfileStringW(section, key, L"", text, 512, SettingsPath().c_str());
  return text;
}

bool ProgramSession::Command(int id, Source source, HWND toolbar, double ms) {
  WPARAM wParam = MAKEWPARAM(id, source == Source::Accelerator ? 1 : 0);
  LPARAM lParam = source == Source::Toolbar ? reinterpret_cast<LPARAM>(toolbar) : 0;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window_, WM_COMMAND, wParam, lParam, SMTO_NORMAL, UINT(ms), &ignored) != 0;
}

void ProgramSession::PostCommand(int id) { PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void ProgramSession::PostDrop(const std::wstring& path, HWND target) {
  // The drop block must live in the program's own memory: fixed global memory is addressed
  // by its pointer there.
  std::vector<uint8_t> block(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t), 0);
  auto* drop = reinterpret_cast<DROPFILES*>(block.data());
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(drop + 1));
  void* there = VirtualAllocEx(process_.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                               PAGE_READWRITE);
  if (!there || !WriteProcessMemory(process_.hProcess, there, block.data(), block.size(), nullptr))
    return;
  PostMessageW(target ? target : window_, WM_DROPFILES, reinterpret_cast<WPARAM>(there), 0);
}

bool ProgramSession::BringToFront() {
  SetForegroundWindow(window_);
  return WaitFor(3000, [&] { return GetForegroundWindow() == window_; });
}

bool ProgramSession::Key(WORD vk, bool ctrl) {
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
  Sync();
  return sent;
}

HWND ProgramSession::WaitForDialog(double ms, const wchar_t* caption) const {
  HWND found = nullptr;
  WaitFor(ms, [&] { return (found = FindProcessWindow(process_.dwProcessId, L"#32770", caption)) != nullptr; });
  return found;
}

HWND ProgramSession::WaitForDialogWith(int id, double ms) const {
  HWND found = nullptr;
  WaitFor(ms, [&] {
    Search s{process_.dwProcessId, L"#32770", nullptr, nullptr, id};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
    return (found = s.found) != nullptr;
  });
  return found;
}

bool ProgramSession::Press(HWND dialog, int button) {
  if (!dialog) return false;
  PressButton(dialog, button);
  const bool gone = DialogGone(dialog);
  Sync();  // a program that ended with the dialog does not answer
  return gone;
}

bool ProgramSession::ChooseFile(const std::wstring& path) {
  HWND dialog = WaitForDialogWith(kFileNameCombo);
  return dialog && SetFileName(dialog, path) && Press(dialog, IDOK);
}

bool ProgramSession::CancelFileDialog(std::wstring* shownName) {
  HWND dialog = WaitForDialogWith(kFileNameCombo);
  if (dialog && shownName) *shownName = DialogText(dialog, kFileNameCombo);
  return Press(dialog, IDCANCEL);
}

Image ProgramSession::CaptureWindow() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return CaptureScreen(r);
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

Image CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return CaptureScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
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

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD ms) {
  std::wstring line = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &si, &pi))
    return -1;
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return int(code);
}

bool ReadDriverFlags(int argc, char** argv, const std::vector<DriverFlag>& flags, const char* usage) {
  for (int i = 1; i + 1 < argc; ++i)
    for (const DriverFlag& flag : flags)
      if (std::strcmp(argv[i], flag.name) == 0) {
        *flag.value = Utf16(argv[++i]);
        break;
      }
  for (const DriverFlag& flag : flags) {
    if (flag.required && flag.value->empty()) {
      std::fprintf(stderr, "usage: %s\n", usage);
      return false;
    }
    if (std::strcmp(flag.name, "--work") == 0) CreateDirectoryW(flag.value->c_str(), nullptr);
  }
  return true;
}
