#include "raster/fill.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "model/raster_surface.h"
#include "model/unaligned.h"

namespace {

// Pixel values 0..255 as a set; -1 (outside the surface) is never a member.
struct ValueSet {
  uint64_t words[4] = {};
  void Add(int v) {
    if (v >= 0 && v < 256) words[v >> 6] |= uint64_t(1) << (v & 63);
  }
  bool Has(int v) const { return v >= 0 && v < 256 && ((words[v >> 6] >> (v & 63)) & 1); }
  bool Empty() const { return !(words[0] | words[1] | words[2] | words[3]); }
  uint16_t Cell() const { return uint16_t(words[0]); }
  ValueSet operator|(const ValueSet& o) const {
    ValueSet r;
    for (int i = 0; i < 4; ++i) r.words[i] = words[i] | o.words[i];
    return r;
  }
};

// A run to fill, with the painted run of the row it was found from (parentY), whose pixels
// need no second look.
struct Span {
  int32_t xl, xr, y;
  int32_t parentL = 1, parentR = 0, parentY = -1;
  // False when the pixel beyond that end was seen outside the area as the run was found:
  // painting never brings a pixel into the area, so the run cannot grow that way.
  bool openLeft = true, openRight = true;
};

// Pixel access through the surface's virtual get and set.
class GenericAccess {
 public:
  using Members = ValueSet;

  explicit GenericAccess(RasterSurface& s) : s_(s) {}
  int32_t Width() const { return s_.Width(); }
  int32_t Height() const { return s_.Height(); }
  int Get(int32_t x, int32_t y) const { return s_.Contains(x, y) ? s_.GetPixel(x, y) : -1; }
  void Set(int32_t x, int32_t y, int v) { s_.SetPixel(x, y, v); }
  Members Prepare(const ValueSet& set) const { return set; }
  bool Has(const Members& set, int32_t x, int32_t y) const { return set.Has(Get(x, y)); }
  // From the member x, walks while the neighbour is a member; the last member.
  int32_t ExtendLeft(int32_t y, int32_t x, const ValueSet& set) const {
    while (x > 0 && set.Has(s_.GetPixel(x - 1, y))) --x;
    return x;
  }
  int32_t ExtendRight(int32_t y, int32_t x, int32_t limit, const ValueSet& set) const {
    while (x < limit && set.Has(s_.GetPixel(x + 1, y))) ++x;
    return x;
  }
  // The first member in [x, limit], or limit + 1.
  int32_t FindMember(int32_t y, int32_t x, int32_t limit, const ValueSet& set) const {
    while (x <= limit && !set.Has(s_.GetPixel(x, y))) ++x;
    return x;
  }
  void PaintTile(int32_t y, int32_t xl, int32_t xr, const PenTile& tile) {
    for (int32_t x = xl; x <= xr; ++x) s_.SetPixel(x, y, tile.At(x, y));
  }

 private:
  RasterSurface& s_;
};

// Direct nibble access to a cell's packed rows, two pixels per byte where it can. A set of
// values is a table of the memberships of a byte's two pixels.
class PackedAccess {
 public:
  using Members = const uint8_t*;

  explicit PackedAccess(RasterSurface& s)
      : bits_(s.Bits()), end_(s.Bits() + s.ByteSize()), stride_(s.Stride()), width_(s.Width()),
        height_(s.Height()) {}
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int Get(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    return Nibble(Row(y), x);
  }
  void Set(int32_t x, int32_t y, int v) { SetNibble(Row(y), x, v); }
  Members Prepare(const ValueSet& set) const { return Table(set.Cell()); }
  bool Has(Members t, int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && In(t, Row(y), x);
  }

