#include "edit/grey_resample.h"

#include <algorithm>
#include <cmath>

GreyResampler::Axis GreyResampler::MakeAxis(int32_t source, int32_t target) {
  Axis axis;
  axis.first.reserve(size_t(target) + 1);
  for (int32_t t = 0; t < target; ++t) {
    axis.first.push_back(int32_t(axis.taps.size()));
    if (source == target) {
      axis.taps.push_back({t, 1.0f});
    } else if (target < source) {
      // The target pixel covers [lo, hi) of the source; each source pixel weighs by how
      // much of it lies inside.
      const double scale = double(source) / double(target);
      const double lo = t * scale, hi = std::min(double(source), (t + 1) * scale);
      for (int32_t s = int32_t(lo); s < source && s < hi; ++s) {
        const double part = std::min(hi, double(s) + 1) - std::max(lo, double(s));
        if (part > 1e-9) axis.taps.push_back({s, float(part / scale)});
      }
    } else {
      const double centre = (t + 0.5) * double(source) / double(target) - 0.5;
      if (centre <= 0) {
        axis.taps.push_back({0, 1.0f});
      } else if (centre >= source - 1) {
        axis.taps.push_back({source - 1, 1.0f});
      } else {
        const int32_t s = int32_t(centre);
        const float f = float(centre - s);
        axis.taps.push_back({s, 1.0f - f});
        if (f > 0) axis.taps.push_back({s + 1, f});
      }
    }
  }
  axis.first.push_back(int32_t(axis.taps.size()));
  return axis;
}

GreyResampler::GreyResampler(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                             int32_t targetHeight)
    : sourceHeight_(sourceHeight),
      targetWidth_(targetWidth),
      across_(MakeAxis(sourceWidth, targetWidth)),
      rowUse_(size_t(sourceHeight)),
      lastRow_(size_t(targetHeight), 0),
      row_(size_t(targetWidth)) {
  const Axis down = MakeAxis(sourceHeight, targetHeight);
  for (int32_t t = 0; t < targetHeight; ++t) {
    for (int32_t k = down.first[size_t(t)]; k < down.first[size_t(t) + 1]; ++k) {
      const Tap& tap = down.taps[size_t(k)];
      rowUse_[size_t(tap.index)].push_back({t, tap.weight});
      lastRow_[size_t(t)] = std::max(lastRow_[size_t(t)], tap.index);
    }
  }
  target_.width = targetWidth;
  target_.height = targetHeight;
  target_.samples.resize(size_t(targetWidth) * size_t(targetHeight));
}

void GreyResampler::AddRow(const uint16_t* row) {
  if (nextRow_ >= sourceHeight_) return;
  for (int32_t t = 0; t < targetWidth_; ++t) {
    float sum = 0;
    for (int32_t k = across_.first[size_t(t)]; k < across_.first[size_t(t) + 1]; ++k)
      sum += across_.taps[size_t(k)].weight * float(row[across_.taps[size_t(k)].index]);
    row_[size_t(t)] = sum;
  }
  for (const Tap& use : rowUse_[size_t(nextRow_)]) {
    while (firstOpen_ + int32_t(open_.size()) <= use.index) open_.emplace_back(size_t(targetWidth_), 0.0f);
    float* out = open_[size_t(use.index - firstOpen_)].data();
    for (int32_t t = 0; t < targetWidth_; ++t) out[t] += use.weight * row_[size_t(t)];
  }
  std::vector<Tap>().swap(rowUse_[size_t(nextRow_)]);
  // Target rows that take no later source row are done.
  while (!open_.empty() && lastRow_[size_t(firstOpen_)] <= nextRow_) {
    uint16_t* out = target_.samples.data() + size_t(firstOpen_) * size_t(targetWidth_);
    for (int32_t t = 0; t < targetWidth_; ++t)
      out[t] = uint16_t(std::clamp(std::lround(open_.front()[size_t(t)]), 0L, 65535L));
    open_.pop_front();
    ++firstOpen_;
  }
  ++nextRow_;
}

GreyPicture GreyResampler::Finish() { return std::move(target_); }
