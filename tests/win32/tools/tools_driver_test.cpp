// OrvinaDeveloper.exe driven as an animator draws, under Wine (tests/wine/editor_tools.sh):
// every tool's gesture in the cut window against the same steps run by orvina cut apply,
// the pen chooser, the keyboard shortcuts, copy and paste between windows and through the
// Windows clipboard, vertical text, and the free pen's stroke latency.
//
//   tools_driver --editor OrvinaDeveloper.exe --orvina orvina.exe --work FOLDER [--shots FOLDER]
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>

#include "edit/cut_editing.h"
#include "editor/resource.h"
#include "files/cut_file.h"
#include "io/folder.h"
#include "model/cut.h"
#include "model/frame.h"
#include "model/layer.h"
#include "model/raster_surface.h"
#include "model/undo.h"
#include "raster/stroke.h"
#include "tests/win32/tools/drawing_session.h"

namespace {

struct Env {
  std::wstring editor, orvina, work, cut, shots;
  // A picture, and the cut the native orvina import made of it for a 110 × 80 layer.
  std::wstring picture, imported;
} gEnv;

// The base cut (written by the driver): a 120 × 90 canvas; the bottom layer covers it with
// shapes, the top layer (110 × 80 at (4, 3)) is drawn in.
constexpr int kCanvasWidth = 120, kCanvasHeight = 90;
constexpr int kLayerX = 4, kLayerY = 3;

const char kSettings[] =
    "[setup]\r\nbrush=7, 0, 1, 0, 1, 0\r\nfont=@Noto Sans CJK JP, 24, 12, 400\r\n"
    "[OnClipTrans]\r\nFlag=1\r\nRGB=#00FF00\r\n";

std::unique_ptr<Cut> Load(const std::wstring& path) {
  auto cut = std::make_unique<Cut>(1, 1, 24, std::string(), AntiAlias::kFull);
  std::string why;
  if (!LoadCut(*cut, Utf8(path), nullptr, &why)) return nullptr;
  return cut;
}

// Where two cuts differ: cells pixel by pixel, frame and layer positions; empty when alike.
std::string Difference(Cut& a, Cut& b) {
  if (a.LayerCount() != b.LayerCount() || a.FrameCount() != b.FrameCount())
    return "layer or frame count";
  for (int32_t l = 0; l < a.LayerCount(); ++l) {
    Layer& la = *a.LayerAt(l);
    Layer& lb = *b.LayerAt(l);
    if (la.CellCount() != lb.CellCount()) return "cell count of layer " + std::to_string(l);
    for (int32_t c = 0; c < la.CellCount(); ++c) {
      const RasterSurface& ca = *la.CellAt(c);
      const RasterSurface& cb = *lb.CellAt(c);
      for (int32_t y = 0; y < ca.Height(); ++y)
        for (int32_t x = 0; x < ca.Width(); ++x)
          if (ca.GetPixel(x, y) != cb.GetPixel(x, y)) {
            std::ostringstream s;
            s << "layer " << l << " cell " << c << " pixel (" << x << ", " << y
              << "): " << ca.GetPixel(x, y) << " in the window, " << cb.GetPixel(x, y)
              << " by orvina";
            return s.str();
          }
    }
  }
  for (int32_t f = 0; f < a.FrameCount(); ++f) {
    Frame& fa = *a.FrameAt(f);
    Frame& fb = *b.FrameAt(f);
    if (fa.X() != fb.X() || fa.Y() != fb.Y()) return "frame position " + std::to_string(f);
    if (fa.EntryCount() != fb.EntryCount()) return "entry count of frame " + std::to_string(f);
    for (int32_t e = 0; e < fa.EntryCount(); ++e) {
      const LayerEntry& ea = *fa.EntryAt(e);
      const LayerEntry& eb = *fb.EntryAt(e);
      if (a.IndexOfLayer(ea.layer) != b.IndexOfLayer(eb.layer) || ea.cell != eb.cell ||
          ea.x != eb.x || ea.y != eb.y)
        return "entry " + std::to_string(e) + " of frame " + std::to_string(f);
    }
  }
  return "";
}

// The editor's cut, saved after each gesture, against orvina cut apply run on an earlier
// save with the steps that gesture stands for.
class Agreement {
 public:
  Agreement(DrawingSession& run, const std::wstring& cut) : run_(run), cut_(cut) {
    saves_.push_back(Save(L"save0.cut"));
  }
  // Saves the editor's cut and compares it with `ops` (JSON steps) applied to save `base`
  // (the previous one unless given).
  void Check(const std::string& name, const std::string& ops, int base = -1) {
    SCOPED_TRACE(name);
    const std::wstring saved = Save(L"save" + std::to_wstring(saves_.size()) + L".cut");
    const std::wstring from = saves_[base < 0 ? saves_.size() - 1 : size_t(base)];
    saves_.push_back(saved);
    const std::wstring script =
        gEnv.work + L"\\script" + std::to_wstring(saves_.size() - 1) + L".json";
    const std::string text = "{\"ops\": [" + ops + "]}";
    ASSERT_TRUE(WriteFileBytes(script, std::vector<uint8_t>(text.begin(), text.end())));
    const std::wstring expected =
        gEnv.work + L"\\expected" + std::to_wstring(saves_.size() - 1) + L".cut";
    ASSERT_EQ(RunProgram(gEnv.orvina, L"cut apply \"" + from + L"\" \"" + script + L"\" -o \"" +
                                          expected + L"\""),
              0);
    auto mine = Load(saved);
    auto theirs = Load(expected);
    ASSERT_TRUE(mine && theirs);
    EXPECT_EQ(Difference(*mine, *theirs), "");
  }
  int Saves() const { return int(saves_.size()); }

