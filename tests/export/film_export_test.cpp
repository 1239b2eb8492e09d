#include "export/film_export.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "anim/decoder.h"
#include "anim/frame_buffer.h"
#include "anim/frame_encoder.h"
#include "anim/ov_layout.h"
#include "edit/cut_editing.h"
#include "export/compile_cache.h"
#include "export/cut_preview.h"
#include "files/cut_file.h"
#include "files/film.h"
#include "io/memory_stream.h"
#include "model/compositor.h"
#include "model/cut.h"
#include "tests/anim/cut_generator.h"
#include "tests/files/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const BlockStream& s) {
  std::vector<uint8_t> b(size_t(s.Length()));
  if (!b.empty()) s.CopyTo(b.data());
  return b;
}

std::vector<uint8_t> Compiled(Cut& cut) {
  FrameBuffer buffer;
  FrameSurface work;
  BlockStream out;
  EXPECT_TRUE(CompileCut(cut, buffer, work, out));
  return Bytes(out);
}

TEST(CompileCache, CachePathReplacesTheExtension) {
  EXPECT_EQ(CachePathOf("/a/b/cut012.cut"), "/a/b/cut012.tl");
  EXPECT_EQ(CachePathOf("/a/b.dir/scene"), "/a/b.dir/scene.tl");
  EXPECT_EQ(CachePathOf("C:\\p\\x.y.cut"), "C:\\p\\x.y.tl");
  // 0x95 0x5C is one character whose second byte is not a separator.
  EXPECT_EQ(CachePathOf("C:\\\x95\x5c.cut"), "C:\\\x95\x5c.tl");
}

cutgen::Options TimingOptions() {
  cutgen::Options o;
  o.followFrame = false;  // the frame position is then only the camera
  o.frames = 9;
  return o;
}

TEST(CompileCache, TimingPatchGivesTheBytesOfAFullCompile) {
  for (const AntiAlias a : {AntiAlias::kFull, AntiAlias::kHalf, AntiAlias::kQuarter}) {
    cutgen::Options o = TimingOptions();
    o.antiAlias = a;
    auto cut = cutgen::MakeCut(unsigned(a) + 5, o);
    std::vector<uint8_t> cache = Compiled(*cut);
    // Timing and placement only: times (first frame negative), loops, keyframes,
    // brightness, camera positions, camera size and frame rate.
    for (int32_t k = 0; k < cut->FrameCount(); ++k) {
      Frame* f = cut->FrameAt(k);
      f->SetTime(k == 0 ? -4 : (k * 5) % 7 - 3);
      f->SetLoop(k % 3 == 0 ? 0 : 2);
      f->SetKeyframe(k % 4 == 1);
      f->SetBrightness(100 - 9 * k);
      f->SetPosition(7 * k - 11, 3 - 2 * k);
    }
    cut->SetFrameSize(33, 17);
    cut->SetFps(24);
    MemoryStream stream(cache.data(), int32_t(cache.size()), int32_t(cache.size()));
    ASSERT_TRUE(PatchCacheTiming(*cut, stream));
    EXPECT_EQ(cache, Compiled(*cut));
  }
}

TEST(CompileCache, TimingPatchRefusesACacheOfAnotherCut) {
  cutgen::Options o = TimingOptions();
  auto cut = cutgen::MakeCut(9, o);
  const std::vector<uint8_t> good = Compiled(*cut);
  auto refused = [&](std::vector<uint8_t> bytes) {
    const std::vector<uint8_t> before = bytes;
    MemoryStream s(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    const bool patched = PatchCacheTiming(*cut, s);
    return !patched && bytes == before;
  };
  EXPECT_TRUE(refused({}));
  std::vector<uint8_t> ov = good;
  ov[0] = 'O', ov[1] = 'V';
  EXPECT_TRUE(refused(ov));
  EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));  // cut short
  std::vector<uint8_t> longer = good;
  longer.insert(longer.end(), good.end() - 25, good.end());
  EXPECT_TRUE(refused(longer));  // no whole record more… or one too many
  cut->SetCredit("another");
  EXPECT_TRUE(refused(good));
  cut->SetCredit("gen 9");
  cut->AddFrame();  // one record missing
  EXPECT_TRUE(refused(good));
}

