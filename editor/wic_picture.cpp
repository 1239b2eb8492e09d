#include "editor/wic_picture.h"

#include <windows.h>
#include <wincodec.h>

#include <vector>

#include "edit/line_art.h"

namespace {

// Releases its interface when it goes.
template <typename T>
class Ptr {
 public:
  Ptr() = default;
  ~Ptr() { Reset(); }
  Ptr(const Ptr&) = delete;
  Ptr& operator=(const Ptr&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Out() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// The EXIF orientation (1-8) as the transform that turns the picture upright.
WICBitmapTransformOptions TransformOf(UINT orientation) {
  switch (orientation) {
    case 2: return WICBitmapTransformFlipHorizontal;
    case 3: return WICBitmapTransformRotate180;
    case 4: return WICBitmapTransformFlipVertical;
    case 5: return WICBitmapTransformOptions(WICBitmapTransformRotate90 | WICBitmapTransformFlipHorizontal);
    case 6: return WICBitmapTransformRotate90;
    case 7: return WICBitmapTransformOptions(WICBitmapTransformRotate270 | WICBitmapTransformFlipHorizontal);
    case 8: return WICBitmapTransformRotate270;
    default: return WICBitmapTransformRotate0;
  }
}

UINT OrientationOf(IWICBitmapFrameDecode* frame) {
  Ptr<IWICMetadataQueryReader> query;
  if (FAILED(frame->GetMetadataQueryReader(query.Out()))) return 1;
  for (const wchar_t* name : {L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}"}) {
    PROPVARIANT value;
    PropVariantInit(&value);
    const bool found = SUCCEEDED(query->GetMetadataByName(name, &value)) && value.vt == VT_UI2;
    const UINT orientation = found ? value.uiVal : 0;
    PropVariantClear(&value);
    if (orientation >= 1 && orientation <= 8) return orientation;
  }
  return 1;
}

// Channels, bits a pixel and whether it has alpha, of a pixel format.
bool DescribeFormat(IWICImagingFactory* factory, const WICPixelFormatGUID& format, UINT& channels,
                    UINT& bits, bool& alpha) {
  Ptr<IWICComponentInfo> info;
  Ptr<IWICPixelFormatInfo2> pixel;
  if (FAILED(factory->CreateComponentInfo(format, info.Out())) ||
      FAILED(info->QueryInterface(IID_IWICPixelFormatInfo2, reinterpret_cast<void**>(pixel.Out()))))
    return false;
  BOOL transparent = FALSE;
  if (FAILED(pixel->GetChannelCount(&channels)) || FAILED(pixel->GetBitsPerPixel(&bits)) || channels < 1)
    return false;
  alpha = SUCCEEDED(pixel->SupportsTransparency(&transparent)) && transparent;
  return true;
}

}  // namespace

struct WicPicture::Com {
  bool started = false;
  Ptr<IWICImagingFactory> factory;
  Ptr<IWICBitmapDecoder> decoder;
  Ptr<IWICBitmapFrameDecode> frame;
  Ptr<IWICBitmapFlipRotator> turned;
  Ptr<IWICFormatConverter> converter;
  ~Com() {
    converter.Reset();
    turned.Reset();
    frame.Reset();
    decoder.Reset();
    factory.Reset();
    if (started) CoUninitialize();
  }
};

WicPicture::WicPicture() : com_(std::make_unique<Com>()) {}
WicPicture::~WicPicture() = default;

std::unique_ptr<WicPicture> WicPicture::Open(const std::wstring& path, std::string* why) {
  auto fail = [why](const char* text) {
    if (why) *why = text;
    return nullptr;
  };
  std::unique_ptr<WicPicture> p(new WicPicture);
  Com& c = *p->com_;
  c.started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(c.factory.Out()))))
    return fail("the imaging component is not available");
  if (FAILED(c.factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, c.decoder.Out())) ||
      FAILED(c.decoder->GetFrame(0, c.frame.Out())))
    return fail("not a picture that can be read");

  IWICBitmapSource* source = c.frame.Get();
  const WICBitmapTransformOptions turn = TransformOf(OrientationOf(c.frame.Get()));
  if (turn != WICBitmapTransformRotate0 && SUCCEEDED(c.factory->CreateBitmapFlipRotator(c.turned.Out())) &&
      SUCCEEDED(c.turned->Initialize(source, turn)))
    source = c.turned.Get();

  WICPixelFormatGUID format{};
  UINT channels = 4, bits = 32;
  bool alpha = true;
  if (FAILED(source->GetPixelFormat(&format)) || !DescribeFormat(c.factory.Get(), format, channels, bits, alpha))
    channels = 4, bits = 32, alpha = true;
  p->grey_ = channels == 1 && !alpha;
  p->wide_ = bits / channels >= 16;
  // The wide forms when the picture has more than 8 bits a channel, else (or when the wide
  // conversion is missing) the 8-bit ones.
  for (const bool wide : {p->wide_, false}) {
    const WICPixelFormatGUID to = p->grey_ ? (wide ? GUID_WICPixelFormat16bppGray : GUID_WICPixelFormat8bppGray)
                                           : (wide ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA);
    if (SUCCEEDED(c.factory->CreateFormatConverter(c.converter.Out())) &&
        SUCCEEDED(c.converter->Initialize(source, to, WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom))) {
      p->wide_ = wide;
      UINT w = 0, h = 0;
      if (FAILED(c.converter->GetSize(&w, &h)) || w < 1 || h < 1 || w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        return fail("the picture is empty");
      p->width_ = int32_t(w), p->height_ = int32_t(h);
      return p;
    }
  }
  return fail("its colours cannot be read");
}

bool WicPicture::Read(const Rect& area, uint16_t* samples) {
  const UINT channels = grey_ ? 1 : 4, bytes = channels * (wide_ ? 2 : 1);
  const UINT stride = UINT(area.width) * bytes;
  std::vector<uint8_t> raw(size_t(stride) * size_t(area.height));
  const WICRect r{area.x, area.y, area.width, area.height};
  if (FAILED(com_->converter->CopyPixels(&r, stride, UINT(raw.size()), raw.data()))) return false;
  for (int32_t y = 0; y < area.height; ++y) {
    const uint8_t* row = raw.data() + size_t(y) * stride;
    uint16_t* out = samples + size_t(y) * size_t(area.width);
    for (int32_t x = 0; x < area.width; ++x) {
      // 16-bit values as they are, 8-bit ones widened; channels in the converter's order.
      auto at = [&](UINT k) -> uint32_t {
        const uint8_t* v = row + size_t(x) * bytes + (wide_ ? 2 * k : k);
        return wide_ ? uint32_t(v[0] | v[1] << 8) : uint32_t(v[0]) * 257;
      };
      if (grey_) {
        out[x] = uint16_t(at(0));
        continue;
      }
      uint32_t red = at(wide_ ? 0 : 2), green = at(1), blue = at(wide_ ? 2 : 0);
      const uint32_t a = at(3);
      // Transparent parts lie on white paper.
      auto onWhite = [a](uint32_t v) { return (v * a + 65535u * (65535u - a) + 32767u) / 65535u; };
      if (a < 65535) red = onWhite(red), green = onWhite(green), blue = onWhite(blue);
      out[x] = GreyOfRgb(red, green, blue);
    }
  }
  return true;
}
