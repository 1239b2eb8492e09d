#include "editor/dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "editor/program_state.h"
#include "editor/resource.h"
#include "win32/text_convert.h"

namespace {

constexpr int32_t kSpinMax = 32767;
constexpr size_t kTextLimit = 255;

int32_t AtLeastOne(int32_t v) { return v < 1 ? 1 : v; }

}  // namespace

const MaskBox kMaskBoxes[12] = {
    {IDC_MASK_TRANSPARENT, 1u << 0}, {IDC_MASK_BLACK, 1u << 1},       {IDC_MASK_DARK, 1u << 2},
    {IDC_MASK_LIGHT, 1u << 3},       {IDC_MASK_WHITE, 1u << 4},       {IDC_MASK_LINE, 1u << 8},
    {IDC_MASK_SHADOW_DARK, 1u << 9}, {IDC_MASK_SHADOW_LIGHT, 1u << 10}, {IDC_MASK_PLUS2, 1u << 11},
    {IDC_MASK_PLUS1, 1u << 12},      {IDC_MASK_MINUS1, 1u << 13},     {IDC_MASK_MINUS2, 1u << 14},
};

LayerDialog::LayerDialog(HWND statusBar) : ModalDialog(statusBar, IDD_LAYER_PROPERTIES) {}

void LayerDialog::LoadControls(HWND dialog) {
  SetDocumentText(dialog, IDC_NAME, name);
  SetSpin(dialog, IDC_LAYER_WIDTH_SPIN, 1, kSpinMax, width);
  SetSpin(dialog, IDC_LAYER_HEIGHT_SPIN, 1, kSpinMax, height);
  SetCheck(dialog, IDC_FOLLOW_FRAME, followFrame);
}

void LayerDialog::StoreControls(HWND dialog) {
  name = DocumentText(dialog, IDC_NAME, kTextLimit);
  width = AtLeastOne(SpinValue(dialog, IDC_LAYER_WIDTH_SPIN));
  height = AtLeastOne(SpinValue(dialog, IDC_LAYER_HEIGHT_SPIN));
  followFrame = Checked(dialog, IDC_FOLLOW_FRAME);
}

CutDialog::CutDialog(HWND statusBar, const NewCutValues& shown)
    : ModalDialog(statusBar, IDD_CUT_PROPERTIES), values(shown) {}

void CutDialog::LoadControls(HWND dialog) {
  SetSpin(dialog, IDC_WIDTH_SPIN, 1, kSpinMax, values.width);
  SetSpin(dialog, IDC_HEIGHT_SPIN, 1, kSpinMax, values.height);
  SetSpin(dialog, IDC_FPS_SPIN, 1, kSpinMax, values.fps);
  SetDocumentText(dialog, IDC_CREDIT, values.credit);
  const int radio = values.antiAlias == 1   ? IDC_ANTI_HALF
                    : values.antiAlias == 2 ? IDC_ANTI_QUARTER
                                            : IDC_ANTI_NONE;
  CheckRadioButton(dialog, IDC_ANTI_NONE, IDC_ANTI_QUARTER, radio);
}

void CutDialog::StoreControls(HWND dialog) {
  values.width = AtLeastOne(SpinValue(dialog, IDC_WIDTH_SPIN));
  values.height = AtLeastOne(SpinValue(dialog, IDC_HEIGHT_SPIN));
  values.fps = AtLeastOne(SpinValue(dialog, IDC_FPS_SPIN));
  values.credit = DocumentText(dialog, IDC_CREDIT, kTextLimit);
  if (Checked(dialog, IDC_ANTI_NONE)) {
    values.antiAlias = 0;
  } else if (Checked(dialog, IDC_ANTI_HALF)) {
    values.antiAlias = 1;
  } else if (Checked(dialog, IDC_ANTI_QUARTER)) {
    values.antiAlias = 2;
  }
  Program().newCut = values;
}

SizeDialog::SizeDialog(HWND statusBar, int resourceId) : ModalDialog(statusBar, resourceId) {}

void SizeDialog::LoadControls(HWND dialog) {
  const bool grid = resourceId_ == IDD_GRID;
  SetSpin(dialog, grid ? IDC_GRID_WIDTH_SPIN : IDC_WIDTH_SPIN, 1, kSpinMax, width);
  SetSpin(dialog, grid ? IDC_GRID_HEIGHT_SPIN : IDC_HEIGHT_SPIN, 1, kSpinMax, height);
}

void SizeDialog::StoreControls(HWND dialog) {
  const bool grid = resourceId_ == IDD_GRID;
  width = AtLeastOne(SpinValue(dialog, grid ? IDC_GRID_WIDTH_SPIN : IDC_WIDTH_SPIN));
  height = AtLeastOne(SpinValue(dialog, grid ? IDC_GRID_HEIGHT_SPIN : IDC_HEIGHT_SPIN));
}

MaskDialog::MaskDialog(HWND statusBar) : ModalDialog(statusBar, IDD_MASK) {}

void MaskDialog::LoadControls(HWND dialog) {
  for (const MaskBox& box : kMaskBoxes) SetCheck(dialog, box.control, (mask & box.bit) != 0);
}

void MaskDialog::StoreControls(HWND dialog) {
  mask = 0;
  for (const MaskBox& box : kMaskBoxes)
    if (Checked(dialog, box.control)) mask |= box.bit;
}

