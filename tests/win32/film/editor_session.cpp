#include "tests/win32/film/editor_session.h"

#include <commctrl.h>

#include "tests/win32/player/player_session.h"

namespace {

constexpr wchar_t kFrameClass[] = L"OrvinadeFrame";
constexpr int kMdiClient = 10001;
constexpr int kFileNameCombo = 1148, kMessageText = 0xFFFF;

struct Search {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* caption;
  int control;
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
  if (s->control && !GetDlgItem(window, s->control)) return TRUE;
  s->found = window;
  return FALSE;
}

HWND FindWindowOf(DWORD pid, const wchar_t* className, const wchar_t* caption, int control) {
  Search s{pid, className, caption, control, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring TextOf(HWND window) {
  if (!window) return L"";
  wchar_t text[1024] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 5000, &got))
    return L"";
  return std::wstring(text, got < 1023 ? got : 1023);
}

}  // namespace

std::wstring JoinRows(const std::vector<std::wstring>& rows) {
  std::wstring joined;
  for (const std::wstring& row : rows) joined += (joined.empty() ? L"" : L",") + row;
  return joined;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

EditorSession::EditorSession(const std::wstring& editor, const std::wstring& folder,
                             const std::string& settings)
    : folder_(folder) {
  CreateDirectoryW(folder_.c_str(), nullptr);
  CopyFileW(editor.c_str(), (folder_ + L"\\OrvinaDeveloper.exe").c_str(), FALSE);
  const std::wstring ini = folder_ + L"\\OrvinaDeveloper.ini";
  DeleteFileW(ini.c_str());
  if (!settings.empty())
    WriteFileBytes(ini, std::vector<uint8_t>(settings.begin(), settings.end()));
}

EditorSession::~EditorSession() {
  if (process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) Quit();
  if (process_.hProcess) CloseHandle(process_.hProcess);
  if (process_.hThread) CloseHandle(process_.hThread);
}

bool EditorSession::Start(const std::wstring& arguments) {
  const std::wstring program = folder_ + L"\\OrvinaDeveloper.exe";
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &si, &process_))
    return false;
  WaitForInputIdle(process_.hProcess, 20000);
  return WaitFor(30000,
                 [&] {
                   return (frame_ = FindWindowOf(process_.dwProcessId, kFrameClass, nullptr, 0)) !=
                          nullptr;
                 }) &&
         Idle();
}

int EditorSession::Quit() {
  if (!process_.hProcess) return -1;
  PostMessageW(frame_, WM_CLOSE, 0, 0);
  const double end = NowMs() + 20000;
  while (WaitForSingleObject(process_.hProcess, 50) == WAIT_TIMEOUT) {
    if (NowMs() > end) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
      return -1;
    }
    if (HWND box = FindWindowOf(process_.dwProcessId, L"#32770", L"Orvinade", 0))
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    else if (HWND files = WaitDialog(kFileNameCombo, 0))
      PostMessageW(files, WM_COMMAND, IDCANCEL, 0);
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return int(code);
}

std::wstring EditorSession::Caption(HWND window) const {
  return TextOf(window);
}

bool EditorSession::Command(int id, int ms) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_NORMAL, UINT(ms),
                             &ignored) != 0;
}

void EditorSession::Post(int id) {
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool EditorSession::Idle() {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored) != 0;
}

HWND EditorSession::WaitDialog(int id, int ms) const {
  HWND found = nullptr;
  WaitFor(ms, [&] {
    return (found = FindWindowOf(process_.dwProcessId, L"#32770", nullptr, id)) != nullptr;
  });
  return found;
}

bool EditorSession::NoDialog() const {
  return !FindWindowOf(process_.dwProcessId, L"#32770", nullptr, 0);
}

void EditorSession::SetText(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void EditorSession::SetSpin(HWND dialog, int spin, int value) {
  HWND control = GetDlgItem(dialog, spin);
  if (HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0)))
    SendMessageW(buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::to_wstring(value).c_str()));
  SendMessageW(control, UDM_SETPOS32, 0, value);
}

