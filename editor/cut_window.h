#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edit/cut_view.h"
#include "edit/view_geometry.h"
#include "editor/command_table.h"
#include "model/frame_surface.h"
#include "model/rect.h"

class Cut;
struct CutWindowHost;

// The cut window's first user message: the current tool drops its feedback on the window.
inline constexpr UINT kCancelMessage = WM_USER;

// One open cut in its MDI child window: the cut, the display bitmap the current frame is
// composed into, the zoom and scroll of the view, and the cut's commands. The object lives
// from the window's creation to its destruction and owns the cut. It is the view the drawing
// tools work in, and it reaches the frame only through its host.
class CutWindow : public CutView {
 public:
  // Class "OrvinadeCutFrame".
  static bool RegisterWindowClass(HINSTANCE instance, HBRUSH background);
  // A new window for the cut file; null (with the reason) when it cannot be read.
  static CutWindow* Open(const CutWindowHost& host, const std::string& path, std::string* why);
  // A new window for a cut made in memory (it has no path until saved).
  static CutWindow* Open(const CutWindowHost& host, std::unique_ptr<Cut> cut);
  // The object of a cut window, or null for any other window.
  static CutWindow* FromWindow(HWND window);
  // The active cut window of the MDI client, or null; every cut window, front to back.
  static CutWindow* Active(HWND mdiClient);
  static std::vector<CutWindow*> All(HWND mdiClient);
  // Closes every cut window, the active one first; false when one of them stayed open.
  static bool CloseAll(HWND mdiClient);

  HWND Window() const { return window_; }
  Cut& TheCut() override { return *cut_; }
  const ViewGeometry& Geometry() const override { return view_; }
  FrameSurface& Display() override { return display_; }
  bool LinesEmphasized() const { return emphasize_; }
  bool CurrentCellIsEmpty();

  // The cut window's commands; false for ids it does not know.
  bool RunCommand(int id, int code);

  // Composes the rectangle (canvas pixels) again and, when asked, copies it to the window.
  void PartialRepaint(Rect canvas, bool copy);
  void FullRepaint();
  // After the canvas size changed: a new display bitmap, the scroll bars, a full repaint.
  void CutSizeChanged();
  void ZoomAt(POINT window, bool zoomIn);

  // Writes the cut to `path` (unused layers removed first) and on success takes it as the
  // cut's path and title. On failure the cut and its path stay as they were.
  bool WriteToPath(const std::string& path, std::string* why);
  // The cut takes another path (its file was renamed or written there) and the caption its
  // name.
  void TakePath(const std::string& path);
  // The current frame as the bitmap file the export writes.
  bool ExportCurrentFrame(std::vector<uint8_t>& bytes);
  void ApplyProperties(int32_t width, int32_t height, int32_t fps, const std::string& credit,
                       int32_t antiAlias);
  void DrawRandomDots(int32_t spacing);
  void DrawGrid(int32_t width, int32_t height);
  // The selection in cell coordinates, or null without one; on the canvas (what a new layer
  // takes as its size and place), or nothing.
  const Rect* Selection();
  std::optional<Rect> SelectionOnCanvas() const;

  // The view of the drawing tools (editor/cut_window_tools.cpp).
  Rect& StrokeBounds() override { return strokeBounds_; }
  ::Selection& TheSelection() override { return selection_; }
  DrawingSettings& Drawing() override;
  ProtectMask Mask() const override;
  SnapGrid Grid() const override;
  void Repaint(Rect canvas) override { PartialRepaint(canvas, true); }
  void RepaintAll() override { FullRepaint(); }
  void InvertLine(Point windowFrom, Point windowTo) override;
  void InvertFrame(Rect window) override;
  void MovePenCursor(Point canvas) override;
  void HidePenCursor() override;
  void Capture(bool on) override;
  void OpenPenChooser(Point window) override;
  void ShowWaitCursor(bool on) override;
  void ZoomAt(Point window, bool zoomIn) override { ZoomAt(POINT{window.x, window.y}, zoomIn); }
  void SelectTool(uint32_t tool) override;
  bool AskText(std::string& text) override;
  Point MeasureTextLine(const std::string& line) override;
  bool VerticalText() const override;
  int32_t TextLineSpacing() const override;
  void DrawTextLine(const std::string& line, Point canvas) override;

 private:
  CutWindow(const CutWindowHost& host, std::unique_ptr<Cut> cut);
  ~CutWindow();
  friend struct std::default_delete<CutWindow>;
  static CutWindow* CreateWindowFor(const CutWindowHost& host, std::unique_ptr<Cut> cut);
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
  void RouteToTool(UINT message, WPARAM keys, Point at);
  void OnChar(uint32_t character);
  void OnActivate(bool active);
  void OnClose();
  void OnDestroy();
  void Cancel();
  void SetUpScrollBars();
  void CopyToWindow(HDC dc, const Rect& source, const Rect& destination);
  // Copies a canvas rectangle of the display bitmap to the window as it is.
  void ShowCanvas(Rect canvas);
  void UpdateTitle();

  // Commands (editor/cut_window_commands.cpp).
  static const Command<CutWindow> kCommands[];
  void AfterCellEdit(const Rect* bounds);
  // Repaints a changed cell rectangle, or everything when it is empty, with the cancel
  // message before and after, and brings the layer panel's row up to date.
  void ShowCellChange(Rect cells);
  void OnUndo();
  // An edit of the cut's cells, layers or frames that shows in the whole view.
  void EditCut(bool (*edit)(Cut& cut));
  // An edit of the current cell in the area it changed: the selection while the region
  // select tool is current, else the whole cell.
  void EditCellArea(bool (*edit)(Cut& cut, const Rect* selected, ProtectMask mask));
  void OnFlip(bool mirror);
  // A move to another frame, with the panels stored before and filled after.
  void GoToFrame(bool (*go)(Cut& cut));
  void OnToggleDisplayFlag(uint32_t flag);
  void OnEmphasizeLines();
  void OnPlayCut();
  void OnShowFrame();
  // Copy, cut and paste, also through the Windows clipboard (editor/cut_window_clipboard.cpp).
  void OnCopy(bool cut);
  void OnPaste();
  void OnClipboardCopy();
  void OnClipboardPaste();
  // Dropped files; a picture becomes a floating paste (editor/cut_window_drop.cpp).
  void OnDropFiles(HDROP drop);
  void DropPicture(const std::wstring& path);

  const CutWindowHost& host_;
  std::unique_ptr<Cut> cut_;
  HWND window_ = nullptr;
  FrameSurface display_;
  ViewGeometry view_;
  Rect strokeBounds_;
  ::Selection selection_;
  Rect selectedCells_;
  Rect penCursor_;  // canvas; empty while not shown
  bool emphasize_ = false;
  bool thumbTracking_ = false;
};

// While any view pans with Shift + Ctrl (program-wide, like the grid).
bool ViewPanning();
