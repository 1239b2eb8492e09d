#pragma once

#include <string>
#include <utility>

// Tells a caller that asked (`error` may be null) why an operation failed, and returns false:
// `return Fail(error, "cannot open the file");`.
inline bool Fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return false;
}
