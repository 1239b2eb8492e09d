// The printable sheet through cairo (PDF) and pango (Japanese text). Each page, A4 portrait:
//
//   header      film; cut number and name, length as seconds+frames, rate; page
//   two halves  3 seconds each, side by side; columns: tick number, one per layer, marks
//   rows        one per tick, numbered on through the cut's pages; a heavier rule every
//               second, the end of the cut shaded below
//
// A layer's column has the cell number (or ×) where it changes and a line down through
// its hold. The marks column has OL with a bracket over a dissolve, the stop, and the
// frames' comments. More layers than a half holds go on further pages, each with the same
// rows.
#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "sheet/sheet.h"

namespace {

constexpr double kPageWidth = 595.276, kPageHeight = 841.89;  // A4
constexpr double kMargin = 28;
constexpr double kHeaderHeight = 50;
constexpr double kTitleHeight = 16;  // the column titles
constexpr double kHalfGap = 12;
constexpr double kNumberWidth = 22, kNarrowestMarks = 64;
constexpr double kNarrowestLayer = 16, kWidestLayer = 34;
constexpr double kTallestRow = 20;
constexpr int kSecondsPerHalf = 3;
constexpr char kFontFamily[] = "Noto Sans CJK JP";

constexpr double kHalfWidth = (kPageWidth - 2 * kMargin - kHalfGap) / 2;
constexpr double kLayerArea = kHalfWidth - kNumberWidth - kNarrowestMarks;
constexpr double kBodyTop = kMargin + kHeaderHeight + kTitleHeight;

// A stretch of ticks [start, end) over which a layer shows one cell.
struct Run {
  int64_t start, end;
  int32_t cell;
};

std::vector<Run> RunsOf(const Exposure& e, size_t layer) {
  std::vector<Run> runs;
  for (const Showing& s : e.showings) {
    const int32_t cell = e.Cell(s, layer);
    if (!runs.empty() && runs.back().cell == cell) {
      runs.back().end = s.start + s.ticks;
    } else {
      runs.push_back({s.start, s.start + s.ticks, cell});
    }
  }
  return runs;
}

enum class Align { kLeft, kCenter, kRight };

class PdfSheet {
 public:
  explicit PdfSheet(std::vector<uint8_t>& out) : out_(out) {}
  ~PdfSheet();
  bool Draw(const Sheet& sheet, std::string* error);

 private:
  static cairo_status_t Collect(void* self, const unsigned char* data, unsigned int length);
  void DrawCut(const Sheet& sheet, const SheetCut& cut);
  void DrawPage(const Sheet& sheet, const SheetCut& cut, int64_t firstTick, size_t firstLayer, size_t layers,
                int page, int pages);
  void DrawHalf(const SheetCut& cut, double x, int64_t first, size_t firstLayer, size_t layers);
  // `text` in the box, vertically centred, cut short with an ellipsis when too wide.
  void Text(const std::string& text, double x, double y, double w, double h, double size, Align align,
            bool bold = false);
  void Line(double x0, double y0, double x1, double y1, double width, double grey = 0);

