#pragma once

// What the JSON targets leave out: numbers from 513 up to 2^21 (either sign), the sizes,
// counts and coordinates that only make a run slow (a 60000-pixel layer, a line walked a
// million pixels). Smaller and larger ones, where every range check is met, stay.

#include <cstdint>

#include <nlohmann/json.hpp>

inline bool OnlySlowNumbers(const nlohmann::json& v) {
  if (v.is_number_integer() || v.is_number_unsigned() || v.is_number_float()) {
    const double n = v.get<double>();
    const double a = n < 0 ? -n : n;
    return a > 512 && a <= double(1 << 21);
  }
  if (v.is_array() || v.is_object()) {
    for (const auto& item : v) {
      if (OnlySlowNumbers(item)) return true;
    }
  }
  return false;
}
