#pragma once

#include <cstdint>

// A point in a film's time, exactly: a sum of ticks of 1/fps seconds each, kept as a fraction
// over the least common multiple of the rates seen. Rounding the running time (never each
// frame) keeps a film's length exact in any unit: 48 ticks at 24 fps are 200 hundredths.
class FilmTime {
 public:
  // Adds `ticks` periods of a timer at `fps` (taken as at least 1).
  void AddTicks(int64_t ticks, int fps);
  // The time in units of 1/unitsPerSecond, rounded half up.
  int64_t Round(int64_t unitsPerSecond) const;
  double Seconds() const { return double(num_) / double(den_); }
  bool operator==(const FilmTime& o) const { return num_ * o.den_ == o.num_ * den_; }

 private:
  int64_t num_ = 0;
  int64_t den_ = 1;
};
