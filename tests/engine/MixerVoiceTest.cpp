// Voices through MixBlock: loops, stretches, stops, releases, 64-bit
// positions, the master filter and the hooks for synthesizers, plug-ins and
// the display clock.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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

// Left values 0, 1, 2, ... and right 0.
std::vector<int16_t> Ramp(int n) {
  std::vector<int16_t> f(size_t(n) * 2, 0);
  for (int i = 0; i < n; ++i) f[2 * i] = static_cast<int16_t>(i);
  return f;
}

class MixerVoiceTest : public ::testing::Test {
protected:
  void SetUp() override {
    MixSettings().ClickRemoval = 1;
    MixSettings().Interpolation = 1;
    M->SetSong(&Song);
    M->SetBlockFrames(256);
  }
  void TearDown() override { MixSettings().ClickRemoval = 1; }

  // Mixes blocks (not playing) and returns the left values of bus 0, zeroing
  // the buses as the output would.
  std::vector<float> MixLeft(int blocks) {
    std::vector<float> left;
    for (int b = 0; b < blocks; ++b) {
      M->MixBlock();
      float* bus = M->Bus(0);
      for (int i = 0; i < M->BlockFrames; ++i) {
        left.push_back(bus[2 * i]);
        bus[2 * i] = bus[2 * i + 1] = 0.0f;
      }
    }
    return left;
  }
  // A voice at full left with gain 1 (bus value = sample value).
  bool Add(const TWAVSample& s, int64_t start, int64_t length, float cutoff = 1.0f, float reso = 0.0f) {
    return M->AddVoiceUnlocked(&s, start, 0, 0, cutoff, reso, length, 0, 0, 1.0f);
  }

  TSong Song;
  std::unique_ptr<TMixer> M = std::make_unique<TMixer>();
  MixerGuard Lock;
};

TEST_F(MixerVoiceTest, PlainVoicePlaysItsFramesOnce) {
  TWAVSample s;
  s.SetFrames(Ramp(300));
  s.PlayLength = 300;
  ASSERT_TRUE(Add(s, 100, 300));
  const auto out = MixLeft(3);
  EXPECT_EQ(out[99], 0.0f);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(out[100 + i], float(i)) << i;
  EXPECT_EQ(out[400], 0.0f);
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerVoiceTest, PitchedVoicePlaysTheStretchedLength) {
  TWAVSample s;
  s.SetFrames(ConstantFrames(1000, 1000, 0));
  s.PlayLength = 1000;
  ASSERT_TRUE(Add(s, 0, PitchedLength(1000, 1200)));
  const auto out = MixLeft(4);
  EXPECT_EQ(out[499], 1000.0f);
  EXPECT_EQ(out[500], 0.0f);
}

TEST_F(MixerVoiceTest, LoopedVoiceLoopsThenPlaysOnAfterTheLoopWhenStopped) {
  TWAVSample s;
  s.SetFrames(Ramp(1000));
  s.PlayLength = 1000;
  s.NominalLength = 1000;
  s.SetLoop(100, 199);
  s.Looped = true;
  ASSERT_TRUE(Add(s, 0, 1000));
  auto out = MixLeft(4);  // 1024 frames
  EXPECT_EQ(out[199], 199.0f);
  EXPECT_EQ(out[200], 100.0f);
  EXPECT_EQ(out[1023], float(100 + (1023 - 100) % 100));
  M->StopLoopedVoices();
  out = MixLeft(4);
  // It resumes from its place in the loop and plays the rest of the sample.
  const int resume = 100 + (1024 - 100) % 100;
  EXPECT_EQ(out[0], float(resume));
  EXPECT_EQ(out[999 - resume], 999.0f);
  EXPECT_EQ(out[1000 - resume], 0.0f);
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerVoiceTest, StoppedLoopWithoutTailFadesOrEndsAtOnce) {
  TWAVSample s;
  s.SetFrames(ConstantFrames(200, 1000, 0));
  s.PlayLength = 200;
  s.NominalLength = 200;  // fewer than 8 frames after the loop
  s.SetLoop(100, 195);
  s.Looped = true;
  ASSERT_TRUE(Add(s, 0, 200));
  MixLeft(2);
  M->StopLoopedVoices();
  auto out = MixLeft(2);
  for (int k = 0; k < 255; ++k) ASSERT_FLOAT_EQ(out[k], 1000.0f * (255 - k) / 256) << k;
  EXPECT_EQ(out[255], 0.0f);
  EXPECT_EQ(M->VoiceCount, 0);

  MixSettings().ClickRemoval = 0;
  ASSERT_TRUE(Add(s, M->MixPosition, 200));
  MixLeft(1);
  M->StopLoopedVoices();
  out = MixLeft(1);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerVoiceTest, StretchedLoopIsScaled) {
  TWAVSample s;
  s.SetFrames(Ramp(200));
  s.PlayLength = 200;
  s.NominalLength = 200;
  s.SetLoop(100, 199);
  s.Looped = true;
  ASSERT_TRUE(Add(s, 0, 400));  // an octave down: loop 200..399
  const auto out = MixLeft(4);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(out[400 + i], out[200 + i]) << i;
  for (int i = 0; i < 200; ++i) ASSERT_EQ(out[600 + i], out[200 + i]) << i;
  EXPECT_EQ(out[2], 0.0f);  // position 2 * 199 / 400 = 0.995: 0 + (1 * 0.995 floored)
  EXPECT_EQ(out[399], 198.0f);
}

