// Every save path against a failure at each call that changes a file on disk, and one real
// full disk.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "anim/frame_buffer.h"
#include "export/compile_cache.h"
#include "files/cut_file.h"
#include "files/cut_snapshot.h"
#include "files/film.h"
#include "files/recovery_store.h"
#include "io/block_stream.h"
#include "model/cut.h"
#include "model/frame.h"
#include "model/frame_surface.h"
#include "tests/anim/cut_generator.h"
#include "tests/cli/cli_in_process.h"
#include "tests/files/scratch_dir.h"
#include "tests/io/save_faults.h"

namespace {

namespace fs = std::filesystem;
using savefaults::SavePath;

bool Cli(const std::vector<std::string>& args) {
  const clitest::InProcess r = clitest::RunInProcess(args);
  return r.status == 0;
}

void SaveGenerated(const std::string& path, uint32_t seed) {
  cutgen::Options o;
  o.layers = 2;
  o.cellsPerLayer = 2;
  o.frames = 3;
  ASSERT_TRUE(SaveCut(*cutgen::MakeCut(seed, o), path));
}

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A film of two cuts changed since their caches and its OV file were made; with
// `extracted`, also an extract of its second cut made before the change.
void PrepareFilm(const std::string& d, bool extracted = false) {
  SaveGenerated(d + "one.cut", 1);
  SaveGenerated(d + "two.cut", 2);
  WriteText(d + "f.flm", "Film\r\nme\r\n64, 40\r\none.cut\r\ntwo.cut\r\n");
  ASSERT_TRUE(Cli({"film", "compile", d + "f.flm", "-o", d + "f.ov"}));
  if (extracted) {
    fs::create_directories(d + "out");
    ASSERT_TRUE(Cli({"film", "extract", d + "f.flm", "--cuts", "2", "-o", d + "out/new.flm"}));
  }
  SaveGenerated(d + "one.cut", 3);
  SaveGenerated(d + "two.cut", 4);
  for (const char* name : {"one", "two"})
    fs::last_write_time(d + name + ".cut", fs::last_write_time(d + name + ".tl") + std::chrono::seconds(10));
}

bool CompileCache(const std::string& cutPath, Cut* open, CacheUse expected) {
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream tl;
  CacheUse use;
  return CompileThroughCache(cutPath, open, buffer, work, tl, &use, nullptr) && use == expected;
}

// Exports of f.ov: the earlier with `earlier`, the saved one with `args`, into `out`.
SavePath Export(const std::string& name, const std::string& out, std::vector<std::string> earlier,
                std::vector<std::string> args) {
  auto run = [out](const std::string& d, std::vector<std::string> extra) {
    std::vector<std::string> words{"export", d + "f.ov", "-o", d + out};
    words.insert(words.end(), extra.begin(), extra.end());
    return Cli(words);
  };
  return {name,
          [=](const std::string& d) {
            PrepareFilm(d);
            ASSERT_TRUE(run(d, earlier));
          },
          [=](const std::string& d) { return run(d, args); },
          {out}};
}

// The timing sheet of f.flm, over an earlier one of one.cut alone.
SavePath Sheet(const std::string& name, const std::string& out) {
  return {name,
          [=](const std::string& d) {
            PrepareFilm(d);
            ASSERT_TRUE(Cli({"sheet", d + "one.cut", "-o", d + out}));
          },
          [=](const std::string& d) { return Cli({"sheet", d + "f.flm", "-o", d + out}); },
          {out}};
}

// The editor's recovery copies of one cut, `copies` of them in turn, with the earlier ones
// written as before (the failing calls being those of the last). Each a different cut.
bool RecoveryCopies(const std::string& d, int copies) {
  RecoverySession session;
  if (!session.Open(d + "recovery", "session")) return false;
  const IoFaultHook hook = SetIoFaultHook(nullptr);
  bool ok = true;
  std::shared_ptr<CutSnapshot> snapshot;
  for (int n = 1; n <= copies && ok; ++n) {
    if (n == copies) SetIoFaultHook(hook);
    cutgen::Options o;
    o.layers = 2;
    o.cellsPerLayer = 2;
    o.frames = 3;
    const auto cut = cutgen::MakeCut(uint32_t(n), o);
    snapshot = CutSnapshot::Take(*cut, nullptr);
    ok = snapshot && session.WriteCopy(1, DocumentKind::kCut, d + "a.cut", "a.cut", 1000 + n,
                                       [&](ByteStream& s) { return snapshot->Write(s); });
  }
  SetIoFaultHook(hook);
  return ok;
}

// One row for each way the programs save a file.
std::vector<SavePath> SavePaths() {
  return {
      {"cut",
       [](const std::string& d) {
         SaveGenerated(d + "in.cut", 1);
         SaveGenerated(d + "out.cut", 2);
       },
       [](const std::string& d) { return Cli({"cut", "resave", d + "in.cut", d + "out.cut"}); },
       {"out.cut"}},
      {"layer",
       [](const std::string& d) {
         SaveGenerated(d + "in.cut", 1);
         ASSERT_TRUE(Cli({"layer", "export", d + "in.cut", "--entry", "0", "-o", d + "out.lyr"}));
       },
       [](const std::string& d) { return Cli({"layer", "export", d + "in.cut", "-o", d + "out.lyr"}); },
       {"out.lyr"}},
      {"film",
       [](const std::string& d) { WriteText(d + "f.flm", "Film\r\nme\r\n64, 40\r\none.cut\r\n"); },
       [](const std::string& d) {
         Film film;
         if (!film.Load(d + "f.flm", '/')) return false;
         film.SetTitle("Another title");
         return film.Save(d + "f.flm", '/');
       },
       {"f.flm"}},
      {"TL cache", [](const std::string& d) { PrepareFilm(d); },
       [](const std::string& d) { return CompileCache(d + "one.cut", nullptr, CacheUse::kRebuilt); },
       {"one.tl"}},
      {"TL cache, timing patched",
       [](const std::string& d) {
         SaveGenerated(d + "one.cut", 1);
         ASSERT_TRUE(CompileCache(d + "one.cut", nullptr, CacheUse::kRebuilt));
       },
       [](const std::string& d) {
         Cut cut(0, 0, 0, "", AntiAlias::kFull);
         if (!LoadCut(cut, d + "one.cut", nullptr, nullptr)) return false;
         cut.FrameAt(0)->SetTime(cut.FrameAt(0)->Time() + 3);
         cut.SetStateFlags((cut.StateFlags() & kStateAntiAliasMask) | kStateTimingChanged);
         return CompileCache(d + "one.cut", &cut, CacheUse::kPatched);
       },
       {"one.tl"},
       true},
      {"OV film export", [](const std::string& d) { PrepareFilm(d); },
       [](const std::string& d) { return Cli({"film", "compile", d + "f.flm", "-o", d + "f.ov"}); },
       {"f.ov"}},
      {"film extract", [](const std::string& d) { PrepareFilm(d, true); },
       [](const std::string& d) {
         const clitest::InProcess r =
             clitest::RunInProcess({"film", "extract", d + "f.flm", "--cuts", "1,2", "-o", d + "out/new.flm"});
         // A copy that fails is reported in its cut's entry.
         return r.status == 0 && r.out.find("\"copied\": false") == std::string::npos;
       },
       {}},
      {"TL extract",
       [](const std::string& d) {
         PrepareFilm(d);
         ASSERT_TRUE(Cli({"extract", d + "f.ov", "--cut", "1", "-o", d + "out.tl"}));
       },
       [](const std::string& d) { return Cli({"extract", d + "f.ov", "--cut", "0", "-o", d + "out.tl"}); },
       {"out.tl"}},
      Export("GIF export", "f.gif", {"--cut", "1"}, {}),
      Export("WebP export", "f.webp", {"--cut", "1"}, {"--scale", "2"}),
      // The earlier export has more frames than the new one.
      Export("PNG export", "png/", {}, {"--cut", "0"}),
      Export("MP4 export", "f.mp4", {"--cut", "1"}, {}),
      Export("WebM export", "f.webm", {"--cut", "1"}, {}),
      Export("APNG export", "f.apng", {"--cut", "1"}, {}),
      Sheet("CSV sheet", "s.csv"),
      Sheet("XDTS sheet", "s.xdts"),
      Sheet("PDF sheet", "s.pdf"),
      {"picture import",
       [](const std::string& d) {
         PrepareFilm(d);
         ASSERT_TRUE(Cli({"export", d + "f.ov", "-o", d + "pictures/"}));
         SaveGenerated(d + "out.cut", 5);
       },
       [](const std::string& d) {
         return Cli({"import", d + "one.cut", d + "pictures/", "--layer", "scan", "--allow-skips", "-o",
                     d + "out.cut"});
       },
       {"out.cut"}},
      {"picture import preview",
       [](const std::string& d) {
         PrepareFilm(d);
         ASSERT_TRUE(Cli({"export", d + "f.ov", "-o", d + "pictures/"}));
         ASSERT_TRUE(Cli({"import", "--preview", d + "pictures/frame_00001.png", "-o", d + "p.png"}));
       },
       [](const std::string& d) {
         return Cli({"import", "--preview", d + "pictures/frame_00000.png", "--tones", "-o", d + "p.png"});
       },
       {"p.png"}},
      // A third copy of a document: the oldest of the two kept goes.
      {"recovery copy", [](const std::string& d) { RecoveryCopies(d, 2); },
       [](const std::string& d) { return RecoveryCopies(d, 3); }, {"recovery/"}},
  };
}

class SaveFailures : public ScratchDir {};

TEST_F(SaveFailures, EverySaveKeepsWhatWasSavedThroughAFailureAtEachOfItsCalls) {
  for (const SavePath& path : SavePaths()) {
    savefaults::CheckEveryFailure(path, root_ / path.name);
    if (HasFailure()) break;
  }
}

// A RAM file system mounted for the test, filled up.
class FullDisk : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    disk_ = At("disk");
    fs::create_directories(disk_);
    if (mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=256k") != 0)
      GTEST_SKIP() << "no RAM file system can be mounted here (" << std::strerror(errno)
                   << "); the full disk is not tried";
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) umount2(disk_.c_str(), MNT_DETACH);
    ScratchDir::TearDown();
  }
  void Fill() {
    std::FILE* filler = std::fopen((disk_ + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
    }
    std::fclose(filler);
  }
  std::string disk_;
  bool mounted_ = false;
};

TEST_F(FullDisk, ASaveIntoAFullDiskFailsAndKeepsTheOldFile) {
  const std::string old = disk_ + "/a.cut";
  SaveGenerated(At("in.cut"), 5);
  SaveGenerated(old, 6);
  const std::string before = Read("disk/a.cut");
  Fill();
  const clitest::InProcess r = clitest::RunInProcess({"cut", "resave", At("in.cut"), old});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find(std::strerror(ENOSPC)), std::string::npos) << r.out;
  EXPECT_EQ(Read("disk/a.cut"), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(disk_), fs::directory_iterator()), 2);
}

}  // namespace
