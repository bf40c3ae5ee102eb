#include <gtest/gtest.h>

#include "model/WAVSample.h"

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

TEST(WAVSample, ClearKeepsGroupsAndNominalLength) {
  TWAVSample s;
  s.Clear();  // on an empty sample: harmless
  EXPECT_TRUE(s.Empty());
  s.SetFrames({1, 2, 3, 4, 5});  // an odd value count keeps whole frames
  EXPECT_EQ(s.Length, 2);
  s.PlayLength = 2;
  s.SetLoop(0, 1);
  s.CutGroup = 3;
  s.CutByGroup = 4;
  s.NominalLength = 2;
  s.Looped = true;
  s.Clear();
  EXPECT_EQ(s.Frames(), nullptr);
  EXPECT_EQ(s.Length, 0);
  EXPECT_EQ(s.PlayLength, 0);
  EXPECT_EQ(s.LoopStart, -1);
  EXPECT_EQ(s.LoopEnd, NoLoopEnd);
  EXPECT_EQ(s.CutGroup, 3);
  EXPECT_EQ(s.CutByGroup, 4);
  EXPECT_EQ(s.NominalLength, 2);
  EXPECT_TRUE(s.Looped);
  // Taking over from itself changes nothing.
  s.SetFrames({7, 8});
  s.AssignData(s);
  EXPECT_EQ(s.Length, 1);
  EXPECT_EQ(s.Data[0], 7);
}
