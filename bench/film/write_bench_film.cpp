// Writes the film of the film-export benchmark as files, for timing exports outside the
// benchmark (the editor's under Wine, orvina film compile, bench/scaling.sh):
//   orvina_bench_film FOLDER [CUTS [WIDTHxHEIGHT]]  → FOLDER/cut001.cut … and FOLDER/bench.flm
// With a size the cuts are drawn at that size at full resolution (no anti-aliasing), the film
// shows them whole, and ten drawings take turns (cut 11 draws as cut 1).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_util.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "model/cut.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: orvina_bench_film FOLDER [CUTS [WIDTHxHEIGHT]]\n");
    return 1;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const int cuts = argc > 2 ? std::atoi(argv[2]) : 20;
  int width = 0, height = 0;
  if (argc > 3 && (std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width < 16 || height < 16)) {
    std::fprintf(stderr, "%s: not a size WIDTHxHEIGHT\n", argv[3]);
    return 1;
  }
  const bool scaled = width > 0;
  Film film;
  film.SetSize(scaled ? width : kBenchFilmWidth / 4, scaled ? height : kBenchFilmHeight / 4);
  film.SetTitle("bench");
  film.SetAuthor("bench");
  for (int c = 0; c < cuts; ++c) {
    char name[32];
    std::snprintf(name, sizeof name, "cut%03d.cut", c + 1);
    auto cut = scaled ? MakeBenchFilmCut(uint32_t(c % 10 + 1), width, height, AntiAlias::kFull)
                      : MakeBenchFilmCut(uint32_t(c + 1));
    std::string error;
    if (!SaveCut(*cut, folder + name, &error)) {
      std::fprintf(stderr, "%s: %s\n", name, error.c_str());
      return 1;
    }
    cut->SetPath(folder + name);
    film.AddCut(cut.get(), film.Count() - 1);
  }
  std::string error;
  if (!film.Save(folder + "bench.flm", '/', &error)) {
    std::fprintf(stderr, "bench.flm: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
