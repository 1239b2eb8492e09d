#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "io/memory_stream.h"
#include "win32/anim_window.h"

class BlockStream;
class Cut;
class CutWindow;
class Film;
class RecoveryCopies;
struct NewCutValues;

// The cut window's first user message: the current tool drops its feedback on the window.
inline constexpr UINT kCancelMessage = WM_USER;

// The editor's top-level window: an MDI frame whose client area holds the left pane (frame
// and layer panels, cut list), the splitter strip and the MDI client with one cut window per
// open cut; it owns the bars, the tool popup, the film and the animation window, and every
// command reaches its dispatcher. One object for the whole run, reached through MainFrame().
class MainFrame {
 public:
  // Layout flags.
  static constexpr uint32_t kStatusBarShown = 1, kToolbarShown = 2, kPanelsShown = 4,
                            kNormalLayout = 8, kSaveAllAnswer = 16;

  explicit MainFrame(HINSTANCE instance);
  ~MainFrame();
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Class "OrvinadeFrame".
  static bool RegisterWindowClass(HINSTANCE instance);
  HWND Create();

  HWND Window() const { return frame_; }
  HWND MdiClient() const { return mdiClient_; }
  HWND StatusBar() const { return statusBar_; }
  Film& TheFilm() { return *film_; }
  uint32_t CurrentTool() const { return currentTool_; }
  uint32_t PreviousTool() const { return previousTool_; }
  uint32_t LayoutFlags() const { return layoutFlags_; }
  int32_t PaneWidth() const { return paneWidth_; }

  // The active cut window, or null.
  CutWindow* ActiveCutWindow() const;
  void SelectTool(uint32_t tool);
  void SetToolMark(uint32_t tool, bool on);
  // The frame caption: "Orvina Developer - NAME" for a film with a path.
  void UpdateTitle();
  void ShowMenuHelp(int id);
  void SetStatusText(const std::wstring& text);
  void PopUpToolMenu();
  void TogglePanels();

  // Opens a .cut, .lyr or .flm file by its extension; false when nothing was opened.
  bool OpenByExtension(const std::string& path);
  // A new cut window for the cut file; false (and a message) when it cannot be read.
  bool OpenCutFile(const std::string& path);
  // Replaces the film with the film file; false, keeping the film, when it cannot be read.
  bool OpenFilm(const std::string& path);
  // After the film was replaced: its rows link the open cut windows again, the cut list
  // shows them, the caption names the film.
  void ShowFilm();

  // The recovery copies of the documents not saved.
  RecoveryCopies& Recovery() { return *recovery_; }
  // Nothing is being drawn, dragged, asked, chosen from a menu or exported: a moment in
  // which every document is whole.
  bool AtRest();

  // The close question of a cut window (the cut's file name, or "untitled.cut"): saves when
  // answered yes. False when the window must stay open: the cut could not be saved and the
  // user cancelled the save dialog that followed.
  bool ConfirmCloseCut(CutWindow& cut);
  // Closes every cut window; false when one of them stayed open.
  bool CloseAllCutWindows();

  // Saves the cut to its own path, or through the save dialog when it has none or the save
  // fails. False when it was not saved.
  bool SaveCut(CutWindow& cut);
  bool SaveCutAs(CutWindow& cut);

  // The animation window: a copy of `compiled` (an OV or TL image) replaces what it played
  // and plays, captioned with its size. False when it is not playable.
  bool PlayCompiled(const BlockStream& compiled);
  // Stops and hides the animation window.
  void StopAnimation();
  AnimWindow& Animation() { return anim_; }

  // The panels of the current frame (panels.cpp): refresh fills them from the cut's current
  // frame (no cut: empties them); commit stores their edits into the frame of the cut they
  // were filled from; update layer row rewrites the current layer's row after a cell command.
  void CommitPanels(CutWindow* cut);
  void RefreshPanels(CutWindow* cut);
  void UpdateLayerRow(CutWindow* cut);

