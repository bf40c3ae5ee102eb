// The mixer: clock numbers, triggering (swing, pan law, pitch, mix split,
// cut groups, echo repeats), the voice pool and whole mixed patterns.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/MixSettings.h"
#include "engine/Mixer.h"

namespace vs {
namespace {

using testing::ConstantFrames;
using testing::MixFrames;
using testing::StartPattern;
using testing::TestSong;

constexpr double NoteGain100 = 100.0 * 100.0 / 12700.0 / 32768.0;  // volume 100, velocity 100

class MixerTest : public ::testing::Test {
protected:
  void SetUp() override {
    MixSettings().ClickRemoval = 1;
    MixSettings().Interpolation = 1;
    MixSettings().Surround = false;
    MixSettings().UseMIDI = false;
  }
  void TearDown() override { MixSettings().ClickRemoval = 1; }

  std::unique_ptr<TMixer> M = std::make_unique<TMixer>();
  MixerGuard Lock;  // the tests act as the mix thread
};

TEST_F(MixerTest, FramesPerStepFromTempo) {
  EXPECT_EQ(FramesPerStepForBPM(140), 4725);
  EXPECT_EQ(FramesPerStepForBPM(120), 5512);
  EXPECT_EQ(FramesPerStepForBPM(999), 662);
  EXPECT_EQ(FramesPerStepForBPM(30), 22050);
  // Out-of-range tempos are clamped, never divide by zero.
  EXPECT_EQ(FramesPerStepForBPM(0), 22050);
  EXPECT_EQ(FramesPerStepForBPM(5000), 662);
}

TEST_F(MixerTest, SwingMovesOddStepsOnly) {
  TestSong t(120);
  t.AddChannel(ConstantFrames(100, 1000, 1000));
  t.SetStep(0, 1, 0);
  t.SetStep(0, 1, 1);
  t.Song->MasterSwing = 64;
  StartPattern(*M, *t.Song);
  M->NextStepFrame = 1000;
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 1);
  EXPECT_EQ(M->Voices[0].Start, 1000);
  M->MixStep = 1;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 2);
  EXPECT_EQ(M->Voices[1].Start, 1000 + 1378);
}

TEST_F(MixerTest, ChannelAndStepShiftsDelayTheStart) {
  TestSong t(120);
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlaneShift, 128);
  StartPattern(*M, *t.Song);
  M->NextStepFrame = 0;
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ch.Shift = 64;  // a quarter step more
  M->TriggerStep(*t.Song);
  t.SetValue(0, 1, 0, PlaneShift, 255);
  ch.Shift = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 3);
  EXPECT_EQ(M->Voices[0].Start, 128 * 5512 / 255);
  EXPECT_EQ(M->Voices[1].Start, 64 * 5512 / 256 + 128 * 5512 / 255);
  EXPECT_EQ(M->Voices[2].Start, 5512);
}

TEST_F(MixerTest, PanLaw) {
  float l, r;
  PanGains(64, 1.0, l, r);
  EXPECT_NEAR(l, 0.70272, 5e-6);
  EXPECT_NEAR(r, 0.71147, 5e-6);
  PanGains(127, 1.0, l, r);
  EXPECT_NEAR(l, 0.0, 1e-7);
  EXPECT_FLOAT_EQ(r, 1.0f);
  PanGains(0, 2.0, l, r);
  EXPECT_FLOAT_EQ(l, 2.0f);
  EXPECT_FLOAT_EQ(r, 0.0f);

  // Through a step: step pan + channel pan - 64, clamped.
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  ch.Pan = 100;
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlanePan, 127);
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 1);
  EXPECT_NEAR(M->Voices[0].GainL, 0.0, 1e-12);
  EXPECT_NEAR(M->Voices[0].GainR, NoteGain100, 1e-10);
}

