#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "io/byte_stream.h"
#include "share/picture_sequence.h"

struct RecordOptions {
  int32_t cut = -1;               // only this cut (from 0); below 0 the whole film
  uint32_t highlight = 0xFFFFFF;  // the brightest level's colour, 0xRRGGBB
  double longestSeconds = 24 * 3600.0;
  std::function<void(int32_t cut)> cutStarted;  // each cut as its first picture shows
};

// Plays an OV or TL stream through the playback engine as the player does at normal speed,
// tick by tick on an exact clock of 1/fps seconds a tick, and shows `sequence` every
// picture the view area takes: each frame, each dissolve step, black around the view.
// One pass: the film ends where it would start again, or stops on a frame of duration 0
// (held; a single-frame file is held too). With `cut`, the cut ends where another begins.
// Fails without showing anything when the stream is neither OV nor TL, the cut does not
// exist or the view area is empty or too large; later when the film plays longer than
// `longestSeconds` or the sequence fails. `error` then says why in a few words.
bool RecordFilm(ByteStream& film, const RecordOptions& options, PictureSequence& sequence,
                std::string* error);

// The largest view area recorded, in pixels.
inline constexpr int64_t kLargestViewArea = int64_t(1) << 24;
