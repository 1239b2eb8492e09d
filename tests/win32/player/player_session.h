#pragma once

// One run of OrvinaPlayer.exe driven from outside, as a user drives it: the program is copied
// into a folder of its own (so its settings file is private), started with a command line,
// found by its window class, sent the messages that menus, toolbar buttons and keys send,
// and looked at: title, status text, button states, the pixels of its view area.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Pixels 0x00RRGGBB, row by row.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> px;
  uint32_t At(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
  bool operator==(const Image&) const = default;
};

// Waits for `done`, checking every few milliseconds; false when `ms` passed first.
bool WaitFor(double ms, const std::function<bool()>& done);
double NowMs();

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);

// Where a command comes from: the message differs as it does for a real click or key.
enum class Source { Menu, Accelerator, Toolbar };

class PlayerSession {
 public:
  // A folder `folder` with a copy of `player` and, when not empty, a settings file with
  // these lines under [setup].
  PlayerSession(const std::wstring& player, const std::wstring& folder, const std::string& setupLines = "");
  ~PlayerSession();
  PlayerSession(const PlayerSession&) = delete;
  PlayerSession& operator=(const PlayerSession&) = delete;

  // Starts the program with `arguments` as its command line and waits for its window.
  bool Start(const std::wstring& arguments);
  // WM_CLOSE, then waits for the process; its exit code, or -1 when it had to be killed.
  int Close();
  bool Alive() const;
  // Whether the window still answers messages.
  bool Responds() const;

  HWND Window() const { return window_; }
  HWND Toolbar() const { return toolbar_; }
  HWND StatusBar() const { return status_; }
  const std::wstring& Folder() const { return folder_; }
  std::wstring ProgramPath() const { return folder_ + L"\\OrvinaPlayer.exe"; }
  std::wstring SettingsPath() const { return folder_ + L"\\OrvinaPlayer.ini"; }

  std::wstring Title() const;
  std::wstring StatusText() const;
  bool PlayPressed() const;
  bool StepPressed() const;
  // A setting as the program wrote it ("" when missing).
  std::wstring Setting(const wchar_t* key) const;

  // Sends a command and returns when it was handled.
  void Command(int id, Source source = Source::Menu);
  // Posts a command whose handler runs a modal dialog.
  void PostCommand(int id);
  // A key press through the input queue (the window is brought to the front first).
  bool Key(WORD vk, bool ctrl = false);
  bool BringToFront();

  // A dialog of the program (class #32770) with this caption, or any when null.
  HWND WaitForDialog(double ms, const wchar_t* caption = nullptr) const;

  // The view area: the client area between toolbar and status bar, in screen pixels.
  RECT ViewArea() const;
  Image CaptureView() const;
  // The whole window as shown on screen.
  Image CaptureWindow() const;
  // The colour at the view area's centre.
  uint32_t CentreColour() const;

 private:
  std::wstring folder_;
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
};

// Reads the screen rectangle (screen coordinates).
Image CaptureScreen(const RECT& r);
bool SaveBitmap(const std::wstring& path, const Image& image);
