#include "share/film_recorder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "io/memory_stream.h"
#include "tests/anim/ov_stream_builder.h"
#include "tests/share/recording_writer.h"

namespace {

using ovtest::CutCoder;
using ovtest::Fields;
using ovtest::Picture;

// What the player would refuse or never finish fails, and nothing reaches the writer's end.
// (What it plays is checked against the decoder in export_command_test.)
TEST(FilmRecorderTest, RefusesWhatItCannotPlayAndFilmsThatNeverEnd) {
  // Frames of 8 × 4 at 1 fps: (level, duration, repeat).
  auto tl = [](std::vector<std::array<int, 3>> frames) {
    return ovtest::BuildTl(ovtest::Header(8, 4, 4, 1), [&](CutCoder& c) {
      for (auto [level, duration, repeat] : frames)
        c.Frame(Fields(int16_t(duration), int16_t(repeat)), Picture(8, 4, uint8_t(level)));
    });
  };
  auto record = [](std::vector<uint8_t> file, int32_t cut = -1) {
    MemoryStream stream(file.data(), int32_t(file.size()), int32_t(file.size()));
    sharetest::RecordingWriter writer;
    PictureSequence sequence(writer);
    RecordOptions options;
    options.cut = cut;
    std::string error;
    EXPECT_FALSE(RecordFilm(stream, options, sequence, &error));
    EXPECT_FALSE(writer.finished);
    return error;
  };
  EXPECT_EQ(record(std::vector<uint8_t>(64, 'x')), "not a playable OV or TL file");
  EXPECT_EQ(record(tl({{0, 1, 1}, {1, 1, 0}}), 2), "no cut 2 (the file has 1)");
  EXPECT_EQ(record(ovtest::BuildOv({tl({{0, 1, 1}, {1, 1, 0}})}, "f", "a", 0, 4)),
            "the view area of 0 x 4 shows nothing");
  // A loop of 30000 passes over two frames of 100 s: 70 days.
  EXPECT_EQ(record(tl({{0, 1, 1}, {1, 100, 30000}, {2, 100, 0}, {3, 1, 1}})), "plays longer than 86400 seconds");
}

}  // namespace
