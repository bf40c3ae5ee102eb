#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/SampleReverb.h"

using namespace vs;
using namespace vs::reverb;

namespace {

void Impulse(TWAVSample& s, int frames, int16_t value) {
  std::vector<int16_t> v(size_t(frames) * 2, 0);
  v[0] = v[1] = value;
  s.SetFrames(std::move(v));
}

}  // namespace

TEST(ReverbStage, DelayIsTheLength) {
  EXPECT_EQ(TDelayLine(1).Capacity(), 1);
  EXPECT_EQ(TDelayLine(0).Capacity(), 1);
  EXPECT_EQ(TDelayLine(7).Capacity(), 6);
  // A comb of length 5 repeats an impulse every 5 frames, times its feedback.
  TFilterLine comb(5, 0.5);
  std::vector<int32_t> out;
  for (int i = 0; i < 16; ++i) out.push_back(comb.Comb({i == 0 ? 1000 : 0, 0}).L);
  EXPECT_EQ(out, (std::vector<int32_t>{1000, 0, 0, 0, 0, 500, 0, 0, 0, 0, 250, 0, 0, 0, 0, 125}));
  // An allpass: -0.7 x at once, then (1 - 0.49) x after its length.
  TFilterLine ap(3, 0.7);
  std::vector<int32_t> a;
  for (int i = 0; i < 7; ++i) a.push_back(ap.Allpass({0, i == 0 ? 1000 : 0}).R);
  EXPECT_EQ(a, (std::vector<int32_t>{-700, 0, 0, 510, 0, 0, 357}));
}

TEST(ReverbStage, CombFeedbackStaysBelowOne) {
  EXPECT_NEAR(CombFeedback(4410, 0.3), 0.1, 1e-12);  // 60 dB in 0.3 s: 20 dB per tenth
  EXPECT_NEAR(CombFeedback(1777, 1.0), std::pow(10.0, -3.0 * 1777 / 44100), 1e-15);
  for (double t : {0.0, -0.0, -1.0, std::nan("")}) EXPECT_EQ(CombFeedback(1777, t), 0.0) << t;
  for (double t : {1e6, 1e300, double(INFINITY)}) EXPECT_LT(CombFeedback(43, t), 1.0) << t;
  EXPECT_EQ(Nearest(2.5), 2);
  EXPECT_EQ(Nearest(-190.5), -190);
  EXPECT_EQ(Nearest(1e12), 2147483647);
}

TEST(SampleReverb, Proc1GoldenImpulse) {
  TWAVSample s;
  Impulse(s, 100, 10000);
  ReverbProc1(s, 1.0);
  ASSERT_EQ(s.Length, 100 + ReverbTailFrames);
  auto L = [&](int i) { return s.Data[size_t(2 * i)]; };
  EXPECT_EQ(L(0), 5971);
  EXPECT_EQ(L(1), -2058);
  EXPECT_EQ(L(2), -1029);
  for (int i = 3; i < 43; ++i) ASSERT_EQ(L(i), 0) << i;
  EXPECT_EQ(L(43), 750);
  EXPECT_EQ(L(44), 1499);
  EXPECT_EQ(L(45), 750);
  for (int i = 0; i < s.Length; ++i) ASSERT_EQ(s.Data[size_t(2 * i)], s.Data[size_t(2 * i + 1)]) << i;
}

TEST(SampleReverb, Proc2GoldenImpulse) {
  TWAVSample s;
  Impulse(s, 100, 10000);
  s.Data[1] = 0;  // left only: the right channel stays silent
  ReverbProc2(s, 1.0);
  ASSERT_EQ(s.Length, 100 + ReverbTailFrames);
  EXPECT_EQ(s.Data[0], 6728);
  EXPECT_EQ(s.Data[2], -190);
  EXPECT_EQ(s.Data[4], -134);
  for (int i = 0; i < s.Length; ++i) ASSERT_EQ(s.Data[size_t(2 * i + 1)], 0) << i;
}

TEST(SampleReverb, LengthTailAndLoop) {
  // A loud one-second sample comes out at most 1.5 s long, whatever the time.
  std::mt19937 rng(5);
  for (int type : {0, 1})
    for (double t : {0.2, 1.0, 30.0}) {
      TWAVSample s;
      std::vector<int16_t> v(44100 * 2);
      for (auto& x : v) x = int16_t(rng());
      s.SetFrames(std::move(v));
      ApplyReverb(s, t, type);
      EXPECT_LE(s.Length, 66150) << type << " " << t;
      EXPECT_GE(s.Length, 44100) << type << " " << t;
      EXPECT_EQ(s.Data.size(), size_t(s.Length) * 2);
    }
  // A longer time leaves a longer audible tail.
  TWAVSample shortTail, longTail;
  Impulse(shortTail, 10, 30000);
  Impulse(longTail, 10, 30000);
  ApplyReverb(shortTail, 0.05, 0);
  ApplyReverb(longTail, 0.4, 0);
  EXPECT_LT(shortTail.Length, longTail.Length);
  // Times of 0 or less give no feedback, never a runaway.
  for (double t : {0.0, -3.0}) {
    TWAVSample s;
    Impulse(s, 10, 30000);
    ApplyReverb(s, t, 1);
    EXPECT_LT(s.Length, 10 + ReverbTailFrames);
  }
}

TEST(SampleReverb, TrimStopsAtTheLoop) {
  TWAVSample s;
  std::vector<int16_t> v(200 * 2, 0);
  v[2 * 50] = 128;      // the last frame loud enough to keep, without a loop
  v[2 * 120 + 1] = 127;  // quieter than 128 on both channels
  v[2 * 121] = -127;
  s.SetFrames(std::vector<int16_t>(v));
  s.PlayLength = 200;
  TrimReverbTail(s);
  EXPECT_EQ(s.Length, 51);
  EXPECT_EQ(s.PlayLength, 51);
  EXPECT_EQ(s.Data.size(), 102u);
  // With a loop the trim ends at the loop end + 1.
  s.SetFrames(std::vector<int16_t>(v));
  s.SetLoop(10, 100);
  TrimReverbTail(s);
  EXPECT_EQ(s.Length, 101);
  // An all-silent sample without a loop trims to nothing.
  s.SetFrames(std::vector<int16_t>(20, 5));
  s.SetLoop(-1, NoLoopEnd);
  TrimReverbTail(s);
  EXPECT_EQ(s.Length, 0);
  EXPECT_TRUE(s.Empty());
  // The program-wide type picks the network; an empty sample stays empty.
  TWAVSample e;
  ReverbType = 0;
  ApplyReverb(e, 1.0);
  EXPECT_EQ(e.Length, 0);
  ReverbType = 1;
}