 private:
  std::wstring Save(const std::wstring& name) {
    run_.Command(ID_CUT_OVERWRITE);
    const std::wstring copy = gEnv.work + L"\\" + name;
    CopyFileW(cut_.c_str(), copy.c_str(), FALSE);
    return copy;
  }

  DrawingSession& run_;
  std::wstring cut_;
  std::vector<std::wstring> saves_;
};

std::string P(CellPoint p) {
  return "[" + std::to_string(p.x) + ", " + std::to_string(p.y) + "]";
}
std::string Op(const std::string& name, const std::string& fields = "") {
  return "{\"op\": \"" + name + "\"" + (fields.empty() ? "" : ", " + fields) + "}";
}
std::string PenOp(int shape, int density, int a, int b) {
  return Op("pen", "\"shape\": " + std::to_string(shape) +
                       ", \"density\": " + std::to_string(density) +
                       ", \"colorA\": " + std::to_string(a) + ", \"colorB\": " + std::to_string(b));
}
std::string Line(CellPoint a, CellPoint b, bool guide = false) {
  return Op(guide ? "guideLine" : "line", "\"from\": " + P(a) + ", \"to\": " + P(b));
}
std::string Curve(CellPoint a, CellPoint b, CellPoint c, CellPoint d) {
  return Op("curve", "\"points\": [" + P(a) + ", " + P(b) + ", " + P(c) + ", " + P(d) + "]");
}
std::string Rect4(int x, int y, int w, int h) {
  return "[" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) + ", " +
         std::to_string(h) + "]";
}

// Clicks a swatch of the pen chooser (left button: it chooses and closes).
void ChooseSwatch(DrawingSession& run, int row, int column) {
  HWND chooser = run.PenChooser();
  ASSERT_TRUE(chooser) << "the pen chooser is not shown";
  const LPARAM at = MAKELPARAM(4 + 14 * column + 6, 4 + 14 * row + 6);
  DWORD_PTR ignored;
  SendMessageTimeoutW(chooser, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, 10000, &ignored);
  SendMessageTimeoutW(chooser, WM_LBUTTONUP, 0, at, SMTO_NORMAL, 10000, &ignored);
  EXPECT_FALSE(IsWindowVisible(chooser));
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring name =
        Utf16(::testing::UnitTest::GetInstance()->current_test_info()->name());
    folder_ = gEnv.work + L"\\" + name;
    cut_ = folder_ + L"\\drawn.cut";
    run_ = std::make_unique<DrawingSession>(gEnv.editor, folder_, kSettings);
    ASSERT_TRUE(CopyFileW(gEnv.cut.c_str(), cut_.c_str(), FALSE));
    ASSERT_TRUE(run_->Start(cut_));
    run_->SetCanvas(kCanvasWidth, kCanvasHeight);
    run_->SetLayerOffset(kLayerX, kLayerY);
  }
  void TearDown() override {
    if (!gEnv.shots.empty() && run_ && run_->Window()) {
      RECT r;
      GetWindowRect(run_->Window(), &r);
      CreateDirectoryW(gEnv.shots.c_str(), nullptr);
      const std::wstring name =
          Utf16(::testing::UnitTest::GetInstance()->current_test_info()->name());
      SaveBitmap(gEnv.shots + L"\\editor_" + name + L".bmp", CaptureScreen(r));
    }
    run_.reset();
  }
  void Tool(int id) { run_->Command(id); }

  std::wstring folder_, cut_;
  std::unique_ptr<DrawingSession> run_;
};

