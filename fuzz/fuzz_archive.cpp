// Arbitrary bytes as a ZIP and as an LZH archive: listing and extracting every member must
// never read outside the bytes, write outside the buffer it is given or allocate for a
// stated size; a member too large for its buffer is always refused. The same bytes also
// go through the command-line parser and the wildcard matcher.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "archive/archive_command.h"
#include "archive/archive_library.h"
#include "io/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (ArchiveFormat format : {ArchiveFormat::Zip, ArchiveFormat::Lzh}) {
    MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
    std::unique_ptr<ArchiveReader> reader = NewArchiveReader(format);
    if (!reader->Open(stream)) continue;
    const size_t n = std::min<size_t>(reader->Members().size(), 16);
    for (size_t i = 0; i < n; ++i) {
      const ArchiveMember& m = reader->Members()[i];
      // Exactly the room given, so the sanitizer sees any write past it.
      const uint32_t room = std::min<uint32_t>(m.originalSize, 1 << 18);
      std::vector<uint8_t> out(room);
      const ArchiveError e = reader->Extract(i, out.data(), room);
      if (e == ArchiveError::None && m.originalSize > room) std::abort();
      if (m.originalSize > 0 && room > 0) {
        reader->Extract(i, out.data(), room - 1) == ArchiveError::None ? std::abort() : void();
      }
    }
    ArchiveInfoRecord record;
    FindFirstArchiveMember(reader->Members(), "*.ov", &record);
  }

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ArchiveCommand command;
  if (ParseArchiveCommand(text, command)) {
    for (const std::string& w : command.wildcards) MatchWildcard(w, command.archive);
  }
  MatchWildcard(text.substr(0, size / 2), text.substr(size / 2));
  return 0;
}