  // Runs are walked sixteen pixels (eight bytes) at a time, in windows that start on a
  // byte; a window's first pixel is in bit 15.
  int32_t ExtendLeft(int32_t y, int32_t x, Members t) const {
    const uint8_t* row = Row(y);
    // The window ends at x - 1 or, when x is an odd column, at x (a member).
    uint32_t known = uint32_t(x & 1);
    for (int32_t from = (x - 15) & ~1; from + 15 >= 0; from -= 16) {
      const uint32_t outside = ~(Window(row, from, t) | known) & Inside(from, 0) & 0xFFFF;
      if (outside) return from + 15 - __builtin_ctz(outside) + 1;
      known = 0;
    }
    return 0;
  }
  int32_t ExtendRight(int32_t y, int32_t x, int32_t limit, Members t) const {
    const uint8_t* row = Row(y);
    // The first window starts at x + 1 or, when that is an odd column, at x (a member).
    uint32_t known = uint32_t(~x & 1) << 15;
    for (int32_t from = (x + 1) & ~1; from <= limit; from += 16) {
      const uint32_t outside = ~(Window(row, from, t) | known) & 0xFFFF;
      known = 0;
      if (outside) return std::min(from + (__builtin_clz(outside) - 16), limit + 1) - 1;
    }
    return limit;
  }
  // The first member in [x, limit], or limit + 1.
  int32_t FindMember(int32_t y, int32_t x, int32_t limit, Members t) const {
    const uint8_t* row = Row(y);
    uint32_t skip = 0xFFFFu >> (x & 1);
    for (int32_t from = x & ~1; from <= limit; from += 16) {
      const uint32_t inside = Window(row, from, t) & skip & Below(limit - from + 1);
      skip = 0xFFFF;
      if (inside) return from + (__builtin_clz(inside) - 16);
    }
    return limit + 1;
  }
  void PaintTile(int32_t y, int32_t xl, int32_t xr, const PenTile& tile) {
    uint8_t* row = Row(y);
    const uint64_t pattern = Pattern(tile, y);
    const int32_t k0 = xl >> 4, k1 = xr >> 4;
    const uint64_t first = ~PixelsBelow(xl - 16 * k0), last = PixelsBelow(xr - 16 * k1 + 1);
    for (int32_t k = k0; k <= k1; ++k) {
      const uint64_t inside = (k == k0 ? first : ~uint64_t(0)) & (k == k1 ? last : ~uint64_t(0));
      Blend(row + 8 * k, [&](uint64_t w) { return (w & ~inside) | (pattern & inside); });
    }
  }
  // Every marker pixel inside `box` takes the tile's colour: sixteen pixels at a time,
  // without a branch on what they hold.
  void PaintMarkers(const Rect& box, const PenTile& tile) {
    const int32_t x1 = box.Right() - 1;
    const int32_t k0 = box.x >> 4, k1 = x1 >> 4;
    const uint64_t first = ~PixelsBelow(box.x - 16 * k0), last = PixelsBelow(x1 - 16 * k1 + 1);
    for (int32_t y = box.y; y < box.Bottom(); ++y) {
      uint8_t* row = Row(y);
      const uint64_t pattern = Pattern(tile, y);
      for (int32_t k = k0; k <= k1; ++k) {
        const uint64_t inside = (k == k0 ? first : ~uint64_t(0)) & (k == k1 ? last : ~uint64_t(0));
        Blend(row + 8 * k, [&](uint64_t w) { return PaintMarkers(w, pattern, inside); });
      }
    }
  }

