#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/exposure.h"

// A film's timing sheet (exposure sheet): for each cut, a column per layer and a row per
// tick, the cell shown numbered from 1 where it changes, × where the layer shows nothing,
// and beside the rows the dissolves, the stop and the frames' comments. Texts are UTF-8.
struct SheetCut {
  int32_t number = 1;  // in the film, from 1
  std::string name;    // the cut file's name without folder and extension
  Exposure exposure;   // layer names and comments in UTF-8
};

struct Sheet {
  std::string film;  // the film's title, or empty for a cut alone
  std::vector<SheetCut> cuts;
};

// Marks beside the rows.
inline constexpr char kEmptyMark[] = "×";
inline constexpr char kDissolveMark[] = "OL";  // followed by its ticks: "OL 4"
inline constexpr char kStopMark[] = "停止";

// A length as seconds + frames, "3+12".
std::string SecondsAndFrames(int64_t ticks, int fps);
// What a layer's column holds on a row: the cell number from 1 or ×.
std::string CellText(int32_t cell);

// UTF-8 with a byte-order mark. Per cut: a line of its number, name, length and rate, the
// column titles, and a row per tick (tick number from 1, each layer, effect, comment); a
// layer's field is empty while its cell holds. Cuts apart by an empty line.
std::string SheetCsv(const Sheet& sheet);

// The exchange format: its identifying line, then JSON with one time table per cut and in
// it one track per layer, a frame entry at each change and a null cell where nothing is
// shown, and one more null cell closing each track at the cut's length.
std::string SheetXdts(const Sheet& sheet);

// The printable sheet (PDF, A4): 6 seconds a page in two columns of 3, a heavier rule
// every second, headed by film and cut. False in a build without cairo and pango, or when
// drawing failed (`error` says why).
bool SheetPdfAvailable();
bool SheetPdf(const Sheet& sheet, std::vector<uint8_t>& out, std::string* error);
