#pragma once

// One run of OrvinaDeveloper.exe driven from outside: the shared program session with the
// editor's own window parts (MDI client, status bar, the cut windows, the panels' fields and
// lists, the animation window, its "Orvinade" message boxes) and what a cut window shows,
// computed from the composed frames that orvina writes.

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/pixel_class.h"
#include "tests/win32/driver/program_session.h"

class EditorSession : public ProgramSession {
 public:
  // A private folder with a copy of `editor` and, when not empty, this settings file.
  EditorSession(const std::wstring& editor, const std::wstring& folder, const std::string& settings = "");
  // Another editor in the folder of a running one, with its settings and copies.
  EditorSession(Beside, const EditorSession& running) : ProgramSession(Beside{}, running) {}

  // Starts the editor with `arguments` as its command line and waits for its frame (and,
  // when `cut`, for a cut window).
  bool Start(const std::wstring& arguments, bool cut = true);
  // After Launch: waits for the frame and finds its parts.
  bool WaitForFrame(double ms = 30000);

  // Closes the editor, answering "no" to every save question and cancelling every file
  // dialog; its exit code, or -1 when it had to be killed.
  int Quit();

  HWND MdiClient() const { return mdiClient_; }
  // A child of the frame: a panel's field, button or list.
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::wstring Title() const { return TextOf(window_); }
  std::wstring StatusText() const { return TextOf(status_); }
  // A [setup] setting as the editor wrote it ("" when missing).
  std::wstring Setting(const wchar_t* key) const { return ProgramSession::Setting(L"setup", key); }

  // The active cut window, or null; every cut window; makes one the active one.
  HWND Cut() const;
  std::vector<HWND> CutWindows() const;
  void Activate(HWND cut);
  std::wstring CutTitle() const { return TextOf(Cut()); }
  // Gives the active cut window this outer size.
  void ResizeCut(int width, int height) const;
  SIZE CutClientSize() const;
  Image CaptureCut() const { return CaptureClient(Cut()); }
  // A click in the cut window's client area, left or right button.
  void ClickCut(int x, int y, bool left) const;

  // The animation window (class "OrvinaWnd", shown or not).
  HWND Animation() const;

  // The "Orvinade" message box that comes within `ms`: its text, then `button` is pressed.
  // False when none came.
  bool Answer(int button, std::wstring* text = nullptr, double ms = 10000);

  // The rows of one of the panels' list boxes, the selected rows and the caret row.
  std::vector<std::wstring> Rows(int list) const;
  std::vector<int> Selected(int list) const;
  int Caret(int list) const;
  // A row chosen as a click does (the selection and its notification).
  void Choose(int list, int row);
  // A double click on the caret row (posted: it may open a dialog).
  void DoubleClick(int list);
  // A click on a control, over when the call returns.
  void Click(int id);
  HWND Focus() const;
  int FocusId() const { return GetDlgCtrlID(Focus()); }
  // Typing into a panel field: the click that focuses it, then the text.
  void Type(int id, const std::wstring& text);

 private:
  HWND mdiClient_ = nullptr;
  HWND status_ = nullptr;
};

// The rows joined with commas.
std::wstring JoinRows(const std::vector<std::wstring>& rows);
// The rows of a list box of any window of the program.
std::vector<std::wstring> ListRows(HWND box);

// A composed frame as `orvina cut compose` writes it: pixel values and the colour table.
struct Composed {
  int width = 0, height = 0;
  std::vector<uint8_t> values;
  std::vector<uint32_t> colors;  // 0x00RRGGBB
  uint8_t At(int x, int y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};
// Empty (width 0) when the file is not an 8-bit bitmap.
Composed ReadComposed(const std::wstring& path);

// The palette a view shows: `base` with the colours of the composed file's table.
FramePalette PaletteOf(const Composed& composed);

// How a cut window shows its canvas: the zoom numerator / denominator; the scroll position
// in window pixels, for an axis that the zoomed canvas overfills (one that it does not fill
// is centred); reduced, which pixel of its block of canvas pixels a window pixel shows (the
// device's choice).
struct ViewState {
  int numerator = 1, denominator = 1;
  POINT scroll = {0, 0};
  POINT phase = {0, 0};
};

// The client area of a cut window of `width` × `height` that shows `composed` through
// `palette`, with palette entry 25 around the canvas.
Image ExpectedView(const Composed& composed, const FramePalette& palette, const ViewState& view, int width,
                   int height);

// The cut window shows one of `wanted` within `ms`; otherwise how many pixels differ from the
// first and where.
::testing::AssertionResult ShowsImage(const EditorSession& s, const std::vector<Image>& wanted, double ms = 5000);
