// Loads every cut of a film in turn, as the editor opens a cut file and as the film export
// loads a cut that is not open, keeping one cut at a time:
//   orvina_bench_load FILM.flm  → seconds, cuts, cells and cell pixels decoded
#include <chrono>
#include <cstdio>
#include <string>

#include "files/cut_file.h"
#include "files/film.h"
#include "model/cut.h"
#include "model/layer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvina_bench_load FILM.flm\n");
    return 1;
  }
  Film film;
  std::string error;
  if (!film.Load(argv[1], '/', &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  int64_t cells = 0, pixels = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int32_t i = 0; i < film.Count(); ++i) {
    Cut cut(0, 0, 0, "", AntiAlias::kFull);
    const std::string& path = film.ItemAt(i)->path;
    if (!LoadCut(cut, path, nullptr, &error)) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
    for (int32_t l = 0; l < cut.LayerCount(); ++l) {
      Layer* layer = cut.LayerAt(l);
      cells += layer->CellCount();
      pixels += int64_t(layer->CellCount()) * layer->Width() * layer->Height();
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f s, %d cuts, %lld cells, %lld cell pixels\n", seconds, int(film.Count()),
              static_cast<long long>(cells), static_cast<long long>(pixels));
  return 0;
}
