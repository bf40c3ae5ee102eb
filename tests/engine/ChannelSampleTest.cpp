#include "engine/ChannelSample.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/MixerLock.h"
#include "engine/Mixer.h"
#include "engine/SampleReverb.h"

namespace vs {
namespace {

// n frames of the constant pair (left, right).
std::vector<int16_t> Constant(int n, int16_t left, int16_t right) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * i] = left;
    f[2 * i + 1] = right;
  }
  return f;
}

// left = 10 i + 1, right = -(10 i + 1).
std::vector<int16_t> Ramp(int n) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * i] = static_cast<int16_t>(10 * i + 1);
    f[2 * i + 1] = static_cast<int16_t>(-(10 * i + 1));
  }
  return f;
}

int16_t Left(const TWAVSample& s, int i) { return s.Data[2 * i]; }
int16_t Right(const TWAVSample& s, int i) { return s.Data[2 * i + 1]; }

class ChannelSample : public ::testing::Test {
protected:
  TChannel Channel{nullptr};
  TWAVSample Loaded;
  void Load(std::vector<int16_t> frames) { Loaded.SetFrames(std::move(frames)); }
  void Build() { BuildChannelSample(Channel, Loaded); }
};

TEST_F(ChannelSample, SineTableHoldsRoundedDegrees) {
  const auto& t = SineTable();
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[8], 2280);
  EXPECT_EQ(t[90], 16384);
  EXPECT_EQ(t[180], 0);
  EXPECT_EQ(t[270], -16384);
  EXPECT_EQ(t[30], 8192);
}

TEST_F(ChannelSample, DefaultsKeepTheFramesAndTrimOnlyThePlayLength) {
  std::vector<int16_t> frames = Ramp(50);
  frames.insert(frames.end(), 20, 0);  // ten silent frames
  frames[2 * 55] = 0;
  frames[2 * 55 + 1] = 1;  // one frame of sound among the silence
  Load(frames);
  EXPECT_FALSE(ChannelEffectsOn(Channel));
  Build();
  EXPECT_EQ(Loaded.Data, frames);
  EXPECT_EQ(Loaded.Length, 60);
  EXPECT_EQ(Loaded.PlayLength, 56);
  EXPECT_EQ(Loaded.NominalLength, 60);
}

TEST_F(ChannelSample, CutoffAndResonanceZeroAreTheIdentity) {
  Load(Ramp(300));
  Channel.Cutoff = 0;
  Channel.Resonance = 0;
  Build();
  EXPECT_EQ(Loaded.Data, Ramp(300));
}

TEST_F(ChannelSample, StereoDelayAddsSilenceAndDelaysOneSide) {
  Load(Ramp(300));
  Channel.StereoDelay = 2148;
  Build();
  ASSERT_EQ(Loaded.Length, 400);
  EXPECT_EQ(Loaded.NominalLength, 300);  // before the delay
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Left(Loaded, i), 0) << i;
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(Left(Loaded, i + 100), 10 * i + 1) << i;
    ASSERT_EQ(Right(Loaded, i), -(10 * i + 1)) << i;
  }
  for (int i = 300; i < 400; ++i) ASSERT_EQ(Right(Loaded, i), 0) << i;
  EXPECT_EQ(Loaded.PlayLength, 400);

  Load(Ramp(300));
  Channel.StereoDelay = 1948;
  Build();
  ASSERT_EQ(Loaded.Length, 400);
  EXPECT_EQ(Right(Loaded, 99), 0);
  EXPECT_EQ(Right(Loaded, 100), -1);
  EXPECT_EQ(Left(Loaded, 0), 1);
  EXPECT_EQ(Left(Loaded, 300), 0);
}

TEST_F(ChannelSample, DecayFadesToSilence) {
  constexpr int N = 101;  // L = 100
  Load(Constant(N, 10000, -10000));
  Channel.Decay = 256;
  Build();
  EXPECT_EQ(Left(Loaded, 0), 10000);
  EXPECT_EQ(Left(Loaded, 50), 5000);   // (256 - 128) x 10000 div 256
  EXPECT_EQ(Right(Loaded, 25), -7500);  // rounds towards zero
  EXPECT_EQ(Left(Loaded, 99), 117);    // 256 - 253 = 3 -> 30000 div 256
  EXPECT_EQ(Left(Loaded, 100), 0);
  EXPECT_EQ(Loaded.PlayLength, 100);

  Load(Constant(N, 10000, 10000));
  Channel.Decay = 1024;
  Build();
  EXPECT_GT(Left(Loaded, 24), 0);
  for (int i = 25; i < N; ++i) ASSERT_EQ(Left(Loaded, i), 0) << i;
}

