// OrvinaPlayer: plays OV and TL files, and its own animation when it has none.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "player/player_window.h"
#include "player/resource.h"
#include "win32/command_line.h"
#include "win32/dib_pixel_buffer.h"

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
