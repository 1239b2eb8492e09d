#include "model/pixel_class.h"

#include <gtest/gtest.h>

TEST(PixelClassTest, ToneLevelCoversDrawingWhiteAndPaleClassesOnly) {
  const int expected[25] = {-1, 0, 1, 2, 3, -1, -1, -1, 0,  1,  2,  -1, -1,
                            -1, -1, -1, 0, 1, 2, -1, -1, -1, -1, -1, -1};
  for (int v = 0; v < 25; ++v) EXPECT_EQ(ToneLevel(v), expected[v]) << v;
  EXPECT_EQ(ToneLevel(-1), kNoTone);
  EXPECT_EQ(ToneLevel(255), kNoTone);
}

TEST(PixelClassTest, ShiftToneClampsAndRefusesToneless) {
  EXPECT_EQ(ShiftTone(1, -2), 1);
  EXPECT_EQ(ShiftTone(4, +1), 4);
  EXPECT_EQ(ShiftTone(9, +1), 3);
  EXPECT_EQ(ShiftTone(17, -1), 1);
  EXPECT_EQ(ShiftTone(5, +1), 0);
  EXPECT_EQ(ShiftTone(0, +1), 0);
  EXPECT_EQ(ShiftTone(8, -2), 1);  // line darkened gives black, not line
  EXPECT_EQ(ShiftTone(1, +1), 2);
  EXPECT_EQ(ShiftTone(2, +2), 4);
  // Every drawing class shifted by every step.
  const int classes[] = {1, 2, 3, 4, 8, 9, 10};
  const int expected[7][4] = {// -2 -1 +1 +2
                              {1, 1, 2, 3}, {1, 1, 3, 4}, {1, 2, 4, 4}, {2, 3, 4, 4},
                              {1, 1, 2, 3}, {1, 1, 3, 4}, {1, 2, 4, 4}};
  const int steps[] = {-2, -1, 1, 2};
  for (int c = 0; c < 7; ++c)
    for (int s = 0; s < 4; ++s)
      EXPECT_EQ(ShiftTone(classes[c], steps[s]), expected[c][s]) << classes[c] << " " << steps[s];
  for (int v : {5, 6, 7, 11, 12, 13, 14, 15, 19, 24}) EXPECT_EQ(ShiftTone(v, 1), 0) << v;
}

TEST(PixelClassTest, UnderdrawingConversions) {
  const int converted[16] = {0, 5, 6, 7, 0, 5, 6, 7, 5, 6, 7, 11, 12, 13, 14, 15};
  for (int v = 0; v < 16; ++v) EXPECT_EQ(ToUnderdrawing(v, 0), converted[v]) << v;
  EXPECT_EQ(ToUnderdrawing(4, 9), 9);
  for (int v = 0; v < 16; ++v)
    EXPECT_EQ(EraseUnderdrawing(v, 0), (v >= 5 && v <= 7) ? 0 : v) << v;

  uint8_t table[16];
  UnderdrawingTable(0, MaskBit(8), table);
  EXPECT_EQ(table[8], 8);
  EXPECT_EQ(table[1], 5);
  EXPECT_EQ(table[4], 0);
  UnderdrawingTable(3, InvertedMask(ClearedMask()), table);
  for (int v = 0; v < 16; ++v) EXPECT_EQ(table[v], v);
}

TEST(PixelClassTest, MaskBits) {
  EXPECT_EQ(InvertedMask(0), 0xFFFFFFFFu);
  for (int v = 0; v < 32; ++v) EXPECT_TRUE(IsProtected(InvertedMask(0), v));
  EXPECT_FALSE(IsProtected(ClearedMask(), 3));
  EXPECT_TRUE(IsProtected(MaskBit(31), -1));  // outside reads are bit 31
  EXPECT_FALSE(IsProtected(MaskBit(13), 12));
}

TEST(PixelClassTest, FramePaletteDefaults) {
  const FramePalette palette = DefaultFramePalette();
  EXPECT_EQ(palette[0], 0xE1FFFFu);
  EXPECT_EQ(palette[14], 0x40401Au);
  EXPECT_EQ(palette[24], 0xF2CECEu);
  EXPECT_EQ(palette[25], 0u);
}
