// The timing sheet of a film of 20 benchmark cuts (4 layers, 48 frames of 2 ticks at 24 fps
// each): the exposures from the cuts, then the PDF and, as the baseline in the same run,
// the CSV of the same sheet. x_csv is the PDF's time over the CSV's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "bench/bench_util.h"
#include "export/exposure.h"
#include "model/cut.h"
#include "sheet/sheet.h"

namespace {

constexpr int kSheetCuts = 20;

std::vector<std::unique_ptr<Cut>>& SheetCuts() {
  static std::vector<std::unique_ptr<Cut>> cuts = [] {
    std::vector<std::unique_ptr<Cut>> made;
    for (int c = 0; c < kSheetCuts; ++c) made.push_back(MakeBenchFilmCut(uint32_t(c + 1)));
    return made;
  }();
  return cuts;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_SheetPdf20Cuts(benchmark::State& state) {
  std::vector<std::unique_ptr<Cut>>& cuts = SheetCuts();
  double exposureSeconds = 0, pdfSeconds = 0, csvSeconds = 0;
  size_t pdfBytes = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    Sheet sheet;
    sheet.film = "bench";
    for (int c = 0; c < kSheetCuts; ++c) {
      SheetCut cut;
      cut.number = c + 1;
      cut.name = "cut" + std::to_string(c + 1);
      if (!CutExposure(*cuts[size_t(c)], cut.exposure, nullptr)) state.SkipWithError("no exposure");
      sheet.cuts.push_back(std::move(cut));
    }
    exposureSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    std::vector<uint8_t> pdf;
    if (!SheetPdf(sheet, pdf, nullptr)) state.SkipWithError("no PDF");
    pdfSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(SheetCsv(sheet));
    csvSeconds += Since(start);
    pdfBytes = pdf.size();
  }
  const double n = double(state.iterations());
  state.counters["exposure_ms"] = 1000 * exposureSeconds / n;
  state.counters["pdf_ms"] = 1000 * pdfSeconds / n;
  state.counters["csv_ms"] = 1000 * csvSeconds / n;
  state.counters["x_csv"] = pdfSeconds / csvSeconds;
  state.counters["pdf_bytes"] = double(pdfBytes);
}
BENCHMARK(BM_SheetPdf20Cuts)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
