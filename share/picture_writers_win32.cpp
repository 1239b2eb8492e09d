// The Windows build has no image libraries: no writers.
#include "share/picture_writers.h"

bool PictureWritersAvailable() { return false; }

std::unique_ptr<PictureWriter> NewGifWriter(const WriterOptions&, std::vector<uint8_t>&) { return nullptr; }
std::unique_ptr<PictureWriter> NewWebpWriter(const WriterOptions&, std::vector<uint8_t>&) { return nullptr; }
std::unique_ptr<PictureWriter> NewPngFolderWriter(const WriterOptions&, const std::string&) { return nullptr; }
