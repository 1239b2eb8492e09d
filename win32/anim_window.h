#pragma once

// The animation window (Windows programs only): the playback engine in a Win32 window, driven
// by the multimedia timer. In the player it is the main window (the player adds its menu,
// toolbar, status bar and commands); in the editor it is a window of its own class.

#include <windows.h>

#include <string>
#include <vector>

#include "anim/playback.h"

// Sent when a frame of duration 0 stopped playback; no parameters.
inline constexpr UINT kPlaybackStoppedMessage = WM_USER;
// A tick on the timer's thread changed the status text.
inline constexpr UINT kStatusTextMessage = WM_USER + 1;

// The editor's animation window class.
inline constexpr wchar_t kAnimWindowClass[] = L"OrvinaWnd";

// Ticks run on the timer's thread. Tick, Stop, Open and Paint exclude each other, and after
// Stop returns no tick runs until playback is started again. A tick never waits for the
// window's thread: it paints through its own device context and posts its status changes.
class AnimWindow : public Playback {
 public:
  AnimWindow();
  ~AnimWindow() override;

  // The window it plays in (its thread is the window's thread), the player's status bar and
  // the heights of the bars above and below the view area.
  void Attach(HWND window);
  void SetStatusBar(HWND statusBar) { status_ = statusBar; }
  void SetBarHeights(int toolbar, int statusBar);
  HWND Window() const { return window_; }
  int ToolbarHeight() const { return toolbarHeight_; }
  int StatusBarHeight() const { return statusHeight_; }
  // The timer resolution asked for, in milliseconds (0 before the first start).
  UINT TimerResolution() const { return resolution_; }

  bool Open(ByteStream& stream) override;
  void Tick() override;
  bool Stop() override;

  // Paints the view area (client coordinates, below the toolbar).
  void Paint(HDC dc);

  // The engine's part of a window procedure: size, paint, close, timer, destroy and its own
  // messages. True when the message needs nothing more (`result` is its answer).
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // The editor's window: class "OrvinaWnd" (arrow cursor, the object pointer in its window
  // data), and a hidden captioned window of it playing this object.
  static bool RegisterWindowClass(HINSTANCE instance);
  HWND CreateHidden(HINSTANCE instance, HWND owner, const wchar_t* title);

 protected:
  bool PrepareTimer() override;
  bool StartTimer(int periodMs) override;
  void KillTimer() override;
  void FitWindow() override;
  void ShowInactive() override;
  void Invalidate() override;
  void PaintNow() override;
  bool HasStatusBar() const override { return status_ != nullptr; }
  void SetStatusText(const std::string& text) override;
  void PlaybackStopped() override;

 private:
  class Lock;
  static void CALLBACK TimerProc(UINT id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimerEvent(UINT id);
  void OnSize(UINT state);
  void OnPaint();
  // Fills the strips of the bars above and below the view area with the face colour.
  void EraseBars(HDC dc);
  void OnStatusText();
  // The client size the view area needs.
  SIZE WantedClient() const;

  CRITICAL_SECTION lock_;
  int lockDepth_ = 0;
  // Timers to kill once the lock is free: a kill waits for a callback under way, which may
  // itself be waiting for the lock.
  std::vector<UINT> pendingKills_;

  HWND window_ = nullptr;
  HWND status_ = nullptr;
  DWORD windowThread_ = 0;
  int toolbarHeight_ = 0, statusHeight_ = 0;
  bool fitting_ = false;

  UINT timerId_ = 0;
  UINT resolution_ = 0;
  bool periodBegun_ = false;

  std::wstring statusText_;
};
