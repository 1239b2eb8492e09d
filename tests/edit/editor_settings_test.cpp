#include "edit/editor_settings.h"

#include <gtest/gtest.h>

#include "edit/open_path.h"

namespace {

const std::string kFace{kDefaultFontFace};

TEST(EditorSettingsTest, DefaultsAndWrittenValuesReadBackUnchanged) {
  EXPECT_EQ(ParseFontSetting(kFace + ", 24, 12, 400"), FontSetting{});
  EXPECT_EQ(FormatFontSetting(FontSetting{}), kFace + ", 24, 12, 400");
  const FontSetting vertical{"@Gothic A", 18, 0, 1000};
  EXPECT_EQ(ParseFontSetting(FormatFontSetting(vertical)), vertical);

  EXPECT_EQ(FormatBrushSetting(ParseBrushSetting("7, 0, 1, 0, 1, 0")), "7, 0, 1, 0, 1, 0");
  DrawingSettings square;
  square.pen = Pen{3, 9, 4, 5};
  square.smoothingSkip = false;
  square.squarePen = true;
  EXPECT_EQ(FormatBrushSetting(square), "3, 4, 5, 9, 0, 1");
  const DrawingSettings back = ParseBrushSetting(FormatBrushSetting(square));
  EXPECT_EQ(back.pen, square.pen);  // a square pen comes back square, same size
  EXPECT_FALSE(back.smoothingSkip);
  EXPECT_TRUE(back.squarePen);

  EXPECT_EQ(ParseClipColor("#00ff00"), 0x00FF00u);
  EXPECT_EQ(FormatClipColor(0x0A0BFC), "#0A0BFC");
  EXPECT_EQ(ParseClipColor(FormatClipColor(0x0A0BFC)), 0x0A0BFCu);
  EXPECT_EQ(ParseNumberSetting(FormatNumberSetting(640), kNewCutWidth), 640);
}

TEST(EditorSettingsTest, EveryDamagedFieldFallsBackToItsOwnDefault) {
  const std::pair<std::string, std::string> brushes[] = {
      {"", "7, 0, 1, 0, 1, 0"},
      {"junk", "7, 0, 1, 0, 1, 0"},
      {"3", "11, 0, 1, 0, 1, 0"},  // fewer fields; the shape agrees with the square flag
      {"9 2 3", "9, 0, 1, 0, 1, 0"},
      {"20, 5, 16, -1, 0, 1", "7, 5, 1, 0, 0, 1"},
      {"-1, 15, 0, 17, 1", "7, 15, 0, 0, 1, 0"},
      {"99999999999999999999, 1, 2, 3, 4, 5", "7, 1, 2, 3, 1, 1"},
      {"12,2,3,16,0,0 trailing", "12, 2, 3, 16, 0, 0"},
      {"12, 2, x, 16, 0, 0", "12, 2, 1, 0, 1, 0"},
      {"11, 0, 1, 0, 1, 1", "3, 0, 1, 0, 1, 1"},
  };
  for (const auto& [in, want] : brushes)
    EXPECT_EQ(FormatBrushSetting(ParseBrushSetting(in)), want) << in;

  const std::pair<std::string, std::string> fonts[] = {
      {"", kFace + ", 24, 12, 400"},
      {", 10, 5, 700", kFace + ", 24, 12, 400"},
      {"Arial", "Arial, 24, 12, 400"},
      {"Arial, 10", "Arial, 10, 12, 400"},
      {"Arial, 99999, 5, 2000", "Arial, 24, 5, 400"},
      {"Arial, 10, -1, 700", "Arial, 10, 12, 700"},
      {"Arial, 10, 0, 0", "Arial, 10, 0, 0"},
  };
  for (const auto& [in, want] : fonts)
    EXPECT_EQ(FormatFontSetting(ParseFontSetting(in)), want) << in;

  const std::pair<std::string, uint32_t> colours[] = {
      {"", 0x00FF00},    {"12AB34", 0x00FF00}, {"#12AB", 0x12AB00},
      {"#1g", 0x01FF00}, {"#FfA", 0xFF0A00},
  };
  for (const auto& [in, want] : colours) EXPECT_EQ(ParseClipColor(in), want) << in;

  EXPECT_EQ(ParseNumberSetting("", kNewCutWidth), 240);
  EXPECT_EQ(ParseNumberSetting("0", kNewFilmHeight), 240);
  EXPECT_EQ(ParseNumberSetting("32768", kNewCutFps), 24);
  EXPECT_EQ(ParseNumberSetting(" 30", kNewCutFps), 30);
  EXPECT_EQ(ParseNumberSetting("3", kNewCutAntiAlias), 0);
  EXPECT_EQ(ParseNumberSetting("2", kNewCutAntiAlias), 2);
  EXPECT_EQ(ParseNumberSetting("1", kClipFlagSetting), 1);
  EXPECT_EQ(ParseNumberSetting("0", kRecoveryInterval), 0);
  EXPECT_EQ(ParseNumberSetting("-5", kRecoveryInterval), 30);
  EXPECT_EQ(ParseNumberSetting("90 s", kRecoveryInterval), 90);
  // Texts keep their buffer's length without splitting a double-byte character.
  EXPECT_EQ(ParseTextSetting(std::string(78, 'a') + "\x83\x4e", kSettingTextMax),
            std::string(78, 'a'));
}

TEST(DrawingSettingsTest, SizeStepsAndTheSquareToggleKeepTheShapeInItsFamily) {
  struct Case {
    int32_t shape;
    bool square;
    void (*op)(DrawingSettings&);
    int32_t want;
    bool wantSquare;
  };
  const Case cases[] = {
      {7, false, PenSizeSmaller, 7, false},  {10, false, PenSizeSmaller, 9, false},
      {14, false, PenSizeLarger, 14, false}, {7, true, PenSizeLarger, 6, true},
      {0, true, PenSizeLarger, 0, true},     {1, true, PenSizeSmaller, 2, true},
      {10, false, ToggleSquarePen, 4, true}, {4, true, ToggleSquarePen, 10, false},
      {7, false, ToggleSquarePen, 7, true},  {11, true, RederivePenShape, 3, true},
      {40, false, PenSizeLarger, 8, false},
  };
  for (const Case& c : cases) {
    DrawingSettings s;
    s.pen.shape = c.shape;
    s.squarePen = c.square;
    c.op(s);
    EXPECT_EQ(s.pen.shape, c.want) << c.shape;
    EXPECT_EQ(s.squarePen, c.wantSquare) << c.shape;
  }
}

TEST(OpenPathTest, Extensions) {
  const std::pair<std::string, OpenKind> paths[] = {
      {"C:\\My Cuts\\a b.cut", OpenKind::kCut},
      {"scene.Lyr", OpenKind::kLayer},
      {"C:/films/x.FLM", OpenKind::kFilm},
      {"\"C:\\a.cut\"", OpenKind::kNothing},
      {"x.cut.bak", OpenKind::kNothing},
      {"dir.cut\\file", OpenKind::kNothing},
      {"x.cutx", OpenKind::kNothing},
      {"\x95\x5c.cut", OpenKind::kCut},  // 表.cut: the trail byte is no separator
      {"a.cut\\\x95\x5c", OpenKind::kNothing},
      {"", OpenKind::kNothing},
  };
  for (const auto& [path, want] : paths) EXPECT_EQ(OpenKindOf(path), want) << path;
}

}  // namespace
