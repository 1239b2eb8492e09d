// The Windows build has no image libraries: no writers.
#include "share/picture_writers.h"

bool PictureWritersAvailable() { return false; }

std::unique_ptr<PictureWriter> NewGifWriter(const WriterOptions&, ByteStream&) { return nullptr; }
std::unique_ptr<PictureWriter> NewWebpWriter(const WriterOptions&, ByteStream&) { return nullptr; }
std::unique_ptr<PictureWriter> NewPngFolderWriter(const WriterOptions&, const std::string&) { return nullptr; }
