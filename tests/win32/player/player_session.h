#pragma once

// One run of OrvinaPlayer.exe driven from outside: the shared program session with the
// player's own window parts, the toolbar, the status bar and the view area between them.

#include "tests/win32/driver/program_session.h"

class PlayerSession : public ProgramSession {
 public:
  // A private folder with a copy of `player` and, when not empty, a settings file with these
  // lines under [setup].
  PlayerSession(const std::wstring& player, const std::wstring& folder, const std::string& setupLines = "");

  // Starts the program with `arguments` as its command line and waits for its window.
  bool Start(const std::wstring& arguments);

  HWND Toolbar() const { return toolbar_; }
  HWND StatusBar() const { return status_; }

  std::wstring Title() const { return TextOf(window_); }
  std::wstring StatusText() const { return TextOf(status_); }
  bool PlayPressed() const;
  bool StepPressed() const;
  // A [setup] setting as the program wrote it ("" when missing).
  std::wstring Setting(const wchar_t* key) const { return ProgramSession::Setting(L"setup", key); }

  // Sends a command and returns when it was handled.
  void Command(int id, Source source = Source::Menu) { ProgramSession::Command(id, source, toolbar_); }

  // The view area: the client area between toolbar and status bar, in screen pixels.
  RECT ViewArea() const;
  Image CaptureView() const { return CaptureScreen(ViewArea()); }
  // The colour at the view area's centre.
  uint32_t CentreColour() const;

 private:
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
};