TEST_F(ChannelSample, AttackRisesToFullLevelAtTheLastFrame) {
  constexpr int N = 101;
  Load(Constant(N, 10000, 10000));
  Channel.Attack = 512;
  Build();
  for (int i = 0; i <= 50; ++i) ASSERT_EQ(Left(Loaded, i), 0) << i;
  EXPECT_GT(Left(Loaded, 51), 0);
  EXPECT_EQ(Left(Loaded, 100), 10000);

  Load(Constant(N, 10000, 10000));
  Channel.Attack = 256;
  Build();
  EXPECT_EQ(Left(Loaded, 0), 0);
  EXPECT_EQ(Left(Loaded, 50), 5000);
  EXPECT_EQ(Right(Loaded, 100), 10000);
}

TEST_F(ChannelSample, FadeMovesFromLeftToRight) {
  Load(Constant(101, 8000, 8000));
  Channel.FadeLeftToRight = true;
  Build();
  EXPECT_EQ(Left(Loaded, 0), 8000);
  EXPECT_EQ(Right(Loaded, 0), 0);
  EXPECT_EQ(Left(Loaded, 25), 6000);
  EXPECT_EQ(Right(Loaded, 25), 2000);
  EXPECT_EQ(Left(Loaded, 100), 0);
  EXPECT_EQ(Right(Loaded, 100), 8000);
}

TEST_F(ChannelSample, FilterGoldenValues) {
  std::vector<int16_t> impulse = Constant(10, 0, 0);
  impulse[0] = 10000;
  impulse[1] = 10000;
  Load(impulse);
  Channel.Cutoff = 512;
  Channel.Resonance = 512;
  Build();
  const std::vector<int16_t> want = {2929, 4141, 3784, 2424, 753, -648, -1449, -1591, -1225, -609};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Left(Loaded, i), want[i]) << i;
    EXPECT_EQ(Right(Loaded, i), want[i]) << i;
  }

  Load(Constant(10, 8000, 8000));
  Channel.Cutoff = 200;
  Channel.Resonance = 900;
  Build();
  const std::vector<int16_t> step = {5585, 12757, 16481, 14218, 7654, 1447, -75, 4068, 10883, 15565};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Left(Loaded, i), step[i]) << i;
}

TEST_F(ChannelSample, RingModulationFeedbackAndPreAmp) {
  Load(Constant(4, 16384, 16384));
  Channel.SecondEffectMix = 256;  // step (128 shr 2) + 2 = 34
  Build();
  EXPECT_EQ(Left(Loaded, 0), 0);       // sine[0]
  EXPECT_EQ(Right(Loaded, 0), 16384);  // sine[90]
  EXPECT_EQ(Left(Loaded, 1), 2280);    // sine[34 shr 2]

  Channel.SecondEffectMix = 0;
  Channel.FirstEffect = 256;  // k = 96
  Load(Constant(3, 100, 100));
  Build();
  EXPECT_EQ(Left(Loaded, 0), 100);
  EXPECT_EQ(Left(Loaded, 1), 175);  // 100 + 100 x 96 div 128
  EXPECT_EQ(Left(Loaded, 2), 231);

  Channel.FirstEffect = 128;
  Channel.PreAmp = 16;
  Load(Constant(2, 20000, -100));
  Build();
  EXPECT_EQ(Left(Loaded, 0), 32767);  // clamped
  EXPECT_EQ(Right(Loaded, 0), -200);
}

TEST_F(ChannelSample, PhaserWarpsTime) {
  Channel.Phaser = 512;  // j = Round(sin(i / L x pi/2) x L)
  Load(Ramp(101));
  Build();
  EXPECT_EQ(Left(Loaded, 50), 10 * 71 + 1);
  EXPECT_EQ(Left(Loaded, 100), 10 * 100 + 1);
  EXPECT_EQ(Right(Loaded, 50), -(10 * 71 + 1));

  Channel.Phaser = 0;  // j = L + Round(arcsin(i / L - 1) x L x 2/pi)
  Load(Ramp(101));
  Build();
  EXPECT_EQ(Left(Loaded, 50), 10 * 67 + 1);
  EXPECT_EQ(Left(Loaded, 0), 1);

  Channel.Phaser = 384;  // halfway: (128 i + 128 j) div 256
  Load(Ramp(101));
  Build();
  EXPECT_EQ(Left(Loaded, 50), 10 * 60 + 1);
}