TEST_F(Editor, EveryToolsGestureAgreesWithOrvinaCutApply) {
  DrawingSession& run = *run_;
  Agreement check(run, cut_);

  // Free pen at 1/1 with smoothing-skip: stair steps become diagonals, repeats are dropped.
  Tool(ID_TOOL_FREE_PEN);
  const std::vector<CellPoint> stroke{{10, 10}, {11, 10}, {12, 11}, {12, 12},
                                      {13, 12}, {13, 12}, {20, 15}, {21, 20}};
  run.Drag(stroke);
  std::string points;
  for (const CellPoint& p : stroke) points += (points.empty() ? "" : ", ") + P(p);
  check.Check("free pen", PenOp(7, 0, 0, 1) + ", " + Op("freePen", "\"points\": [" + points + "]"));

  // At 2/1 with a tone pen from the chooser, three sizes larger: window steps of one pixel
  // land in the same cell pixel.
  Tool(ID_TOOL_ZOOM);
  run.Click({50, 40});
  run.SetZoom(2, 1);
  Tool(ID_TOOL_FREE_PEN);
  run.RightClick({30, 30});
  ChooseSwatch(run, 2, 5);
  for (wchar_t c : L"fjf")
    if (c) run.Char(c);
  std::vector<POINT> windowStroke;
  for (int i = 0; i <= 24; ++i) {
    const POINT a = run.At({30, 30});
    windowStroke.push_back(POINT{a.x + i * 3, a.y + i * i / 6});
  }
  run.Mouse(WM_MOUSEMOVE, windowStroke.front());
  run.Mouse(WM_LBUTTONDOWN, windowStroke.front(), MK_LBUTTON);
  points.clear();
  for (const POINT& w : windowStroke) {
    run.Mouse(WM_MOUSEMOVE, w, MK_LBUTTON);
    points += (points.empty() ? "" : ", ") + P(run.CellUnder(w));
  }
  run.Mouse(WM_LBUTTONUP, windowStroke.back());
  check.Check("free pen at 2/1, chosen tone, size 4",
              PenOp(10, 5, 2, 3) + ", " +
                  Op("freePen", "\"points\": [" + P(run.CellUnder(windowStroke.front())) + ", " +
                                    points + "]"));

  // Back to 1/1, a solid black one-pixel pen.
  Tool(ID_TOOL_ZOOM);
  run.RightClick({50, 40});
  run.SetZoom(1, 1);
  Tool(ID_TOOL_LINE);
  for (wchar_t c : L"dkd")
    if (c) run.Char(c);
  run.RightClick({5, 30});
  ChooseSwatch(run, 0, 0);
  // A dragged line; then continuous clicks, the third with Ctrl (a skip).
  run.Drag({{5, 30}, {15, 32}, {25, 35}});
  run.Click({5, 40}, MK_CONTROL);
  run.Click({25, 40});
  run.Click({25, 45}, MK_CONTROL);
  run.Click({5, 50});
  run.RightClick({5, 50});
  check.Check("straight lines", PenOp(7, 0, 0, 1) + ", " + Line({5, 30}, {25, 35}) + ", " +
                                    Line({5, 40}, {25, 40}) + ", " + Line({25, 45}, {5, 50}));

  // The continuous curve trails one click behind; Ctrl at a click skips the segment to it.
  Tool(ID_TOOL_CURVE);
  const CellPoint a{40, 30}, b{60, 32}, c{62, 50}, d{40, 52}, e{30, 45};
  run.Click(a);
  run.Click(b);
  run.Click(c, MK_CONTROL);
  run.Click(d);
  run.Click(e);
  run.RightClick({35, 40});
  check.Check("continuous curve",
              Curve(a, a, b, c) + ", " + Curve(b, c, d, e) + ", " + Curve(c, d, e, e));

  // Concentration lines: Ctrl draws a guide line.
  Tool(ID_TOOL_CONCENTRATION);
  const CellPoint centre{80, 20};
  run.Click(centre);
  run.Click({70, 8});
  run.Click({95, 10}, MK_CONTROL);
  run.Click({100, 30});
  run.RightClick({90, 30});
  check.Check("concentration lines", Line(centre, {70, 8}) + ", " + Line(centre, {95, 10}, true) +
                                         ", " + Line(centre, {100, 30}));

  // Parallel lines: the copy follows the mouse, Ctrl + right click turns it a quarter.
  Tool(ID_TOOL_PARALLEL);
  run.Click({70, 40});
  run.Click({90, 42});
  run.Move({85, 50});
  run.RightClick({85, 50}, MK_CONTROL);
  run.Click({85, 55});
  run.Click({100, 60}, MK_CONTROL);
  run.RightClick({100, 60});
  check.Check("parallel lines", Line({70, 40}, {90, 42}) + ", " + Line({87, 35}, {85, 55}) + ", " +
                                    Line({102, 40}, {100, 60}, true));

  // Rectangles: an outline, a filled one with Ctrl, and one dragged up to the left.
  Tool(ID_TOOL_RECTANGLE);
  run.Drag({{5, 58}, {12, 62}, {20, 70}});
  run.Drag({{25, 58}, {35, 70}}, MK_CONTROL);
  run.Drag({{60, 76}, {40, 58}});
  check.Check("rectangles",
              Op("rect", "\"rect\": " + Rect4(5, 58, 15, 12)) + ", " +
                  Op("rect", "\"rect\": " + Rect4(25, 58, 10, 12) + ", \"filled\": true") + ", " +
                  Op("rect", "\"rect\": " + Rect4(60, 76, -20, -18)));

  // Fill with the dark shadow-boundary pen: a sparse screen; the snap grid does not apply.
  Tool(ID_TOOL_FILL);
  run.RightClick({100, 75});  // picks the transparent pen there, then the chooser
  ChooseSwatch(run, 0, 1);
  run.Click({10, 65});
  check.Check("fill", PenOp(7, 0, 0, 9) + ", " + Op("fill", "\"at\": " + P({10, 65})));

  // Gradation: the first click keeps the pen of the moment, the second uses the one chosen
  // between them.
  Tool(ID_TOOL_GRADATION);
  run.RightClick({100, 75});
  ChooseSwatch(run, 1, 3);
  run.Click({43, 62});
  run.RightClick({100, 75});
  ChooseSwatch(run, 3, 12);
  run.Click({57, 72});
  check.Check("gradation",
              PenOp(7, 12, 3, 4) + ", " +
                  Op("gradation",
                     "\"from\": " + P({43, 62}) +
                         ", \"fromPen\": {\"density\": 3, \"colorA\": 1, \"colorB\": 2}, \"to\": " +
                         P({57, 72})));

  // The eraser: squares where the mouse is reported, twice the size at 1/2.
  Tool(ID_TOOL_ERASER);
  run.Drag({{12, 12}, {16, 13}, {20, 15}});
  std::string erased = Op("eraser", "\"at\": " + P({12, 12}) + ", \"size\": 4") + ", " +
                       Op("eraser", "\"at\": " + P({16, 13}) + ", \"size\": 4") + ", " +
                       Op("eraser", "\"at\": " + P({20, 15}) + ", \"size\": 4");
  Tool(ID_TOOL_ZOOM);
  run.RightClick({50, 40});
  run.SetZoom(1, 2);
  Tool(ID_TOOL_ERASER);
  run.Click({60, 31});
  erased += ", " + Op("eraser", "\"at\": " + P({60, 31}) + ", \"size\": 8");
  Tool(ID_TOOL_ZOOM);
  run.Click({50, 40});
  run.SetZoom(1, 1);
  check.Check("eraser", erased);

  // Border with a size-2 pen around the filled rectangle.
  Tool(ID_TOOL_BORDER);
  run.Char(L'f');
  run.Drag({{22, 56}, {30, 60}, {38, 73}});
  check.Check("border",
              PenOp(8, 12, 3, 4) + ", " + Op("border", "\"rect\": " + Rect4(22, 56, 16, 17)));

  // Mosaic of 8-pixel blocks over what is seen of both layers.
  Tool(ID_TOOL_MOSAIC);
  run.RightClick({50, 10});
  run.Drag({{44, 5}, {50, 12}, {59, 20}});
  check.Check("mosaic", Op("mosaic", "\"rect\": " + Rect4(44, 5, 16, 16) + ", \"block\": 8"));

  // Region select: a selection dragged twice moves the pixels as they were before.
  Tool(ID_TOOL_SELECT);
  run.Drag({{6, 28}, {28, 38}});
  const int beforeMoves = check.Saves() - 1;
  run.Drag({{16, 33}, {20, 40}, {26, 45}});
  check.Check("selection moved",
              Op("moveRegion", "\"rect\": " + Rect4(6, 28, 22, 10) + ", \"to\": " + P({16, 40})));
  run.Drag({{20, 44}, {25, 50}});
  check.Check("selection moved again",
              Op("moveRegion", "\"rect\": " + Rect4(6, 28, 22, 10) + ", \"to\": " + P({21, 46})),
              beforeMoves);

  // The frame and layer positions.
  Tool(ID_TOOL_FRAME_POSITION);
  run.Drag({{50, 40}, {55, 46}});
  Tool(ID_TOOL_LAYER_POSITION);
  run.Drag({{50, 40}, {47, 42}});
  check.Check("positions",
              Op("framePosition", "\"to\": [5, 6]") + ", " + Op("layerPosition", "\"to\": [1, 5]"));
}

