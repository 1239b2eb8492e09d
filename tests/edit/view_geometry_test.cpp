#include "edit/view_geometry.h"

#include <gtest/gtest.h>

#include "edit/view_repaint.h"
#include "edit/view_scroll.h"

namespace {

ViewGeometry View(int32_t canvasW, int32_t canvasH, int32_t clientW, int32_t clientH,
                  int zoomLevel = 0, Point scroll = {}) {
  return {canvasW, canvasH, clientW, clientH, Zoom::FromLevel(zoomLevel), scroll};
}

TEST(ViewZoomTest, StepsThroughReductionsAndMagnificationsOneLevelAtATime) {
  struct Step {
    bool in;
    int32_t numerator, denominator;
  };
  const Step steps[] = {{true, 2, 1},  {true, 3, 1},  {false, 2, 1}, {false, 1, 1},
                        {false, 1, 2}, {false, 1, 3}, {true, 1, 2},  {true, 1, 1}};
  Zoom zoom;
  for (const Step& s : steps) {
    zoom = s.in ? zoom.In() : zoom.Out();
    EXPECT_EQ(zoom.Numerator(), s.numerator);
    EXPECT_EQ(zoom.Denominator(), s.denominator);
    EXPECT_EQ(Zoom::FromLevel(zoom.Level()), zoom);
  }
  // Far levels saturate instead of overflowing.
  EXPECT_EQ(Zoom::FromLevel(INT32_MAX).In().Numerator(), INT32_MAX);
  EXPECT_EQ(Zoom::FromLevel(INT32_MIN).Out().Denominator(), INT32_MAX);
  EXPECT_EQ(Zoom::FromLevel(INT32_MAX).ToWindow(1 << 30), INT32_MAX);
}

TEST(ViewGeometryTest, NarrowCanvasStaysCentredAndIgnoresTheScroll) {
  ViewGeometry v = View(100, 50, 300, 200, 0, {37, 12});
  EXPECT_EQ(CanvasOrigin(v), (Point{100, 75}));
  v.clientWidth = 301, v.clientHeight = 203;  // resized: still centred (halves truncated)
  EXPECT_EQ(CanvasOrigin(v), (Point{100, 76}));
  EXPECT_FALSE(HorizontalAxis(v).CanScroll());
  EXPECT_EQ(WithScrollBarsSetUp(v).scroll, (Point{0, 0}));
  // Wider than the client on x only: that axis scrolls.
  v.clientWidth = 80;
  EXPECT_EQ(CanvasOrigin(v), (Point{-37, 76}));
}

TEST(ViewGeometryTest, ConvertsBetweenWindowAndCanvasAtEveryRatio) {
  // 3/1: the canvas is 300 wide in a 90-wide client (scrolled) and 300 high in 400 (centred).
  const ViewGeometry big = View(100, 100, 90, 400, 2, {30, 0});
  EXPECT_EQ(WindowToCanvasUnsnapped(big, {0, 50}), (Point{10, 0}));
  EXPECT_EQ(WindowToCanvasUnsnapped(big, {2, 52}), (Point{10, 0}));
  EXPECT_EQ(CanvasToWindow(big, {10, 0}), (Point{0, 50}));
  EXPECT_EQ(WindowRectToCanvas(big, {0, 50, 30, 3}), (Rect{10, 0, 10, 1}));
  // 1/3: window pixel k shows canvas pixels 3k .. 3k + 2.
  const ViewGeometry small = View(300, 300, 200, 200, -2);
  EXPECT_EQ(CanvasOrigin(small), (Point{50, 50}));
  EXPECT_EQ(WindowToCanvasUnsnapped(small, {51, 52}), (Point{3, 6}));
  EXPECT_EQ(CanvasToWindow(small, {5, 6}), (Point{51, 52}));
}

TEST(ViewGeometryTest, SnapGridRoundsToTheNearestLineTiesBack) {
  const ViewGeometry v = View(100, 100, 50, 50);
  const SnapGrid grid{4, 4};
  EXPECT_EQ(WindowToCanvas(v, {10, 11}, grid), (Point{8, 12}));  // 2 past: back; 3 past: on
  EXPECT_EQ(WindowToCanvas(v, {10, 11}, SnapGrid{}), (Point{10, 11}));
  EXPECT_EQ(WindowToCanvas(v, {10, 11}, SnapGrid{0, -3}), (Point{10, 11}));  // no division by 0
  EXPECT_EQ(WindowToCanvas(v, {13, 14}, SnapGrid{5, 1}), (Point{15, 14}));
}

TEST(ViewGeometryTest, TruncationMapsUpToOneZoomStepOutsideOntoTheCanvasEdge) {
  // 2/1, a 10 × 10 canvas centred at (10, 10) in a 40 × 40 client.
  const ViewGeometry v = View(10, 10, 40, 40, 1);
  EXPECT_EQ(WindowToCanvasUnsnapped(v, {9, 10}), (Point{0, 0}));  // −1 / 2 truncates to 0
  EXPECT_EQ(WindowToCanvasUnsnapped(v, {8, 10}), (Point{-1, 0}));
  EXPECT_EQ(WindowToCanvas(v, {4, 10}, SnapGrid{4, 4}), (Point{0, 0}));  // −3 snaps toward 0
  EXPECT_TRUE(ShowsCrossCursor(v, {9, 10}, {}));
  EXPECT_FALSE(ShowsCrossCursor(v, {8, 10}, {}));
  EXPECT_TRUE(ShowsCrossCursor(v, {29, 29}, {}));
  EXPECT_FALSE(ShowsCrossCursor(v, {30, 29}, {}));
  EXPECT_FALSE(ShowsCrossCursor(v, {28, 29}, SnapGrid{5, 5}));  // 9 snaps forward to 10
}

// Sizes and offsets come from files and window messages: any value keeps every result
// defined and the set-up scroll inside its bar.
TEST(ViewGeometryTest, ExtremeValuesStayDefined) {
  const int32_t values[] = {INT32_MIN, -70000, -1, 0, 3, 65536, INT32_MAX};
  const int32_t levels[] = {INT32_MIN, -3, 0, 5, INT32_MAX};
  for (int32_t size : values)
    for (int32_t client : values)
      for (int32_t level : levels)
        for (int32_t at : values) {
          const ViewGeometry v{size, 7, client, 9, Zoom::FromLevel(level), {at, at / -2}};
          const Point p{at, 5};
          CanvasOrigin(v);
          WindowToCanvas(v, p, SnapGrid{at, 3});
          CanvasToWindow(v, p);
          CanvasToCell(CellToCanvas(p, {at, at}), {at, at});
          RepaintBlit(v, {at, at, size, client});
          PaintBlit(v, {at, at, client, size});
          BackgroundBands(v);
          Pan(v, p, {at / -2, at});
          UncoveredStrips(v, p);
          const ViewGeometry zoomed = ZoomAt(v, p, level > 0);
          const ScrollAxis a = HorizontalAxis(zoomed);
          EXPECT_GE(a.position, 0);
          EXPECT_LE(a.position, a.MaxPosition());
          LineUp(a), LineDown(a), PageUp(a), PageDown(a), ThumbPosition(a, at, v.zoom);
        }
}

TEST(ViewScrollTest, ScrollBarSetUpClampsAndRoundsThePage) {
  struct Case {
    int32_t client, zoomed, scroll, level;
    ScrollAxis want;
    bool canScroll;
  };
  const Case cases[] = {
      {100, 300, 250, 0, {100, 300, 200, 4}, true}, {100, 300, -5, 0, {100, 300, 0, 4}, true},
      {100, 80, 30, 0, {100, 80, 0, 4}, false},     {101, 900, 850, 2, {99, 900, 801, 12}, true},
      {101, 150, 10, -1, {101, 150, 10, 4}, true},  {-20, 50, 10, 0, {0, 50, 10, 4}, true},
  };
  for (const Case& c : cases) {
    const ScrollAxis a = SetUpScrollAxis(c.client, c.zoomed, c.scroll, Zoom::FromLevel(c.level));
    EXPECT_EQ(a.page, c.want.page) << c.client;
    EXPECT_EQ(a.range, c.want.range) << c.client;
    EXPECT_EQ(a.position, c.want.position) << c.client;
    EXPECT_EQ(a.lineStep, c.want.lineStep) << c.client;
    EXPECT_EQ(a.CanScroll(), c.canScroll) << c.client;
  }
}

TEST(ViewScrollTest, LinesAndPagesStayInRangeAndThumbIsIgnoredBeyond16Bits) {
  const Zoom z3 = Zoom::FromLevel(2);
  ScrollAxis a = SetUpScrollAxis(101, 900, 801, z3);
  EXPECT_EQ(PageDown(a), 801);
  EXPECT_EQ(PageUp(a), 702);
  EXPECT_EQ(LineDown(a), 801);
  a.position = 5;
  EXPECT_EQ(LineUp(a), 0);
  EXPECT_EQ(LineDown(a), 17);
  EXPECT_EQ(ThumbPosition(a, 100, z3), 99);
  EXPECT_EQ(ThumbPosition(SetUpScrollAxis(99, 65535, 0, z3), 65000, z3), 64998);
  // Past 65535 the thumb is ignored, while lines and pages still move.
  const ScrollAxis huge = SetUpScrollAxis(99, 65536, 0, z3);
  EXPECT_EQ(ThumbPosition(huge, 300, z3), std::nullopt);
  EXPECT_EQ(PageDown(huge), 99);
  EXPECT_EQ(LineDown(huge), 12);
}

TEST(ViewScrollTest, PanMovesByTheMouseTravelOnScrollableAxesOnly) {
  // 2/1: 200 × 200 zoomed in a 50 × 300 client, so only x scrolls (at most 200 − 50 − 1).
  ViewGeometry v = View(100, 100, 50, 300, 1, {20, 0});
  PanStep step = Pan(v, {40, 40}, {31, 10});
  EXPECT_EQ(step.scroll, (Point{28, 0}));  // 29 rounded down to the numerator
  EXPECT_EQ(step.anchor, (Point{32, 40}));
  v.scroll = step.scroll;
  step = Pan(v, step.anchor, {-500, 10});
  EXPECT_EQ(step.scroll, (Point{148, 0}));
  step = Pan(v, {0, 0}, {500, 0});
  EXPECT_EQ(step.scroll, (Point{0, 0}));
  EXPECT_EQ(step.anchor, (Point{28, 0}));
  // A forward scroll uncovers the far edge, a backward one the near edge.
  const auto strips = UncoveredStrips(v, {6, -3});
  EXPECT_EQ(strips[0], (Rect{44, 0, 6, 300}));
  EXPECT_EQ(strips[1], (Rect{0, 0, 50, 3}));
}

TEST(ViewScrollTest, ZoomAtAPointCentresItThenClamps) {
  const ViewGeometry v = View(100, 100, 100, 100);
  auto windowOf = [](const ViewGeometry& g, Point canvas) { return CanvasToWindow(g, canvas); };
  ViewGeometry in = ZoomAt(v, {50, 40}, true);
  EXPECT_EQ(in.zoom.Numerator(), 2);
  EXPECT_EQ(windowOf(in, {50, 40}), (Point{50, 50}));
  in = ZoomAt(v, {90, 3}, true);  // near the edges: the scroll-bar set-up clamps
  EXPECT_EQ(in.scroll, (Point{100, 0}));
  EXPECT_EQ(windowOf(in, {90, 3}), (Point{80, 6}));
  const ViewGeometry out = ZoomAt(in, {90, 3}, false);  // fits again: centred
  EXPECT_EQ(out.zoom, Zoom());
  EXPECT_EQ(CanvasOrigin(out), (Point{0, 0}));
  EXPECT_EQ(out.scroll, (Point{0, 0}));
}

TEST(ViewRepaintTest, RepaintCopiesAlignedBlocksAtEveryRatio) {
  // 1/3: a one-pixel change copies the 3-aligned block holding it, one window pixel.
  const ViewGeometry small = View(300, 300, 200, 200, -2);
  auto blit = RepaintBlit(small, {4, 7, 1, 1});
  ASSERT_TRUE(blit);
  EXPECT_EQ(blit->source, (Rect{3, 6, 3, 3}));
  EXPECT_EQ(blit->destination, (Rect{51, 52, 1, 1}));
  blit = RepaintBlit(small, {5, 5, 2, 1});  // across a block edge: both blocks
  EXPECT_EQ(blit->source, (Rect{3, 3, 6, 3}));
  blit = RepaintBlit(small, {-2, 0, 1, 1});  // left of the canvas: aligned downward
  EXPECT_EQ(blit->source, (Rect{-3, 0, 3, 3}));
  // 3/1: a 3 × 3 window block; an odd x against an even scroll takes the pixel before.
  const ViewGeometry big = View(10, 10, 100, 100, 2);
  blit = RepaintBlit(big, {4, 4, 1, 1});
  EXPECT_EQ(blit->destination, (Rect{47, 47, 3, 3}));
  blit = RepaintBlit(big, {3, 4, 1, 1});
  EXPECT_EQ(blit->source, (Rect{2, 4, 2, 1}));
  EXPECT_EQ(blit->destination, (Rect{41, 47, 6, 3}));
  // Magnified: clipped to the canvas, nothing when outside it.
  EXPECT_EQ(RepaintBlit(big, {-4, -4, 8, 8})->source, (Rect{0, 0, 4, 4}));
  EXPECT_EQ(RepaintBlit(big, {20, 0, 4, 4}), std::nullopt);
  // 1/1: not clipped, only the parity rule.
  EXPECT_EQ(RepaintBlit(View(10, 10, 100, 100), {-3, 0, 2, 2})->source, (Rect{-4, 0, 3, 2}));
}

TEST(ViewRepaintTest, PaintCopiesTheUpdateRectangleWidenedAndClipped) {
  ViewGeometry v = View(100, 100, 50, 50, 0, {10, 0});
  auto blit = PaintBlit(v, {1, 0, 10, 10});
  ASSERT_TRUE(blit);
  EXPECT_EQ(blit->source, (Rect{10, 0, 13, 12}));  // 11 is odd against 10: one more left
  EXPECT_EQ(blit->destination, (Rect{0, 0, 13, 12}));
  // A centred canvas: the whole client becomes the whole canvas.
  v = View(10, 10, 50, 40, 1);
  blit = PaintBlit(v, {0, 0, 50, 40});
  EXPECT_EQ(blit->source, (Rect{0, 0, 10, 10}));
  EXPECT_EQ(blit->destination, (Rect{15, 10, 20, 20}));
  EXPECT_EQ(PaintBlit(v, {45, 0, 5, 5}), std::nullopt);  // only background there
  const auto bands = BackgroundBands(v);
  EXPECT_EQ(bands[0], (Rect{0, 0, 50, 10}));
  EXPECT_EQ(bands[1], (Rect{0, 10, 15, 20}));
  EXPECT_EQ(bands[2], (Rect{35, 10, 15, 20}));
  EXPECT_EQ(bands[3], (Rect{0, 30, 50, 10}));
  for (const Rect& band : BackgroundBands(View(100, 100, 50, 50, 0, {5, 5})))
    EXPECT_TRUE(band.IsEmpty());
}

}  // namespace