// Decodes one pass of an OV file and checks each frame against the tone image of the cut
// and frame it stands for.
void ExpectFilmAgreement(std::vector<uint8_t>& ovBytes, std::vector<Cut*> cuts) {
  MemoryStream stream(ovBytes.data(), int32_t(ovBytes.size()), int32_t(ovBytes.size()));
  FrameBuffer buffer;
  Decoder decoder(buffer);
  ASSERT_TRUE(decoder.Open(stream));
  ASSERT_EQ(decoder.CutCount(), int32_t(cuts.size()));
  // Record offsets → (cut, frame).
  std::map<int32_t, std::pair<int, int>> where;
  for (size_t c = 0; c < cuts.size(); ++c) {
    stream.Seek(decoder.CutOffsets()[c], kSeekSet);
    ov::CutHeader h;
    ov::ReadCutHeader(stream, h);
    for (int k = 0; k < cuts[c]->FrameCount(); ++k) {
      const int32_t at = stream.Tell();
      ov::FrameHeader fh;
      ov::ReadFrameHeader(stream, fh);
      where[at] = {int(c), k};
      stream.Seek(int32_t(at + fh.RecordBytes()), kSeekSet);
    }
  }
  int shown = 0;
  do {
    decoder.NextFrame();
    ASSERT_EQ(where.count(decoder.FrameOffset()), 1u);
    const auto [c, k] = where[decoder.FrameOffset()];
    Cut& cut = *cuts[size_t(c)];
    const int f = AntiAliasFactor(cut);
    FrameSurface view;
    view.Create(cut.CanvasWidth(), cut.CanvasHeight(), 0);
    Compose(*cut.FrameAt(k), view, 0, 0, cut.CanvasWidth(), cut.CanvasHeight(), 0, nullptr);
    FrameBuffer tones;
    tones.Create(cut.CanvasWidth() / f, cut.CanvasHeight() / f);
    tones.Reduce(view, nullptr, f, nullptr);
    for (int32_t y = 0; y < tones.Height(); ++y)
      for (int32_t x = 0; x < tones.Width(); ++x)
        ASSERT_EQ(buffer.GetPixel(x, y), tones.GetPixel(x, y)) << "cut " << c << " frame " << k;
  } while (!decoder.AtEnd() && ++shown < 5000);
}

class FilmExport : public ScratchDir {
 protected:
  // A cut saved as `name`.cut, kept open here for the checks.
  Cut* MakeCut(const std::string& name, uint32_t seed, AntiAlias a, int32_t w, int32_t h) {
    cutgen::Options o;
    o.antiAlias = a, o.canvasWidth = w, o.canvasHeight = h, o.frames = 5;
    o.followFrame = false;  // camera moves below must not move pictures
    cuts_.push_back(cutgen::MakeCut(seed, o));
    EXPECT_TRUE(SaveCut(*cuts_.back(), At(name + ".cut")));
    return cuts_.back().get();
  }
  void MakeFilm(const std::vector<std::string>& names) {
    film_.Clear();
    film_.SetTitle("title");
    film_.SetAuthor("author");
    film_.SetSize(320, 200);
    for (const std::string& n : names) {
      Cut probe(1, 1, 1, "", AntiAlias::kFull);
      probe.SetPath(At(n + ".cut"));
      film_.AddCut(&probe, -1);
      film_.DetachCut(&probe);
    }
  }
  // Exports every item; the uses reported, "" on failure.
  std::string Export(std::vector<uint8_t>* bytes = nullptr, int32_t* failed = nullptr, std::string* why = nullptr) {
    std::vector<int32_t> items;
    for (int32_t i = 0; i < film_.Count(); ++i) items.push_back(i);
    BlockStream out;
    FrameBuffer buffer;
    FilmExporter exporter(buffer);
    std::string uses;
    const bool ok = exporter.Export(
        film_, items, out, [&](const ExportedCut& c) { uses += std::string(CacheUseName(c.use)) + ";"; },
        failed, why);
    if (bytes) *bytes = Bytes(out);
    return ok ? uses : "";
  }
  // Sets a file's time to `seconds` after the test began.
  void Age(const std::string& name, int seconds) {
    fs::last_write_time(At(name), start_ + std::chrono::seconds(seconds));
  }

