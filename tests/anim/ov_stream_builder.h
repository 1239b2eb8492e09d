#pragma once

// Builds OV and TL streams for tests and benchmarks from pictures of grey levels, through
// the layout's writers. Blocks are coded against a model of the decoder's current page in
// memory order (rows of `stride` bytes and 3 spare bytes), so every choice is one the
// decoder can follow exactly.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "anim/frame_buffer.h"
#include "anim/frame_pixel_writer.h"
#include "anim/ov_layout.h"
#include "io/memory_stream.h"

namespace ovtest {

struct Picture {
  int32_t width = 0, height = 0, stride = 0;
  std::vector<uint8_t> px;  // stride × height + 3, padding and spare bytes 0

  Picture() = default;
  Picture(int32_t w, int32_t h, uint8_t level = 0)
      : width(w), height(h), stride(FrameBuffer::StrideFor(w)),
        px(size_t(FrameBuffer::StrideFor(w)) * size_t(h) + 3, 0) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) Set(x, y, level);
  }
  uint8_t At(int32_t x, int32_t y) const { return px[size_t(y) * size_t(stride) + size_t(x)]; }
  void Set(int32_t x, int32_t y, uint8_t v) { px[size_t(y) * size_t(stride) + size_t(x)] = v; }
  void FillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t v) {
    for (int32_t j = y; j < y + h; ++j)
      for (int32_t i = x; i < x + w; ++i) Set(i, j, v);
  }
  bool operator==(const Picture& o) const = default;
};

// The bounding box of the pixels that differ, its left edge moved to an even column as
// the encoder does; (0, 0, 0, 0) when none differ.
inline std::array<int16_t, 4> ChangedRect(const Picture& before, const Picture& after) {
  int32_t x0 = after.width, y0 = after.height, x1 = -1, y1 = -1;
  for (int32_t y = 0; y < after.height; ++y)
    for (int32_t x = 0; x < after.width; ++x)
      if (before.At(x, y) != after.At(x, y)) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  if (x1 < 0) return {0, 0, 0, 0};
  if (x0 % 2) --x0;
  return {int16_t(x0), int16_t(y0), int16_t(x1 - x0 + 1), int16_t(y1 - y0 + 1)};
}

enum class Policy {
  kGreedy,    // the predicted code, then the encoder's search order
  kLiterals,  // every block a literal
  kRotate,    // prefer the codes 1..15 in turn when they match: exercises every code
};

// Writes one cut record: the header at construction, then one frame record per Frame call.
class CutCoder {
 public:
  CutCoder(ByteStream& out, const ov::CutHeader& header)
      : out_(out), header_(header), current_(header.imageWidth, header.imageHeight) {
    ov::WriteCutHeader(out, header);
  }

  // Codes `target` as the next frame. The changed rectangle is the one in `fields` unless
  // `autoRect`, which takes the difference from the previous frame (the whole image first).
  void Frame(ov::FrameFields fields, const Picture& target, Policy policy = Policy::kGreedy,
             bool autoRect = true) {
    if (autoRect) {
      if (frames_ == 0) {
        fields.x = fields.y = 0, fields.width = header_.imageWidth, fields.height = header_.imageHeight;
      } else {
        const auto r = ChangedRect(current_, target);
        fields.x = r[0], fields.y = r[1], fields.width = r[2], fields.height = r[3];
      }
    }
    frameOffsets.push_back(out_.Tell());
    ov::WriteFrameFields(out_, fields);
    FramePixelWriter w;
    w.Begin(out_, fields.width, fields.height, header_.levelCount);
    const Picture previous = current_;
    const int32_t s = target.stride;
    for (int32_t y = fields.y; y < fields.y + fields.height; ++y) {
      int32_t index = 0;
      for (int32_t x = fields.x; x < fields.x + fields.width; x += 4, ++index) {
        const uint8_t* b = &target.px[size_t(y) * s + size_t(x)];
        auto matches = [&](int code) {
          if (code == ov::kPreviousCode) return frames_ > 0 && std::memcmp(&previous.px[size_t(y) * s + size_t(x)], b, 4) == 0;
          if (code < 1 || code > 14) return false;
          const auto [dx, dy] = ov::kBlockOffsets[code];
          if (x + dx < 0 || y + dy < 0) return false;
          return std::memcmp(&target.px[size_t(y + dy) * s + size_t(x + dx)], b, 4) == 0;
        };
        int code = ov::kLiteralCode;
        if (policy != Policy::kLiterals) {
          static constexpr int kOrder[] = {1, 4, 5, 6, 15, 7, 9, 10, 2, 8, 11, 12, 13, 14, 3};
          const int first = policy == Policy::kRotate ? 1 + turn_ % 15 : w.CodeAbove(index);
          if (first != 0 && matches(first)) {
            code = first;
            if (policy == Policy::kRotate) ++turn_;
          } else {
            for (int c : kOrder)
              if (matches(c)) {
                code = c;
                break;
              }
          }
        }
        ++codeUse[code];
        w.AddBlock(code, b);
        // The decoder writes the block's 4 bytes in memory order.
        std::memcpy(&current_.px[size_t(y) * s + size_t(x)], b, 4);
      }
      w.EndRow();
    }
    w.End();
    ++frames_;
  }

