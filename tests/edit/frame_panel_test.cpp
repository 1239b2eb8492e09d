#include "edit/frame_panel.h"

#include <gtest/gtest.h>

#include "model/cut.h"

namespace {

// A cut whose frames have these stored times; `keyframes` marks frames by index.
std::unique_ptr<Cut> CutWithTimes(const std::vector<int32_t>& times,
                                  const std::vector<int>& keyframes = {}) {
  auto cut = std::make_unique<Cut>(16, 12, 24, "", AntiAlias::kFull);
  for (size_t i = 0; i < times.size(); ++i) {
    Frame* frame = cut->AddFrame();
    frame->SetTime(times[i]);
  }
  for (int k : keyframes) cut->FrameAt(k)->SetKeyframe(true);
  return cut;
}

TEST(KeyframeCaptionTest, TimingSumsTheMagnitudesOfEffectiveTimesBefore) {
  auto cut = CutWithTimes({3, -2, 5});
  cut->GoFrame(0);
  EXPECT_EQ(KeyframeCaption(*cut), "1(1f)");
  cut->GoFrame(2);
  EXPECT_EQ(KeyframeCaption(*cut), "3(6f)");

  // A keyframe of stored time 12 ahead of frames of 3 and 4 is shown for 5 periods.
  auto keyed = CutWithTimes({12, 3, 4, 1}, {0, 3});
  keyed->GoFrame(3);
  EXPECT_EQ(KeyframeCaption(*keyed), "4(13f)");
  EXPECT_EQ(FrameTiming(*keyed, 1), 6);
}

TEST(PanelCommitTest, FieldsReadAsNumbersWithTheirLimits) {
  auto cut = CutWithTimes({7});
  Frame& frame = *cut->FrameAt(0);
  PanelTexts texts{"-3", "2", "150", "a note", false};
  FrameProperties p = CommittedProperties(frame, texts);
  EXPECT_EQ(p.time, -3);
  EXPECT_EQ(p.loop, 2);
  EXPECT_EQ(p.brightness, 100);
  EXPECT_EQ(p.comment, "a note");

  // Empty fields and text that is no number give 0; only the first characters count.
  p = CommittedProperties(frame, PanelTexts{"", "x9", "", "", false});
  EXPECT_EQ(p.time, 0);
  EXPECT_EQ(p.loop, 0);
  EXPECT_EQ(p.brightness, 0);
  EXPECT_EQ(CommittedProperties(frame, PanelTexts{"123456", " 12345", "-20", "", false}).time,
            1234);
  EXPECT_EQ(CommittedProperties(frame, PanelTexts{"1", " 12345", "-20", "", false}).loop, 123);
  EXPECT_EQ(CommittedProperties(frame, PanelTexts{"1", "1", "-20", "", false}).brightness, 0);

  // A keyframe keeps its stored time whatever the field shows.
  frame.SetKeyframe(true);
  p = CommittedProperties(frame, PanelTexts{"1", "1", "50", "", true});
  EXPECT_EQ(p.time, 7);
  EXPECT_TRUE(p.keyframe);

  // The comment is cut at 255 bytes, never inside a double-byte character.
  const std::string longComment = "x" + std::string(300, '\x82');
  EXPECT_EQ(CommittedProperties(frame, PanelTexts{"", "", "", longComment, true}).comment.size(),
            255u);
}

}  // namespace
