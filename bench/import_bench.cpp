// orvina import of 24 A4 scans at 300 dpi (2480 × 3508, PNG) into a 1920 × 1080 cut, run
// as the program, against ImageMagick thresholding the same page in the same run
// (convert -colorspace gray -threshold). Times are the processes' processor time (user +
// system), so other work on the machine counts little; the machine is shared, so read the
// ratio, not the seconds.
//   s_per_page        the import's processor time per page
//   x_convert         that over convert's processor time for one page
//   peak_MB           the import's peak resident memory
//   base_MB           the same program's for one tiny picture: its code, libraries and
//                     libvips' start, which do not grow with the pictures
//   peak_pages        (peak_MB - base_MB) over one page's pixels at 8 bits (8.7 MB)
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 24;
constexpr int kPageWidth = 2480, kPageHeight = 3508;

struct Run {
  double cpu = 0, wall = 0;  // seconds
  double peakMb = 0;
  int status = -1;
};

// Runs a program to its end, its output thrown away.
Run RunProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  rusage usage{};
  int status = 0;
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  run.peakMb = double(usage.ru_maxrss) / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The pages, made once: lines and writing on grainy, yellowed paper, turned a little.
fs::path Pages() {
  const fs::path dir = fs::temp_directory_path() / "orvina_import_bench";
  const fs::path last = dir / ("page_" + std::to_string(kPages) + ".png");
  if (fs::exists(last)) return dir;
  fs::create_directories(dir);
  const std::string first = (dir / "page_1.png").string();
  std::string draw;
  for (int k = 0; k < 40; ++k)
    draw += " -draw \"bezier " + std::to_string(200 + 50 * k) + "," + std::to_string(300 + 70 * k) + " " +
            std::to_string(1200 + 13 * k) + "," + std::to_string(200 + 80 * k) + " " + std::to_string(2300 - 40 * k) +
            "," + std::to_string(3300 - 60 * k) + "\"";
  const std::string make = "/usr/bin/convert -size 2480x3508 xc:\"#efe3bd\" -attenuate 0.6 +noise Gaussian "
                           "-fill none -stroke \"#2a2520\" -strokewidth 9" + draw +
                           " -virtual-pixel white -distort SRT 0.8 -density 300 -units PixelsPerInch " + first;
  if (std::system(make.c_str()) != 0) return {};
  for (int p = 2; p <= kPages; ++p)
    fs::copy_file(first, dir / ("page_" + std::to_string(p) + ".png"), fs::copy_options::overwrite_existing);
  return dir;
}

void BM_ImportScans(benchmark::State& state) {
  const fs::path pages = Pages();
  if (pages.empty()) {
    state.SkipWithError("ImageMagick could not make the pages");
    return;
  }
  std::error_code ec;
  const std::string orvina = (fs::read_symlink("/proc/self/exe", ec).parent_path() / "orvina").string();
  const std::string out = (pages.parent_path() / "orvina_import_bench.cut").string();
  const std::string thresholded = (pages.parent_path() / "orvina_import_bench.png").string();
  const std::string tiny = (pages.parent_path() / "orvina_import_bench_tiny.png").string();
  if (!fs::exists(tiny) && std::system(("/usr/bin/convert -size 16x16 xc:white " + tiny).c_str()) != 0) {
    state.SkipWithError("ImageMagick could not make the tiny picture");
    return;
  }
  Run import, convert, base;
  for (auto _ : state) {
    base = RunProgram({orvina, "import", "--new", "1920,1080", "--layer", "ink", tiny, "-o", out});
    import = RunProgram({orvina, "import", "--new", "1920,1080", "--layer", "ink", pages.string(), "-o", out});
    // The same page thresholded, three times for a steadier figure.
    Run sum;
    for (int k = 0; k < 3; ++k) {
      const Run one = RunProgram({"/usr/bin/convert", (pages / "page_1.png").string(), "-colorspace", "gray",
                                  "-threshold", "50%", thresholded});
      sum.cpu += one.cpu / 3, sum.wall += one.wall / 3, sum.status = one.status;
    }
    convert = sum;
  }
  if (import.status != 0 || convert.status != 0 || base.status != 0) {
    state.SkipWithError("orvina import or convert failed");
    return;
  }
  state.counters["s_per_page"] = import.cpu / kPages;
  state.counters["wall_s_per_page"] = import.wall / kPages;
  state.counters["convert_s"] = convert.cpu;
  state.counters["x_convert"] = import.cpu / kPages / convert.cpu;
  state.counters["peak_MB"] = import.peakMb;
  state.counters["base_MB"] = base.peakMb;
  state.counters["peak_pages"] = (import.peakMb - base.peakMb) * 1024 * 1024 / (double(kPageWidth) * kPageHeight);
  fs::remove(out, ec);
  fs::remove(thresholded, ec);
}
BENCHMARK(BM_ImportScans)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
