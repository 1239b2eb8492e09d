#include "tests/win32/player/player_films.h"

#include "anim/decoder.h"
#include "io/memory_stream.h"
#include "model/pixel_class.h"

Image ExpectedView(const std::vector<uint8_t>& file, int frames, uint32_t highlight) {
  std::vector<uint8_t> bytes = file;
  MemoryStream stream(bytes.data(), int32_t(bytes.size()), int32_t(bytes.size()));
  FrameBuffer fb;
  fb.SetHighlight(RedOf(highlight), GreenOf(highlight), BlueOf(highlight));
  Decoder decoder(fb);
  Image image;
  if (!decoder.Open(stream)) return image;
  for (int i = 0; i < frames; ++i) decoder.NextFrame();
  image.width = decoder.ViewAreaWidth();
  image.height = decoder.ViewAreaHeight();
  image.px.assign(size_t(image.width) * size_t(image.height), 0);
  const ov::CutHeader& cut = decoder.Cut();
  const ov::FrameFields& f = decoder.Frame();
  const int destX = (image.width - cut.viewWidth) / 2, destY = (image.height - cut.viewHeight) / 2;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const int vx = x - destX, vy = y - destY;
      if (vx < 0 || vy < 0 || vx >= cut.viewWidth || vy >= cut.viewHeight) continue;
      const int sx = f.viewX + vx, sy = f.viewY + vy;
      if (sx < 0 || sy < 0 || sx >= fb.Width() || sy >= fb.Height()) continue;
      image.px[size_t(y) * size_t(image.width) + size_t(x)] = fb.GetPageColor(fb.GetPixel(sx, sy));
    }
  return image;
}

uint32_t Level4(int level) {
  const int v = level * 85;
  return PackColor(v, v, v);
}

ovtest::Picture Flat(int32_t w, int32_t h, int level) { return ovtest::Picture(w, h, uint8_t(level)); }

ovtest::Picture Drawing(int32_t w, int32_t h, int seed) {
  ovtest::Picture p(w, h, 3);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if ((x + y + seed) / 6 % 3 == 0) p.Set(x, y, 2);
  p.FillRect(0, 0, w, 2, 0);
  p.FillRect(0, h - 2, w, 2, 0);
  p.FillRect(0, 0, 2, h, 0);
  p.FillRect(w - 2, 0, 2, h, 0);
  p.FillRect(w / 4 + seed % (w / 2), h / 3, w / 5, h / 3, 1);
  return p;
}

std::vector<uint8_t> MakeTl(int16_t w, int16_t h, uint8_t fps, const std::string& credit,
                            const std::vector<FrameSpec>& frames) {
  return ovtest::BuildTl(ovtest::Header(w, h, 4, fps, credit), [&](ovtest::CutCoder& c) {
    bool first = true;
    for (const FrameSpec& f : frames) {
      c.Frame(ovtest::Fields(int16_t(f.duration), first ? 1 : 0, uint8_t(f.brightness)), f.picture);
      first = false;
    }
  });
}
