#pragma once

// A picture file read through Windows' imaging component as grey, strip by strip: its first
// frame, turned upright as a JPEG's EXIF orientation says, transparent parts on white.

#include <cstdint>
#include <memory>
#include <string>

#include "model/rect.h"

class WicPicture {
 public:
  // Null, with `why`, when the file cannot be read as a picture.
  static std::unique_ptr<WicPicture> Open(const std::wstring& path, std::string* why);
  ~WicPicture();
  WicPicture(const WicPicture&) = delete;
  WicPicture& operator=(const WicPicture&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The grey of rectangle `area`, area.width samples a row, 0 black .. 65535 white.
  bool Read(const Rect& area, uint16_t* samples);

 private:
  struct Com;
  WicPicture();
  std::unique_ptr<Com> com_;
  int32_t width_ = 0, height_ = 0;
  bool wide_ = false;  // 16 bits a channel
  bool grey_ = false;  // one channel, no alpha
};
