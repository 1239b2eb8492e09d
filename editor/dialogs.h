#pragma once

// The dialog kinds: each carries its values, fills its controls from them and reads them back
// on OK, with the ranges of its spins.

#include <optional>
#include <string>
#include <vector>

#include "editor/modal_dialog.h"
#include "editor/new_cut_values.h"
#include "model/pixel_class.h"

// 106: a layer's name, size and follow-frame flag.
class LayerDialog : public ModalDialog {
 public:
  explicit LayerDialog(HWND statusBar);
  std::string name;
  int32_t width = 1, height = 1;
  bool followFrame = false;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 107: the cut's size, frame rate, credit and anti-aliasing choice. Confirmed values also
// become the remembered new-cut values.
class CutDialog : public ModalDialog {
 public:
  CutDialog(HWND statusBar, const NewCutValues& shown);
  NewCutValues values;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 108 (snap grid and drawn grid) and 123 (camera size): a width and a height.
class SizeDialog : public ModalDialog {
 public:
  SizeDialog(HWND statusBar, int resourceId);
  int32_t width = 1, height = 1;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 109: the protect mask, with its clear and invert buttons.
class MaskDialog : public ModalDialog {
 public:
  explicit MaskDialog(HWND statusBar);
  ProtectMask mask = 0;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
  INT_PTR OnCommand(HWND dialog, int code, int id, HWND control) override;
};

// 110: the film's output size, title and author.
class FilmDialog : public ModalDialog {
 public:
  explicit FilmDialog(HWND statusBar);
  int32_t width = 320, height = 240;
  std::string title, author;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 112, 115, 117: the end frame of a continuous change, 1 to the cut's frame count.
class EndFrameDialog : public ModalDialog {
 public:
  EndFrameDialog(HWND statusBar, int resourceId, int32_t frameCount);
  int32_t endFrame;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;

 private:
  int32_t frameCount_;
};

// 113: the text font; the list holds the installed TrueType families.
class FontDialog : public ModalDialog {
 public:
  explicit FontDialog(HWND statusBar);
  std::string face;
  int32_t size = 24, lineSpacing = 12, weight = 400;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 114: the text of the text tool (no status bar).
class TextDialog : public ModalDialog {
 public:
  TextDialog();
  std::string text;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// 116 (a count of frames) and 127 (the spacing of random dots): one number 1-32767.
class NumberDialog : public ModalDialog {
 public:
  NumberDialog(HWND statusBar, int resourceId, int32_t value);
  int32_t value;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;

 private:
  int spin_;
};

// 126: a cut's file name without extension.
class RenameCutDialog : public ModalDialog {
 public:
  explicit RenameCutDialog(HWND statusBar);
  std::string name;

 protected:
  void StoreControls(HWND dialog) override;
  void LoadControls(HWND dialog) override;
};

// The mask bit of each check box of dialog 109, in the dialog's order.
struct MaskBox {
  int control;
  ProtectMask bit;
};
extern const MaskBox kMaskBoxes[12];
