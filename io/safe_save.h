#pragma once

#include <functional>
#include <string>

class ByteStream;

// Writes through `write` into a temporary file beside `path`, puts it onto the disk and
// replaces `path` with it only when every byte was written. On failure the old file is
// untouched, no temporary file is left and `error` says why (a reason `write` left there
// is kept).
bool SaveFileSafely(const std::string& path, const std::function<bool(ByteStream&)>& write,
                    std::string* error);

// Makes the file `path` (replacing one there), writes it through `write` and puts it onto
// the disk. The stream may also read back what it wrote. A file not completely written is removed. Errors as for SaveFileSafely.
bool WriteNewFile(const std::string& path, const std::function<bool(ByteStream&)>& write,
                  std::string* error);

// Replaces `target` by `source` in one step (the platform's atomic rename) and puts the
// change onto the disk.
bool ReplaceFileAtomically(const std::string& source, const std::string& target);
