// OrvinaDeveloper: the editor. Start-up prepares the display resources and the settings,
// makes the main frame, opens the file of the command line or the last film and runs the
// message loop; exit writes the settings back.
#include <windows.h>

#include <clocale>
#include <memory>
#include <string>

#include "editor/cut_window.h"
#include "editor/editor_settings_file.h"
#include "editor/main_frame.h"
#include "editor/program_state.h"
#include "editor/recovery_dialog.h"
#include "editor/resource.h"
#include "files/film.h"
#include "files/palette_file.h"
#include "win32/command_line.h"
#include "win32/dib_pixel_buffer.h"
#include "win32/text_convert.h"

namespace {

// The program's folder with a trailing backslash, in the ANSI code page.
std::string ProgramFolder() {
  char path[MAX_PATH * 4] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, DWORD(sizeof path));
  std::string p(path, n < sizeof path ? n : 0);
  return p.substr(0, p.find_last_of('\\') + 1);
}

void ReleaseDisplayResources() {
  ProgramState& p = Program();
  SetTextFont(std::string(), 0, 0, 0);
  if (p.palette) DeleteObject(p.palette);
  if (p.background) DeleteObject(p.background);
  p.palette = nullptr;
  p.background = nullptr;
}

int RunMessageLoop(MainFrame& frame, HACCEL accelerators) {
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (frame.MdiClient() && TranslateMDISysAccel(frame.MdiClient(), &msg)) continue;
    if (accelerators && TranslateAcceleratorW(frame.Window(), accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  ProgramState& program = Program();
  program.instance = instance;
  setlocale(LC_ALL, "jpn");
  UseDibSections();
  LoadPaletteFile(ProgramFolder() + "Colors.bmp", program.framePalette);
  program.palette = CreateEditorPalette();
  MainFrame::RegisterWindowClass(instance);
  AnimWindow::RegisterWindowClass(instance);
  const uint32_t around = program.framePalette[25];
  program.background = CreateSolidBrush(RGB(RedOf(around), GreenOf(around), BlueOf(around)));
  CutWindow::RegisterWindowClass(instance, program.background);
  ReadStartSettings();

  auto frame = std::make_unique<MainFrame>(instance);
  if (!frame->Create()) {
    frame.reset();
    ReleaseDisplayResources();
    return 0;
  }
  SetTheMainFrame(frame.get());

  const std::wstring argument = CommandLinePath();
  if (argument.empty()) {
    const std::string film = ReadFilmSetting();
    if (!film.empty()) frame->OpenByExtension(film);
  } else {
    frame->OpenByExtension(AnsiPath(argument));
  }
  ShowWindow(frame->Window(), show);
  UpdateWindow(frame->Window());
  frame->Recovery().Start(RecoveryFolderPath(), program.recoveryInterval, GetCurrentProcessId(),
                          GetTickCount());
  OfferLeftCopies(frame->Recovery(), frame->Owner());
  const int code = RunMessageLoop(*frame, LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS)));

  frame->Recovery().Close();
  WriteExitSettings(frame->TheFilm().Path());
  ReleaseDisplayResources();
  SetTheMainFrame(nullptr);
  frame.reset();
  return code;
}
