#include "edit/frame_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameLayout, PanelsLeftOfTheCutWindowsAndTheListsShareTheRest) {
  // 640 × 480 with a toolbar of 26 and a status bar of 20: 434 rows between them.
  const FrameLayout l = LayOutFrame(640, 480, 26, 20, 19, 161);
  EXPECT_EQ(l.mdiClient, (Rect{163, 26, 477, 415}));
  EXPECT_EQ(l.comment, (Rect{163, 441, 477, 19}));
  EXPECT_EQ(l.keyframe, (Rect{0, 26, 80, 19}));
  EXPECT_EQ(l.frameTime, (Rect{80, 26, 81, 19}));
  EXPECT_EQ(l.brightness, (Rect{0, 45, 80, 19}));
  EXPECT_EQ(l.loop, (Rect{80, 45, 81, 19}));
  // 434 - 2 × 19 = 396 rows for the two lists, the layer list above.
  EXPECT_EQ(l.layerList, (Rect{0, 64, 161, 198}));
  EXPECT_EQ(l.cutList, (Rect{0, 262, 161, 198}));
  EXPECT_EQ(l.cutList.Bottom(), l.comment.Bottom());

  // Without bars, an odd share of rows goes to the cut list.
  const FrameLayout bare = LayOutFrame(300, 201, 0, 0, 20, 100);
  EXPECT_EQ(bare.layerList, (Rect{0, 40, 100, 80}));
  EXPECT_EQ(bare.cutList, (Rect{0, 120, 100, 81}));
}

TEST(FrameLayout, APaneDraggedPastTheLeftEdgeIsNotBounded) {
  const FrameLayout l = LayOutFrame(400, 300, 0, 0, 20, -30);
  EXPECT_EQ(l.mdiClient, (Rect{-28, 0, 428, 280}));
  EXPECT_EQ(l.keyframe, (Rect{0, 0, -15, 20}));
  EXPECT_EQ(l.frameTime, (Rect{-15, 0, -15, 20}));
  EXPECT_TRUE(l.layerList.IsEmpty() && l.cutList.IsEmpty());
}

}  // namespace