  // An unchanged frame: a 25-byte record.
  void Same(ov::FrameFields fields) {
    fields.x = fields.y = fields.width = fields.height = 0;
    Frame(fields, current_, Policy::kGreedy, false);
  }

  const Picture& Current() const { return current_; }
  int codeUse[16] = {};
  std::vector<int32_t> frameOffsets;  // where each frame record begins in the stream

 private:
  ByteStream& out_;
  ov::CutHeader header_;
  Picture current_;
  int32_t frames_ = 0;
  int32_t turn_ = 0;
};

// A growing in-memory file.
struct Bytes {
  std::vector<uint8_t> block;
  MemoryStream stream;
  explicit Bytes(int32_t capacity = 1 << 22) : block(size_t(capacity)) {
    stream.Attach(block.data(), capacity);
  }
  std::vector<uint8_t> Take() const {
    return std::vector<uint8_t>(block.begin(), block.begin() + stream.Length());
  }
};

inline ov::CutHeader Header(int16_t w, int16_t h, int levels = 4, uint8_t fps = 12,
                            const std::string& credit = "cut") {
  ov::CutHeader c;
  c.credit = credit;
  c.imageWidth = w, c.imageHeight = h, c.viewWidth = w, c.viewHeight = h;
  c.fps = fps, c.levelCount = levels;
  return c;
}

inline ov::FrameFields Fields(int16_t duration, int16_t repeat = 0, uint8_t brightness = 50) {
  ov::FrameFields f;
  f.duration = duration, f.repeat = repeat, f.brightness = brightness;
  return f;
}

// A TL file around a cut record whose frames `body` writes with a CutCoder.
template <typename Body>
std::vector<uint8_t> BuildTl(const ov::CutHeader& header, Body body) {
  Bytes file;
  ov::BeginTl(file.stream);
  CutCoder coder(file.stream, header);
  body(coder);
  ov::FinishLength(file.stream);
  return file.Take();
}

// An OV file holding the cut records of the TL files, in order.
inline std::vector<uint8_t> BuildOv(const std::vector<std::vector<uint8_t>>& tls,
                                    const std::string& title = "film",
                                    const std::string& author = "someone", int16_t screenWidth = 0,
                                    int16_t screenHeight = 0) {
  Bytes file;
  ov::OvWriter ov(file.stream);
  ov.Begin(title, author, screenWidth, screenHeight, int16_t(tls.size()));
  for (size_t i = 0; i < tls.size(); ++i) {
    std::vector<uint8_t> copy = tls[i];
    MemoryStream tl(copy.data(), int32_t(copy.size()), int32_t(copy.size()));
    ov.BeginCut(int32_t(i));
    ov.AppendTl(tl);
  }
  ov.Finish();
  return file.Take();
}

}  // namespace ovtest