TEST_F(MixerTest, PitchedLength) {
  EXPECT_EQ(PitchedLength(44100, 100), 41625);
  EXPECT_EQ(PitchedLength(44100, 1200), 22050);
  EXPECT_EQ(PitchedLength(44100, -1200), 88200);
  EXPECT_EQ(PitchedLength(44101, 0), 44101);
  EXPECT_EQ(PitchedLength(3, 1200), 2);  // 1.5 rounds to even
  EXPECT_EQ(PitchedLength(5, 1200), 2);  // 2.5 rounds to even
  // Far downward pitches saturate instead of wrapping.
  EXPECT_EQ(PitchedLength(2000000000, -14000), 2147483647);
}

TEST_F(MixerTest, StepPitchAndNoteSetTheStretchedLength) {
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(44100, 1000, 1000));
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlaneNote, 61);    // one semitone up
  t.SetValue(0, 1, 0, PlanePitch, 120);
  t.SetStep(0, 1, 1);
  t.SetValue(0, 1, 1, PlanePitch, 0);    // -1200 cents
  t.Song->MasterPitch = 1200;
  ch.Pitchable = false;                  // master pitch ignored
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  M->MixStep = 1;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 2);
  EXPECT_EQ(M->Voices[0].Stretched, 41625);
  EXPECT_EQ(M->Voices[1].Stretched, 88200);
  ch.Pitchable = true;  // now + 1200 cents from the master
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  EXPECT_EQ(M->Voices[2].Stretched, PitchedLength(44100, 1300));
}

TEST_F(MixerTest, StretchUsesStepsAndNominalLength) {
  TestSong t(120);
  auto& ch = t.AddChannel(ConstantFrames(1000, 1000, 1000));
  ch.Sample.NominalLength = 2000;  // the sample was trimmed to half
  ch.Stretch = 2;
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlanePitch, 0);  // ignored with a stretch
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 1);
  EXPECT_EQ(M->Voices[0].Stretched, 5512 * 2 * 1000 / 2000);
  // A nominal length of 0 falls back to the play length.
  ch.Sample.NominalLength = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 2);
  EXPECT_EQ(M->Voices[1].Stretched, 1000);
}

TEST_F(MixerTest, MixShareSplitsVelocity) {
  TestSong t;
  auto& a = t.AddChannel(ConstantFrames(100, 1000, 1000));
  t.AddChannel(ConstantFrames(100, 2000, 2000));
  a.MixTarget = 1;
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlaneMix, 64);
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 2);
  const double half = 100.0 * 50.0 / 12700.0 / 32768.0;
  const double pan = std::cos(64 * std::numbers::pi / 254);
  EXPECT_EQ(M->Voices[0].Sample, &t.Chan(1).Sample);  // the target first
  EXPECT_NEAR(M->Voices[0].GainL, pan * half, 1e-10);
  EXPECT_EQ(M->Voices[1].Sample, &t.Chan(0).Sample);
  EXPECT_NEAR(M->Voices[1].GainL, pan * half, 1e-10);

  M->VoiceCount = 0;
  t.SetValue(0, 1, 0, PlaneMix, 127);
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 1);
  EXPECT_EQ(M->Voices[0].Sample, &t.Chan(1).Sample);
  EXPECT_NEAR(M->Voices[0].GainL, pan * NoteGain100, 1e-10);

  // A target outside the channel list plays the channel itself.
  M->VoiceCount = 0;
  a.MixTarget = 7;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 1);
  EXPECT_EQ(M->Voices[0].Sample, &t.Chan(0).Sample);
  a.MixTarget = -1;
  M->TriggerStep(*t.Song);
  EXPECT_EQ(M->Voices[1].Sample, &t.Chan(0).Sample);
}