 private:
  // Membership of a byte's two pixels: bit 1 the even (high) nibble, bit 0 the odd one.
  // A few tables are kept, enough that a table stays put while a fill uses it (a fill uses
  // up to five sets).
  const uint8_t* Table(uint16_t set) const {
    for (Lookup& l : tables_)
      if (l.built && l.set == set) return l.bits;
    Lookup& l = tables_[next_++ % kTables];
    l.set = set;
    l.built = true;
    for (int b = 0; b < 256; ++b) l.bits[b] = uint8_t(((set >> (b >> 4)) & 1) << 1 | ((set >> (b & 15)) & 1));
    return l.bits;
  }
  // Sixteen pixels from a byte on, the first pixel in bit 15.
  static uint32_t Members16(const uint8_t* p, const uint8_t* t) {
    return uint32_t(t[p[0]]) << 14 | uint32_t(t[p[1]]) << 12 | uint32_t(t[p[2]]) << 10 |
           uint32_t(t[p[3]]) << 8 | uint32_t(t[p[4]]) << 6 | uint32_t(t[p[5]]) << 4 |
           uint32_t(t[p[6]]) << 2 | uint32_t(t[p[7]]);
  }
  // Pixels x .. x + 15 of a row (x even) as Members16. Pixels outside the row may come out
  // either way; bytes outside the buffer are not read.
  uint32_t Window(const uint8_t* row, int32_t x, const uint8_t* t) const {
    const ptrdiff_t at = (row - bits_) + (x >> 1), size = end_ - bits_;
    if (at >= 0 && size - at >= 8) return Members16(bits_ + at, t);
    uint8_t bytes[8] = {};
    for (ptrdiff_t k = 0; k < 8; ++k)
      if (at + k >= 0 && at + k < size) bytes[k] = bits_[at + k];
    return Members16(bytes, t);
  }
  // The window bits of its first n pixels (all for n ≥ 16, none for n ≤ 0).
  static uint32_t Below(int32_t n) { return 0xFFFFu << (16 - std::clamp(n, 0, 16)) & 0xFFFF; }
  // The window bits of the pixels from column `first` on, for a window starting at `from`.
  static uint32_t Inside(int32_t from, int32_t first) { return 0xFFFFu >> std::clamp(first - from, 0, 16); }
  // A tile row as a word loaded from an even byte (a column that is a multiple of 4).
  static uint64_t Pattern(const PenTile& tile, int32_t y) {
    const int16_t* c = tile.color[y & 3];
    return 0x0001000100010001ull *
           uint16_t(((c[0] & 15) << 4 | (c[1] & 15)) | ((c[2] & 15) << 4 | (c[3] & 15)) << 8);
  }
  // The 8 bytes at p replaced by f(them), the part outside the buffer left alone.
  template <class F>
  void Blend(uint8_t* p, F f) {
    if (end_ - p >= 8) {
      Store64(p, f(Load64(p)));
      return;
    }
    uint64_t w = 0;
    std::memcpy(&w, p, size_t(end_ - p));
    w = f(w);
    std::memcpy(p, &w, size_t(end_ - p));
  }
  // The marker nibbles of `w` inside `inside` replaced by those of `pattern`.
  static uint64_t PaintMarkers(uint64_t w, uint64_t pattern, uint64_t inside) {
    constexpr uint64_t kLow3 = 0x7777777777777777ull, kTops = 0x8888888888888888ull;
    const uint64_t inverse = ~w;  // a marker nibble becomes 0
    const uint64_t marker = ~(((inverse & kLow3) + kLow3) | inverse) & kTops;
    const uint64_t mask = ((marker >> 3) * 15) & inside;
    return (w & ~mask) | (pattern & mask);
  }
  // The nibbles of pixels 0 .. n - 1 of a word loaded from a byte (pixel 0 the high nibble
  // of byte 0).
  static uint64_t PixelsBelow(int32_t n) {
    const int bits = (n >> 1) * 8;
    uint64_t m = bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    if (n & 1) m |= uint64_t(0xF0) << bits;
    return m;
  }
  static bool In(const uint8_t* t, const uint8_t* row, int32_t x) {
    return (t[row[x >> 1]] >> (~x & 1)) & 1;
  }
  static int Nibble(const uint8_t* row, int32_t x) {
    const uint8_t b = row[x >> 1];
    return (x & 1) ? (b & 15) : (b >> 4);
  }
  static void SetNibble(uint8_t* row, int32_t x, int v) {
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? uint8_t((b & 0xF0) | (v & 15)) : uint8_t((b & 0x0F) | ((v & 15) << 4));
  }
  uint8_t* Row(int32_t y) const { return bits_ + size_t(y) * size_t(stride_); }

  struct Lookup {
    uint16_t set = 0;
    bool built = false;
    uint8_t bits[256];
  };
  static constexpr int kTables = 8;
  mutable Lookup tables_[kTables];
  mutable int next_ = 0;
  uint8_t* bits_;
  const uint8_t* end_;
  int32_t stride_;
  int32_t width_;
  int32_t height_;
};

struct TilePaint {
  PenTile tile;
  template <class Access>
  void operator()(Access& a, int32_t y, int32_t xl, int32_t xr) const {
    a.PaintTile(y, xl, xr, tile);
  }
};

// Each pixel gets the tone-scale colour of its level along the ramp's axis.
struct GradationPaint {
  int32_t startLevel, start, length, delta;
  bool horizontal;
  std::vector<PenTile> tiles;  // one per tone level

