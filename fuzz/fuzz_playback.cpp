// Arbitrary bytes played by the playback engine as the animation window plays them: ticks
// with dissolves and stops, step factors, restarts; every paint's plan must stay inside the
// view area and copy only pixels of the frame buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "anim/ov_layout.h"
#include "anim/clocked_playback.h"
#include "io/memory_stream.h"

namespace {

class FuzzPlayback : public ClockedPlayback {
 protected:
  void Painted() override { Check(); }

 public:
  void Check() {
    if (TimerRunning() && CurrentPeriod() < 1) std::abort();
    const FrameBuffer& fb = Buffer();
    const int32_t aw = ViewAreaWidth(), ah = ViewAreaHeight();
    const PaintPlan plan = PlanPaint(aw, ah, fb.Width(), fb.Height(), Displayed());
    const Rect& c = plan.copy;
    if (c.IsEmpty()) return;
    if (c.x < 0 || c.y < 0 || c.Right() > aw || c.Bottom() > ah) std::abort();
    if (plan.sourceX < 0 || plan.sourceY < 0 || plan.sourceX + c.width > fb.Width() ||
        plan.sourceY + c.height > fb.Height())
      std::abort();
    int64_t covered = int64_t(c.width) * c.height;
    for (const Rect& b : plan.bands) covered += b.IsEmpty() ? 0 : int64_t(b.width) * b.height;
    if (covered != int64_t(aw) * ah) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  ov::FileHeader header;
  if (!ov::ReadFileHeader(stream, header)) return 0;
  // Large images and long runs only make inputs slow; the code paths (loops, stills,
  // dissolves, the steering below) are the same.
  if (int64_t(header.largestWidth) * header.largestHeight > 32 * 24) return 0;

  FuzzPlayback p;
  if (!p.Open(stream)) return 0;
  const uint8_t steer = size > 0 ? data[size - 1] : 0;
  for (int i = 0; i < 16; ++i) {
    p.Tick();
    p.Check();
    if (i % 4 == 3) {
      switch ((steer + i / 4) % 3) {
        case 0: p.Stop(); p.SetStepFactor(steer % 11); break;
        case 1: p.Stop(); p.AnimDecoder().NextCut(); p.SetTicksLeft(1); break;
        default: p.Stop(); p.SetTicksLeft(steer % 7 - 3); break;
      }
    }
  }
  return 0;
}
