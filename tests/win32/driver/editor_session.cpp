#include "tests/win32/driver/editor_session.h"

#include <algorithm>

#include "model/pixel_class.h"

namespace {

constexpr wchar_t kFrameClass[] = L"OrvinadeFrame";
constexpr wchar_t kAnimationClass[] = L"OrvinaWnd";
constexpr int kMdiClient = 10001, kStatusBar = 10008;
constexpr wchar_t kMessageBoxCaption[] = L"Orvinade";

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                  uint32_t(b[at + 3]) << 24
                            : 0;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM text) {
  wchar_t name[16] = {};
  GetClassNameW(child, name, 16);
  if (_wcsicmp(name, L"Static") == 0) *reinterpret_cast<std::wstring*>(text) += TextOf(child);
  return TRUE;
}

}  // namespace

EditorSession::EditorSession(const std::wstring& editor, const std::wstring& folder, const std::string& settings)
    : ProgramSession(editor, folder, settings) {}

bool EditorSession::Start(const std::wstring& arguments, bool cut) {
  if (!Launch(arguments) || !WaitForFrame()) return false;
  return (!cut || WaitFor(10000, [&] { return Cut() != nullptr; })) && Sync();
}

bool EditorSession::WaitForFrame(double ms) {
  if (!WaitForWindow(kFrameClass, ms)) return false;
  mdiClient_ = GetDlgItem(window_, kMdiClient);
  status_ = GetDlgItem(window_, kStatusBar);
  return mdiClient_ && status_;
}

int EditorSession::Quit() {
  if (!Alive()) return Close();
  PostMessageW(window_, WM_CLOSE, 0, 0);
  WaitFor(20000, [&] {
    if (!Alive()) return true;
    if (HWND box = WaitForDialog(0, kMessageBoxCaption))
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    else if (HWND files = WaitForDialogWith(0x47c, 0))
      PostMessageW(files, WM_COMMAND, IDCANCEL, 0);
    return false;
  });
  return Close(0);
}

std::vector<HWND> EditorSession::CutWindows() const {
  std::vector<HWND> cuts;
  for (HWND child = GetWindow(mdiClient_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcscmp(name, L"OrvinadeCutFrame") == 0) cuts.push_back(child);
  }
  return cuts;
}

void EditorSession::Activate(HWND cut) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(mdiClient_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(cut), 0, SMTO_NORMAL, 20000, &ignored);
  Sync();
}

std::vector<std::wstring> EditorSession::Rows(int list) const { return ListRows(Control(list)); }

std::vector<std::wstring> ListRows(HWND box) {
  std::vector<std::wstring> rows;
  const LRESULT n = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, WPARAM(i), 0);
    std::wstring row(size_t(std::max<LRESULT>(length, 0)) + 1, L'\0');
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

int EditorSession::Caret(int list) const { return int(SendMessageW(Control(list), LB_GETCARETINDEX, 0, 0)); }

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
  SendMessageTimeoutW(window_, WM_COMMAND, MAKEWPARAM(list, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box),
                      SMTO_NORMAL, 10000, &ignored);
}

void EditorSession::DoubleClick(int list) {
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(list, LBN_DBLCLK), reinterpret_cast<LPARAM>(Control(list)));
}

void EditorSession::Click(int id) {
  HWND control = Control(id);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3), SMTO_NORMAL, 5000, &ignored);
  SendMessageTimeoutW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3), SMTO_NORMAL, 5000, &ignored);
  Sync();
}

HWND EditorSession::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process_.dwThreadId, &info);
  return info.hwndFocus;
}

