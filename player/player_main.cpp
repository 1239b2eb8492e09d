// OrvinaPlayer: plays OV and TL files, and its own animation when it has none.
#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <string>

#include "player/player_window.h"
#include "player/resource.h"
#include "win32/dib_pixel_buffer.h"

namespace {

// The command line after the program's name, taken whole as one path; surrounding quotes
// are removed.
std::wstring CommandLinePath() {
  const wchar_t* p = GetCommandLineW();
  if (!p) return std::wstring();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  std::wstring path(p);
  const size_t first = path.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  path = path.substr(first, path.find_last_not_of(L" \t") - first + 1);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  return path;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  UseDibSections();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  if (!PlayerWindow::RegisterWindowClass(instance)) return 1;

  PlayerWindow player(instance);
  HWND window = player.Create();
  if (!window) return 1;
  const std::wstring path = CommandLinePath();
  if (path.empty() || !player.Load(path)) player.PlayBuiltIn();
  ShowWindow(window, show);
  UpdateWindow(window);

  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_PLAYER_ACCELERATORS));
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (accelerators && TranslateAcceleratorW(window, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}