TEST_F(MixerTest, RandomChoicePicksListedChannelsAndIgnoresBadEntries) {
  TestSong t;
  auto& a = t.AddChannel(ConstantFrames(100, 1000, 1000));
  t.AddChannel(ConstantFrames(100, 2000, 2000));
  t.AddChannel(ConstantFrames(100, 3000, 3000));
  a.RandomChoice = {0, 2};
  t.SetStep(0, 1, 0);
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  int seen[3] = {0, 0, 0};
  for (int n = 0; n < 200; ++n) {
    M->VoiceCount = 0;
    M->TriggerStep(*t.Song);
    ASSERT_EQ(M->VoiceCount, 1);
    for (int c = 0; c < 3; ++c) seen[c] += M->Voices[0].Sample == &t.Chan(c).Sample;
  }
  EXPECT_GT(seen[0], 50);
  EXPECT_EQ(seen[1], 0);
  EXPECT_GT(seen[2], 50);
  a.RandomChoice = {99, -5};
  for (int n = 0; n < 20; ++n) {
    M->VoiceCount = 0;
    M->TriggerStep(*t.Song);
    ASSERT_EQ(M->VoiceCount, 1);
    EXPECT_EQ(M->Voices[0].Sample, &t.Chan(0).Sample);
  }
}

TEST_F(MixerTest, PoolHoldsAtMost512Voices) {
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  for (int i = 0; i < MaxVoices; ++i)
    EXPECT_TRUE(M->AddVoiceUnlocked(&ch.Sample, 0, 64, 0, 1, 0, 100, 0, 0, 1.0f));
  EXPECT_FALSE(M->AddVoiceUnlocked(&ch.Sample, 0, 64, 0, 1, 0, 100, 0, 0, 1.0f));
  EXPECT_EQ(M->VoiceCount, MaxVoices);
  M->StopAllVoices();
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerTest, RefusedVoices) {
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  M->MixPosition = 1000;
  EXPECT_FALSE(M->AddVoiceUnlocked(&ch.Sample, 900, 64, 0, 1, 0, 100, 0, 0, 1.0f));  // wholly past
  EXPECT_TRUE(M->AddVoiceUnlocked(&ch.Sample, 901, 64, 0, 1, 0, 100, 0, 0, 1.0f));
  EXPECT_FALSE(M->AddVoiceUnlocked(&ch.Sample, 2000, 64, 0, 1, 0, 0, 0, 0, 1.0f));  // length 0
  EXPECT_FALSE(M->AddVoiceUnlocked(&ch.Sample, 2000, 64, 0, 1, 0, -5, 0, 0, 1.0f));
  EXPECT_FALSE(M->AddVoiceUnlocked(nullptr, 2000, 64, 0, 1, 0, 100, 0, 0, 1.0f));
  TWAVSample empty;
  EXPECT_FALSE(M->AddVoiceUnlocked(&empty, 2000, 64, 0, 1, 0, 100, 0, 0, 1.0f));
  EXPECT_EQ(M->VoiceCount, 1);
}

TEST_F(MixerTest, CutVoicesEndsOnlyEarlierVoicesOfTheGroup) {
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(1000, 1000, 1000));
  M->AddVoiceUnlocked(&ch.Sample, 0, 64, 0, 1, 0, 1000, 512, 0, 1.0f);
  M->AddVoiceUnlocked(&ch.Sample, 0, 64, 0, 1, 0, 1000, 1024, 0, 1.0f);
  M->AddVoiceUnlocked(&ch.Sample, 300, 64, 0, 1, 0, 1000, 512, 0, 1.0f);
  M->CutVoices(300, 0);  // group 0 cuts nothing
  EXPECT_EQ(M->Voices[0].EndPos, 1000);
  M->CutVoices(300, 512);
  EXPECT_EQ(M->Voices[0].EndPos, 300);
  EXPECT_EQ(M->Voices[1].EndPos, 1000);  // other tag
  EXPECT_EQ(M->Voices[2].EndPos, 1000);  // starts exactly at the position
  M->CutVoices(2000, 512);               // past its end: untouched
  EXPECT_EQ(M->Voices[2].EndPos, 1000);
}

// Channel 0 sounds on the left only, channel 1 on the right only; both in
// cut group 1, so step 1 of channel 1 cuts the voice of channel 0.
struct CutSong : TestSong {
  CutSong() : TestSong(120) {
    for (int c = 0; c < 2; ++c) {
      auto& ch = AddChannel(c == 0 ? ConstantFrames(20000, 8000, 0) : ConstantFrames(20000, 0, 8000));
      ch.Sample.CutGroup = 1;
      ch.Sample.CutByGroup = 1;
      ch.Pan = 0;  // full left gain for channel 0 ...
    }
    Chan(1).Pan = 127;  // ... and full right for channel 1
    SetStep(0, 1, 0);
    SetStep(1, 1, 1);
    Song->MasterVolume = 128;
  }
};