void EditorSession::Check(HWND dialog, int id, bool on) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool EditorSession::Press(HWND dialog, int button) {
  if (!dialog) return false;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return WaitFor(10000, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }) && Idle();
}

bool EditorSession::Answer(int button, std::wstring* text) {
  HWND box = nullptr;
  if (!WaitFor(10000, [&] {
        return (box = FindWindowOf(process_.dwProcessId, L"#32770", L"Orvinade", 0)) != nullptr;
      }))
    return false;
  if (text) *text = TextOf(GetDlgItem(box, kMessageText));
  return Press(box, button);
}

bool EditorSession::ChooseFile(const std::wstring& path) {
  HWND dialog = WaitDialog(kFileNameCombo, 10000);
  // The name field is the edit inside the dialog's name combo box.
  struct Find {
    HWND edit = nullptr;
  } find;
  if (dialog)
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM lParam) -> BOOL {
          wchar_t name[16] = {};
          GetClassNameW(child, name, 16);
          if (GetDlgCtrlID(child) != kFileNameCombo || _wcsicmp(name, L"Edit") != 0) return TRUE;
          reinterpret_cast<Find*>(lParam)->edit = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
  if (!find.edit) return false;
  SendMessageW(find.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return Press(dialog, IDOK);
}

bool EditorSession::CancelFileDialog() {
  HWND dialog = WaitDialog(kFileNameCombo, 10000);
  return dialog && Press(dialog, IDCANCEL);
}

std::vector<std::wstring> EditorSession::Rows(int list) const {
  HWND box = Control(list);
  std::vector<std::wstring> rows;
  const LRESULT n = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, WPARAM(i), 0);
    std::wstring row(size_t(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(box, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(row.data()));
    row.resize(wcslen(row.c_str()));
    rows.push_back(row);
  }
  return rows;
}

std::vector<int> EditorSession::Selected(int list) const {
  HWND box = Control(list);
  std::vector<int> rows;
  const LRESULT n = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i)
    if (SendMessageW(box, LB_GETSEL, WPARAM(i), 0) > 0) rows.push_back(int(i));
  return rows;
}

int EditorSession::Caret(int list) const {
  return int(SendMessageW(Control(list), LB_GETCARETINDEX, 0, 0));
}

void EditorSession::Choose(int list, int row) {
  HWND box = Control(list);
  if (GetWindowLongW(box, GWL_STYLE) & LBS_EXTENDEDSEL) {
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    SendMessageW(box, LB_SETSEL, TRUE, row);
    SendMessageW(box, LB_SETCARETINDEX, WPARAM(row), FALSE);
  } else {
    SendMessageW(box, LB_SETCURSEL, WPARAM(row), 0);
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(frame_, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(box), SMTO_NORMAL, 10000, &ignored);
}

void EditorSession::DoubleClick(int list) {
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(list, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(Control(list)));
}

void EditorSession::Click(int id) {
  // Sent, not posted: the click is over when the call returns.
  HWND control = Control(id);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3), SMTO_NORMAL, 5000,
                      &ignored);
  SendMessageTimeoutW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3), SMTO_NORMAL, 5000, &ignored);
  Idle();
}

HWND EditorSession::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process_.dwThreadId, &info);
  return info.hwndFocus;
}

int EditorSession::FocusId() const {
  return GetDlgCtrlID(Focus());
}

void EditorSession::Type(int id, const std::wstring& text) {
  Click(id);
  SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND EditorSession::ActiveCut() const {
  return reinterpret_cast<HWND>(SendMessageW(Control(kMdiClient), WM_MDIGETACTIVE, 0, 0));
}

std::vector<HWND> EditorSession::CutWindows() const {
  std::vector<HWND> windows;
  for (HWND child = GetWindow(Control(kMdiClient), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT))
    windows.push_back(child);
  return windows;
}

void EditorSession::Activate(HWND cut) {
  SendMessageW(Control(kMdiClient), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(cut), 0);
  Idle();
}

HWND EditorSession::Animation() const {
  return FindWindowOf(process_.dwProcessId, L"OrvinaWnd", nullptr, 0);
}