  const fs::file_time_type start_ = fs::file_time_type::clock::now();
  std::vector<std::unique_ptr<Cut>> cuts_;
  Film film_;
};

TEST_F(FilmExport, CutsOfTwoSizesPlayAsComposed) {
  Cut* a = MakeCut("a", 1, AntiAlias::kHalf, 64, 40);
  Cut* b = MakeCut("b", 2, AntiAlias::kFull, 44, 30);
  MakeFilm({"a", "b", "a"});
  std::vector<uint8_t> ov;
  EXPECT_EQ(Export(&ov), "rebuilt;rebuilt;reused;");
  ov::FileHeader header;
  MemoryStream s(ov.data(), int32_t(ov.size()), int32_t(ov.size()));
  ASSERT_TRUE(ov::ReadFileHeader(s, header));
  EXPECT_EQ(header.storedLength, ov.size());
  EXPECT_EQ(header.screenWidth, 320);
  EXPECT_EQ(header.largestWidth, 44);   // max(32, 44)
  EXPECT_EQ(header.largestHeight, 30);  // max(20, 30)
  EXPECT_EQ(header.title, "title");
  ExpectFilmAgreement(ov, {a, b, a});
  // The cache holds exactly the cut record the OV file carries.
  EXPECT_EQ(Read("a.tl").size(), size_t(header.cutOffsets[1] - header.cutOffsets[0] + 6));
}

TEST_F(FilmExport, StaleCachesAreCompiledAgain) {
  Cut* a = MakeCut("a", 3, AntiAlias::kFull, 40, 24);
  MakeFilm({"a"});
  std::vector<uint8_t> first, again;
  EXPECT_EQ(Export(&first), "rebuilt;");
  Age("a.tl", 10);
  EXPECT_EQ(Export(&again), "reused;");
  EXPECT_EQ(first, again);

  // The cut is edited and saved after its cache was made: the old pictures must not come
  // back.
  RasterSurface* cell = a->LayerAt(0)->CellAt(0);
  for (int32_t y = 0; y < cell->Height(); ++y)
    for (int32_t x = 0; x < cell->Width(); ++x) cell->SetPixel(x, y, 1);
  ASSERT_TRUE(SaveCut(*a, At("a.cut")));
  Age("a.cut", 20);
  std::vector<uint8_t> edited;
  EXPECT_EQ(Export(&edited), "rebuilt;");
  EXPECT_NE(edited, first);
  ExpectFilmAgreement(edited, {a});

  // A cache as old as its cut may have missed a save in the same tick.
  Age("a.cut", 30);
  Age("a.tl", 30);
  EXPECT_EQ(Export(), "rebuilt;");
  // A damaged cache is compiled again even when it is newer.
  Write("a.tl", "TL\x10\0\0\0garbage");
  Age("a.tl", 40);
  EXPECT_EQ(Export(&again), "rebuilt;");
  EXPECT_EQ(again, edited);
}

