#pragma once

// OrvinaDeveloper.exe driven as a user draws: the editor session with one cut opened from the
// command line in a maximised cut window, and the mouse and key messages that a drawing hand
// sends to it, placed over cell pixels.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win32/driver/editor_session.h"

struct CellPoint {
  int x = 0, y = 0;
};

class DrawingSession : public EditorSession {
 public:
  using EditorSession::EditorSession;
  // Drawn cuts are left unsaved: the editor is ended without its save questions.
  ~DrawingSession() { Kill(); }

  // Starts the editor on the cut file and waits for its cut window, which is maximised.
  bool Start(const std::wstring& cut);
  // Opens a cut file through the open dialog (カット → 開く) as a user types its path.
  bool OpenThroughDialog(const std::wstring& path);

  // What the cut window shows: its canvas size, the zoom as numerator / denominator, and
  // the offset of the layer drawn in; the canvas is centred in the window.
  void SetCanvas(int width, int height) { canvasWidth_ = width, canvasHeight_ = height; }
  void SetZoom(int numerator, int denominator) { numerator_ = numerator, denominator_ = denominator; }
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
  // The window of class "ORVINADE" when shown.
  HWND PenChooser() const { return FindProcessWindow(ProcessId(), L"ORVINADE"); }

 private:
  int canvasWidth_ = 0, canvasHeight_ = 0;
  int numerator_ = 1, denominator_ = 1;
  int layerX_ = 0, layerY_ = 0;
};