  int Level(int32_t coordinate) const {
    const int64_t offset =
        delta == 0 ? 0 : (int64_t(coordinate) - start) * delta / length;
    const int64_t level = startLevel + offset;
    return int(level < 0 ? 0 : level >= kToneLevels ? kToneLevels - 1 : level);
  }
  template <class Access>
  void operator()(Access& a, int32_t y, int32_t xl, int32_t xr) const {
    if (!horizontal) {
      a.PaintTile(y, xl, xr, tiles[size_t(Level(y))]);
      return;
    }
    for (int32_t x = xl; x <= xr; ++x) a.Set(x, y, tiles[size_t(Level(x))].At(x, y));
  }
};

// What the marking pass painted, for the repaint after it: every run, or only their
// bounding box where the repaint needs no more (a list of the runs of a large area runs to
// megabytes).
struct PaintedRuns {
  bool keepRuns = true;
  std::vector<Span> runs;
  Rect box;
  void Add(int32_t xl, int32_t xr, int32_t y) {
    if (keepRuns) {
      runs.push_back(Span{xl, xr, y});
      return;
    }
    box = UnionRect(box, Rect{xl, y, xr - xl + 1, 1});
  }
};

// The span fill with an explicit work list. Each maximal run of the area is painted once,
// before its neighbour rows are scanned, so painted pixels stop the walk. A run touching
// an absorbable pixel fills that pixel's own area first (without pass-through).
template <class Access, class Paint>
class SpanFiller {
 public:
  SpanFiller(Access& a, const Paint& paint, Rect* dirty, PaintedRuns* painted = nullptr)
      : a_(a), paint_(paint), dirty_(dirty), painted_(painted) {}

  void Fill(int32_t x, int32_t y, const ValueSet& match, const ValueSet& absorb) {
    Run(Span{x, x, y}, match, absorb, work_);
  }

 private:
  void Run(Span seed, const ValueSet& matchSet, const ValueSet& absorb, std::vector<Span>& work) {
    const bool absorbing = !absorb.Empty();
    const auto match = a_.Prepare(matchSet);
    const auto wanted = a_.Prepare(matchSet | absorb);
    work.clear();
    work.push_back(seed);
    bool first = true;
    while (!work.empty()) {
      const Span s = work.back();
      work.pop_back();
      // A run already painted from another seed.
      if (!first && !a_.Has(match, s.xl, s.y)) continue;
      first = false;
      const int32_t xl = s.openLeft ? a_.ExtendLeft(s.y, s.xl, match) : s.xl;
      if (absorbing) Absorb(xl - 1, s.y, absorb);
      const int32_t xr = s.openRight ? a_.ExtendRight(s.y, s.xr, a_.Width() - 1, match) : s.xr;
      if (absorbing) Absorb(xr + 1, s.y, absorb);
      if (dirty_) {
        GrowDirty(*dirty_, xl, s.y);
        GrowDirty(*dirty_, xr, s.y);
      }
      paint_(a_, s.y, xl, xr);
      if (painted_) painted_->Add(xl, xr, s.y);
      auto scan = [&](int32_t ny, int32_t from, int32_t to) {
        for (int32_t x = from;;) {
          x = a_.FindMember(ny, x, to, wanted);
          if (x > to) break;
          if (a_.Has(match, x, ny)) {
            const int32_t end = a_.ExtendRight(ny, x, to, match);
            work.push_back(Span{x, end, ny, xl, xr, s.y, x == from, end == to});
            x = end + 1;
          } else {
            Absorb(x, ny, absorb);
            ++x;
          }
        }
      };
      for (const int32_t ny : {s.y - 1, s.y + 1}) {
        if (ny < 0 || ny >= a_.Height()) continue;
        if (ny == s.parentY && s.parentL <= s.parentR) {
          scan(ny, xl, std::min(xr, s.parentL - 1));
          scan(ny, std::max(xl, s.parentR + 1), xr);
        } else {
          scan(ny, xl, xr);
        }
      }
    }
  }

  void Absorb(int32_t x, int32_t y, const ValueSet& absorb) {
    const int v = a_.Get(x, y);
    if (!absorb.Has(v)) return;
    ValueSet same;
    same.Add(v);
    Run(Span{x, x, y}, same, ValueSet{}, absorbWork_);
  }

