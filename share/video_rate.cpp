#include <algorithm>
#include <numeric>

#include "share/video_writer.h"

int DefaultVideoQuality(VideoKind kind) {
  switch (kind) {
    case VideoKind::kMp4:
      return 14;
    case VideoKind::kWebm:
      return 18;
    case VideoKind::kApng:
      break;
  }
  return 0;
}

int LargestVideoQuality(VideoKind kind) {
  switch (kind) {
    case VideoKind::kMp4:
      return 51;
    case VideoKind::kWebm:
      return 63;
    case VideoKind::kApng:
      break;
  }
  return 0;
}

int FilmVideoRate(const std::vector<int>& cutRates) {
  int common = 1, fastest = 1;
  for (const int fps : cutRates) {
    const int rate = std::max(fps, 1);
    fastest = std::max(fastest, rate);
    if (common <= kLargestExactRate) common = std::lcm(common, rate);
  }
  return common <= kLargestExactRate ? common : fastest;
}