  // The film window (film_window.cpp). Selects the cut's row alone when the film holds the
  // cut and its row is not selected yet.
  void SelectCutOfWindow(CutWindow& cut);
  // Asks whether to save the modified film; false when the answer was yes and the film was
  // not saved after all (the command that asked stops).
  bool AskSaveFilm();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  bool OnCreate();
  HWND CreateChild(DWORD exStyle, const wchar_t* className, DWORD style, int id);
  bool CreateToolbar();
  void OnSize(UINT state, LPARAM lParam);
  void Layout();
  void OnActivate(UINT state, bool minimised);
  void OnPaint();
  void OnClose();
  void OnDestroy();
  LRESULT OnNotify(NMHDR* header);
  void OnInitMenu(HMENU menu);
  void OnInitMenuPopup(HMENU menu);
  void OnDropFiles(HDROP drop);
  void OnTimer(UINT_PTR id);
  void OnSplitterDown(int x);
  void OnSplitterMove(int x);
  void OnSplitterUp(int x);
  void DrawSplitterTrack();

  // The dispatcher: false when the command is left to default frame processing.
  bool OnCommand(int code, int id, HWND control);
  bool RunFrameCommand(int id);
  // Film, cut file and cut list commands (film_window.cpp).
  bool RunFilmCommand(int id);
  void FillCutList();
  std::vector<int32_t> SelectedRows() const;
  int32_t CaretRow() const;
  CutWindow* WindowOfCut(const Cut* cut) const;
  CutWindow* NewCutWindow(const NewCutValues& values);
  bool SaveFilmAs();
  void OnNewFilm();
  void OnOpenFilm();
  void OnOverwriteFilm();
  void OnFilmProperties();
  void OnExtract();
  void OnPlaySelectedCuts();
  void OnExportFilm();
  CutWindow* OnNewCut();
  bool OnAddCutToFilm(bool insert);
  void OnRemoveCutFromFilm();
  void OnNewNumberedCut(bool before);
  void OnDeleteCuts();
  void OnRenameCut();
  void OnCloseAll();
  // Panel notifications, the focus cycle and the layer commands (panels.cpp,
  // layer_commands.cpp).
  void OnPanelNotify(int code, int id, HWND control);
  void OnFocusCycle(bool forward);
  void FillLayerRows(Cut& cut);
  void ClearPanels();
  bool RunLayerCommand(int id);
  void OnAddLayer(bool insert);
  void OnDeleteLayer();
  void OnMoveLayer(bool up);
  void OnLayerProperties();
  void OnSaveLayer();
  void OnOpenLayer(bool overwrite);
  bool OpenLayerFile(CutWindow& cut, const std::string& path);
  void OpenCutAtCaret();
  void OnExit();
  void OnExplainTool();
  void OnAbout();
  void OnSquarePen();
  void OnToggleBar(uint32_t flag, HWND bar);
  void OnClipboardColor();
  void OnOpenCut();
  void OnSaveCutAs();
  void OnOverwriteCut();
  void OnExportBitmap();
  void OnGrid();
  void OnMask();
  void OnFont();
  void OnCutProperties();
  void OnFrameSize();
  void OnFrameNavigation(int id);
  void OnAddFrames(bool remove);
  void OnRun(int id);
  void OnRandomDots();
  void OnDrawGrid();
  void OnAllKeyframes();

  void SetBarVisible(HWND bar, bool visible);
  void ShowAroundLayout(std::span<const std::pair<HWND, bool>> windows);
  int BarHeight(HWND bar) const;

  HINSTANCE instance_;
  // Fields in the order the frame declares them.
  HWND frame_ = nullptr;
  HMENU toolPopup_ = nullptr;
  HWND mdiClient_ = nullptr;
  HWND layerList_ = nullptr;
  HWND frameTime_ = nullptr;
  HWND loopField_ = nullptr;
  HWND brightness_ = nullptr;
  HWND cutList_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND keyframeButton_ = nullptr;
  HWND comment_ = nullptr;
  HWND toolbar_ = nullptr;
  uint32_t currentTool_;
  uint32_t previousTool_;
  std::unique_ptr<Film> film_;
  int32_t paneWidth_ = 160;
  int32_t dragAnchor_ = 0;
  uint32_t layoutFlags_ = 0;
  AnimWindow anim_;

  std::vector<uint8_t> animBytes_;
  MemoryStream animStream_;
  bool splitterDragging_ = false;
  int lineHeight_ = 0;
  // The cut window the panels were last filled from.
  HWND panelWindow_ = nullptr;
  // The comment field's own input-method state, swapped in while it has the focus.
  bool commentImeOpen_ = false;
  bool menuLoop_ = false;
  int exports_ = 0;  // exports and previews running
  std::unique_ptr<RecoveryCopies> recovery_;
};

// The one main frame, set at start-up (null before and after).
MainFrame* TheMainFrame();
void SetTheMainFrame(MainFrame* frame);