TEST_F(ChannelSample, ReversalAndSwappedSides) {
  Load(Ramp(5));
  Channel.Reversed = true;
  Channel.ReverseStereo = true;
  Build();
  EXPECT_EQ(Loaded.Data, (std::vector<int16_t>{-41, 41, -31, 31, -21, 21, -11, 11, -1, 1}));
}

TEST_F(ChannelSample, ShortSamplesSkipTheEffects) {
  Channel.Decay = 512;
  Channel.Phaser = 0;
  Channel.FadeLeftToRight = true;
  Load(Constant(1, 1234, -1234));
  Build();
  EXPECT_EQ(Loaded.Data, (std::vector<int16_t>{1234, -1234}));
  EXPECT_EQ(Loaded.PlayLength, 1);
  TWAVSample empty;
  BuildChannelSample(Channel, empty);
  EXPECT_EQ(empty.Length, 0);
}

TEST_F(ChannelSample, LoopedSampleKeepsItsLoopInThePlayLength) {
  std::vector<int16_t> frames = Ramp(10);
  frames.resize(40, 0);  // frames 10..19 silent
  Load(frames);
  Loaded.SetLoop(2, 14);
  Build();
  EXPECT_EQ(Loaded.PlayLength, 15);  // the loop's last frame stays playable
  Load(frames);
  Loaded.SetLoop(0, 5);
  Build();
  EXPECT_EQ(Loaded.PlayLength, 10);
}

TEST_F(ChannelSample, PingPongGrowsTheLoopByItsLength) {
  Channel.Sample.PingPong = 1;
  Load(Ramp(8));  // left values 1, 11, 21, ... 71
  Loaded.SetLoop(2, 4);
  Build();
  ASSERT_EQ(Loaded.Length, 11);
  EXPECT_EQ(Loaded.LoopStart, 2);
  EXPECT_EQ(Loaded.LoopEnd, 7);
  EXPECT_EQ(Loaded.LoopLength, 6);
  EXPECT_EQ(Loaded.NominalLength, 11);
  const std::vector<int16_t> left = {1, 11, 21, 31, 41, 41, 31, 21, 51, 61, 71};
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(Left(Loaded, i), left[i]) << i;
    EXPECT_EQ(Right(Loaded, i), -left[i]) << i;
  }
}

TEST_F(ChannelSample, PingPongTrustsNoLoopOutsideTheSample) {
  Channel.Sample.PingPong = 1;
  for (auto [start, end] : {std::pair{2, 8}, std::pair{-3, 4}, std::pair{5, 3}, std::pair{2, NoLoopEnd}}) {
    Load(Ramp(8));
    Loaded.SetLoop(start, end);
    Build();
    EXPECT_EQ(Loaded.Data, Ramp(8)) << start << ".." << end;
  }
  Load(Ramp(8));
  Build();  // no loop at all
  EXPECT_EQ(Loaded.Length, 8);
}

TEST_F(ChannelSample, OutOfRangeSettingsAreHeldToTheirControls) {
  Channel.SecondEffectMix = 100000;
  Channel.SecondEffectSine = -5000;
  Channel.Phaser = 100000;
  Channel.StereoDelay = -7;
  Channel.FirstEffect = 1 << 30;
  Channel.Cutoff = 5000;
  Load(Ramp(64));
  Build();  // no crash, no read outside the frames
  EXPECT_EQ(Loaded.Length, 64 + 2048);
}

class ChannelHandOver : public ChannelSample {
protected:
  void SetUp() override { StopAllVoices(); }
  void TearDown() override { StopAllVoices(); }
};

TEST_F(ChannelHandOver, TheChannelTakesTheFramesAndTheLoadedSampleEmpties) {
  Load(Ramp(20));
  Loaded.SetLoop(3, 9);
  Channel.Sample.Looped = true;
  ProcessSample(Channel, Loaded);
  EXPECT_TRUE(Loaded.Empty());
  EXPECT_EQ(Loaded.Length, 0);
  EXPECT_EQ(Channel.Sample.Data, Ramp(20));
  EXPECT_EQ(Channel.Sample.LoopStart, 3);
  EXPECT_EQ(Channel.Sample.LoopEnd, 9);
  EXPECT_EQ(Channel.Sample.PlayLength, 20);
  EXPECT_EQ(Channel.Sample.NominalLength, 20);
  EXPECT_TRUE(Channel.Sample.Looped);

  Load(Ramp(20));  // no loop: not looped any more
  ProcessSample(Channel, Loaded);
  EXPECT_FALSE(Channel.Sample.Looped);
  EXPECT_EQ(Channel.Sample.LoopStart, -1);
}

