// Writes the film of the film-export benchmark as files, for timing exports outside the
// benchmark (the editor's under Wine, orvina film compile):
//   orvina_bench_film FOLDER [CUTS]  → FOLDER/cut001.cut … and FOLDER/bench.flm
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_util.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "model/cut.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: orvina_bench_film FOLDER [CUTS]\n");
    return 1;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const int cuts = argc > 2 ? std::atoi(argv[2]) : 20;
  Film film;
  film.SetSize(kBenchFilmWidth / 4, kBenchFilmHeight / 4);
  film.SetTitle("bench");
  film.SetAuthor("bench");
  for (int c = 0; c < cuts; ++c) {
    char name[32];
    std::snprintf(name, sizeof name, "cut%03d.cut", c + 1);
    auto cut = MakeBenchFilmCut(uint32_t(c + 1));
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
