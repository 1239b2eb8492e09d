#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "io/memory_stream.h"
#include "player/archive_loader.h"
#include "player/player_settings.h"
#include "win32/anim_window.h"

// The player's main window: the animation window with a menu, a toolbar, a status bar and the
// player's commands. One object, owned by the entry function, reached from the window
// procedure through the window data.
class PlayerWindow {
 public:
  explicit PlayerWindow(HINSTANCE instance);
  ~PlayerWindow();
  PlayerWindow(const PlayerWindow&) = delete;
  PlayerWindow& operator=(const PlayerWindow&) = delete;

  // Class "NimPlayerWnd".
  static bool RegisterWindowClass(HINSTANCE instance);
  HWND Create();
  HWND Window() const { return window_; }

  // Plays a file (an archive's first OV member for .lzh and .zip): false, changing nothing,
  // when it cannot be read or is empty. Data that is neither OV nor TL plays the built-in
  // animation under the file's title.
  bool Load(const std::wstring& path);
  // The animation in the program's resources.
  bool PlayBuiltIn();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool OnCreate();
  void OnSize(UINT state, LPARAM lParam);
  void OnActivate(UINT state);
  void OnInitMenu(HMENU menu);
  void OnDropFiles(HDROP drop);
  LRESULT OnNotify(const NMHDR* header);
  void OnClose();
  void OnDestroy();
  void OnCommand(int id);

  void OnOpen();
  void OnPlay();
  void OnStepMode();
  void OnNextCut();
  void OnPreviousCut();
  void OnHighlight();
  void OnStepSpeed();
  void OnExtract();

  // After a cut jump: playing on shows the new cut's credit for half a second; stopped, the
  // new frame is shown at once.
  void AfterCutJump(bool wasRunning);
  // Playback goes on when it was running before a command stopped it.
  void Restart(bool wasRunning);
  // Replaces the memory block behind the stream and opens it.
  bool OpenBlock(std::vector<uint8_t> block);
  void ShowPlayButton();
  void ShowStepButton();
  void MeasureBars();

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  std::wstring settingsPath_;
  PlayerSettings settings_;
  ArchiveLoader archives_;
  // The file being played; the stream reads it and the engine reads the stream.
  std::vector<uint8_t> block_;
  MemoryStream stream_;
  AnimWindow anim_;
};