TEST_F(MixerVoiceTest, ScaledLoopOfZeroFramesKeepsOneFrame) {
  TWAVSample s;
  s.SetFrames(Ramp(200));
  s.PlayLength = 200;
  s.NominalLength = 200;
  s.SetLoop(150, 150);  // one frame
  s.Looped = true;
  ASSERT_TRUE(Add(s, 0, 100));  // an octave up: the loop scales to 0 frames
  const auto out = MixLeft(2);
  for (int i = 80; i < 512; ++i) ASSERT_EQ(out[i], out[75]) << i;
  EXPECT_NE(out[75], 0.0f);
}

TEST_F(MixerVoiceTest, VoiceWithNothingLeftMixesNothing) {
  MixSettings().ClickRemoval = 0;
  TWAVSample s;
  s.SetFrames(ConstantFrames(300, 1000, 0));
  s.PlayLength = 300;
  ASSERT_TRUE(Add(s, 0, 300));
  M->Voices[0].Offset = 250;  // source already past its end
  M->Voices[0].EndPos = 200;
  const auto out = MixLeft(2);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerVoiceTest, StopOperations) {
  TWAVSample a, b;
  a.SetFrames(ConstantFrames(1000, 1, 1));
  a.PlayLength = 1000;
  a.Looped = true;
  a.SetLoop(0, 999);
  b.SetFrames(ConstantFrames(1000, 1, 1));
  b.PlayLength = 1000;
  M->AddVoiceUnlocked(&a, 0, 64, 0, 1, 0, 1000, -1, 0, 1.0f);
  M->AddVoiceUnlocked(&a, 0, 64, 0, 1, 0, 1000, 0, 0, 1.0f);
  M->AddVoiceUnlocked(&b, 0, 64, 0, 1, 0, 1000, -1, 0, 1.0f);
  M->AddVoiceUnlocked(&b, 0, 64, 0, 1, 0, 1000, 0, 0, 1.0f);
  M->MixPosition = 500;
  M->StopLoopedPreviews();
  EXPECT_EQ(M->Voices[0].EndPos, 500);
  EXPECT_EQ(M->Voices[1].EndPos, VoiceForever);
  EXPECT_EQ(M->Voices[2].EndPos, 1000);
  M->StopLoopedVoices();
  EXPECT_EQ(M->Voices[1].EndPos, 500);
  EXPECT_EQ(M->Voices[3].EndPos, 1000);
  M->StopSampleVoices(&a);
  ASSERT_EQ(M->VoiceCount, 2);
  EXPECT_EQ(M->Voices[0].Sample, &b);
  EXPECT_EQ(M->Voices[1].Sample, &b);
  M->StopAllVoices();
  EXPECT_EQ(M->VoiceCount, 0);
}

TEST_F(MixerVoiceTest, ProgramWideVoiceOperations) {
  TWAVSample s;
  s.SetFrames(ConstantFrames(100, 1, 1));
  s.PlayLength = 100;
  const int before = Mixer().VoiceCount;
  ASSERT_TRUE(AddVoice(&s, Mixer().MixPosition, 64, 100, -1, 0, PreviewGain * 100));
  const TMixChan& v = Mixer().Voices[before];
  EXPECT_EQ(v.Bus, 0);
  EXPECT_FALSE(v.Filter.Active());
  EXPECT_EQ(v.Tag, -1);
  StopSampleVoices(&s);
  EXPECT_EQ(Mixer().VoiceCount, before);
  EXPECT_EQ(&EchoLine(), &Mixer().Echo);
}