  Access& a_;
  const Paint& paint_;
  Rect* dirty_;
  PaintedRuns* painted_;
  std::vector<Span> work_;
  std::vector<Span> absorbWork_;
};

bool IsShadowBoundaryValue(int v) { return v == kPixelDark || v == kPixelLight; }

// True when some pixel holds the marker.
bool HoldsMarker(const RasterSurface& s) {
  if (s.ColorCount() == 16 && s.Bits()) {
    const int32_t bytes = s.Width() / 2;
    constexpr uint64_t kLow3 = 0x7777777777777777ull, kTops = 0x8888888888888888ull;
    for (int32_t y = 0; y < s.Height(); ++y) {
      const uint8_t* row = s.Row(y);
      int32_t i = 0;
      for (; i + 8 <= bytes; i += 8) {
        uint64_t v;
        std::memcpy(&v, row + i, 8);
        const uint64_t x = ~v;  // a marker nibble becomes 0
        if (~(((x & kLow3) + kLow3) | x) & kTops) return true;
      }
      for (; i < bytes; ++i)
        if ((row[i] & 0xF0) == 0xF0 || (row[i] & 0x0F) == 0x0F) return true;
      if ((s.Width() & 1) && (row[bytes] >> 4) == kPixelMarker) return true;
    }
    return false;
  }
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (s.GetPixel(x, y) == kPixelMarker) return true;
  return false;
}

const Pen kMarkerPen{0, 0, kPixelMarker, kPixelMarker};

// Pass 1 marks the area with 15; pass 2 paints every 15 connected to (x, y). Without any
// marker in the surface before, those are exactly the runs pass 1 painted.
// With no marker in the surface, a pen whose colours are neither in the area nor shadow
// boundaries can paint in the marking pass: it stops every walk just as the marker would,
// and pass 2 would repaint exactly those runs.
template <class Paint>
bool PaintsInOnePass(const Paint&, const ValueSet&) { return false; }
template <>
bool PaintsInOnePass(const TilePaint& paint, const ValueSet& match) {
  for (const auto& row : paint.tile.color)
    for (int16_t c : row)
      if (match.Has(c) || IsShadowBoundaryValue(c)) return false;
  return true;
}

// Pass 2 after a pass 1 that found no marker before it: the runs it painted.
template <class Access, class Paint>
bool RepaintNeedsRuns(const Access&, const Paint&) { return true; }
template <class Access, class Paint>
void Repaint(Access& a, const PaintedRuns& painted, const Paint& paint) {
  for (const Span& r : painted.runs) paint(a, r.y, r.xl, r.xr);
}
// A pen of its own tile: every marker in the runs' bounding box, which are exactly the runs'.
bool RepaintNeedsRuns(const PackedAccess&, const TilePaint&) { return false; }
void Repaint(PackedAccess& a, const PaintedRuns& painted, const TilePaint& paint) {
  if (!painted.box.IsEmpty()) a.PaintMarkers(painted.box, paint.tile);
}

template <class Access, class Paint>
void TwoPassFill(Access& a, int32_t x, int32_t y, const ValueSet& match, const ValueSet& absorb,
                 const Paint& paint, Rect* dirty, bool markerFree) {
  if (markerFree && PaintsInOnePass(paint, match)) {
    SpanFiller<Access, Paint>(a, paint, dirty).Fill(x, y, match, absorb);
    return;
  }
  const TilePaint marker{PenTile(kMarkerPen)};
  PaintedRuns painted;
  painted.keepRuns = RepaintNeedsRuns(a, paint);
  SpanFiller<Access, TilePaint>(a, marker, dirty, markerFree ? &painted : nullptr)
      .Fill(x, y, match, absorb);
  if (markerFree) {
    Repaint(a, painted, paint);
    return;
  }
  ValueSet marked;
  marked.Add(kPixelMarker);
  SpanFiller<Access, Paint>(a, paint, nullptr).Fill(x, y, marked, ValueSet{});
}

template <class Paint>
void TwoPassFill(RasterSurface& s, int32_t x, int32_t y, const ValueSet& match,
                 const ValueSet& absorb, const Paint& paint, Rect* dirty) {
  const bool markerFree = !HoldsMarker(s);
  if (s.ColorCount() == 16 && s.Bits()) {
    PackedAccess a(s);
    TwoPassFill(a, x, y, match, absorb, paint, dirty, markerFree);
  } else {
    GenericAccess a(s);
    TwoPassFill(a, x, y, match, absorb, paint, dirty, markerFree);
  }
}

bool IsUnderdrawing(int v) { return v >= kPixelUnderDark && v <= kPixelUnderLight; }
bool IsShadowBoundary(int v) { return v == kPixelDark || v == kPixelLight; }

// The values of the area and the absorbable ones for target t.
void AreaSets(int t, ProtectMask mask, ValueSet& match, ValueSet& absorb) {
  match.Add(t);
  if (IsShadowBoundary(t)) return;  // no pass-through
  for (int v = kPixelUnderDark; v <= kPixelUnderLight; ++v) match.Add(v);
  for (int v : {int(kPixelDark), int(kPixelLight)})
    if (!IsProtected(mask, v)) absorb.Add(v);
}

// A colour that would read back as the marker and so never end the fill.
bool PaintsMarker(const RasterSurface& s, const PenTile& tile) {
  for (const auto& row : tile.color)
    for (int16_t c : row)
      if (c == kPixelMarker || (s.ColorCount() == 16 && (c & 15) == kPixelMarker)) return true;
  return false;
}

}  // namespace