TEST_F(FilmExport, OpenCutsDecideByTheirChangeFlags) {
  Cut* a = MakeCut("a", 4, AntiAlias::kQuarter, 64, 48);
  MakeFilm({"a"});
  EXPECT_EQ(Export(), "rebuilt;");
  Age("a.tl", 10);
  a->SetPath(At("a.cut"));
  film_.AttachCut(a);
  a->SetStateFlags(a->StateFlags() & ~(kStateContentChanged | kStateTimingChanged | kStateUnsaved));
  EXPECT_EQ(Export(), "reused;");

  // Timing only: the cache is patched and equals a full compile.
  a->GoFirstFrame();
  ASSERT_TRUE(SetFramePosition(*a, 12, 8));
  a->FrameAt(1)->SetTime(-6);
  a->SetStateFlags(a->StateFlags() & ~kStateUnsaved);
  std::vector<uint8_t> ov;
  EXPECT_EQ(Export(&ov), "patched;");
  EXPECT_EQ(a->StateFlags() & (kStateContentChanged | kStateTimingChanged), 0u);
  const std::string patched = Read("a.tl");
  EXPECT_EQ(std::vector<uint8_t>(patched.begin(), patched.end()), Compiled(*a));
  ExpectFilmAgreement(ov, {a});

  // Unsaved content: compiled as it stands, the cache (of the file) left alone.
  a->LayerAt(0)->CellAt(0)->SetPixel(0, 0, 1);
  a->MarkChanged(kChangeContent);
  EXPECT_EQ(Export(&ov), "bypassed;");
  EXPECT_EQ(Read("a.tl"), patched);
  ExpectFilmAgreement(ov, {a});
  ASSERT_TRUE(SaveCut(*a, At("a.cut")));
  EXPECT_EQ(Export(), "rebuilt;");
  EXPECT_EQ(a->StateFlags() & kStateContentChanged, 0u);
}

TEST_F(FilmExport, ARenamedCutTakesItsCacheAndNoStaleCacheIsReused) {
  Cut* a = MakeCut("a", 7, AntiAlias::kFull, 40, 24);
  Cut* b = MakeCut("b", 8, AntiAlias::kHalf, 40, 24);
  MakeFilm({"a", "b"});
  EXPECT_EQ(Export(), "rebuilt;rebuilt;");
  const std::string aCache = Read("a.tl");
  Write("x.tl", "left by a cut once called x");
  ASSERT_TRUE(RenameCutWithCache(At("a.cut"), At("x.cut")));
  EXPECT_FALSE(Exists("a.cut") || Exists("a.tl"));
  EXPECT_EQ(Read("x.tl"), aCache);
  // The old name, given to another cut, does not find the first one's pictures.
  ASSERT_TRUE(RenameCutWithCache(At("b.cut"), At("a.cut")));
  EXPECT_FALSE(RenameCutWithCache(At("x.cut"), At("a.cut")));
  EXPECT_EQ(Read("x.tl"), aCache);
  MakeFilm({"a", "x"});
  std::vector<uint8_t> ov;
  EXPECT_EQ(Export(&ov), "reused;reused;");
  ExpectFilmAgreement(ov, {b, a});
}

TEST_F(FilmExport, ACutThatCannotBeLoadedStopsTheExport) {
  MakeCut("a", 5, AntiAlias::kFull, 40, 24);
  MakeCut("c", 6, AntiAlias::kHalf, 40, 24);
  Write("b.cut", "Orvinade Cut");
  MakeFilm({"a", "b", "c"});
  std::vector<uint8_t> ov;
  int32_t failed = -1;
  std::string why;
  EXPECT_EQ(Export(&ov, &failed, &why), "");
  EXPECT_EQ(failed, 1);
  EXPECT_NE(why.find("cannot load the cut"), std::string::npos) << why;
  // Header, cut table, the first cut record; zeros where the end would have written.
  const std::string cache = Read("a.tl");
  const size_t tableAt = 2 + 4 + 6 + 7 + 4 + 4 + 2;
  ASSERT_EQ(ov.size(), tableAt + 12 + cache.size() - 6);
  auto u32 = [&](size_t at) { return uint32_t(ov[at] | ov[at + 1] << 8 | ov[at + 2] << 16 | uint32_t(ov[at + 3]) << 24); };
  EXPECT_EQ(u32(2), 0u);               // length
  EXPECT_EQ(u32(tableAt - 6), 0u);     // largest width and height
  EXPECT_EQ(u32(tableAt), tableAt + 12);
  EXPECT_EQ(u32(tableAt + 4), 0u);
  EXPECT_EQ(u32(tableAt + 8), 0u);
  EXPECT_EQ(std::string(ov.begin() + long(tableAt + 12), ov.end()), cache.substr(6));
  EXPECT_FALSE(Exists("c.tl"));
}

