#include "model/compositor.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/cell_surface.h"
#include "model/cut_flags.h"
#include "model/frame.h"
#include "model/frame_surface.h"
#include "model/layer.h"
#include "model/pixel_class.h"

namespace {

// Rows of hex digits, one per pixel.
void Paint(RasterSurface& s, const std::vector<std::string>& rows) {
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      s.SetPixel(int32_t(x), int32_t(y), std::stoi(rows[y].substr(x, 1), nullptr, 16));
}

std::vector<std::string> Dump(const RasterSurface& s) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < s.Height(); ++y) {
    std::string row;
    for (int32_t x = 0; x < s.Width(); ++x) {
      const int v = s.GetPixel(x, y);
      row += v < 16 ? "0123456789ABCDEF"[v] : char('a' + v - 16);  // 16..24 → a..i
    }
    rows.push_back(row);
  }
  return rows;
}

// A layer with one cell per picture.
std::unique_ptr<Layer> MakeLayer(const std::vector<std::vector<std::string>>& cells) {
  const int32_t w = int32_t(cells[0][0].size()), h = int32_t(cells[0].size());
  auto layer = std::make_unique<Layer>(w, h, "L", nullptr, false);
  for (size_t i = 0; i < cells.size(); ++i) {
    layer->InsertCellAfter(int32_t(i) - 1, 0);
    Paint(*layer->CellAt(int32_t(i)), cells[i]);
  }
  return layer;
}

// Blit written straight from its rules, one pixel at a time.
bool SlowBlit(RasterSurface& dst, int32_t dstX, int32_t dstY, const RasterSurface& src,
              int32_t srcX, int32_t srcY, int32_t w, int32_t h, int mode, uint32_t dstMask,
              uint32_t srcMask, Rect* bounds) {
  if (bounds) *bounds = Rect{};
  BlitRect r{dstX, dstY, srcX, srcY, w, h};
  if (!ClipBlit(r, src.Width(), src.Height(), dst.Width(), dst.Height())) return false;
  int left = 1 << 30, right = -1, top = -1, bottom = -1;
  for (int row = 0; row < r.height; ++row)
    for (int col = 0; col < r.width; ++col) {
      const int s = src.GetPixel(r.srcX + col, r.srcY + row);
      const int d = dst.GetPixel(r.dstX + col, r.dstY + row);
      const bool masked = (dstMask | srcMask) && (((dstMask >> d) & 1) || ((srcMask >> s) & 1));
      if (mode & kBlitTransparent) {
        if (s == 0) continue;
        left = std::min(left, r.srcX + col), right = std::max(right, r.srcX + col + 1);
        if (top < 0) top = r.srcY + row;
        bottom = r.srcY + row + 1;
        if (masked) continue;
        int v = s;
        if (mode & kBlitPale) {
          if (s == 1 || s == 8) v = 16;
          else if (s == 2 || s == 9) v = 17;
          else if (s == 3 || s == 10) v = 18;
          else continue;
        } else if (s >= 11 && s <= 14) {
          const int step = s == 11 ? 2 : s == 12 ? 1 : s == 13 ? -1 : -2;
          v = ShiftTone(d, step) ? ShiftTone(d, step) : s;
        }
        dst.SetPixel(r.dstX + col, r.dstY + row, v);
      } else if (!masked) {
        dst.SetPixel(r.dstX + col, r.dstY + row, s);
      }
    }
  if (bounds && top >= 0) *bounds = Rect{left, top, right - left, bottom - top};
  return true;
}

}  // namespace

// BlitTint written straight from its rules.
bool SlowTint(RasterSurface& dst, int32_t dstX, int32_t dstY, const RasterSurface& src,
              int32_t srcX, int32_t srcY, int32_t w, int32_t h, bool next) {
  BlitRect r{dstX, dstY, srcX, srcY, w, h};
  if (!ClipBlit(r, src.Width(), src.Height(), dst.Width(), dst.Height())) return false;
  for (int row = 0; row < r.height; ++row)
    for (int col = 0; col < r.width; ++col) {
      const int s = src.GetPixel(r.srcX + col, r.srcY + row);
      if (IsDrawingClass(s))
        dst.SetPixel(r.dstX + col, r.dstY + row, (next ? 22 : 19) + ToneLevel(s));
    }
  return true;
}