// The ink layer's cell of a saved cut.
const RasterSurface& Ink(Cut& cut) {
  return *cut.LayerAt(1)->CellAt(0);
}

// What the clipboard holds in a format, or nothing.
std::vector<uint8_t> ClipboardBytes(UINT format) {
  std::vector<uint8_t> bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    if (const auto* p = static_cast<const uint8_t*>(GlobalLock(data))) {
      bytes.assign(p, p + GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return bytes;
}

// The cell as a 16-colour bitmap with the editor's fixed colours, rows bottom-up.
std::vector<uint8_t> ExpectedDib(const RasterSurface& cell) {
  const uint32_t colours[16] = {0xE1FFFF, 0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF, 0x8F8FBF,
                                0xADADD9, 0xCECEF2, 0x000000, 0x555555, 0xAAAAAA, 0xFFFF66,
                                0xD0D053, 0x70702D, 0x40401A, 0xFF0000};
  const int stride = ((cell.Width() + 7) / 8) * 4;
  std::vector<uint8_t> dib(40 + 64 + size_t(stride) * cell.Height(), 0);
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) dib[at + i] = uint8_t(v >> (8 * i));
  };
  put(0, 40, 4);
  put(4, cell.Width(), 4);
  put(8, cell.Height(), 4);
  put(12, 1, 2);
  put(14, 4, 2);
  put(20, uint32_t(stride * cell.Height()), 4);
  put(32, 16, 4);
  for (int i = 0; i < 16; ++i) put(40 + 4 * i, colours[i], 3);
  for (int y = 0; y < cell.Height(); ++y)
    for (int x = 0; x < cell.Width(); ++x)
      dib[104 + size_t(cell.Height() - 1 - y) * stride + x / 2] |=
          uint8_t(cell.GetPixel(x, y) << (x % 2 ? 0 : 4));
  return dib;
}

