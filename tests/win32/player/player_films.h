#pragma once

// Films for the player tests, made with the layout's writers, and what the player should
// show of them: the decoder's frame through its palette, centred in the view area.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/anim/ov_stream_builder.h"
#include "tests/win32/player/player_session.h"

// The view area after `frames` frames were decoded (the displayed frame as a still or at a
// frame switch), with the highlight colour of the settings.
Image ExpectedView(const std::vector<uint8_t>& file, int frames, uint32_t highlight = 0xFFFFFF);

// The grey of level `level` of a 4-level cut at brightness 50 with a white highlight.
uint32_t Level4(int level);

// A flat picture of one level.
ovtest::Picture Flat(int32_t w, int32_t h, int level);
// A picture with some structure: stripes, a frame and a block, in 4 levels.
ovtest::Picture Drawing(int32_t w, int32_t h, int seed);

// A TL file of frames, each (picture, duration).
struct FrameSpec {
  ovtest::Picture picture;
  int duration = 1;
  int brightness = 50;
};
std::vector<uint8_t> MakeTl(int16_t w, int16_t h, uint8_t fps, const std::string& credit,
                            const std::vector<FrameSpec>& frames);
