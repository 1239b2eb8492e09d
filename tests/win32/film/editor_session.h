#pragma once

// One run of OrvinaDeveloper.exe driven from outside, as a user drives it: the program copied
// into a folder of its own (its settings file private), started with a command line, sent the
// messages that menus, clicks and keys send, its dialogs filled in and confirmed, and looked
// at: captions, list rows, field texts, the focus.

#include <windows.h>

#include <string>
#include <vector>

class EditorSession {
 public:
  // `settings` is written as the settings file when not empty.
  EditorSession(const std::wstring& editor, const std::wstring& folder,
                const std::string& settings = "");
  ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

  bool Start(const std::wstring& arguments = L"");
  // Closes the program, answering "no" to every save question; its exit code or -1.
  int Quit();

  HWND Frame() const { return frame_; }
  HWND Control(int id) const { return GetDlgItem(frame_, id); }
  std::wstring Caption(HWND window) const;
  std::wstring Caption() const { return Caption(frame_); }

  // A command that opens no dialog; false when it did not return in time (a dialog is up).
  bool Command(int id, int ms = 10000);
  // A command whose handler runs a dialog: posted, for the dialog helpers below.
  void Post(int id);
  // Waits until the program has handled everything sent and posted so far.
  bool Idle();

  // A dialog of the program holding control `id` (any dialog for 0), or null after `ms`.
  HWND WaitDialog(int id, int ms = 10000) const;
  bool NoDialog() const;
  static void SetText(HWND dialog, int id, const std::wstring& text);
  static void SetSpin(HWND dialog, int spin, int value);
  static void Check(HWND dialog, int id, bool on);
  // Presses the button and waits until the dialog is gone.
  bool Press(HWND dialog, int button);
  // The message box captioned "Orvinade": its text, and the answer given.
  bool Answer(int button, std::wstring* text = nullptr);
  // The common open or save dialog: types the path and confirms it.
  bool ChooseFile(const std::wstring& path);
  bool CancelFileDialog();

  // The rows of a list box and its selection.
  std::vector<std::wstring> Rows(int list) const;
  std::vector<int> Selected(int list) const;
  int Caret(int list) const;
  // A row of a list box chosen as a click does (the selection and its notification).
  void Choose(int list, int row);
  // A double click on a list box's caret row (posted: it may open a dialog).
  void DoubleClick(int list);
  // Focus as a click gives it.
  void Click(int id);
  int FocusId() const;
  HWND Focus() const;
  // Types into a panel field: the focus, then the text.
  void Type(int id, const std::wstring& text);

  // The active cut window, its caption and the cut windows open.
  HWND ActiveCut() const;
  std::vector<HWND> CutWindows() const;
  void Activate(HWND cut);
  // The animation window.
  HWND Animation() const;

 private:
  std::wstring folder_;
  PROCESS_INFORMATION process_ = {};
  HWND frame_ = nullptr;
};

std::wstring JoinRows(const std::vector<std::wstring>& rows);
bool Exists(const std::wstring& path);