TEST(ScanRowTest, CellScansBytesAndOddEnds) {
  CellSurface cell;
  ASSERT_TRUE(cell.Create(40, 2, 0));
  Paint(cell, {"0000000000000000000030000000000000000500"});
  EXPECT_EQ(cell.ScanRow(0, 0, 40, true), 20);
  EXPECT_EQ(cell.ScanRow(21, 0, 40, true), 37);
  EXPECT_EQ(cell.ScanRow(21, 0, 37, true), 37);  // none before xTo
  EXPECT_EQ(cell.ScanRow(39, 0, -1, false), 37);
  EXPECT_EQ(cell.ScanRow(36, 0, -1, false), 20);
  EXPECT_EQ(cell.ScanRow(36, 0, 20, false), 20);  // x > xTo only
  EXPECT_EQ(cell.ScanRow(0, 1, 40, true), 40);
  EXPECT_EQ(cell.ScanRow(39, 1, 5, false), 5);
  EXPECT_EQ(cell.ScanRow(20, 0, 21, true), 20);
  EXPECT_EQ(cell.ScanRow(20, 0, 19, false), 20);

  std::mt19937 rng(3);
  for (int trial = 0; trial < 300; ++trial) {
    CellSurface c;
    const int w = 1 + int(rng() % 50);
    ASSERT_TRUE(c.Create(w, 1, 0));
    for (int x = 0; x < w; ++x)
      if (rng() % 9 == 0) c.SetPixel(x, 0, 1 + int(rng() % 15));
    FrameSurface f;
    ASSERT_TRUE(f.Create(w, 1, 0));
    for (int x = 0; x < w; ++x) f.SetPixel(x, 0, c.GetPixel(x, 0) * 16);
    const int a = int(rng() % (w + 1)), b = int(rng() % (w + 1));
    int fwd = b, bwd = a - 1;
    for (int x = a; x < b; ++x)
      if (c.GetPixel(x, 0)) { fwd = x; break; }
    for (int x = b - 1; x > a - 1; --x)
      if (c.GetPixel(x, 0)) { bwd = x; break; }
    ASSERT_EQ(c.ScanRow(a, 0, b, true), fwd) << w << " " << a << " " << b;
    ASSERT_EQ(c.ScanRow(b - 1, 0, a - 1, false), bwd) << w << " " << a << " " << b;
    ASSERT_EQ(f.ScanRow(a, 0, b, true), fwd);
    ASSERT_EQ(f.ScanRow(b - 1, 0, a - 1, false), bwd);
  }
}

TEST(BlitTest, ModifiersShiftWhatLiesBelow) {
  FrameSurface frame;
  ASSERT_TRUE(frame.Create(8, 3, 0));
  Paint(frame, {"11448800", "12345678", "9A0BC000"});
  CellSurface cell;
  ASSERT_TRUE(cell.Create(8, 3, 0));
  Paint(cell, {"C0CCED00", "BBBBBBBB", "EC0C2300"});
  ASSERT_TRUE(frame.Blit(0, 0, cell, 0, 0, 8, 3, kBlitTransparent, 0, 0, nullptr));
  // +1 over black gives dark grey, over white stays white, over paper it stays 12; -2 over
  // line gives black; underdrawing cannot be shifted.
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"21441100", "3444BBB3", "140C2300"}));
}

TEST(BlitTest, PaleModeDrawsOnlyDrawingClasses) {
  FrameSurface frame;
  ASSERT_TRUE(frame.Create(12, 1, 0));
  Paint(frame, {"333333333333"});
  CellSurface cell;
  ASSERT_TRUE(cell.Create(12, 1, 0));
  Paint(cell, {"0123456789AB"});
  ASSERT_TRUE(frame.Blit(0, 0, cell, 0, 0, 12, 1, kBlitTransparent | kBlitPale, 0, 0, nullptr));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"3abc3333abc3"}));
}

