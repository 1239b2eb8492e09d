#pragma once

// Numbered drawings, one picture file each, put into a layer of a cut: every picture becomes
// a new cell of the layer, shown in the frames its number gives. The lowest number lands on
// frame `start`; each number is shown `on` frames (ones, twos, threes), so walk_0001 and
// walk_0003 on ones land on frames 1 and 3, and frame 2, a gap, holds walk_0001 or shows an
// empty cell. Frame N is the cut's Nth frame; frames are added at the end as needed, copying
// the last one (time 1). Other layers and cells are left as they are.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edit/line_art.h"

class Cut;
class Layer;

// The number of a picture by its file name: the last run of digits before the extension.
std::optional<int64_t> PictureNumber(const std::string& fileName);
// Whether the name ends in .png, .jpg, .jpeg, .tif, .tiff, .bmp or .gif, in any case.
bool IsPictureName(const std::string& fileName);

struct Exposure {
  int32_t on = 1;        // frames each number is shown
  int32_t start = 1;     // the frame (from 1) of the lowest number
  bool holdGaps = true;  // a missing number holds the picture before it; else an empty cell
  // The number on frame `start`, when not the lowest picture's (one that could not be read);
  // frames before the first picture show its cell empty.
  std::optional<int64_t> lowest;
};

// The layer with this name, or null when there is none; nothing, with `error`, when more
// than one has it.
std::optional<Layer*> LayerNamed(Cut& cut, const std::string& name, std::string* error);

// Why pictures numbered from `lowest` to `highest` (`count` of them) cannot go into the
// layer (made when missing), or nothing when they can.
std::optional<std::string> CheckPlacement(Cut& cut, const std::string& layerName, int64_t lowest,
                                          int64_t highest, int64_t count, const Exposure& exposure);

struct NumberedPicture {
  int64_t number = 0;
  CleanedPicture picture;  // cleaned for the layer's size
};

struct PlacedPicture {
  int64_t number = 0;
  int32_t cell = 0;
  int32_t firstFrame = 0, lastFrame = 0;  // from 1
};
struct Placement {
  int32_t layer = 0;  // index
  bool layerMade = false;
  std::vector<PlacedPicture> pictures;
  int32_t firstFrame = 0, lastFrame = 0;  // from 1
  int32_t framesAdded = 0;
};

// Puts the pictures, in increasing distinct numbers, into the layer. False, with `error`,
// when CheckPlacement refuses (the cut unchanged) or the memory for a cell cannot be had.
bool PlacePictures(Cut& cut, const std::string& layerName, std::vector<NumberedPicture>& pictures,
                   const Exposure& exposure, Placement* placement, std::string* error);
