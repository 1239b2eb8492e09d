#include "tests/win32/tools/editor_run.h"

#include <algorithm>

#include "editor/resource.h"

namespace {

constexpr DWORD kMessageMs = 20000;

struct Search {
  DWORD pid;
  const wchar_t* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(window))) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (wcscmp(name, s->className) != 0) return TRUE;
  s->found = window;
  return FALSE;
}

HWND FindWindowOf(DWORD pid, const wchar_t* className, bool visibleOnly = true) {
  Search s{pid, className, visibleOnly, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageMs, &result);
  return LRESULT(result);
}

}  // namespace

EditorRun::EditorRun(const std::wstring& editor, const std::wstring& folder,
                     const std::string& settings)
    : folder_(folder) {
  CreateDirectoryW(folder_.c_str(), nullptr);
  CopyFileW(editor.c_str(), (folder_ + L"\\OrvinaDeveloper.exe").c_str(), FALSE);
  WriteFileBytes(folder_ + L"\\OrvinaDeveloper.ini",
                 std::vector<uint8_t>(settings.begin(), settings.end()));
}

EditorRun::~EditorRun() {
  Kill();
}

bool EditorRun::Start(const std::wstring& cut) {
  const std::wstring program = folder_ + L"\\OrvinaDeveloper.exe";
  std::wstring line = L"\"" + program + L"\" \"" + cut + L"\"";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &si, &process_))
    return false;
  WaitForInputIdle(process_.hProcess, 30000);
  if (!WaitFor(60000, [&] {
        return (frame_ = FindWindowOf(process_.dwProcessId, L"OrvinadeFrame")) != nullptr;
      }))
    return false;
  mdi_ = FindWindowExW(frame_, nullptr, L"MDIClient", nullptr);
  if (!mdi_ || !WaitFor(20000, [&] { return Cut() != nullptr; })) return false;
  Send(mdi_, WM_MDIMAXIMIZE, WPARAM(Cut()), 0);
  return true;
}

void EditorRun::Kill() {
  if (!process_.hProcess) return;
  TerminateProcess(process_.hProcess, 0);
  WaitForSingleObject(process_.hProcess, 10000);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
  process_ = {};
}

HWND EditorRun::Cut() const {
  return mdi_ ? reinterpret_cast<HWND>(Send(mdi_, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

std::vector<HWND> EditorRun::CutWindows() const {
  std::vector<HWND> cuts;
  for (HWND w = GetWindow(mdi_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (wcscmp(name, L"OrvinadeCutFrame") == 0) cuts.push_back(w);
  }
  return cuts;
}

void EditorRun::Activate(HWND cut) {
  Send(mdi_, WM_MDIACTIVATE, WPARAM(cut), 0);
}

bool EditorRun::OpenThroughDialog(const std::wstring& path) {
  const size_t before = CutWindows().size();
  PostCommand(ID_CUT_OPEN);
  HWND dialog = WaitForDialog(20000);
  if (!dialog) return false;
  // The file name box: the edit inside combo box cmb13, or edit edt1 of older dialogs.
  HWND name = GetDlgItem(dialog, 0x480);
  if (HWND combo = GetDlgItem(dialog, 0x47c)) {
    EnumChildWindows(
        combo,
        [](HWND child, LPARAM found) {
          wchar_t name[16] = {};
          GetClassNameW(child, name, 16);
          if (wcscmp(name, L"Edit") != 0) return TRUE;
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
  }
  if (!name) return false;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
  return WaitFor(20000, [&] { return CutWindows().size() > before; });
}

POINT EditorRun::At(CellPoint cell) const {
  RECT client{};
  GetClientRect(Cut(), &client);
  // Centred, or scrolled to the top-left corner when larger than the window.
  const int ox = std::max(0, int(client.right - canvasWidth_ * numerator_ / denominator_) / 2);
  const int oy = std::max(0, int(client.bottom - canvasHeight_ * numerator_ / denominator_) / 2);
  return POINT{(cell.x + layerX_) * numerator_ / denominator_ + ox,
               (cell.y + layerY_) * numerator_ / denominator_ + oy};
}

CellPoint EditorRun::CellUnder(POINT p) const {
  const POINT origin = At(CellPoint{-layerX_, -layerY_});
  return CellPoint{(p.x - origin.x) * denominator_ / numerator_ - layerX_,
                   (p.y - origin.y) * denominator_ / numerator_ - layerY_};
}

void EditorRun::Mouse(UINT message, POINT at, WPARAM keys) {
  Send(Cut(), message, keys, MAKELPARAM(at.x, at.y));
}

void EditorRun::PostMouse(UINT message, POINT at, WPARAM keys) {
  PostMessageW(Cut(), message, keys, MAKELPARAM(at.x, at.y));
}

void EditorRun::Click(CellPoint at, WPARAM keys) {
  const POINT p = At(at);
  Mouse(WM_MOUSEMOVE, p, keys);
  Mouse(WM_LBUTTONDOWN, p, keys | MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p, keys);
}

void EditorRun::RightClick(CellPoint at, WPARAM keys) {
  const POINT p = At(at);
  Mouse(WM_MOUSEMOVE, p, keys);
  Mouse(WM_RBUTTONDOWN, p, keys | MK_RBUTTON);
  Mouse(WM_RBUTTONUP, p, keys);
}

void EditorRun::Drag(const std::vector<CellPoint>& points, WPARAM keys) {
  Mouse(WM_MOUSEMOVE, At(points.front()), keys);
  Mouse(WM_LBUTTONDOWN, At(points.front()), keys | MK_LBUTTON);
  for (const CellPoint& p : points) Mouse(WM_MOUSEMOVE, At(p), keys | MK_LBUTTON);
  Mouse(WM_LBUTTONUP, At(points.back()), keys);
}

void EditorRun::Char(wchar_t c) {
  Send(Cut(), WM_CHAR, c, 1);
}
void EditorRun::PostChar(wchar_t c) {
  PostMessageW(Cut(), WM_CHAR, c, 1);
}
void EditorRun::Command(int id) {
  Send(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}
void EditorRun::PostCommand(int id) {
  PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND EditorRun::WaitForDialog(double ms) const {
  HWND found = nullptr;
  WaitFor(ms, [&] { return (found = FindWindowOf(process_.dwProcessId, L"#32770")) != nullptr; });
  return found;
}

HWND EditorRun::PenChooser() const {
  return FindWindowOf(process_.dwProcessId, L"ORVINADE");
}

int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD ms) {
  std::wstring line = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi))
    return -1;
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return int(code);
}