TEST_F(ChannelHandOver, EmptyLoadLeavesTheChannelAlone) {
  Load(Ramp(20));
  ProcessSample(Channel, Loaded);
  TWAVSample nothing;
  ProcessSample(Channel, nothing);
  EXPECT_EQ(Channel.Sample.Length, 20);
}

TEST_F(ChannelHandOver, VoicesStopWhenThePlayLengthChanges) {
  Load(Ramp(20));
  ProcessSample(Channel, Loaded);
  TMixer& mixer = Mixer();
  ASSERT_TRUE(AddVoice(&Channel.Sample, mixer.MixPosition, 64, 20, 0, 0, 1.0f));
  Load(Constant(20, 5, 5));  // same play length: the voice plays on
  ProcessSample(Channel, Loaded);
  EXPECT_EQ(mixer.VoiceCount, 1);
  Load(Ramp(30));
  ProcessSample(Channel, Loaded);
  EXPECT_EQ(mixer.VoiceCount, 0);
}

}  // namespace
}  // namespace vs

namespace vs {
namespace {

TEST(ChannelSampleReverb, RunsTheChannelsNetworkAfterTheEffects) {
  for (int type : {0, 1}) {
    TChannel channel{nullptr};
    channel.Reverb = 128;
    channel.ReverbType = type;
    channel.Decay = 256;
    TWAVSample loaded, expected;
    std::vector<int16_t> frames(2 * 4410);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int16_t>((i * 7919) % 20000 - 10000);
    loaded.SetFrames(std::vector<int16_t>(frames));
    expected.SetFrames(std::move(frames));
    TChannel plain{nullptr};
    plain.Decay = 256;
    BuildChannelSample(plain, expected);
    ApplyReverb(expected, 0.5, type);
    BuildChannelSample(channel, loaded);
    EXPECT_EQ(ReverbType, type);
    EXPECT_GT(loaded.Length, 4410) << type;
    EXPECT_EQ(loaded.NominalLength, 4410);
    EXPECT_EQ(loaded.Data, expected.Data) << type;
  }
}

}  // namespace
}  // namespace vs

namespace vs {
namespace {

// Voices keep playing while their sample is rebuilt under them (same play
// length) or swapped for a shorter or empty one without stopping them: the
// mixer reads only frames the sample has now.
TEST(ChannelSampleSwap, MixerReadsOnlyTheCurrentFrames) {
  TMixer mixer;
  mixer.SetBlockFrames(256);
  TChannel channel{nullptr};
  TWAVSample loaded;
  loaded.SetFrames(std::vector<int16_t>(2 * 5000, 1000));
  loaded.SetLoop(1000, 4000);
  ProcessSample(channel, loaded);
  {
    MixerGuard lock;
    ASSERT_TRUE(mixer.AddVoiceUnlocked(&channel.Sample, 0, 64, 0, 1.0f, 0.0f, 5000, 0, 0, 1.0f));
    ASSERT_TRUE(mixer.AddVoiceUnlocked(&channel.Sample, 0, 64, 0, 1.0f, 0.0f, 7919, 0, 0, 1.0f));  // pitched
    channel.Sample.Looped = true;
    ASSERT_TRUE(mixer.AddVoiceUnlocked(&channel.Sample, 0, 64, 1, 0.5f, 0.3f, 5000, 0, 0, 1.0f));
    ASSERT_TRUE(mixer.AddVoiceUnlocked(&channel.Sample, 0, 64, 0, 1.0f, 0.0f, 3001, 0, 0, 1.0f));
    channel.Sample.Looped = false;
  }
  for (int b = 0; b < 6; ++b) mixer.MixBlock();
  for (int n : {300, 17, 1, 0}) {
    {
      MixerGuard lock;
      TWAVSample shorter;
      shorter.SetFrames(std::vector<int16_t>(2 * size_t(n), 500));
      shorter.PlayLength = n;
      channel.Sample.AssignData(shorter);  // no voice stopped
      if (n > 1) channel.Sample.SetLoop(n / 2, n - 1);
    }
    for (int b = 0; b < 4; ++b) mixer.MixBlock();
  }
  EXPECT_LE(mixer.VoiceCount, 4);
}

}  // namespace
}  // namespace vs
