#include <gtest/gtest.h>

#include "core/model/WAVSample.h"

using namespace vs;

TEST(WAVSample, NewAndClearedSampleHaveNoLoop) {
  TWAVSample s;
  EXPECT_EQ(s.LoopStart, -1);
  EXPECT_EQ(s.LoopEnd, NoLoopEnd);
  EXPECT_EQ(s.FormatWord, 2);
  s.Clear();
  EXPECT_EQ(s.LoopStart, -1);
  EXPECT_EQ(s.LoopEnd, NoLoopEnd);
  EXPECT_TRUE(s.Empty());
}

TEST(WAVSample, SetLoopDoesNotOverflow) {
  TWAVSample s;
  s.SetLoop(-1, NoLoopEnd);
  EXPECT_EQ(s.LoopLength, NoLoopEnd);
  s.SetLoop(10, 19);
  EXPECT_EQ(s.LoopLength, 10);
}

TEST(WAVSample, AssignDataMovesOwnership) {
  TWAVSample a, b;
  b.SetFrames({1, 2, 3, 4, 5, 6});
  b.PlayLength = 3;
  b.SetLoop(0, 2);
  b.CutGroup = 4;
  a.CutGroup = 7;
  a.AssignData(b);
  EXPECT_EQ(a.Length, 3);
  EXPECT_EQ(a.PlayLength, 3);
  EXPECT_EQ(a.LoopLength, 3);
  EXPECT_EQ(a.CutGroup, 7);  // cut groups are not part of the data
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Length, 0);
}

TEST(WAVSample, TimeConversions) {
  EXPECT_EQ(FramesToMs(44100), 1000);
  EXPECT_EQ(MsToFrames(200), 8820);
}
