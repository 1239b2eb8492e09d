#pragma once

// A grey picture brought to another size row by row, so the source never has to be held
// whole: reducing, each target pixel is the average of the source area it covers;
// enlarging, the linear blend of its two nearest source pixels; axis by axis.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// Grey samples, 0 black .. 65535 white, row by row.
struct GreyPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint16_t> samples;
  uint16_t At(int32_t x, int32_t y) const { return samples[size_t(y) * size_t(width) + size_t(x)]; }
};

class GreyResampler {
 public:
  // Sizes of at least 1.
  GreyResampler(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                int32_t targetHeight);

  // The next source row, `sourceWidth` samples; rows beyond the last are ignored.
  void AddRow(const uint16_t* row);
  // After the last row: the target picture.
  GreyPicture Finish();

 private:
  // The source samples one target sample takes, with their weights (summing to 1).
  struct Tap {
    int32_t index;
    float weight;
  };
  struct Axis {
    std::vector<int32_t> first;  // target i takes taps[first[i] .. first[i + 1])
    std::vector<Tap> taps;
  };
  static Axis MakeAxis(int32_t source, int32_t target);

  int32_t sourceHeight_, targetWidth_;
  Axis across_;
  // For each source row, the target rows it adds to: the vertical taps turned round.
  std::vector<std::vector<Tap>> rowUse_;
  // For each target row, the last source row it takes.
  std::vector<int32_t> lastRow_;
  std::vector<float> row_;  // the current source row at the target width
  // The target rows still taking source rows, from `firstOpen_` on.
  std::deque<std::vector<float>> open_;
  int32_t firstOpen_ = 0;
  int32_t nextRow_ = 0;
  GreyPicture target_;
};
