#pragma once

#include <memory>
#include <string>
#include <vector>

#include "share/picture_writer.h"
#include "share/picture_writers.h"

enum class VideoKind { kMp4, kWebm, kApng };

struct VideoOptions {
  VideoKind kind = VideoKind::kMp4;
  int rate = 24;     // frames a second; the writer's time unit
  int quality = -1;  // the encoder's constant-quality value; below 0 its default
};

// The encoders' constant-quality scales: H.264 0-51, VP9 0-63, lower is better. The
// defaults keep grey levels and thin lines clean. APNG is lossless and takes none.
int DefaultVideoQuality(VideoKind kind);
int LargestVideoQuality(VideoKind kind);

// The rate a film plays at as video: the least common multiple of its cuts' rates when
// that is at most kLargestExactRate, so every tick is a whole number of frames; otherwise
// the fastest cut's rate, the others' ticks falling on the nearest frame.
inline constexpr int kLargestExactRate = 120;
int FilmVideoRate(const std::vector<int>& cutRates);

// A video file written into `out` from its position 0, a stream that can also be read back
// (MP4 moves its index to the front at the end). MP4 and WebM hold every frame at the
// constant rate (a picture repeated for as many frames as it lasts; one that stops the
// film lasts one frame); APNG holds one frame per picture with its delay, and plays as
// often as the loop count says (once when the film stops). Sizes are scaled, and for MP4 and WebM padded to even with
// black on the right and at the bottom. Null in a build without the video libraries.
std::unique_ptr<PictureWriter> NewVideoWriter(const WriterOptions& options, const VideoOptions& video,
                                              ByteStream& out);
