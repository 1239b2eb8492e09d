#pragma once

// One run of OrvinaDeveloper.exe driven from outside as a user draws: the program in a folder
// of its own with its settings file, a cut opened from the command line in a maximised cut
// window, and the messages that mouse, keys and menus send to it.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win32/player/player_session.h"

struct CellPoint {
  int x = 0, y = 0;
};

class EditorRun {
 public:
  // A folder with a copy of the editor and a settings file holding `settings` (INI text).
  EditorRun(const std::wstring& editor, const std::wstring& folder, const std::string& settings);
  ~EditorRun();
  EditorRun(const EditorRun&) = delete;
  EditorRun& operator=(const EditorRun&) = delete;

  // Starts the editor on the cut file and waits for its cut window, which is maximised.
  bool Start(const std::wstring& cut);
  void Kill();

  HWND Frame() const { return frame_; }
  HWND Mdi() const { return mdi_; }
  // The active cut window; every cut window; makes one the active one.
  HWND Cut() const;
  std::vector<HWND> CutWindows() const;
  void Activate(HWND cut);
  // Opens a cut file through the open dialog (カット → 開く) as a user types its path.
  bool OpenThroughDialog(const std::wstring& path);
  DWORD Process() const { return process_.dwProcessId; }
  const std::wstring& Folder() const { return folder_; }

  // What the cut window shows: its canvas size, the zoom as numerator / denominator, and
  // the offset of the layer drawn in; the canvas is centred in the window.
  void SetCanvas(int width, int height) { canvasWidth_ = width, canvasHeight_ = height; }
  void SetZoom(int numerator, int denominator) {
    numerator_ = numerator, denominator_ = denominator;
  }
  void SetLayerOffset(int x, int y) { layerX_ = x, layerY_ = y; }
  // The client point over a cell pixel (its top-left corner), and the cell under a point.
  POINT At(CellPoint cell) const;
  CellPoint CellUnder(POINT client) const;

  // Mouse messages to the cut window, handled before they return. Keys are MK_ flags.
  void Mouse(UINT message, POINT at, WPARAM keys = 0);
  // Posted, for a message whose handler opens a dialog.
  void PostMouse(UINT message, POINT at, WPARAM keys = 0);
  void Move(CellPoint at, WPARAM keys = 0) { Mouse(WM_MOUSEMOVE, At(at), keys); }
  void Click(CellPoint at, WPARAM keys = 0);
  void RightClick(CellPoint at, WPARAM keys = 0);
  void Drag(const std::vector<CellPoint>& points, WPARAM keys = 0);
  // A typed character, handled before it returns; Post for one that opens a dialog.
  void Char(wchar_t c);
  void PostChar(wchar_t c);
  // A menu command, handled before it returns; Post for one that opens a dialog.
  void Command(int id);
  void PostCommand(int id);
  // A dialog of the editor (class #32770), or null after `ms`.
  HWND WaitForDialog(double ms) const;
  // The window of class "ORVINADE" when shown.
  HWND PenChooser() const;

 private:
  std::wstring folder_;
  PROCESS_INFORMATION process_ = {};
  HWND frame_ = nullptr;
  HWND mdi_ = nullptr;
  int canvasWidth_ = 0, canvasHeight_ = 0;
  int numerator_ = 1, denominator_ = 1;
  int layerX_ = 0, layerY_ = 0;
};

// Runs a program with a command line and waits for it; its exit code, or -1.
int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD ms = 120000);