TEST(BlitTest, MasksAndOpaqueMode) {
  FrameSurface frame;
  ASSERT_TRUE(frame.Create(6, 1, 0));
  Paint(frame, {"012345"});
  CellSurface cell;
  ASSERT_TRUE(cell.Create(6, 1, 0));
  Paint(cell, {"808888"});
  // Target values 2 and 4 protected, source value 8 allowed.
  ASSERT_TRUE(frame.Blit(0, 0, cell, 0, 0, 6, 1, kBlitTransparent, MaskBit(2) | MaskBit(4), 0,
                         nullptr));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"812848"}));
  Rect bounds{9, 9, 9, 9};
  ASSERT_TRUE(frame.Blit(0, 0, cell, 0, 0, 6, 1, 0, 0, MaskBit(8), &bounds));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"802848"}));  // only the 0 is copied
  EXPECT_EQ(bounds, Rect{});
  ASSERT_TRUE(frame.Blit(0, 0, cell, 0, 0, 6, 1, 0, 0, 0, nullptr));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"808888"}));
}

TEST(BlitTest, ClippingKeepsBoundsInSourceCoordinates) {
  FrameSurface frame;
  ASSERT_TRUE(frame.Create(5, 4, 0));
  CellSurface cell;
  ASSERT_TRUE(cell.Create(6, 5, 0));
  Paint(cell, {"000000", "011000", "000000", "000880", "000000"});
  // The cell lies at (-2, -1) on the canvas: source offset (2, 1).
  Rect bounds;
  ASSERT_TRUE(frame.Blit(0, 0, cell, 2, 1, 5, 4, kBlitTransparent, 0, 0, &bounds));
  EXPECT_EQ(bounds, (Rect{2, 1, 3, 3}));  // columns 2..4, rows 1..3 of the cell
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"10000", "00000", "08800", "00000"}));
  // A cell at (4, 3): only its top-left pixel overlaps.
  frame.Clear(0);
  ASSERT_TRUE(frame.Blit(0, 0, cell, -4, -3, 5, 4, kBlitTransparent, 0, 0, &bounds));
  EXPECT_EQ(bounds, Rect{});
  // Wholly outside: nothing drawn, false, zero bounds.
  bounds = Rect{1, 1, 1, 1};
  EXPECT_FALSE(frame.Blit(0, 0, cell, 6, 0, 5, 4, kBlitTransparent, 0, 0, &bounds));
  EXPECT_FALSE(frame.Blit(0, 0, cell, -5, 0, 5, 4, kBlitTransparent, 0, 0, &bounds));
  EXPECT_EQ(bounds, Rect{});
  EXPECT_FALSE(frame.Blit(3, 0, cell, 0, 0, 0, 4, kBlitTransparent, 0, 0, nullptr));
}

// Wide rows too, so that whole runs of 16 to 256 pixels with and without brightness
// modifiers, and empty ones, are drawn; with and without bounds.
TEST(BlitTest, MatchesTheSlowReferenceOnRandomCells) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 600; ++trial) {
    const int maxWidth = trial % 3 ? 100 : 700;
    const int cw = 1 + int(rng() % uint32_t(maxWidth)), ch = 1 + int(rng() % 6);
    CellSurface cell;
    ASSERT_TRUE(cell.Create(cw, ch, 0));
    const int density = int(rng() % 5);  // in eighths; 0: a pixel here and there
    const bool modifiers = rng() % 2;
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x)
        if (density ? int(rng() % 8) < density : rng() % 97 == 0) {
          int v = int(rng() % 16);
          if (!modifiers && v >= 11 && v <= 14) v -= 4;
          cell.SetPixel(x, y, v);
        }
    const int fw = 1 + int(rng() % uint32_t(maxWidth)), fh = 1 + int(rng() % 6);
    const bool cellTarget = trial % 5 == 4;
    std::unique_ptr<RasterSurface> fast, slow;
    if (cellTarget) fast = std::make_unique<CellSurface>(), slow = std::make_unique<CellSurface>();
    else fast = std::make_unique<FrameSurface>(), slow = std::make_unique<FrameSurface>();
    ASSERT_TRUE(fast->Create(fw, fh, 0));
    ASSERT_TRUE(slow->Create(fw, fh, 0));
    for (int y = 0; y < fh; ++y)
      for (int x = 0; x < fw; ++x) {
        const int v = int(rng() % (cellTarget ? 16 : 25));
        fast->SetPixel(x, y, v);
        slow->SetPixel(x, y, v);
      }
    const int mode = int(rng() % 4);
    const uint32_t dstMask = rng() % 3 ? 0 : uint32_t(rng());
    const uint32_t srcMask = rng() % 3 ? 0 : uint32_t(rng());
    const int dx = int(rng() % 40) - 20, dy = int(rng() % 6) - 3;
    const int sx = int(rng() % 20) - 10, sy = int(rng() % 6) - 3;
    const int w = int(rng() % uint32_t(maxWidth + 10)), h = int(rng() % 8);
    const bool withBounds = rng() % 2;
    Rect fb{7, 7, 7, 7}, sb;
    const bool fr =
        fast->Blit(dx, dy, cell, sx, sy, w, h, mode, dstMask, srcMask, withBounds ? &fb : nullptr);
    const bool sr = SlowBlit(*slow, dx, dy, cell, sx, sy, w, h, mode, dstMask, srcMask, &sb);
    ASSERT_EQ(fr, sr) << trial;
    ASSERT_EQ(Dump(*fast), Dump(*slow)) << trial;
    if (withBounds) {
      ASSERT_EQ(fb, sb) << trial;
    }
    if (!cellTarget) {  // onion skins over the same target
      const bool next = rng() % 2;
      ASSERT_EQ(fast->BlitTint(dx, dy, cell, sx, sy, w, h, next),
                SlowTint(*slow, dx, dy, cell, sx, sy, w, h, next))
          << trial;
      ASSERT_EQ(Dump(*fast), Dump(*slow)) << trial;
    }
  }
}

