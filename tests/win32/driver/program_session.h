#pragma once

// A Windows program driven from outside, as a user drives it: copied into a folder of its
// own (so its settings file is private), started with a command line, found by its window
// class, sent the messages that menus, toolbar buttons, keys and clicks send, and looked at:
// window texts, dialogs, the pixels on screen, the files it wrote.

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

// UTF-8 ↔ UTF-16 (the wide API of the program under test).
std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Runs a console program with a command line and waits for it; its exit code, or -1.
int RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD ms = 120000);

// One "--name VALUE" option of a driver's command line.
struct DriverFlag {
  const char* name;
  std::wstring* value;
  bool required = false;
};
// Reads the options left after Google Test took its own; false, with `usage` on standard
// error, when a required one is missing. The folder of "--work" is made.
bool ReadDriverFlags(int argc, char** argv, const std::vector<DriverFlag>& flags, const char* usage);

// Reads the screen rectangle (screen coordinates).
Image CaptureScreen(const RECT& r);
// The client area of a window as shown on screen.
Image CaptureClient(HWND window);
bool SaveBitmap(const std::wstring& path, const Image& image);

// The text of a window of any process ("" when it does not answer).
std::wstring TextOf(HWND window);
// A visible top-level window of the process with this class (and caption, when given).
HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption = nullptr);

// Dialog controls as a user works them.
void SetDialogText(HWND dialog, int id, const std::wstring& text);
std::wstring DialogText(HWND dialog, int id);
void PressButton(HWND dialog, int id);
// The number in an up-down control and in its buddy field.
void SetSpin(HWND dialog, int spin, int value);
void CheckButton(HWND dialog, int id, bool on);
// The keyboard focus moves to the control, as a click or Tab puts it there.
void FocusControl(HWND dialog, int id);
// The file name field of an open or save dialog (explorer style, or the older one).
bool SetFileName(HWND dialog, const std::wstring& path);
// Waits until the dialog is closed or hidden.
bool DialogGone(HWND dialog, double ms = 10000);

// Where a command comes from: the message differs as it does for a real click or key.
enum class Source { Menu, Accelerator, Toolbar };

class ProgramSession {
 public:
  // A folder `folder` with a copy of `program` and, when not empty, its settings file with
  // this text.
  ProgramSession(const std::wstring& program, const std::wstring& folder, const std::string& settings);
  // Another run of the program in the folder of `running`, whose files stay as they are.
  struct Beside {};
  ProgramSession(Beside, const ProgramSession& running);
  ~ProgramSession();
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  // Starts the program with `arguments` as its command line and waits for its window.
  bool Start(const std::wstring& arguments, const wchar_t* windowClass, double ms = 30000);
  // The two halves of Start, for a program that asks something before its window shows.
  bool Launch(const std::wstring& arguments);
  bool WaitForWindow(const wchar_t* windowClass, double ms = 30000);
  // WM_CLOSE, then waits for the process; its exit code, or -1 when it had to be killed.
  int Close(double ms = 15000);
  bool Alive() const;
  // Whether the window still answers messages.
  bool Responds() const;
  // Ends the program at once, asking nothing.
  void Kill();
  // Lets the program run on when this session ends (something else ends it).
  void Detach();
  // Waits until the program has handled what was sent to it so far; false when it hangs.
  bool Sync() const;

  HWND Window() const { return window_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  const std::wstring& Folder() const { return folder_; }
  std::wstring ProgramPath() const { return folder_ + L"\\" + name_ + L".exe"; }
  std::wstring SettingsPath() const { return folder_ + L"\\" + name_ + L".ini"; }
  // A setting as the program wrote it ("" when missing).
  std::wstring Setting(const wchar_t* section, const wchar_t* key) const;

  // Sends a command to the main window and returns when it was handled; false when it was
  // not handled within `ms` (a dialog of its own is up).
  bool Command(int id, Source source = Source::Menu, HWND toolbar = nullptr, double ms = 10000);
  // Posts a command whose handler runs a modal dialog or message box.
  void PostCommand(int id);
  // Drops the file on the main window (or on `target`), as the shell does.
  void PostDrop(const std::wstring& path, HWND target = nullptr);
  // A key press through the input queue (the window is brought to the front first).
  bool Key(WORD vk, bool ctrl = false);
  bool BringToFront();

  // A dialog or message box of the program (class #32770) with this caption, or any when
  // null; null when none came within `ms`.
  HWND WaitForDialog(double ms, const wchar_t* caption = nullptr) const;
  // A dialog of the program holding the control `id`, or null when none came within `ms`.
  HWND WaitForDialogWith(int id, double ms = 10000) const;
  bool NoDialog() const { return FindProcessWindow(ProcessId(), L"#32770") == nullptr; }
  // Presses the dialog's button, then waits until the dialog is gone and the program idle.
  bool Press(HWND dialog, int button);
  // The common open or save dialog: the path typed and confirmed, or the dialog cancelled.
  bool ChooseFile(const std::wstring& path);
  // Cancels the file dialog; `shownName` receives the file name it showed.
  bool CancelFileDialog(std::wstring* shownName = nullptr);

  // The whole window as shown on screen.
  Image CaptureWindow() const;

 protected:
  std::wstring folder_;
  std::wstring name_;  // the program's file name without ".exe"
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};