bool FloodFillArea(RasterSurface& surface, int32_t x, int32_t y, const Pen& pen,
                   ProtectMask mask, Rect* dirty) {
  if (!surface.Contains(x, y)) return false;
  const int clicked = surface.GetPixel(x, y);
  const int target = IsUnderdrawing(clicked) ? kPixelTransparent : clicked;
  if (IsProtected(mask, target)) return false;
  const TilePaint paint{PenTile(pen)};
  if (target == kPixelMarker || PaintsMarker(surface, paint.tile)) return false;
  ValueSet match, absorb;
  AreaSets(target, mask, match, absorb);
  TwoPassFill(surface, x, y, match, absorb, paint, dirty);
  return true;
}

bool FillToolClick(RasterSurface& surface, int32_t x, int32_t y, const Pen& pen,
                   ProtectMask mask, Rect* dirty) {
  if (!surface.Contains(x, y)) return false;
  Pen fillPen = pen;
  ProtectMask fillMask = mask;
  if (pen.density == 0 && IsShadowBoundary(pen.colorB)) {
    fillPen.colorA = kPixelTransparent;
    fillPen.density = 15;
    fillMask |= MaskBit(pen.colorB);
  }
  const int clicked = surface.GetPixel(x, y);
  const bool cleared = IsShadowBoundary(clicked) && !IsProtected(mask, clicked);
  if (cleared) surface.SetPixel(x, y, kPixelTransparent);
  if (FloodFillArea(surface, x, y, fillPen, fillMask, dirty)) return true;
  if (cleared) surface.SetPixel(x, y, clicked);  // a refused fill changes nothing
  return false;
}

bool GradationFill(RasterSurface& surface, int32_t x1, int32_t y1, const Pen& startPen,
                   int32_t x2, int32_t y2, const Pen& endPen, ProtectMask mask, Rect* dirty) {
  if (!surface.Contains(x1, y1)) return false;
  const int target = surface.GetPixel(x1, y1);
  if (IsProtected(mask, target) || target == kPixelMarker) return false;
  GradationPaint ramp;
  ramp.horizontal = std::llabs(int64_t(x2) - x1) > std::llabs(int64_t(y2) - y1);
  ramp.startLevel = PenLevel(startPen);
  ramp.start = ramp.horizontal ? x1 : y1;
  ramp.length = ramp.horizontal ? x2 - x1 : y2 - y1;
  ramp.delta = PenLevel(endPen) - ramp.startLevel;
  if (ramp.length == 0 && ramp.delta != 0) return false;  // no slope between one point
  ramp.tiles.reserve(kToneLevels);
  for (int level = 0; level < kToneLevels; ++level) ramp.tiles.emplace_back(ToneScalePen(level));
  ValueSet match, absorb;
  AreaSets(target, 0, match, absorb);
  TwoPassFill(surface, x1, y1, match, absorb, ramp, dirty);
  return true;
}

bool PickPen(const RasterSurface& surface, int32_t x, int32_t y, Pen& pen) {
  int a = -1, b = -1, na = 0, nb = 0;
  for (int32_t px = x - 2; px <= x + 1; ++px) {
    for (int32_t py = y - 2; py <= y + 1; ++py) {
      const int v = surface.Contains(px, py) ? surface.GetPixel(px, py) : -1;
      if (v == a || a == -1) {
        a = v;
        ++na;
      } else if (b != -1 && b != v) {
        return false;  // three different values
      } else {
        b = v;
        ++nb;
      }
    }
  }
  if (b < a) {
    std::swap(a, b);
    na = nb;
  }
  Pen picked = pen;
  picked.colorB = b;
  picked.density = na;
  picked.colorA = na > 0 ? a : b >= 8 ? b - 8 : b - 1;
  // Positions outside the surface took part as a colour.
  if (picked.colorB < 0 || (picked.density > 0 && picked.colorA < 0)) return false;
  pen = picked;
  return true;
}
