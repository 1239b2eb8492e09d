#include "io/file_sync.h"

#include <fcntl.h>
#include <unistd.h>

bool SyncFileData(std::FILE* file) { return file && ::fsync(::fileno(file)) == 0; }

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