TEST_F(MixerVoiceTest, PositionsBeyond32Bits) {
  TestSong t(120);
  t.AddChannel(ConstantFrames(100, 10000, 10000));
  t.SetStep(0, 1, 0);
  t.SetStep(0, 1, 9);
  auto& loop = t.AddChannel(ConstantFrames(100, 5000, 5000));
  loop.Sample.Looped = true;
  loop.Sample.SetLoop(0, 99);
  t.SetStep(1, 1, 0);
  t.Song->MasterVolume = 128;
  const int64_t far = int64_t(5) << 30 << 2;  // 2^34 frames, about 4.3 days
  M->MixPosition = far;
  StartPattern(*M, *t.Song, 1, 4096);
  const auto out = MixFrames(*M, 14);
  EXPECT_GT(out[0], 0);
  EXPECT_GT(out[2 * 200], 0);                       // the looped voice goes on
  EXPECT_GT(out[2 * (5512 * 9)], out[2 * (5512 * 9 - 1)]);  // step 9 on its frame
  bool looped = false;
  for (int i = 0; i < M->VoiceCount; ++i)
    if (M->Voices[i].LoopOn) {
      looped = true;
      EXPECT_GT(M->Voices[i].EndPos, 0);
      EXPECT_EQ(M->Voices[i].Start, far);
    }
  EXPECT_TRUE(looped);
  EXPECT_EQ(M->MixPosition, far + 14 * 4096);
}

TEST_F(MixerVoiceTest, FilteredVoicesAndTheMasterFilter) {
  TWAVSample s;
  s.SetFrames(ConstantFrames(512, 1000, 0));
  s.PlayLength = 512;
  ASSERT_TRUE(Add(s, 0, 512, 0.5f, 0.0f));
  auto out = MixLeft(1);
  EXPECT_FLOAT_EQ(out[0], 500.0f);
  EXPECT_FLOAT_EQ(out[1], 750.0f);
  EXPECT_NEAR(out[255], 1000.0f, 1e-3);
  // The state carries over into the next block.
  out = MixLeft(1);
  EXPECT_NEAR(out[0], 1000.0f, 1e-3);

  // An open master filter (cutoff 1, resonance 0) leaves the bus as it is.
  M->MasterFilter.Cutoff = 1.0f;
  M->MasterFilter.Reso = 0.0f;
  M->MasterFilter.PosL = 123;  // would show if the filter ran
  ASSERT_TRUE(Add(s, M->MixPosition, 512));
  out = MixLeft(2);
  EXPECT_EQ(out[0], 1000.0f);
  M->MasterFilter.Cutoff = 0.5f;
  ClearFilterState(M->MasterFilter);
  ASSERT_TRUE(Add(s, M->MixPosition, 512));
  out = MixLeft(2);
  EXPECT_FLOAT_EQ(out[0], 1000.0f * 0.5f);  // 1000 from the voice, halved
}

TEST_F(MixerVoiceTest, MasterFilterFromSliderPositions) {
  EXPECT_EQ(MasterCutoffForPosition(MasterFilterSliderMax), 1.0f);
  EXPECT_EQ(MasterResonanceForPosition(MasterFilterSliderMax), 0.0f);
  EXPECT_NEAR(MasterCutoffForPosition(0), 1 - std::cos(16 * 3.14159265358979 / 2048), 1e-7);
  EXPECT_NEAR(MasterResonanceForPosition(512), std::cos(544 * 3.14159265358979 / 2048), 1e-7);
  M->MasterFilter.PosL = 5;
  M->SetMasterFilter(0.25f, 0.5f);
  EXPECT_EQ(M->MasterFilter.Cutoff, 0.25f);
  EXPECT_EQ(M->MasterFilter.Reso, 0.5f);
  EXPECT_EQ(M->MasterFilter.PosL, 5);  // the states stay
}

struct RecordingPlugins : TMixPluginHook {
  bool Active = false;
  std::vector<int> Tracks;
  bool BusPluginsActive() const override { return Active; }
  void ProcessTrack(int track, float* frames, int32_t count) override {
    Tracks.push_back(track);
    if (track == 3) frames[2 * (count - 1)] += 7.0f;  // bus 2 gets a mark
  }
};

