// The Windows build has no video libraries: no video writer.
#include "share/video_writer.h"

std::unique_ptr<PictureWriter> NewVideoWriter(const WriterOptions&, const VideoOptions&, ByteStream&) {
  return nullptr;
}
