#pragma once

#include <functional>
#include <string>

class ByteStream;

// Writes through `write` into a temporary file beside `path` and replaces `path` with it
// only when every byte was written. On failure the old file is untouched and `error` says
// why.
bool SaveFileSafely(const std::string& path, const std::function<bool(ByteStream&)>& write,
                    std::string* error);

// Replaces `target` by `source` in one step (the platform's atomic rename).
bool ReplaceFileAtomically(const std::string& source, const std::string& target);
