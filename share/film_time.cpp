#include "share/film_time.h"

#include <algorithm>
#include <numeric>

namespace {

// Films use a handful of rates, whose common multiple stays small. Only a file that cycles
// through many rates reaches this; its time is then kept to a part in 2^31 of a second.
constexpr int64_t kLargestDenominator = int64_t(1) << 31;

}  // namespace

void FilmTime::AddTicks(int64_t ticks, int fps) {
  const int64_t rate = std::max(fps, 1);
  const int64_t common = den_ / std::gcd(den_, rate) * rate;
  if (common <= kLargestDenominator) {
    num_ = num_ * (common / den_) + ticks * (common / rate);
    den_ = common;
  } else {
    // A denominator near the largest that the new rate divides, the old value rounded to it.
    const int64_t target = rate * (kLargestDenominator / rate);
    const int64_t whole = num_ / den_, part = num_ % den_;
    num_ = whole * target + (2 * part * target + den_) / (2 * den_) + ticks * (target / rate);
    den_ = target;
  }
}

int64_t FilmTime::Round(int64_t unitsPerSecond) const {
  return (2 * num_ * unitsPerSecond + den_) / (2 * den_);
}
