// The mix path allocates nothing: a busy song (every channel on every step,
// echo repeats, filters, loops, stretches, pitches, random choices, mix
// targets, cut groups, all four buses, synthesizer channels, song mode, the
// echo line and the master filter) is mixed under a counting allocator.

#include <gtest/gtest.h>

#include <vector>

#include "AllocCounter.h"
#include "MixTestSong.h"
#include "model/MB404Params.h"
#include "model/MixerLock.h"
#include "engine/MB404Channels.h"
#include "engine/MixSettings.h"
#include "engine/Mixer.h"

namespace vs {
namespace {

using testing::AllocCounter;
using testing::ConstantFrames;
using testing::TestSong;

TEST(MixerRealTimeTest, CountingAllocatorSeesItsOwnAllocations) {
  volatile int size = 100;
  AllocCounter counter;
  std::vector<int> v(size);
  std::vector<int> w(size + 1);
  v[0] = w[1] = 5;
  EXPECT_EQ(counter.Count(), 2);
  EXPECT_EQ(v[0], w[1]);
}

TEST(MixerRealTimeTest, BusySongMixesWithoutAllocating) {
  TestSong t(999);
  t.Song->SetPatternLength(16);
  const int channels = 16;
  for (int c = 0; c < channels; ++c) {
    std::vector<int16_t> frames(size_t(12000) * 2);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int16_t>((i * 37 + c * 101) % 20000 - 10000);
    auto& ch = t.AddChannel(std::move(frames));
    ch.EffectTrack = c % 4;
    ch.EchoFeedback = 100;
    ch.EchoCount = 1 + c % 9;
    ch.EchoTime = 8 + c;
    ch.EchoPan = 100 + c * 4;
    ch.EchoPitch = 110 + c;
    ch.EchoCutoff = 64 + c * 8;
    ch.EchoResonance = 200 - c * 8;
    ch.EchoFollowsSwing = c % 2 == 0;
    ch.Shift = c * 8;
    ch.Sample.CutGroup = c % 3;
    ch.Sample.CutByGroup = c % 3;
    if (c % 4 == 1) {
      ch.Sample.SetLoop(500, 5999);
      ch.Sample.Looped = true;
    }
    if (c % 5 == 2) ch.Stretch = 1 + c % 3;
    if (c % 3 == 0) ch.MixTarget = (c + 1) % channels;
    if (c % 4 == 3) ch.RandomChoice = {c, (c + 5) % channels, (c + 9) % channels};
    for (int s = 0; s < 16; ++s) {
      for (int p = 1; p <= 3; ++p) {
        t.SetStep(c, p, s, 60 + s * 4);
        t.SetValue(c, p, s, PlanePitch, 60 + (s * 13 + c * 7) % 180);
        t.SetValue(c, p, s, PlaneNote, 48 + (s + c) % 24);
        t.SetValue(c, p, s, PlaneMix, (s * 17) % 128);
        t.SetValue(c, p, s, PlaneReso, (s * 29 + c) % 128);
        t.SetValue(c, p, s, PlaneCutoff, (s * 7 + c * 3) % 128);
        t.SetValue(c, p, s, PlaneShift, (s * 11) % 256);
        t.SetValue(c, p, s, PlanePan, (s * 23 + c) % 128);
      }
    }
  }
  // Two synthesizer channels render through their hook in the same blocks,
  // one of them into an upper bus, both into the song echo.
  for (int c = 0; c < 2; ++c) {
    auto& synth = t.AddChannel({});
    synth.MakeMB404(false);
    synth.EffectTrack = c;
    synth.Synth->Params[P404DelayGain] = 64;
    for (int s = 0; s < 16; s += 2)
      for (int p = 1; p <= 3; ++p) {
        t.SetStep(channels + c, p, s);
        t.SetValue(channels + c, p, s, PlaneNote, 36 + (s * 5 + c * 7) % 36);
      }
  }
  ASSERT_EQ(t.Song->MB404Channels.size(), 2u);
  t.Song->Playlist.PlaylistBars[0] = {1, 2};
  t.Song->Playlist.PlaylistBars[1] = {3};
  t.Song->MasterSwing = 40;
  t.Song->MasterPitch = -150;

  MixerGuard lock;
  auto mixer = std::make_unique<TMixer>();
  TMixer& m = *mixer;
  m.SetSong(t.Song.get());
  m.SetSynthRenderHook(&MB404RenderHook());
  m.SetBlockFrames(8820);
  m.FramesPerStep = FramesPerStepForBPM(999);
  m.Echo.Setup(m.BlockFrames, m.FramesPerStep * 3);
  m.MasterFilter.Cutoff = 0.3f;
  m.MasterFilter.Reso = 0.4f;
  m.SongMode = 1;
  m.MixBar = 0;
  m.MixPattern = t.Song->Playlist.PatternsAtBar(0, m.MixPatterns);
  m.MixStep = -1;
  m.NextStepFrame = 0;
  m.Playing = true;
  MixSettings().ClickRemoval = 1;
  std::vector<int16_t> out(size_t(m.BlockFrames) * 2);
  // Long looped voices keep the pool near full, so that the song's own
  // voices meet a full pool; they are stopped half-way and fade out.
  for (int i = 0; i < 480; ++i)
    m.AddVoiceUnlocked(&t.Chan(1).Sample, i * 10, 64, i % 4, 1.0f, 0.0f, 12000, 0, 0, MasterGain / 100);

  int most = 0;
  int bars = 0;
  for (int block = 0; block < 30; ++block) {
    const int bar = m.MixBar;
    {
      AllocCounter counter;
      m.MixBlock();
      m.FloatToInt16(out.data(), int64_t(m.BlockFrames) * 4);
      ASSERT_EQ(counter.Count(), 0) << "block " << block;
    }
    most = std::max(most, m.VoiceCount);
    bars += m.MixBar != bar;
    if (block == 15) m.StopLoopedVoices();
  }
  EXPECT_GT(most, 490);  // the pool was (nearly) full
  EXPECT_GT(bars, 4);          // bars changed inside the measured blocks
  for (int c = 0; c < 2; ++c) EXPECT_EQ(t.Chan(channels + c).Synth->StepLength, m.FramesPerStep);  // rendered
}

}  // namespace
}  // namespace vs