TEST(BlitTest, TintsPreviousAndNextCells) {
  FrameSurface frame;
  ASSERT_TRUE(frame.Create(11, 1, 0));
  Paint(frame, {"44444444444"});
  CellSurface cell;
  ASSERT_TRUE(cell.Create(11, 1, 0));
  Paint(cell, {"0123456789A"});
  ASSERT_TRUE(frame.BlitTint(0, 0, cell, 0, 0, 11, 1, false));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"4def4444def"}));
  ASSERT_TRUE(frame.BlitTint(0, 0, cell, 0, 0, 4, 1, true));
  EXPECT_EQ(Dump(frame), (std::vector<std::string>{"4ghi4444def"}));
  // A cell target has no tint colours.
  CellSurface target;
  ASSERT_TRUE(target.Create(11, 1, 0));
  EXPECT_FALSE(target.BlitTint(0, 0, cell, 0, 0, 11, 1, false));
  EXPECT_FALSE(frame.BlitTint(0, 0, cell, 11, 0, 11, 1, false));
}

class ComposeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(target_.Create(4, 2, 0)); }
  std::vector<std::string> Run(uint32_t flags, std::vector<Rect>* bounds = nullptr) {
    target_.Clear(0);
    Compose(frame_, target_, 0, 0, 4, 2, flags, bounds);
    return Dump(target_);
  }
  Frame frame_{4, 2};
  FrameSurface target_;
};

TEST_F(ComposeTest, EmptyFrameDrawsNothing) {
  std::vector<Rect> bounds;
  EXPECT_EQ(Run(0, &bounds), (std::vector<std::string>{"0000", "0000"}));
  EXPECT_EQ(Run(kCurrentCellOnly | kOtherLayersPale | kShowPreviousCell, &bounds),
            (std::vector<std::string>{"0000", "0000"}));
  ASSERT_EQ(bounds.size(), 1u);
  EXPECT_EQ(bounds[0], Rect{});
}