TEST_F(Editor, CopyAndPasteAcrossWindowsAndThroughTheClipboard) {
  DrawingSession& run = *run_;
  // A filled tone rectangle in the first cut.
  Tool(ID_TOOL_RECTANGLE);
  run.RightClick({60, 60});
  ChooseSwatch(run, 1, 6);
  run.Drag({{10, 10}, {50, 50}}, MK_CONTROL);
  run.Command(ID_CUT_OVERWRITE);
  auto drawn = Load(cut_);
  ASSERT_TRUE(drawn);
  HWND first = run.Cut();

  const std::wstring second = folder_ + L"\\second.cut";
  ASSERT_TRUE(CopyFileW(gEnv.cut.c_str(), second.c_str(), FALSE));
  ASSERT_TRUE(run.OpenThroughDialog(second));
  HWND other = run.Cut();
  ASSERT_NE(other, first);

  // Cut a region of the first; pasted in the other it lands at the top-left corner.
  run.Activate(first);
  Tool(ID_TOOL_SELECT);
  run.Drag({{8, 8}, {58, 58}});
  run.Command(ID_CELL_CUT);
  run.Activate(other);
  run.Command(ID_CELL_PASTE);
  // Pasted back into the window it came from, it lands where it was cut.
  run.Activate(first);
  run.Command(ID_CELL_PASTE);
  run.Command(ID_CUT_OVERWRITE);
  auto restored = Load(cut_);
  ASSERT_TRUE(restored);
  EXPECT_EQ(Difference(*restored, *drawn), "");

  // The clipboard's picture over the other: four 20 × 20 squares, the key colour a hole.
  run.Activate(other);
  run.Command(ID_CLIPBOARD_PASTE);
  run.Command(ID_CUT_OVERWRITE);
  auto pasted = Load(second);
  ASSERT_TRUE(pasted);
  const RasterSurface& was = Ink(*drawn);
  const RasterSurface& now = Ink(*pasted);
  int greys[4] = {};
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      const int region = x < 50 && y < 50 ? was.GetPixel(8 + x, 8 + y) : 0;
      const int v = now.GetPixel(x, y);
      if (x >= 40 || y >= 40 || (x >= 20 && y >= 20)) {
        ASSERT_EQ(v, region) << x << ", " << y;
      } else if (y < 20) {
        ASSERT_EQ(v, x < 20 ? 4 : 1) << x << ", " << y;
      } else {
        ++greys[std::clamp(v, 0, 3)];
      }
    }
  }
  EXPECT_EQ(greys[2], 200);  // mid grey: half dark, half light grey
  EXPECT_EQ(greys[3], 200);

  run.Activate(first);
  // The whole cell on the clipboard, byte for byte.
  run.Command(ID_CLIPBOARD_COPY);
  EXPECT_EQ(ClipboardBytes(CF_DIB), ExpectedDib(Ink(*restored)));
}

TEST_F(Editor, ADroppedPictureLandsInTheCellAsOrvinaImportPlacesIt) {
  if (gEnv.picture.empty()) GTEST_SKIP() << "no --picture";
  DrawingSession& run = *run_;
  const std::vector<uint8_t> before = ReadFileBytes(cut_);
  // The save is posted after the drop, so it runs when the drop is done.
  run.PostDrop(gEnv.picture, run.Cut());
  run.PostCommand(ID_CUT_OVERWRITE);
  ASSERT_TRUE(WaitFor(20000, [&] { return ReadFileBytes(cut_) != before; })) << "nothing was saved";
  EXPECT_TRUE(run.NoDialog());
  auto dropped = Load(cut_);
  auto imported = Load(gEnv.imported);
  ASSERT_TRUE(dropped && imported);
  const RasterSurface& mine = Ink(*dropped);
  const RasterSurface& theirs = *imported->LayerAt(0)->CellAt(0);
  ASSERT_EQ(mine.Width(), theirs.Width());
  int differ = 0, lines = 0;
  for (int y = 0; y < mine.Height(); ++y)
    for (int x = 0; x < mine.Width(); ++x) {
      differ += mine.GetPixel(x, y) != theirs.GetPixel(x, y);
      lines += mine.GetPixel(x, y) == 8;
    }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(lines, 100);
  // A cut file dropped on the window still opens as a cut.
  const std::wstring other = folder_ + L"\\other.cut";
  ASSERT_TRUE(CopyFileW(gEnv.cut.c_str(), other.c_str(), FALSE));
  run.PostDrop(other, run.Cut());
  EXPECT_TRUE(WaitFor(10000, [&] { return run.CutWindows().size() == 2; }));
}