TEST_F(FilmExport, NeverWritesOverAFileItReads) {
  MakeCut("a", 3, AntiAlias::kFull, 24, 16);
  MakeCut("b", 4, AntiAlias::kHalf, 24, 16);
  MakeFilm({"a", "b"});
  ASSERT_TRUE(film_.Save(At("f.flm"), '/'));
  EXPECT_EQ(Export(), "rebuilt;rebuilt;");
  for (const char* input : {"f.flm", "a.cut", "b.cut", "a.tl", "b.tl"})
    EXPECT_TRUE(ExportReadsFile(film_, At(input))) << input;
  // The same file by another spelling, and no file at all.
  Write("sub/x", "");
  EXPECT_TRUE(ExportReadsFile(film_, At("sub/../b.tl")));
  EXPECT_TRUE(ExportReadsFile(film_, ""));
  // A new file, or an earlier export, may be written.
  EXPECT_FALSE(ExportReadsFile(film_, At("f.ov")));
  Write("old.ov", "an earlier export");
  EXPECT_FALSE(ExportReadsFile(film_, At("old.ov")));
}

TEST_F(FilmExport, ACutWithoutFramesIsRefused) {
  Cut empty(16, 16, 12, "none", AntiAlias::kFull);
  ASSERT_TRUE(SaveCut(empty, At("e.cut")));
  MakeFilm({"e"});
  std::string why;
  EXPECT_EQ(Export(nullptr, nullptr, &why), "");
  EXPECT_EQ(why, "the cut has no frames");
  film_.Clear();
  EXPECT_EQ(Export(nullptr, nullptr, &why), "");
  EXPECT_EQ(why, "the film has no cuts");
}

}  // namespace

namespace {

class CutPreview : public FilmExport {};

TEST_F(CutPreview, RecompilesIntoTheCacheAndRedrawsTheView) {
  Cut* a = MakeCut("a", 8, AntiAlias::kHalf, 48, 32);
  a->SetPath(At("a.cut"));
  a->GoFrame(2);
  a->SetDisplayFlags(kShowPreviousCell);
  FrameBuffer buffer;
  FrameSurface view;
  view.Create(a->CanvasWidth(), a->CanvasHeight(), 0);
  BlockStream tl;
  CacheUse use;
  ASSERT_TRUE(CompileCutPreview(*a, buffer, view, tl, &use, nullptr));
  EXPECT_EQ(use, CacheUse::kRebuilt);
  std::vector<uint8_t> bytes = Bytes(tl);
  EXPECT_EQ(Read("a.tl"), std::string(bytes.begin(), bytes.end()));
  ExpectFilmAgreement(bytes, {a});  // a TL stream plays as one cut
  // The view shows the current frame as the cut view composes it, onion skin included.
  FrameSurface expected;
  expected.Create(a->CanvasWidth(), a->CanvasHeight(), 0);
  Compose(*a->FrameAt(2), expected, 0, 0, 48, 32, kShowPreviousCell, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(view.Bits(), view.Bits() + view.ByteSize()),
            std::vector<uint8_t>(expected.Bits(), expected.Bits() + expected.ByteSize()));
  // Flags clear now: the cache is used as it stands.
  Age("a.tl", 10);
  ASSERT_TRUE(CompileCutPreview(*a, buffer, view, tl, &use, nullptr));
  EXPECT_EQ(use, CacheUse::kReused);

  FrameSurface work;
  ASSERT_TRUE(CompileFramePreview(*a, buffer, work, tl));
  bytes = Bytes(tl);
  MemoryStream s(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  EXPECT_EQ(WholeTlFrameCount(s), 1);
}

}  // namespace
