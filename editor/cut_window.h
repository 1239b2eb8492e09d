#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edit/view_geometry.h"
#include "model/frame_surface.h"
#include "model/rect.h"

class Cut;
class MainFrame;

// One open cut in its MDI child window: the cut, the display bitmap the current frame is
// composed into, the zoom and scroll of the view, and the cut's commands. The object lives
// from the window's creation to its destruction and owns the cut.
class CutWindow {
 public:
  // Class "OrvinadeCutFrame".
  static bool RegisterWindowClass(HINSTANCE instance, HBRUSH background);
  // A new window for the cut file; null (with the reason) when it cannot be read.
  static CutWindow* Open(MainFrame& frame, const std::string& path, std::string* why);
  // A new window for a cut made in memory (it has no path until saved).
  static CutWindow* Open(MainFrame& frame, std::unique_ptr<Cut> cut);
  // The object of a cut window, or null for any other window.
  static CutWindow* FromWindow(HWND window);

  HWND Window() const { return window_; }
  Cut& TheCut() { return *cut_; }
  const ViewGeometry& Geometry() const { return view_; }
  FrameSurface& Display() { return display_; }
  bool LinesEmphasized() const { return emphasize_; }
  bool CurrentCellIsEmpty();

  // The cut window's commands; false for ids it does not know.
  bool OnCommand(int code, int id, HWND control);

  // Composes the rectangle (canvas pixels) again and, when asked, copies it to the window.
  void PartialRepaint(Rect canvas, bool copy);
  void FullRepaint();
  // After the canvas size changed: a new display bitmap, the scroll bars, a full repaint.
  void CutSizeChanged();
  void ZoomAt(POINT window, bool zoomIn);

  // Writes the cut to `path` (unused layers removed first) and on success takes it as the
  // cut's path and title. On failure the cut and its path stay as they were.
  bool WriteToPath(const std::string& path, std::string* why);
  // The current frame as the bitmap file the export writes.
  bool ExportCurrentFrame(std::vector<uint8_t>& bytes);
  void ApplyProperties(int32_t width, int32_t height, int32_t fps, const std::string& credit,
                       int32_t antiAlias);
  void DrawRandomDots(int32_t spacing);
  void DrawGrid(int32_t width, int32_t height);
  // The selection moved onto the canvas by the current entry's place, or none.
  std::optional<Rect> SelectionOnCanvas();
  // The cut file was renamed: the cut takes the new path and the caption its name.
  void TakePath(const std::string& path);

 private:
  CutWindow(MainFrame& frame, std::unique_ptr<Cut> cut);
  ~CutWindow();
  friend struct std::default_delete<CutWindow>;
  static CutWindow* CreateWindowFor(MainFrame& frame, std::unique_ptr<Cut> cut);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  void OnCreate();
  void OnPaint();
  void OnSize(int width, int height);
  bool OnSetCursor(HWND hit, UINT area);
  void OnScroll(int bar, int request, int thumb);
  void OnMouse(UINT message, WPARAM keys, LPARAM position);
  bool OnPan(UINT message, WPARAM keys, POINT at);
  void OnRightButtonTimer();
  void OnActivate(bool active);
  void OnClose();
  void OnDestroy();
  void Cancel();
  void SetUpScrollBars();
  void CopyToWindow(HDC dc, const Rect& source, const Rect& destination);
  void UpdateTitle();

  // Commands.
  void AfterCellEdit(const Rect* bounds);
  void OnUndo();
  void OnCellEdit(int id);
  void OnToggleDisplayFlag(uint32_t flag);
  void OnEmphasizeLines();
  void OnPlayCut();
  void OnShowFrame();
  const Rect* Selection() const { return nullptr; }

  MainFrame& frame_;
  std::unique_ptr<Cut> cut_;
  HWND window_ = nullptr;
  FrameSurface display_;
  ViewGeometry view_;
  Rect strokeBounds_;
  bool emphasize_ = false;
  bool thumbTracking_ = false;
};

// While any view pans with Shift + Ctrl (program-wide, like the grid).
bool ViewPanning();