TEST_F(Editor, VerticalTextWritesItsLinesFromRightToLeft) {
  DrawingSession& run = *run_;
  Tool(ID_TOOL_TEXT);
  const POINT at = run.At({10, 5});
  run.Mouse(WM_MOUSEMOVE, at);
  run.Mouse(WM_LBUTTONDOWN, at, MK_LBUTTON);
  run.PostMouse(WM_LBUTTONUP, at);
  HWND dialog = run.WaitForDialog(20000);
  ASSERT_TRUE(dialog);
  const std::wstring text = L"ABC\r\nD";  // three characters, then one
  SendMessageW(GetDlgItem(dialog, IDC_TEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(WaitFor(20000, [&] { return !IsWindow(dialog); }));
  run.Click({10, 5});
  run.Command(ID_CUT_OVERWRITE);
  auto cut = Load(cut_);
  ASSERT_TRUE(cut);
  const RasterSurface& ink = Ink(*cut);
  // Written in the pen's black; the first line is the long column on the right.
  int left = ink.Width(), right = -1;
  for (int y = 0; y < ink.Height(); ++y)
    for (int x = 0; x < ink.Width(); ++x)
      if (ink.GetPixel(x, y)) left = std::min(left, x), right = std::max(right, x);
  ASSERT_GT(right, left + 24) << "no two columns of text";
  const int middle = (left + right) / 2;
  int bottomRight = -1, bottomLeft = -1;
  for (int y = 0; y < ink.Height(); ++y)
    for (int x = left; x <= right; ++x)
      if (ink.GetPixel(x, y)) (x > middle ? bottomRight : bottomLeft) = y;
  // Three letters down the right column, one in the left.
  int top = ink.Height();
  for (int y = 0; y < ink.Height() && top == ink.Height(); ++y)
    for (int x = 0; x < ink.Width(); ++x)
      if (ink.GetPixel(x, y)) top = y;
  EXPECT_GT(bottomRight - top, 2 * (bottomLeft - top));
  EXPECT_GE(left, 10);
}

// A cut for the keys: three frames showing three cells of line art, the middle frame a
// keyframe.
bool WriteKeysCut(const std::wstring& path) {
  Cut cut(kCanvasWidth, kCanvasHeight, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  AddLayerToFrames(cut, std::string("paper"), kCanvasWidth, kCanvasHeight, std::make_pair(0, 0),
                   nullptr, false);
  AddLayerToFrames(cut, std::string("ink"), 110, 80, std::make_pair(kLayerX, kLayerY), nullptr,
                   false);
  for (int k = 0; k < 3; ++k) {
    if (k > 0 && !(AddFrameCopy(cut) && AddCellAfter(cut))) return false;
    RasterSurface& cell = *CurrentCell(cut)->cell;
    for (int i = 0; i < 40; ++i) {
      cell.SetPixel(20 + 30 * k + i / 2, 10 + i, 8);
      cell.SetPixel(10 + i, 60 - 15 * k, 8);
    }
  }
  cut.FrameAt(1)->SetKeyframe(true);
  cut.GoFrame(0);
  return SaveCut(cut, Utf8(path));
}

// What a user sees of a run: the frame's client area on the screen once painted, the saved
// cut's bytes, the caption of a dialog the step opened.
struct Seen {
  Image screen;
  std::vector<uint8_t> file;
  std::wstring dialog;
  bool operator==(const Seen&) const = default;
};

Seen Look(DrawingSession& run, const std::wstring& cut, const std::wstring& dialog) {
  run.Command(ID_CUT_OVERWRITE);
  RedrawWindow(run.Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Seen seen{CaptureClient(run.Window()), ReadFileBytes(cut), dialog};
  // Painting has settled when two looks 50 ms apart agree (a closed dialog's exposure comes
  // back from the X server a little later).
  WaitFor(3000, [&] {
    Sleep(50);
    Image again = CaptureClient(run.Window());
    const bool settled = again == seen.screen;
    seen.screen = std::move(again);
    return settled;
  });
  return seen;
}

TEST(Keys, EveryPairOfCharactersDoesTheSame) {
  // Two editors side by side: one is typed the first character of each pair, the other the
  // second; after every step both must look alike, and the step must have changed what is
  // seen.
  const std::wstring keysCut = gEnv.work + L"\\keys.cut";
  ASSERT_TRUE(WriteKeysCut(keysCut));
  std::unique_ptr<DrawingSession> runs[2];
  std::wstring cuts[2];
  for (int i = 0; i < 2; ++i) {
    const std::wstring folder = gEnv.work + L"\\keys" + std::to_wstring(i);
    runs[i] = std::make_unique<DrawingSession>(gEnv.editor, folder, kSettings);
    cuts[i] = folder + L"\\keys.cut";
    ASSERT_TRUE(CopyFileW(keysCut.c_str(), cuts[i].c_str(), FALSE));
    ASSERT_TRUE(runs[i]->Start(cuts[i]));
    MoveWindow(runs[i]->Window(), 640 * i, 0, 636, 1000, TRUE);
    runs[i]->SetCanvas(kCanvasWidth, kCanvasHeight);
    runs[i]->SetLayerOffset(kLayerX, kLayerY);
  }
  using Action = std::function<void(DrawingSession&)>;
  struct Step {
    const char* pair;
    Action before = nullptr, after = nullptr;
  };
  auto stroke = [](DrawingSession& r) {
    r.Command(ID_TOOL_FREE_PEN);
    r.Drag({{30, 40}, {60, 45}, {80, 70}});
  };
  auto hover = [](DrawingSession& r) { r.Move({50, 50}); };
  auto cursorOver = [](DrawingSession& r) {
    POINT p = r.At({50, 40});
    ClientToScreen(r.Cut(), &p);
    SetCursorPos(p.x, p.y);
  };
  // Off both editors again: a dialog that closes over one of them would make the window
  // under the pointer show the pen there.
  auto cursorAway = [](DrawingSession&) {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  };
  const std::vector<Step> steps = {
      {"38"},
      {"47"},
      {"29"},
      {"W{"},
      {"Q`"},
      {"01"},
      {"56"},
      {"*S"},
      {"A}"},
      {"fj", [](DrawingSession& r) { r.Command(ID_TOOL_FREE_PEN); }, hover},
      {"dk", nullptr, hover},
      {"ls", cursorOver},
      {";a", cursorOver, cursorAway},
      {"/z", stroke},
      {".x", stroke},
      {"?X"},
      // The cut opens on its last frame, which shows the last of three cells.
      {"cm"},
      {",v"},
      {"<C"},
      {">V"},
      {"DJ"},
      {"FK"},
      {"bn"},
      {"BM"},
      {"EO"},
      {"ir"},
      {"pw"},
      {"oq"},
      {"PR"},
      {"eu"},
      {"ty"},
      {"IT"},
      {"GH"},
      {"gh"},
      {"  "},
  };
  Seen last[2];
  for (int i = 0; i < 2; ++i) last[i] = Look(*runs[i], cuts[i], L"");
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string("keys ") + step.pair);
    const bool dialog = std::string("GHgh").find(step.pair[0]) != std::string::npos;
    Seen seen[2];
    for (int i = 0; i < 2; ++i) {
      DrawingSession& r = *runs[i];
      if (step.before) step.before(r);
      if (step.before) last[i] = Look(r, cuts[i], L"");
      std::wstring caption;
      if (dialog) {
        r.PostChar(wchar_t(step.pair[i]));
        HWND box = r.WaitForDialog(20000);
        ASSERT_TRUE(box);
        wchar_t text[128] = {};
        GetWindowTextW(box, text, 128);
        caption = text;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(WaitFor(20000, [&] { return !IsWindow(box); }));
      } else {
        r.Char(wchar_t(step.pair[i]));
      }
      if (step.after) step.after(r);
      seen[i] = Look(r, cuts[i], caption);
    }
    EXPECT_EQ(seen[0].dialog, seen[1].dialog);
    EXPECT_TRUE(seen[0].file == seen[1].file) << "the saved cuts differ";
    EXPECT_TRUE(seen[0].screen == seen[1].screen) << "the windows look different";
    if (dialog) {
      EXPECT_FALSE(seen[0].dialog.empty());
    } else {
      EXPECT_FALSE(seen[0] == last[0]) << "nothing changed";
    }
    last[0] = seen[0];
    last[1] = seen[1];
  }
  if (!gEnv.shots.empty()) SaveBitmap(gEnv.shots + L"\\editor_keys.bmp", last[0].screen);
}

TEST_F(Editor, ThePenChooserStaysOnTheScreenAndTheRightButtonKeepsItOpen) {
  DrawingSession& run = *run_;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN),
            screenHeight = GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(run.Window(), screenWidth - 500, screenHeight - 400, 500, 400, TRUE);
  Tool(ID_TOOL_FREE_PEN);
  RECT client;
  GetClientRect(run.Cut(), &client);
  const POINT corner{client.right - 3, client.bottom - 3};
  run.Mouse(WM_RBUTTONDOWN, corner, MK_RBUTTON);
  run.Mouse(WM_RBUTTONUP, corner);
  HWND chooser = run.PenChooser();
  ASSERT_TRUE(chooser);
  RECT r;
  GetWindowRect(chooser, &r);
  EXPECT_EQ(r.left, screenWidth - 230);
  EXPECT_EQ(r.top, screenHeight - 62);
  EXPECT_EQ(r.right, screenWidth);
  EXPECT_EQ(r.bottom, screenHeight);
  // Swatches chosen with the right button leave it open; the left button's release closes it.
  DWORD_PTR ignored;
  for (const LPARAM at :
       {MAKELPARAM(4 + 14 * 5 + 6, 4 + 28 + 6), MAKELPARAM(4 + 14 * 12 + 6, 10)}) {
    SendMessageTimeoutW(chooser, WM_RBUTTONDOWN, MK_RBUTTON, at, SMTO_NORMAL, 10000, &ignored);
    SendMessageTimeoutW(chooser, WM_RBUTTONUP, 0, at, SMTO_NORMAL, 10000, &ignored);
    EXPECT_TRUE(IsWindowVisible(chooser));
  }
  // Row 2 column 5 and the size of column 12: a size-5 pen of density 5 in dark and light grey.
  const POINT middle{client.right / 2, client.bottom / 2};
  run.Mouse(WM_MOUSEMOVE, middle);
  EXPECT_FALSE(IsWindowVisible(chooser));  // every mouse message in the view hides it
  run.Mouse(WM_LBUTTONDOWN, middle, MK_LBUTTON);
  run.Mouse(WM_LBUTTONUP, middle);
  run.Command(ID_CUT_OVERWRITE);
  auto cut = Load(cut_);
  ASSERT_TRUE(cut);
  const CellPoint dab = run.CellUnder(middle);
  auto expected = Load(gEnv.cut);
  ASSERT_TRUE(expected);
  RasterSurface& ink = const_cast<RasterSurface&>(Ink(*expected));
  ink.Stamp(dab.x, dab.y, ::Pen{11, 5, 2, 3}, 0, nullptr);
  DrawLine(ink, dab.x, dab.y, dab.x, dab.y, ::Pen{11, 5, 2, 3}, 0, nullptr);
  EXPECT_EQ(Difference(*cut, *expected), "");
  // The cancel message is routed like the mouse: a tool change closes the chooser.
  run.Mouse(WM_RBUTTONDOWN, middle, MK_RBUTTON);
  run.Mouse(WM_RBUTTONUP, middle);
  EXPECT_TRUE(IsWindowVisible(chooser));
  Tool(ID_TOOL_LINE);
  EXPECT_FALSE(IsWindowVisible(chooser));
}

// 1920 × 1080, eight layers of line art and fills, `cellsPerLayer` cells each.
std::wstring WriteBigCut(const std::wstring& path, int cellsPerLayer) {
  Cut cut(1920, 1080, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  for (int l = 0; l < 8; ++l) {
    AddLayerToFrames(cut, std::nullopt, 1920, 1080, std::make_pair(-8 * l, 5 * l), nullptr, false);
    RasterSurface& cell = *CurrentCell(cut)->cell;
    for (int32_t y = 0; y < 1080; y += 24 + l)
      DrawLine(cell, 0, y, 1919, y + 300, ::Pen{7, 0, 0, 1}, 0, nullptr);
    if (l == 0) cell.FillRect(0, 0, 1920, 1080, ::Pen{0, 6, 2, 3}, 0, nullptr);
    Layer& layer = *cut.LayerAt(l);
    for (int k = 1; k < cellsPerLayer; ++k) {
      layer.InsertCellAfter(k - 1, 0);
      const RasterSurface& first = cell;
      std::memcpy(layer.CellAt(k)->Bits(), first.Bits(), first.ByteSize());
    }
  }
  EXPECT_TRUE(SaveCut(cut, Utf8(path)));
  return path;
}

// The free pen on a big cut with an 8-pixel tone pen: one stroke of 200 mouse moves of 5
// pixels, each timed from sending it to the end of its handling, which copies the repainted
// rectangle to the window. `during` runs after a first stroke, before the timed one.
void MeasureFreePen(DrawingSession& run, const char* what,
                    const std::function<void()>& during = {}) {
  run.SetCanvas(1920, 1080);
  run.Command(ID_TOOL_FREE_PEN);
  run.RightClick({100, 100});
  ChooseSwatch(run, 2, 6);
  for (int i = 0; i < 7; ++i) run.Char(L'f');
  auto sendMs = [&](UINT message, POINT at, WPARAM keys) {
    const double start = NowMs();
    run.Mouse(message, at, keys);
    return NowMs() - start;
  };
  auto stroke = [&](POINT from) {
    std::vector<double> moves;
    sendMs(WM_MOUSEMOVE, from, 0);
    sendMs(WM_LBUTTONDOWN, from, MK_LBUTTON);
    for (int i = 1; i <= 200; ++i)
      moves.push_back(sendMs(WM_MOUSEMOVE,
                             POINT{from.x + 5 * i, from.y + (i % 40 < 20 ? i % 20 : 20 - i % 20)},
                             MK_LBUTTON));
    sendMs(WM_LBUTTONUP, POINT{from.x + 1000, from.y}, 0);
    return moves;
  };
  if (during) {
    stroke(run.At({100, 400}));
    during();
  }
  std::vector<double> moves = stroke(run.At({100, 200}));
  std::vector<double> idle;
  for (int i = 0; i < 200; ++i) {
    const double start = NowMs();
    DWORD_PTR ignored;
    SendMessageTimeoutW(run.Cut(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    idle.push_back(NowMs() - start);
  }
  std::sort(moves.begin(), moves.end());
  std::sort(idle.begin(), idle.end());
  std::printf(
      "free pen move, 1920 x 1080, 8 layers, 8-pixel tone pen%s: median %.3f ms, worst %.3f ms"
      " (a message's round trip alone: median %.3f ms)\n",
      what, moves[moves.size() / 2], moves.back(), idle[idle.size() / 2]);
  EXPECT_EQ(moves.size(), 200u);
}

TEST(Latency, FreePenStrokeOnABigCut) {
  // Reported, not judged.
  const std::wstring bigCut = WriteBigCut(gEnv.work + L"\\big.cut", 1);
  DrawingSession run(gEnv.editor, gEnv.work + L"\\latency", kSettings);
  ASSERT_TRUE(run.Start(bigCut));
  MeasureFreePen(run, "");
}

TEST(Latency, FreePenStrokeWhileARecoveryCopyIsWritten) {
  // The cut's first copy codes all of its 48 cells on the writer thread; the timed stroke
  // starts once that copy is being written.
  const std::wstring bigCut = WriteBigCut(gEnv.work + L"\\big48.cut", 6);
  DrawingSession run(gEnv.editor, gEnv.work + L"\\latency_copies",
                     std::string(kSettings) + "[Recovery]\r\nInterval=1\r\n");
  ASSERT_TRUE(run.Start(bigCut));
  const std::string root = Utf8(run.Folder() + L"\\OrvinaDeveloper.recovery");
  auto writing = [&] {
    for (const std::string& session : FoldersIn(root))
      for (const std::string& file : FilesIn(root + "\\" + session))
        if (file.size() > 7 && file.substr(file.size() - 7) == ".saving") return true;
    return false;
  };
  bool overlapped = false;
  MeasureFreePen(run, " while a recovery copy is written", [&] {
    ASSERT_TRUE(WaitFor(15000, writing)) << "no copy was begun";
  });
  overlapped = writing();
  std::printf("the copy was %s when the stroke ended\n",
              overlapped ? "still being written" : "written");
}

// The base cut: shapes on the bottom layer, the top layer empty.
bool WriteBaseCut(const std::wstring& path) {
  Cut cut(kCanvasWidth, kCanvasHeight, 24, "", AntiAlias::kFull);
  cut.AddFrame();
  AddLayerToFrames(cut, std::string("paper"), kCanvasWidth, kCanvasHeight, std::make_pair(0, 0),
                   nullptr, false);
  RasterSurface& bottom = *CurrentCell(cut)->cell;
  for (int32_t y = 0; y < kCanvasHeight; ++y)
    for (int32_t x = 0; x < kCanvasWidth; ++x) {
      const int dx = x - 56, dy = y - 14;
      if (dx * dx + dy * dy < 100)
        bottom.SetPixel(x, y, 1);
      else if (x > 60 && y < 30)
        bottom.SetPixel(x, y, 2 + (x + y) % 2);
    }
  AddLayerToFrames(cut, std::string("ink"), 110, 80, std::make_pair(kLayerX, kLayerY), nullptr,
                   false);
  cut.SetFrameSize(80, 60);
  return SaveCut(cut, Utf8(path));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!ReadDriverFlags(argc, argv,
                       {{"--editor", &gEnv.editor, true},
                        {"--orvina", &gEnv.orvina, true},
                        {"--work", &gEnv.work, true},
                        {"--shots", &gEnv.shots},
                        {"--picture", &gEnv.picture},
                        {"--imported", &gEnv.imported}},
                       "tools_driver --editor E --orvina O --work FOLDER [--shots D] [--picture P --imported C]"))
    return 2;
  gEnv.cut = gEnv.work + L"\\base.cut";
  if (!WriteBaseCut(gEnv.cut)) {
    std::fprintf(stderr, "cannot write the base cut\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
