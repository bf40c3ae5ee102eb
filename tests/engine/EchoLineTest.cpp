// The song echo line.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/EchoLine.h"

namespace vs {
namespace {

// Feeds one impulse at the first frame of the first block and returns the
// left output of `blocks` blocks.
std::vector<float> ImpulseResponse(TEchoLine& echo, int block, int blocks, float gain = 1.0f) {
  std::vector<float> left;
  std::vector<int16_t> impulse(block, 0);
  impulse[0] = 1000;
  for (int b = 0; b < blocks; ++b) {
    if (b == 0) echo.Feed(impulse.data(), block, gain);
    std::vector<float> frames(size_t(block) * 2, 0.0f);
    echo.Process(frames.data(), block);
    for (int i = 0; i < block; ++i) left.push_back(frames[2 * i]);
  }
  return left;
}

TEST(EchoLineTest, DefaultsAndNoRing) {
  TEchoLine echo;
  EXPECT_EQ(echo.Feedback, 64);
  EXPECT_EQ(echo.Pan, 64);
  EXPECT_EQ(echo.Volume, 128);
  EXPECT_EQ(echo.Time, 48);
  std::vector<float> frames(8, 1.0f);
  echo.Process(frames.data(), 4);  // no ring yet: nothing happens
  EXPECT_EQ(frames[0], 1.0f);
  TSongEcho song;
  song.Feedback = 10;
  song.Pan = 20;
  song.Volume = 30;
  song.Time = 40;
  echo.Apply(song);
  EXPECT_EQ(echo.Feedback, 10);
  EXPECT_EQ(echo.Pan, 20);
  EXPECT_EQ(echo.Volume, 30);
  EXPECT_EQ(echo.Time, 40);
}

TEST(EchoLineTest, RepeatsDecayByFeedback) {
  TEchoLine echo;
  echo.Setup(64, 100);
  EXPECT_EQ(echo.RingFrames(), 164);
  echo.Pan = 0;  // all left
  const auto out = ImpulseResponse(echo, 64, 8);
  // The fed frame comes back delay - 1 frames later (the read position moves
  // before it reads), then every delay frames, halved each time.
  EXPECT_FLOAT_EQ(out[99], 1000.0f);
  EXPECT_FLOAT_EQ(out[199], 500.0f);
  EXPECT_FLOAT_EQ(out[299], 250.0f);
  EXPECT_FLOAT_EQ(out[499], 62.5f);
  float others = 0;
  for (size_t i = 0; i < out.size(); ++i)
    if ((i + 1) % 100 != 0) others += std::fabs(out[i]);
  EXPECT_EQ(others, 0.0f);
}

TEST(EchoLineTest, ASilentRingIsSkippedAndKeepsItsTime) {
  TEchoLine echo;
  echo.Setup(64, 100);
  echo.Feedback = 0;
  echo.Pan = 0;
  EXPECT_TRUE(echo.Silent());
  // Silence leaves the frames as they are (not even -0 becomes +0), and the
  // positions move as if every frame had been read.
  std::vector<float> frames(2 * 37, -0.0f);
  for (int b = 0; b < 5; ++b) echo.Process(frames.data(), 37);
  for (float f : frames) EXPECT_TRUE(std::signbit(f));
  auto out = ImpulseResponse(echo, 64, 6);
  EXPECT_FLOAT_EQ(out[99], 1000.0f);  // the same time as on a fresh line
  // The one repeat was read 284 frames ago: a whole ring of zeros since.
  EXPECT_TRUE(echo.Silent());
  const std::vector<int16_t> zeros(8, 0);
  echo.Feed(zeros.data(), 8, 1.0f);
  EXPECT_FALSE(echo.Silent());  // fed, even with zeros
  echo.Process(frames.data(), 37);
  EXPECT_FALSE(echo.Silent());
  echo.Clear();
  EXPECT_TRUE(echo.Silent());
}

TEST(EchoLineTest, FeedbackZeroRepeatsOnceAndFull128NeverDecays) {
  TEchoLine once;
  once.Setup(64, 50);
  once.Feedback = 0;
  once.Pan = 0;
  auto out = ImpulseResponse(once, 64, 6);
  EXPECT_FLOAT_EQ(out[49], 1000.0f);
  EXPECT_EQ(out[99], 0.0f);

  TEchoLine forever;
  forever.Setup(64, 50);
  forever.Feedback = 128;
  forever.Pan = 0;
  out = ImpulseResponse(forever, 64, 40);
  for (int j = 0; j < 50; ++j) ASSERT_FLOAT_EQ(out[49 + 50 * j], 1000.0f) << j;
}

TEST(EchoLineTest, PanVolumeAndGain) {
  TEchoLine echo;
  echo.Setup(16, 4);
  echo.Volume = 64;
  echo.Pan = 127;
  std::vector<int16_t> impulse(16, 0);
  impulse[0] = 1000;
  echo.Feed(impulse.data(), 16, 0.5f);
  std::vector<float> frames(32, 0.0f);
  echo.Process(frames.data(), 16);
  EXPECT_NEAR(frames[2 * 3], 0.0f, 1e-3);
  EXPECT_FLOAT_EQ(frames[2 * 3 + 1], 250.0f);  // 1000 * 0.5 * 64 / 128
}

TEST(EchoLineTest, FeedWithoutGainAddsNothingAndClearSilences) {
  TEchoLine echo;
  echo.Setup(16, 4);
  echo.Pan = 0;
  std::vector<int16_t> impulse(16, 1000);
  echo.Feed(impulse.data(), 16, 0.0f);
  echo.Feed(impulse.data(), 16, -1.0f);
  std::vector<float> frames(32, 0.0f);
  echo.Process(frames.data(), 16);
  for (float v : frames) EXPECT_EQ(v, 0.0f);
  echo.Feed(impulse.data(), 16, 1.0f);
  echo.Clear();
  echo.Process(frames.data(), 16);
  for (float v : frames) EXPECT_EQ(v, 0.0f);
}

TEST(EchoLineTest, FeedWrapsAtTheRingEnd) {
  TEchoLine echo;
  echo.Setup(8, 2);  // ring 10, write position 2
  echo.Feedback = 0;
  echo.Pan = 0;
  std::vector<float> frames(16, 0.0f);
  echo.Process(frames.data(), 8);  // positions move on by 8: write at 0
  std::vector<int16_t> ramp = {1, 2, 3, 4, 5, 6, 7, 8};
  echo.Feed(ramp.data(), 8, 1.0f);
  std::vector<float> out;
  for (int b = 0; b < 3; ++b) {
    std::vector<float> f(16, 0.0f);
    echo.Process(f.data(), 8);
    for (int i = 0; i < 8; ++i) out.push_back(f[2 * i]);
  }
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(out[1 + i], float(i + 1)) << i;
}

}  // namespace
}  // namespace vs