INT_PTR MaskDialog::OnCommand(HWND dialog, int code, int id, HWND control) {
  if (code == BN_CLICKED && id == IDC_MASK_CLEAR) {
    mask = ClearedMask();
    LoadControls(dialog);
    return TRUE;
  }
  if (code == BN_CLICKED && id == IDC_MASK_INVERT) {
    StoreControls(dialog);
    mask = InvertedMask(mask);
    LoadControls(dialog);
    return TRUE;
  }
  return ModalDialog::OnCommand(dialog, code, id, control);
}

FilmDialog::FilmDialog(HWND statusBar) : ModalDialog(statusBar, IDD_FILM_PROPERTIES) {}

void FilmDialog::LoadControls(HWND dialog) {
  SetSpin(dialog, IDC_FILM_WIDTH_SPIN, 1, kSpinMax, width);
  SetSpin(dialog, IDC_FILM_HEIGHT_SPIN, 1, kSpinMax, height);
  SetDocumentText(dialog, IDC_TITLE, title);
  SetDocumentText(dialog, IDC_AUTHOR, author);
}

void FilmDialog::StoreControls(HWND dialog) {
  width = AtLeastOne(SpinValue(dialog, IDC_FILM_WIDTH_SPIN));
  height = AtLeastOne(SpinValue(dialog, IDC_FILM_HEIGHT_SPIN));
  author = DocumentText(dialog, IDC_AUTHOR, kTextLimit);
  title = DocumentText(dialog, IDC_TITLE, kTextLimit);
}

EndFrameDialog::EndFrameDialog(HWND statusBar, int resourceId, int32_t frameCount)
    : ModalDialog(statusBar, resourceId), endFrame(frameCount), frameCount_(frameCount) {}

void EndFrameDialog::LoadControls(HWND dialog) {
  SetSpin(dialog, IDC_END_FRAME_SPIN, 1, frameCount_, frameCount_);
}

void EndFrameDialog::StoreControls(HWND dialog) { endFrame = SpinValue16(dialog, IDC_END_FRAME_SPIN); }

FontDialog::FontDialog(HWND statusBar) : ModalDialog(statusBar, IDD_FONT) {}

namespace {

int CALLBACK AddTrueTypeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM names) {
  if (type & TRUETYPE_FONTTYPE) {
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    reinterpret_cast<std::set<std::wstring>*>(names)->insert(full->elfFullName);
  }
  return 1;
}

}  // namespace

void FontDialog::LoadControls(HWND dialog) {
  std::set<std::wstring> names;
  LOGFONTW any = {};
  any.lfCharSet = DEFAULT_CHARSET;
  HDC dc = GetDC(dialog);
  EnumFontFamiliesExW(dc, &any, AddTrueTypeFamily, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(dialog, dc);
  for (const std::wstring& n : names)
    SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
  const std::wstring current = Widen(face);
  const LRESULT row = SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_FINDSTRINGEXACT, WPARAM(-1),
                                          reinterpret_cast<LPARAM>(current.c_str()));
  SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_SETCURSEL, row == LB_ERR ? 0 : WPARAM(row), 0);
  SetSpin(dialog, IDC_FONT_SIZE_SPIN, 1, kSpinMax, size);
  SetSpin(dialog, IDC_LINE_SPACING_SPIN, 0, kSpinMax, lineSpacing);
  SetSpin(dialog, IDC_WEIGHT_SPIN, 0, 1000, weight);
}

void FontDialog::StoreControls(HWND dialog) {
  const LRESULT row = SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_GETCURSEL, 0, 0);
  if (row != LB_ERR) {
    const LRESULT n = SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_GETTEXTLEN, WPARAM(row), 0);
    std::wstring text(size_t(n > 0 ? n : 0) + 1, L'\0');
    SendDlgItemMessageW(dialog, IDC_FONT_LIST, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    face = AnsiTextLossy(text);
  }
  size = std::max(SpinValue(dialog, IDC_FONT_SIZE_SPIN), int32_t(1));
  lineSpacing = std::max(SpinValue(dialog, IDC_LINE_SPACING_SPIN), int32_t(0));
  weight = std::clamp(SpinValue(dialog, IDC_WEIGHT_SPIN), int32_t(0), int32_t(1000));
}

TextDialog::TextDialog() : ModalDialog(nullptr, IDD_TEXT) {}

void TextDialog::LoadControls(HWND dialog) { SetDocumentText(dialog, IDC_TEXT, text); }

void TextDialog::StoreControls(HWND dialog) { text = DocumentText(dialog, IDC_TEXT, std::string::npos); }

NumberDialog::NumberDialog(HWND statusBar, int resourceId, int32_t v)
    : ModalDialog(statusBar, resourceId),
      value(v),
      spin_(resourceId == IDD_RANDOM_DOTS ? IDC_DOT_SPACING_SPIN : IDC_COUNT_SPIN) {}

void NumberDialog::LoadControls(HWND dialog) { SetSpin(dialog, spin_, 1, kSpinMax, value); }

void NumberDialog::StoreControls(HWND dialog) { value = SpinValue16(dialog, spin_); }

RenameCutDialog::RenameCutDialog(HWND statusBar) : ModalDialog(statusBar, IDD_RENAME_CUT) {}

void RenameCutDialog::LoadControls(HWND dialog) { SetDocumentText(dialog, IDC_CUT_NAME, name); }

void RenameCutDialog::StoreControls(HWND dialog) { name = DocumentText(dialog, IDC_CUT_NAME, kTextLimit); }
