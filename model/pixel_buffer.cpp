#include "model/pixel_buffer.h"

#include <new>

namespace {

class HeapPixelBuffer : public PixelBuffer {
 public:
  explicit HeapPixelBuffer(size_t size) : bits_(new (std::nothrow) uint8_t[size ? size : 1]) {}
  bool Valid() const { return bits_ != nullptr; }
  uint8_t* Bits() override { return bits_.get(); }

 private:
  std::unique_ptr<uint8_t[]> bits_;
};

std::unique_ptr<PixelBuffer> CreateHeapPixelBuffer(int32_t /*width*/, int32_t height,
                                                   int32_t stride, const uint32_t* /*colors*/,
                                                   int /*colorCount*/) {
  if (height < 0 || stride < 0) return nullptr;
  auto buffer = std::make_unique<HeapPixelBuffer>(size_t(stride) * size_t(height));
  if (!buffer->Valid()) return nullptr;
  return buffer;
}

PixelBufferFactory g_factory = CreateHeapPixelBuffer;

}  // namespace

std::unique_ptr<PixelBuffer> CreatePixelBuffer(int32_t width, int32_t height, int32_t stride,
                                               const uint32_t* colors, int colorCount) {
  return g_factory(width, height, stride, colors, colorCount);
}

void SetPixelBufferFactory(PixelBufferFactory factory) {
  g_factory = factory ? factory : CreateHeapPixelBuffer;
}