TEST_F(MixerTest, CutGroupFadesWithClickRemoval) {
  CutSong t;
  StartPattern(*M, *t.Song, 1, 4096);
  const auto out = MixFrames(*M, 4);
  const int cutAt = 5512;
  const int level = static_cast<int>(std::lrint(8000 * 100.0 * 100.0 / 12700.0));
  EXPECT_NEAR(out[2 * (cutAt - 1)], level, 1);
  for (int k = 0; k < 255; ++k)
    ASSERT_NEAR(out[2 * (cutAt + k)], level * (255 - k) / 256.0, 1.0) << k;
  for (int k = 255; k < 400; ++k) ASSERT_EQ(out[2 * (cutAt + k)], 0) << k;
  EXPECT_NEAR(out[2 * cutAt + 1], level, 1);  // the cutting voice plays on
}

TEST_F(MixerTest, CutGroupCutsAtOnceWithoutClickRemoval) {
  MixSettings().ClickRemoval = 0;
  CutSong t;
  StartPattern(*M, *t.Song, 1, 4096);
  const auto out = MixFrames(*M, 4);
  const int cutAt = 5512;
  EXPECT_GT(out[2 * (cutAt - 1)], 6000);
  EXPECT_EQ(out[2 * cutAt], 0);
  EXPECT_EQ(M->VoiceCount, 1);
}

TEST_F(MixerTest, EchoRepeatsHalveAndFollowEchoTime) {
  TestSong t(120);
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  ch.EchoFeedback = 64;
  ch.EchoCount = 3;
  ch.EchoTime = 8;
  ch.EchoPan = 128;
  ch.Sample.CutGroup = 2;
  ch.Sample.CutByGroup = 2;
  t.SetStep(0, 1, 0);
  StartPattern(*M, *t.Song);
  M->NextStepFrame = 0;
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 4);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(M->Voices[j].Start, 2756 * j);
    EXPECT_NEAR(M->Voices[j].GainL, M->Voices[0].GainL / std::pow(2.0, j), 1e-12);
    EXPECT_EQ(M->Voices[j].Tag, 1024 + j);  // each repeat its own group
  }
}

TEST_F(MixerTest, EchoPanPitchAndFilterAccumulate) {
  TestSong t(120);
  auto& ch = t.AddChannel(ConstantFrames(44100, 1000, 1000));
  ch.EchoFeedback = 128;
  ch.EchoCount = 2;
  ch.EchoPan = 138;     // +10 each repeat
  ch.EchoPitch = 240;   // +1200 cents each repeat
  ch.EchoCutoff = 192;  // cutoff * 0.5 each repeat
  ch.EchoResonance = 64;  // resonance * 0.5
  t.SetStep(0, 1, 0);
  t.SetValue(0, 1, 0, PlaneReso, 64);
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 3);
  float l, r;
  PanGains(84, NoteGain100, l, r);
  EXPECT_NEAR(M->Voices[2].GainL, l, 1e-10);
  EXPECT_EQ(M->Voices[1].Stretched, 22050);
  EXPECT_EQ(M->Voices[2].Stretched, 11025);
  EXPECT_FLOAT_EQ(M->Voices[1].Filter.Cutoff, 0.5f);
  EXPECT_FLOAT_EQ(M->Voices[2].Filter.Cutoff, 0.25f);
  const float reso = StepResonance(64);
  EXPECT_FLOAT_EQ(M->Voices[2].Filter.Reso, reso / 4);
}

