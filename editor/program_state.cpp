#include "editor/program_state.h"

#include <vector>

#include "win32/text_convert.h"

namespace {

constexpr int kPaletteEntries = 154;
constexpr int kBlackEntries = 12;
constexpr int kGreyEntries = 116;
constexpr LONG kVerticalEscapement = 2700;  // tenths of a degree

}  // namespace

ProgramState& Program() {
  static ProgramState state;
  return state;
}

HPALETTE CreateEditorPalette() {
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + kPaletteEntries * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = kPaletteEntries;
  PALETTEENTRY* e = palette->palPalEntry;
  int n = 0;
  for (int i = 0; i < kFramePaletteSize; ++i, ++n) {
    const uint32_t c = Program().framePalette[size_t(i)];
    e[n] = {BYTE(RedOf(c)), BYTE(GreenOf(c)), BYTE(BlueOf(c)), 0};
  }
  for (int i = 0; i < kBlackEntries; ++i, ++n) e[n] = {0, 0, 0, 0};
  for (int k = 0; k < kGreyEntries; ++k, ++n) {
    const BYTE v = BYTE(255 * k / 127);
    e[n] = {v, v, v, 0};
  }
  return CreatePalette(palette);
}

void SetTextFont(const std::string& face, int32_t size, int32_t lineSpacing, int32_t weight) {
  TextFont& font = Program().font;
  font.face = face;
  font.size = size;
  font.lineSpacing = lineSpacing;
  font.weight = weight;
  if (font.handle) DeleteObject(font.handle);
  font.handle = nullptr;
  if (face.empty() || size == 0 || lineSpacing == 0 || weight == 0) return;
  const LONG turn = face[0] == '@' ? kVerticalEscapement : 0;
  LOGFONTW wanted = {};
  wanted.lfHeight = size;
  wanted.lfEscapement = turn;
  wanted.lfOrientation = turn;
  wanted.lfWeight = weight;
  wanted.lfCharSet = DEFAULT_CHARSET;
  const std::wstring wide = Widen(face);
  wcsncpy(wanted.lfFaceName, wide.c_str(), LF_FACESIZE - 1);
  font.handle = CreateFontIndirectW(&wanted);
}

HPALETTE SelectEditorPalette(HDC dc) {
  if (!Program().palette || !(GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) return nullptr;
  HPALETTE old = SelectPalette(dc, Program().palette, FALSE);
  RealizePalette(dc);
  return old;
}
