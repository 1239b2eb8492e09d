// The Windows build reads no picture files.
#include "picture/picture_file.h"

bool PictureFilesAvailable() { return false; }

std::unique_ptr<PictureFile> OpenPictureFile(const std::string&, std::string* why) {
  if (why) *why = "pictures cannot be read in this build";
  return nullptr;
}

std::unique_ptr<PictureFile> OpenPictureBytes(const uint8_t*, size_t, std::string* why) {
  return OpenPictureFile(std::string(), why);
}

bool EncodePng(const std::vector<uint32_t>&, int32_t, int32_t, std::vector<uint8_t>&, std::string* why) {
  if (why) *why = "PNG files cannot be written in this build";
  return false;
}