TEST_F(MixerTest, EchoFollowingSwingRestartsFromTheStep) {
  TestSong t(120);
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  ch.EchoFeedback = 64;
  ch.EchoCount = 2;
  ch.EchoTime = 16;  // one step
  ch.Shift = 128;    // half a step late
  ch.EchoFollowsSwing = true;
  t.Song->MasterSwing = 64;
  t.SetStep(0, 1, 0);
  StartPattern(*M, *t.Song);
  M->MixStep = 0;
  M->TriggerStep(*t.Song);
  ASSERT_EQ(M->VoiceCount, 3);
  EXPECT_EQ(M->Voices[0].Start, 5512 * 128 / 256);
  EXPECT_EQ(M->Voices[1].Start, 1378 + 5512);  // odd step: swing, no shift
  EXPECT_EQ(M->Voices[2].Start, 2 * 5512);
}

TEST_F(MixerTest, StepFilterValues) {
  EXPECT_EQ(StepResonance(0), 0.0f);
  EXPECT_EQ(StepCutoff(0), 1.0f);
  EXPECT_NEAR(StepResonance(64), std::cos(64 * std::numbers::pi / 256), 1e-7);
  EXPECT_NEAR(StepCutoff(127), 1 - std::cos(std::numbers::pi / 256), 1e-7);
}

// A whole pattern: each step's sample starts on its exact frame with the
// level of the pan law and the volumes.
TEST_F(MixerTest, MixedPatternStartsEachStepOnItsFrame) {
  TestSong t(140);
  auto& kick = t.AddChannel(ConstantFrames(200, 12000, 12000));
  auto& hat = t.AddChannel(ConstantFrames(50, -6000, 9000));
  kick.Volume = 100;
  hat.Volume = 64;
  hat.Pan = 32;
  t.Song->MasterVolume = 100;
  for (int s = 0; s < 16; s += 4) t.SetStep(0, 1, s, 127);
  for (int s = 2; s < 16; s += 4) t.SetStep(1, 1, s, 80);
  StartPattern(*M, *t.Song, 1, 1000);
  const int blocks = 4725 * 16 / 1000 + 2;
  const auto out = MixFrames(*M, blocks);
  const auto expect = [&](double sample, int vol, int vel, int pan, bool right) {
    float l, r;
    PanGains(pan, vol * vel / 12700.0 / 32768.0, l, r);
    return sample * (right ? r : l) * 100 * 256;
  };
  for (int s = 0; s < 16; ++s) {
    const int at = 4725 * s;
    const bool kickStep = s % 4 == 0, hatStep = s % 4 == 2;
    if (!kickStep && !hatStep) continue;
    SCOPED_TRACE(s);
    if (at > 0) {
      EXPECT_EQ(out[2 * (at - 1)], 0);
    }
    if (kickStep) {
      EXPECT_NEAR(out[2 * at], expect(12000, 100, 127, 64, false), 1.0);
      EXPECT_NEAR(out[2 * (at + 199) + 1], expect(12000, 100, 127, 64, true), 1.0);
      EXPECT_EQ(out[2 * (at + 200)], 0);
    } else {
      EXPECT_NEAR(out[2 * at], expect(-6000, 64, 80, 32, false), 1.0);
      EXPECT_NEAR(out[2 * at + 1], expect(9000, 64, 80, 32, true), 1.0);
      EXPECT_EQ(out[2 * (at + 50)], 0);
    }
  }
  // The pattern wrapped: step 0 fired again at 16 steps.
  EXPECT_NE(out[2 * (4725 * 16)], 0);
  EXPECT_EQ(M->MixStep, 0);
}

TEST_F(MixerTest, DisabledChannelsAndOffStepsAreSilent) {
  TestSong t;
  auto& ch = t.AddChannel(ConstantFrames(100, 1000, 1000));
  t.SetStep(0, 1, 0);
  ch.Enabled = false;
  StartPattern(*M, *t.Song);
  M->MixBlock();
  EXPECT_EQ(M->VoiceCount, 0);
  ch.Enabled = true;
  t.Chan(0).Steps.SetStepOn(1, 0, false);
  M->MixStep = -1;
  M->NextStepFrame = M->MixPosition;
  M->MixBlock();
  EXPECT_EQ(M->VoiceCount, 0);
}

}  // namespace
}  // namespace vs