TEST_F(ComposeTest, LayersBottomToTopWithOnionSkinsUnderTheCurrentCell) {
  auto bottom = MakeLayer({{"1111", "0000"}});
  auto middle = MakeLayer({{"0800", "0000"}, {"0000", "9000"}, {"0000", "00A0"}});
  auto top = MakeLayer({{"000C", "000C"}});
  frame_.InsertEntryAfter(bottom.get(), 0, 0, 0);
  frame_.InsertEntryAfter(middle.get(), 1, 0, 0);
  frame_.InsertEntryAfter(top.get(), 0, 0, 0);
  ASSERT_TRUE(frame_.SetCurrentLayer(1));

  std::vector<Rect> bounds;
  EXPECT_EQ(Run(0, &bounds), (std::vector<std::string>{"1112", "900C"}));
  ASSERT_EQ(bounds.size(), 3u);
  EXPECT_EQ(bounds[0], (Rect{0, 0, 4, 1}));
  EXPECT_EQ(bounds[1], (Rect{0, 1, 1, 1}));
  EXPECT_EQ(bounds[2], (Rect{3, 0, 1, 2}));

  // Previous cell in green tints, next in red, both over the lower layer and under the
  // current cell and the layers above it.
  EXPECT_EQ(Run(kShowPreviousCell | kShowNextCell), (std::vector<std::string>{"1d12", "90iC"}));
  // Other layers pale (the +1 of the top layer is not drawn), the current layer on top.
  EXPECT_EQ(Run(kOtherLayersPale, &bounds), (std::vector<std::string>{"aaaa", "9000"}));
  EXPECT_EQ(bounds[1], (Rect{0, 1, 1, 1}));
  // Current cell only, with its onion skin; bounds in record 0.
  EXPECT_EQ(Run(kCurrentCellOnly | kShowNextCell, &bounds),
            (std::vector<std::string>{"0000", "90i0"}));
  EXPECT_EQ(bounds[0], (Rect{0, 1, 1, 1}));
  // Layer limit 1 draws only entry 0, even with a higher current entry.
  EXPECT_EQ(Run(1u << kLayerLimitShift | kShowPreviousCell, &bounds),
            (std::vector<std::string>{"1111", "0000"}));
  // A limit beyond the entry count: the missing entries resolve to nothing.
  EXPECT_EQ(Run(5u << kLayerLimitShift, &bounds), (std::vector<std::string>{"1112", "900C"}));
  ASSERT_EQ(bounds.size(), 5u);
  EXPECT_EQ(bounds[4], Rect{});
}

TEST_F(ComposeTest, EmptyCurrentCellAndSingleCellOnionSkin) {
  auto layer = MakeLayer({{"0300", "0000"}});
  auto other = MakeLayer({{"8000", "0000"}});
  frame_.InsertEntryAfter(other.get(), 0, 0, 0);
  frame_.InsertEntryAfter(layer.get(), 0, 1, 1);  // placed one pixel right and down
  // One cell: it is its own previous and next cell; the next tint is drawn last.
  EXPECT_EQ(Run(kShowPreviousCell | kShowNextCell), (std::vector<std::string>{"8000", "0030"}));
  EXPECT_EQ(Run(kShowPreviousCell), (std::vector<std::string>{"8000", "0030"}));
  ASSERT_TRUE(frame_.ToggleEmpty());
  std::vector<Rect> bounds{Rect{1, 2, 3, 4}};
  EXPECT_EQ(Run(kCurrentCellOnly, &bounds), (std::vector<std::string>{"0000", "0000"}));
  EXPECT_EQ(bounds[0], Rect{});
  EXPECT_EQ(Run(0, &bounds), (std::vector<std::string>{"8000", "0000"}));
  EXPECT_EQ(bounds[1], Rect{});
}

TEST_F(ComposeTest, ComposesOnlyTheRequestedRectangle) {
  auto layer = MakeLayer({{"1234", "89A1"}});
  frame_.InsertEntryAfter(layer.get(), 0, -1, 0);
  target_.Clear(0);
  Compose(frame_, target_, 1, 0, 2, 2, 0, nullptr);
  EXPECT_EQ(Dump(target_), (std::vector<std::string>{"0340", "0A10"}));
}

TEST(LineEmphasisTest, RecoloursOnlyTheLineEntries) {
  FramePalette palette = DefaultFramePalette();
  palette[9] = PackColor(1, 2, 3);
  FrameSurface view, other;
  view.SetPalette(palette);
  ASSERT_TRUE(view.Create(2, 2, 0));
  ASSERT_TRUE(other.Create(2, 2, 0));
  EXPECT_EQ(other.Colors()[9], 0x555555u) << "each surface has its own palette";
  EXPECT_EQ(view.ColorsUsed(), 25);
  EXPECT_EQ(view.Colors()[9], 0x010203u);
  EXPECT_EQ(view.Colors()[24], 0xF2CECEu);
  EXPECT_EQ(view.Colors()[25], 0u);
  SetLineEmphasis(view, true);
  EXPECT_EQ(view.Colors()[8], 0x0000FFu);
  EXPECT_EQ(view.Colors()[9], 0xFF0000u);
  EXPECT_EQ(view.Colors()[10], 0x00FF00u);
  EXPECT_EQ(view.Colors()[7], 0xCECEF2u);
  SetLineEmphasis(view, false);
  EXPECT_EQ(view.Colors()[9], 0x555555u);  // the fixed grey, not the palette's entry
}