  std::vector<uint8_t>& out_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  PangoFontMap* fonts_ = nullptr;
  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  PangoFontDescription* font_ = nullptr;
  // Per cut: the layers' runs, the rows' height and the columns' width.
  std::vector<std::vector<Run>> runs_;
  int rowsPerHalf_ = 0;
  double row_ = 0, column_ = 0;
};

PdfSheet::~PdfSheet() {
  if (font_) pango_font_description_free(font_);
  if (layout_) g_object_unref(layout_);
  if (context_) g_object_unref(context_);
  if (fonts_) g_object_unref(fonts_);
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

cairo_status_t PdfSheet::Collect(void* self, const unsigned char* data, unsigned int length) {
  std::vector<uint8_t>& out = static_cast<PdfSheet*>(self)->out_;
  out.insert(out.end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

void PdfSheet::Line(double x0, double y0, double x1, double y1, double width, double grey) {
  cairo_set_source_rgb(cr_, grey, grey, grey);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_stroke(cr_);
}

void PdfSheet::Text(const std::string& text, double x, double y, double w, double h, double size, Align align,
                    bool bold) {
  if (text.empty() || w <= 0) return;
  pango_font_description_set_absolute_size(font_, size * PANGO_SCALE);
  pango_font_description_set_weight(font_, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout_, font_);
  pango_layout_set_text(layout_, text.c_str(), int(text.size()));
  pango_layout_set_width(layout_, int(w * PANGO_SCALE));
  pango_layout_set_alignment(layout_, align == Align::kLeft     ? PANGO_ALIGN_LEFT
                                      : align == Align::kCenter ? PANGO_ALIGN_CENTER
                                                                : PANGO_ALIGN_RIGHT);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout_, &width, &height);
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_move_to(cr_, x, y + (h - height) / 2);
  pango_cairo_show_layout(cr_, layout_);
}

bool PdfSheet::Draw(const Sheet& sheet, std::string* error) {
  surface_ = cairo_pdf_surface_create_for_stream(Collect, this, kPageWidth, kPageHeight);
  cr_ = cairo_create(surface_);
  const std::string title = !sheet.film.empty() ? sheet.film : sheet.cuts.empty() ? "" : sheet.cuts.front().name;
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  // A font map of its own, so that nothing of the fonts outlives the sheet.
  fonts_ = pango_cairo_font_map_new();
  context_ = pango_font_map_create_context(fonts_);
  pango_cairo_update_context(cr_, context_);
  layout_ = pango_layout_new(context_);
  font_ = pango_font_description_from_string(kFontFamily);
  pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
  pango_layout_set_single_paragraph_mode(layout_, true);
  for (const SheetCut& cut : sheet.cuts) DrawCut(sheet, cut);
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = std::string("PDF: ") + cairo_status_to_string(status);
    return false;
  }
  return true;
}

void PdfSheet::DrawCut(const Sheet& sheet, const SheetCut& cut) {
  const Exposure& e = cut.exposure;
  runs_.clear();
  for (size_t k = 0; k < e.layers.size(); ++k) runs_.push_back(RunsOf(e, k));
  rowsPerHalf_ = kSecondsPerHalf * e.fps;
  row_ = std::min(kTallestRow, (kPageHeight - kMargin - kBodyTop) / rowsPerHalf_);
  const size_t fits = size_t(std::max(1.0, std::floor(kLayerArea / kNarrowestLayer)));
  const size_t perPage = std::min(std::max<size_t>(e.layers.size(), 1), fits);
  column_ = std::min(kWidestLayer, kLayerArea / double(perPage));
  const int64_t rowsPerPage = 2 * int64_t(rowsPerHalf_);
  const int down = int(std::max<int64_t>(1, (e.ticks + rowsPerPage - 1) / rowsPerPage));
  const int across = int(std::max<size_t>(1, (e.layers.size() + perPage - 1) / perPage));
  for (int a = 0; a < across; ++a) {
    const size_t first = size_t(a) * perPage;
    const size_t count = std::min(perPage, e.layers.size() - std::min(first, e.layers.size()));
    for (int d = 0; d < down; ++d) DrawPage(sheet, cut, d * rowsPerPage, first, count, a * down + d + 1, across * down);
  }
}

void PdfSheet::DrawPage(const Sheet& sheet, const SheetCut& cut, int64_t firstTick, size_t firstLayer,
                        size_t layers, int page, int pages) {
  const Exposure& e = cut.exposure;
  const double width = kPageWidth - 2 * kMargin;
  Text(sheet.film, kMargin, kMargin, width * 0.7, 16, 10, Align::kLeft);
  Text(std::to_string(page) + " / " + std::to_string(pages), kMargin + width * 0.7, kMargin, width * 0.3, 16, 9,
       Align::kRight);
  Text("カット " + std::to_string(cut.number), kMargin, kMargin + 18, 80, 22, 15, Align::kLeft, true);
  Text(cut.name, kMargin + 80, kMargin + 18, width * 0.4, 22, 13, Align::kLeft);
  std::string length = "尺 " + SecondsAndFrames(e.ticks, e.fps) + "（" + std::to_string(e.ticks) + "コマ・" +
                       std::to_string(e.fps) + "fps）";
  if (layers < e.layers.size()) {
    length += "　レイヤ " + std::to_string(firstLayer + 1) + "–" + std::to_string(firstLayer + layers) + " / " +
              std::to_string(e.layers.size());
  }
  Text(length, kMargin + 80 + width * 0.4, kMargin + 18, width * 0.6 - 80, 22, 10, Align::kRight);
  Line(kMargin, kMargin + kHeaderHeight - 6, kMargin + width, kMargin + kHeaderHeight - 6, 0.8);
  for (int h = 0; h < 2; ++h)
    DrawHalf(cut, kMargin + h * (kHalfWidth + kHalfGap), firstTick + int64_t(h) * rowsPerHalf_, firstLayer, layers);
  cairo_show_page(cr_);
}

void PdfSheet::DrawHalf(const SheetCut& cut, double x, int64_t first, size_t firstLayer, size_t layers) {
  const Exposure& e = cut.exposure;
  const int64_t last = first + rowsPerHalf_;  // past the half's rows
  const double top = kBodyTop, bottom = top + rowsPerHalf_ * row_;
  // The marks take what the layers leave.
  const double layersX = x + kNumberWidth, marksX = layersX + double(layers) * column_;
  const double right = x + kHalfWidth, marksWidth = right - marksX;
  auto rowY = [&](int64_t tick) { return top + double(tick - first) * row_; };
  const double small = std::min(row_ * 0.75, 7.0);

  // Past the end of the cut.
  if (e.ticks < last) {
    const double y = rowY(std::max(e.ticks, first));
    cairo_set_source_rgb(cr_, 0.88, 0.88, 0.88);
    cairo_rectangle(cr_, x, y, right - x, bottom - y);
    cairo_fill(cr_);
  }
  // Titles and rules.
  Text("コマ", x, top - kTitleHeight, kNumberWidth, kTitleHeight, 7, Align::kCenter);
  for (size_t k = 0; k < layers; ++k)
    Text(e.layers[firstLayer + k], layersX + double(k) * column_ + 1, top - kTitleHeight, column_ - 2, kTitleHeight, 7,
         Align::kCenter);
  Text("効果・メモ", marksX, top - kTitleHeight, marksWidth, kTitleHeight, 7, Align::kCenter);
  for (int64_t t = first; t <= last; ++t) {
    const bool second = t % e.fps == 0;
    Line(x, rowY(t), right, rowY(t), second ? 1.2 : 0.25, second ? 0 : 0.55);
  }
  Line(x, top - kTitleHeight, right, top - kTitleHeight, 0.8);
  Line(x, top - kTitleHeight, x, bottom, 0.8);
  Line(right, top - kTitleHeight, right, bottom, 0.8);
  Line(layersX, top - kTitleHeight, layersX, bottom, 0.6);
  for (size_t k = 1; k <= layers; ++k)
    Line(layersX + double(k) * column_, top - kTitleHeight, layersX + double(k) * column_, bottom, k == layers ? 0.6 : 0.3);

  // Tick numbers, on through the cut.
  for (int64_t t = first; t < std::min(last, e.ticks); ++t)
    Text(std::to_string(t + 1), x, rowY(t), kNumberWidth - 2, row_, small, Align::kRight);

  // Each layer: the cell where it changes, a line down its hold.
  for (size_t k = 0; k < layers; ++k) {
    const double cx = layersX + (double(k) + 0.5) * column_;
    const std::vector<Run>& runs = runs_[firstLayer + k];
    auto run = std::upper_bound(runs.begin(), runs.end(), first, [](int64_t t, const Run& r) { return t < r.end; });
    for (; run != runs.end() && run->start < last; ++run) {
      const bool begins = run->start >= first;
      if (begins)
        Text(CellText(run->cell), layersX + double(k) * column_, rowY(run->start), column_, row_,
             std::min(row_ * 0.85, 9.0), Align::kCenter, true);
      const double from = begins ? rowY(run->start) + row_ * 0.9 : rowY(first);
      const double to = rowY(std::min(run->end, last)) - row_ * 0.15;
      if (to > from) Line(cx, from, cx, to, 0.9);
    }
  }

  // Marks: a dissolve's bracket and OL, the stop, comments.
  auto showing = std::upper_bound(e.showings.begin(), e.showings.end(), first,
                                  [](int64_t t, const Showing& s) { return t < s.start + s.ticks; });
  for (; showing != e.showings.end() && showing->start < last; ++showing) {
    const bool begins = showing->start >= first;
    if (showing->dissolve) {
      const double from = rowY(std::max(showing->start, first)) + 1;
      const double to = rowY(std::min(showing->start + showing->ticks, last)) - 1;
      Line(marksX + 3, from, marksX + 3, to, 0.9);
      if (begins) Line(marksX + 3, from, marksX + 6, from, 0.9);
      if (showing->start + showing->ticks <= last) Line(marksX + 3, to, marksX + 6, to, 0.9);
      if (begins) Text(kDissolveMark, marksX + 5, rowY(showing->start), 16, row_, small, Align::kLeft, true);
    }
    if (!begins) continue;
    if (e.stops && showing == e.showings.end() - 1)
      Text(kStopMark, marksX + 5, rowY(showing->start), 20, row_, small, Align::kLeft, true);
    Text(e.comments[size_t(showing->frame)], marksX + 22, rowY(showing->start), marksWidth - 24, row_, small,
         Align::kLeft);
  }
}

}  // namespace

bool SheetPdfAvailable() { return true; }

bool SheetPdf(const Sheet& sheet, std::vector<uint8_t>& out, std::string* error) {
  out.clear();
  bool drawn = false;
  {
    PdfSheet pdf(out);
    drawn = pdf.Draw(sheet, error);
  }
  // cairo keeps the fonts it has met in caches of its own; with no cairo object left they
  // are let go.
  cairo_debug_reset_static_data();
  return drawn;
}
