#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "share/picture_writer.h"

class ByteStream;

struct WriterOptions {
  int scale = 1;      // each picture pixel becomes scale × scale pixels
  int loopCount = 0;  // how often the animation plays; 0 for ever
};

// The writers of the image libraries; null in a build without them. GIF and WebP write the
// file into `out`, from its position 0, as the pictures come (WebP seeks back at the end to
// fill in its size and loop count); memory holds about one picture however long the film.
// The PNG writer puts frame_NNNNN.png files and timing.json (each file's duration in
// milliseconds) into `folder`, which must exist: they are written into a working folder
// inside it and moved into place only by a successful Finish.
bool PictureWritersAvailable();
std::unique_ptr<PictureWriter> NewGifWriter(const WriterOptions& options, ByteStream& out);
std::unique_ptr<PictureWriter> NewWebpWriter(const WriterOptions& options, ByteStream& out);
std::unique_ptr<PictureWriter> NewPngFolderWriter(const WriterOptions& options, const std::string& folder);

// The largest written picture, scale included: WebP's limit a side, and an area whose
// working copies still fit in memory.
inline constexpr int32_t kLargestPictureSide = 16383;
inline constexpr int64_t kLargestPictureArea = int64_t(1) << 25;
inline bool PictureSizeFits(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kLargestPictureSide && height <= kLargestPictureSide &&
         width * height <= kLargestPictureArea;
}
