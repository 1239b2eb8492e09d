#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "editor/animation_preview.h"
#include "editor/command_table.h"
#include "editor/cut_window_host.h"
#include "editor/film_pane.h"
#include "editor/frame_panels.h"
#include "files/recovery_copies.h"

class CutWindow;

// The editor's top-level window: an MDI frame whose client area holds the left pane (frame
// and layer panels, cut list), the splitter strip and the MDI client with one cut window per
// open cut, under the toolbar and over the status bar. It lays these out and routes every
// command: to the active cut window, the panels, the film pane, then its own commands (the
// bars, the tool choice, exit). Its parts are the areas: the panels, the film pane, the
// animation preview and the recovery copies. One object for the whole run, reached through
// TheMainFrame().
class MainFrame {
 public:
  explicit MainFrame(HINSTANCE instance);
  ~MainFrame();
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Class "OrvinadeFrame".
  static bool RegisterWindowClass(HINSTANCE instance);
  HWND Create();

  HWND Window() const { return frame_; }
  HWND MdiClient() const { return mdiClient_; }
  // Where the frame's dialogs appear.
  DialogOwner Owner() const { return DialogOwner{instance_, frame_, statusBar_}; }
  Film& TheFilm() { return filmPane_.TheFilm(); }
  RecoveryCopies& Recovery() { return recovery_; }

  // Opens a .cut, .lyr (into the active cut) or .flm file by its extension; false when
  // nothing was opened.
  bool OpenByExtension(const std::string& path);

 private:
  // Layout flags.
  static constexpr uint32_t kStatusBarShown = 1, kToolbarShown = 2, kPanelsShown = 4,
                            kNormalLayout = 8;

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
  void ShowMenuHelp(int id);
  void SetStatusText(const std::wstring& text);

  // The router: false when the command is left to default frame processing.
  bool OnCommand(int code, int id);
  static const Command<MainFrame> kCommands[];
  CutWindow* ActiveCutWindow() const;
  // What the recovery copies ask of the frame.
  RecoveryHost RecoveryHooks();
  // Nothing is being drawn, dragged, asked, chosen from a menu or exported: a moment in
  // which every document is whole.
  bool AtRest();
  // Closes every cut window and asks about the film; then the frame goes.
  void OnExit();
  void OnExplainTool();
  void OnAbout();

  // The tools: the check marks of a tool in the toolbar, the menu bar and the tool menu.
  void SelectTool(uint32_t tool);
  void SetToolMark(uint32_t tool, bool on);
  void PopUpToolMenu();
  // The bars and panels shown or hidden.
  void TogglePanels();
  void OnToggleBar(uint32_t flag, HWND bar);
  void ShowAroundLayout(std::span<const std::pair<HWND, bool>> windows);
  int BarHeight(HWND bar) const;

  HINSTANCE instance_;
  HWND frame_ = nullptr;
  HMENU toolPopup_ = nullptr;
  HWND mdiClient_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
  // The panels' controls and the cut list, placed by the layout.
  FramePanels::Controls panes_;
  uint32_t currentTool_;
  uint32_t previousTool_;
  int32_t paneWidth_ = 160;
  int32_t dragAnchor_ = 0;
  uint32_t layoutFlags_ = 0;
  bool splitterDragging_ = false;
  int lineHeight_ = 0;
  bool menuLoop_ = false;

  // The areas, and what the cut windows ask of them.
  CutWindowHost host_;
  AnimationPreview preview_;
  FramePanels panels_;
  FilmPane filmPane_;
  RecoveryCopies recovery_;
};

// The one main frame, set at start-up (null before and after).
MainFrame* TheMainFrame();
void SetTheMainFrame(MainFrame* frame);
