#pragma once

// Picture files read for the import of drawings: PNG, JPEG, TIFF, BMP and GIF (its first
// picture), turned upright as their EXIF orientation says, transparent parts on white, any
// depth or colour model read as grey, strip by strip so a large scan is never held whole.
// Made over libvips in the native build; the Windows build has no reader.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/rect.h"

class PictureFile {
 public:
  virtual ~PictureFile() = default;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // The grey of rectangle `area` (inside the picture), area.width samples a row, 0 black ..
  // 65535 white. Rows are best read from top to bottom. False, with Error(), when the file
  // turns out damaged.
  virtual bool Read(const Rect& area, uint16_t* samples) = 0;
  virtual const std::string& Error() const = 0;
};

bool PictureFilesAvailable();

// Null, with `why`, when the file cannot be opened or is not one of the pictures read.
std::unique_ptr<PictureFile> OpenPictureFile(const std::string& path, std::string* why);
// The same from a file's bytes in memory, which must stay as they are while the picture
// is read.
std::unique_ptr<PictureFile> OpenPictureBytes(const uint8_t* bytes, size_t size, std::string* why);

// A PNG file of RGB pixels (0x00RRGGBB, row by row); false, with `why`, when it cannot be
// made.
bool EncodePng(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
               std::vector<uint8_t>& out, std::string* why);
