#pragma once

#include <cstdint>
#include <memory>

// Pixel storage of 8-bit surfaces (frame images, the frame buffer). Natively it is heap
// memory; the Windows programs install a factory that makes a DIB section, so painting can
// blit the pixels without a copy.
class PixelBuffer {
 public:
  virtual ~PixelBuffer() = default;
  virtual uint8_t* Bits() = 0;
  // The platform object behind the pixels (a bitmap handle on Windows), or null.
  virtual void* Handle() { return nullptr; }
  // Replaces entries of the platform object's colour table (0x00RRGGBB each).
  virtual void SetColors(int first, int count, const uint32_t* colors) {
    (void)first, (void)count, (void)colors;
  }
};

// Makes a top-down 8-bit buffer of `stride` × `height` bytes with `colorCount` table
// entries, or null when the memory cannot be had.
using PixelBufferFactory = std::unique_ptr<PixelBuffer> (*)(int32_t width, int32_t height,
                                                            int32_t stride,
                                                            const uint32_t* colors,
                                                            int colorCount);

std::unique_ptr<PixelBuffer> CreatePixelBuffer(int32_t width, int32_t height, int32_t stride,
                                               const uint32_t* colors, int colorCount);

// Installs the factory used from now on; null restores the heap factory.
void SetPixelBufferFactory(PixelBufferFactory factory);