void EditorSession::Type(int id, const std::wstring& text) {
  Click(id);
  SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring JoinRows(const std::vector<std::wstring>& rows) {
  std::wstring joined;
  for (const std::wstring& row : rows) joined += (joined.empty() ? L"" : L",") + row;
  return joined;
}

HWND EditorSession::Cut() const {
  DWORD_PTR active = 0;
  if (!SendMessageTimeoutW(mdiClient_, WM_MDIGETACTIVE, 0, 0, SMTO_NORMAL, 5000, &active)) return nullptr;
  return reinterpret_cast<HWND>(active);
}

void EditorSession::ResizeCut(int width, int height) const {
  SetWindowPos(Cut(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  Sync();
}

SIZE EditorSession::CutClientSize() const {
  RECT r{};
  GetClientRect(Cut(), &r);
  return SIZE{r.right, r.bottom};
}

void EditorSession::ClickCut(int x, int y, bool left) const {
  HWND cut = Cut();
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(cut, WM_MOUSEMOVE, 0, at);
  PostMessageW(cut, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, at);
  PostMessageW(cut, left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, at);
  Sync();
}

HWND EditorSession::Animation() const {
  for (HWND w = FindWindowExW(nullptr, nullptr, kAnimationClass, nullptr); w;
       w = FindWindowExW(nullptr, w, kAnimationClass, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == ProcessId()) return w;
  }
  return nullptr;
}

bool EditorSession::Answer(int button, std::wstring* text, double ms) {
  HWND box = WaitForDialog(ms, kMessageBoxCaption);
  if (!box) return false;
  if (text) {
    text->clear();
    EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(text));
  }
  return Press(box, button);
}

Composed ReadComposed(const std::wstring& path) {
  const std::vector<uint8_t> b = ReadFileBytes(path);
  Composed c;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || (Get32(b, 28) & 0xFFFF) != 8) return c;
  const int32_t width = int32_t(Get32(b, 18)), height = int32_t(Get32(b, 22));
  const uint32_t offset = Get32(b, 10), infoSize = Get32(b, 14);
  uint32_t colors = Get32(b, 46);
  if (colors == 0) colors = 256;
  const size_t stride = (size_t(width) + 3) & ~size_t(3);
  const int rows = std::abs(height);
  if (width <= 0 || rows == 0 || colors > 256 || offset + stride * size_t(rows) > b.size()) return c;
  for (uint32_t i = 0; i < colors; ++i) c.colors.push_back(Get32(b, 14 + infoSize + 4 * i) & 0xFFFFFF);
  c.width = width, c.height = rows;
  c.values.resize(size_t(width) * size_t(rows));
  for (int y = 0; y < rows; ++y) {
    const size_t from = offset + stride * size_t(height > 0 ? rows - 1 - y : y);
    std::copy_n(b.begin() + ptrdiff_t(from), width, c.values.begin() + ptrdiff_t(size_t(y) * size_t(width)));
  }
  return c;
}

FramePalette PaletteOf(const Composed& composed) {
  FramePalette palette;
  std::copy(kDefaultFramePalette, kDefaultFramePalette + kFramePaletteSize, palette.begin());
  for (size_t i = 0; i < composed.colors.size() && i < 25; ++i) palette[i] = composed.colors[i];
  return palette;
}

Image ExpectedView(const Composed& composed, const FramePalette& palette, const ViewState& v, int width,
                   int height) {
  Image view;
  view.width = width, view.height = height;
  view.px.assign(size_t(width) * size_t(height), palette[25]);
  const int zw = composed.width * v.numerator / v.denominator, zh = composed.height * v.numerator / v.denominator;
  const int ox = zw <= width ? (width - zw) / 2 : -v.scroll.x, oy = zh <= height ? (height - zh) / 2 : -v.scroll.y;
  for (int y = std::max(oy, 0); y < std::min(oy + zh, height); ++y)
    for (int x = std::max(ox, 0); x < std::min(ox + zw, width); ++x)
      view.px[size_t(y) * size_t(width) + size_t(x)] =
          palette[composed.At(std::min<int>((x - ox) * v.denominator / v.numerator + v.phase.x, composed.width - 1),
                              std::min<int>((y - oy) * v.denominator / v.numerator + v.phase.y, composed.height - 1))];
  return view;
}

::testing::AssertionResult ShowsImage(const EditorSession& s, const std::vector<Image>& wanted, double ms) {
  Image got;
  if (WaitFor(ms, [&] {
        got = s.CaptureCut();
        return std::find(wanted.begin(), wanted.end(), got) != wanted.end();
      }))
    return ::testing::AssertionSuccess();
  const Image& want = wanted.front();
  if (got.width != want.width || got.height != want.height)
    return ::testing::AssertionFailure() << "view " << got.width << "x" << got.height << ", expected "
                                         << want.width << "x" << want.height;
  int wrong = 0, x0 = -1, y0 = -1;
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x)
      if (got.At(x, y) != want.At(x, y) && wrong++ == 0) x0 = x, y0 = y;
  return ::testing::AssertionFailure() << wrong << " pixels differ, first at " << x0 << "," << y0 << ": "
                                       << std::hex << got.At(x0, y0) << " instead of " << want.At(x0, y0);
}