TEST_F(MixerVoiceTest, BusesAreSummedWhenUsedOrWhenPluginsAreActive) {
  RecordingPlugins plugins;
  M->SetPluginHook(&plugins);
  TWAVSample s;
  s.SetFrames(ConstantFrames(10, 1000, 0));
  s.PlayLength = 10;
  M->AddVoiceUnlocked(&s, 0, 0, 2, 1, 0, 10, 0, 0, 1.0f);
  auto out = MixLeft(1);
  EXPECT_EQ(plugins.Tracks, (std::vector<int>{4, 3, 2, 1, 0}));
  EXPECT_EQ(out[0], 1000.0f);   // bus 2 summed into bus 0
  EXPECT_EQ(out[255], 7.0f);
  EXPECT_EQ(M->Bus(2)[0], 0.0f);

  // No voice on a higher bus: the buses are left alone ...
  out = MixLeft(1);
  EXPECT_EQ(out[255], 0.0f);
  EXPECT_EQ(M->Bus(2)[2 * 255], 7.0f);
  M->Bus(2)[2 * 255] = 0.0f;
  // ... unless a plug-in is active on them.
  plugins.Active = true;
  out = MixLeft(1);
  EXPECT_EQ(out[255], 7.0f);
  M->SetPluginHook(nullptr);
}

struct CountingSynth : TSynthRenderHook {
  int Calls = 0;
  bool RenderAhead(TMixer& mixer, TSong&) override {
    ++Calls;
    mixer.Bus(1)[0] += 3.0f;
    return true;
  }
};

struct CountingStepper : TStepAdvanceHook {
  int Steps = 0;
  void AdvanceStep() override { ++Steps; }
};

TEST_F(MixerVoiceTest, SynthRenderAndDisplayStepHooks) {
  CountingSynth synth;
  CountingStepper stepper;
  M->SetSynthRenderHook(&synth);
  M->SetStepAdvanceHook(&stepper);
  TestSong t(120);
  StartPattern(*M, *t.Song, 1, 5512);
  M->MixBlock();
  EXPECT_EQ(synth.Calls, 0);  // no synthesizer channel
  EXPECT_EQ(stepper.Steps, 1);
  t.AddChannel(ConstantFrames(1, 0, 0));
  t.Song->MB404Channels.push_back(&t.Chan(0));
  M->MixBlock();
  EXPECT_EQ(synth.Calls, 1);
  EXPECT_EQ(stepper.Steps, 2);
  EXPECT_EQ(M->Bus(0)[0], 3.0f);  // bus 1 was summed
  MixSettings().UseMIDI = true;
  M->MixBlock();
  MixSettings().UseMIDI = false;
  M->Rendering = true;
  M->MixBlock();
  M->Rendering = false;
  EXPECT_EQ(stepper.Steps, 2);
  EXPECT_EQ(M->MixStep, 3);
  M->Playing = false;
  M->MixBlock();
  EXPECT_EQ(synth.Calls, 3);
  EXPECT_EQ(M->MixStep, 3);
  M->SetSynthRenderHook(nullptr);
  M->SetStepAdvanceHook(nullptr);
}

TEST_F(MixerVoiceTest, SongModeMovesThroughBarsAndStopsAtTheStopBar) {
  TestSong t(120);
  t.Song->SetPatternLength(8);
  t.AddChannel(ConstantFrames(10, 100, 100));
  t.SetStep(0, 1, 0);
  t.SetStep(0, 2, 0);  // patterns 1 and 2 hold steps, 3 is empty
  StartPattern(*M, *t.Song, 1, 5512);
  M->SongMode = 1;
  M->MixBar = 0;
  for (int s = 0; s < 8; ++s) M->MixBlock();
  EXPECT_EQ(M->MixBar, 0);
  M->MixBlock();
  EXPECT_EQ(M->MixBar, 1);
  EXPECT_EQ(M->MixPattern, 2);
  EXPECT_EQ(M->MixStep, 0);
  for (int s = 0; s < 8; ++s) M->MixBlock();
  EXPECT_EQ(M->MixBar, 0);  // pattern 3 is empty: back to the marker
  EXPECT_EQ(M->MixPattern, 1);

  M->MixStopBar = 0;
  for (int s = 0; s < 7; ++s) M->MixBlock();
  EXPECT_TRUE(M->Playing);
  M->MixBlock();
  EXPECT_FALSE(M->Playing);
  EXPECT_EQ(M->MixStep, 7);
}

TEST_F(MixerVoiceTest, FloatToInt16OfTheMixerUsesSongVolumeAndSurround) {
  Song.MasterVolume = 64;
  MixSettings().Surround = true;
  M->Bus(0)[0] = 0.5f;
  M->Bus(0)[1] = 0.5f;
  M->Bus(0)[2 * 255] = 0.25f;
  int16_t out[4];
  M->FloatToInt16(out, 4);
  EXPECT_EQ(out[0], 8192);
  EXPECT_EQ(out[1], -8192);
  M->FloatToInt16(out, 400, 255);  // clamped to the block
  EXPECT_EQ(out[0], 4096);
  MixSettings().Surround = false;
}

}  // namespace
}  // namespace vs
