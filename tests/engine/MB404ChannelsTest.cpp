#include "engine/MB404Channels.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/MixTestSong.h"
#include "model/MixerLock.h"

namespace vs {
namespace {

using testing::StartPattern;
using testing::TestSong;

// A song with one synthesizer channel playing pattern 1 from frame 0.
struct SynthSong {
  TestSong T{120};
  TMixer Mixer;
  TChannel* Ch;
  MB404Params* P;

  explicit SynthSong(int32_t block = 512) {
    Ch = &T.AddChannel({});
    Ch->MakeMB404(false);
    P = Ch->Synth.get();
    StartPattern(Mixer, *T.Song, 1, block);
    Mixer.SetSynthRenderHook(&MB404RenderHook());
  }
  void Note(int pattern, int step, int note, uint8_t flags = StepFlagOn, int pitch = 120, int cutoff = 0) {
    auto& st = Ch->Steps;
    st.AllocPattern(pattern);
    st.SetStepValue(pattern, step, static_cast<uint8_t>(note), PlaneNote);
    st.SetStepValue(pattern, step, static_cast<uint8_t>(pitch), PlanePitch);
    st.SetStepValue(pattern, step, static_cast<uint8_t>(cutoff), PlaneCutoff);
    st.SetStepValue(pattern, step, flags, PlaneFlags);
  }
};

TEST(MB404LookAhead, FillsTheStepsThatBeginInTheBlock) {
  SynthSong s(512);
  s.Note(1, 0, 62, StepFlagOn | StepFlagSlide, 130, 40);  // +100 cents
  s.Note(1, 1, 60, 0);
  // Step 0 begins at frame 0 (slot 2); step 1, after the block, is slot 3.
  EXPECT_EQ(FillMB404LookAhead(s.Mixer, *s.T.Song), 3);
  EXPECT_EQ(s.P->Note[2], 63);
  EXPECT_EQ(s.P->Cutoff[2], 40);
  EXPECT_EQ(s.P->On[2], 1);
  EXPECT_EQ(s.P->Slide[2], 1);
  EXPECT_TRUE(s.P->Note[3] == 60 && s.P->On[3] == 0);

  // The master pitch counts for pitchable channels only.
  s.T.Song->MasterPitch = 250;
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 65);
  s.Ch->Pitchable = false;
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 63);
  s.Ch->RootNote = 48;  // the note plane counts from the channel's root
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 75);
}

TEST(MB404LookAhead, PatternWithoutBlockPlaysTheSoundingNoteOff) {
  SynthSong s;
  s.P->Note[1] = 67;
  s.P->On[2] = 1; s.P->Note[2] = 40; s.P->Cutoff[2] = 9; s.P->Slide[2] = 1;
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 67);
  EXPECT_EQ(s.P->On[2], 0);
  EXPECT_EQ(s.P->Cutoff[2], 0);
  EXPECT_EQ(s.P->Slide[2], 0);
}

TEST(MB404LookAhead, LaterPatternOfTheBarSuppliesADefaultStep) {
  SynthSong s;
  s.Mixer.MixPatterns = {1, 2};
  s.Note(1, 0, 60, 0);           // all defaults: pattern 2 may supply it
  s.Note(2, 0, 64);
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 64);
  EXPECT_EQ(s.P->On[2], 1);
  s.Note(1, 0, 61, 0);           // a note of its own: pattern 1 keeps it
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 61);
  EXPECT_EQ(s.P->On[2], 0);
  // No block in the first pattern: the second one still may supply it.
  s.Mixer.MixPatterns = {3, 2};
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 64);
}

TEST(MB404LookAhead, SongModeTakesTheNextBarsPatterns) {
  SynthSong s;
  s.T.Song->SetPatternLength(8);
  s.Mixer.SongMode = 1;
  s.Mixer.MixStep = 7;  // the last step of bar 0: the next one is bar 1's
  s.Mixer.MixBar = 0;
  s.T.Song->Playlist.PlaylistBars[0] = {1};
  s.T.Song->Playlist.PlaylistBars[1] = {2};
  s.Note(1, 0, 50);
  s.Note(2, 0, 70);
  FillMB404LookAhead(s.Mixer, *s.T.Song);
  EXPECT_EQ(s.P->Note[2], 70);
  EXPECT_EQ(s.Mixer.MixBar, 0);  // the look-ahead works on copies
  EXPECT_EQ(s.Mixer.MixPatterns, std::vector<int>{1});
}

TEST(MB404LookAhead, StopsAtTheLastSlot) {
  SynthSong s(8820);
  s.Mixer.FramesPerStep = 10;  // 882 steps would begin in this block
  for (int i = 0; i < 16; ++i) s.Note(1, i, 60 + i);
  EXPECT_EQ(FillMB404LookAhead(s.Mixer, *s.T.Song), MB404Slots - 1);
  // Slots 2..63 hold steps 0, 1, ... 15, 0, ...: slot 63 is step 61 mod 16.
  EXPECT_EQ(s.P->Note[63], 60 + 61 % 16);
  s.Mixer.MixBlock();  // renders and shifts without writing past the arrays
  EXPECT_EQ(s.P->Note[1], 60 + 60 % 16);
}

TEST(MB404Render, SetsTheRenderPositionAndMovesTheSlots) {
  SynthSong s(512);
  s.Note(1, 0, 64);
  s.Note(1, 1, 65);
  s.Mixer.MixBlock();
  EXPECT_EQ(s.P->StepLength, 5512);
  EXPECT_EQ(s.P->GateLength, 4822);
  EXPECT_EQ(s.P->StepPosition, 5512);  // step -1 fully played: step 0 starts now
  // k = 3: slot 1 is now step 0 (sounding), slot 0 the step before it.
  EXPECT_EQ(s.P->Note[1], 64);
  EXPECT_EQ(s.P->On[1], 1);
  EXPECT_EQ(s.P->Note[0], 60);
  s.Mixer.MixBlock();
  EXPECT_EQ(s.P->StepPosition, 512);
  EXPECT_EQ(s.P->Note[1], 64);  // no step began: the slots stay
  // A clock whose next step lies more than a step ahead fills nothing and
  // moves nothing.
  s.P->Note[0] = 11;
  s.Mixer.NextStepFrame = s.Mixer.MixPosition + 3 * 5512;
  EXPECT_EQ(FillMB404LookAhead(s.Mixer, *s.T.Song), 1);
  s.Mixer.MixBlock();
  EXPECT_EQ(s.P->Note[0], 11);
  EXPECT_EQ(s.P->Note[1], 64);
}

TEST(MB404Render, SoundsInItsBusWithThePanLaw) {
  SynthSong s(512);
  for (int i = 0; i < 16; ++i) s.Note(1, i, 60);
  s.Ch->Pan = 0;
  auto out = testing::MixFrames(s.Mixer, 20);
  double left = 0, right = 0;
  for (size_t i = 0; i < out.size(); i += 2) {
    left += std::abs(out[i]);
    right += std::abs(out[i + 1]);
  }
  EXPECT_GT(left, 1e5);
  EXPECT_EQ(right, 0);

  // Muted or at volume 0 it adds nothing, but its slots still move on.
  SynthSong m(512);
  m.Note(1, 0, 62);
  m.Ch->Enabled = false;
  auto silent = testing::MixFrames(m.Mixer, 4);
  for (int16_t v : silent) ASSERT_EQ(v, 0);
  EXPECT_EQ(m.P->Note[1], 62);   // step 0 is sounding now
  EXPECT_EQ(m.P->On[1], 1);
  EXPECT_EQ(m.P->Note[0], 60);
  EXPECT_EQ(m.P->StepLength, 0);  // never rendered
}

TEST(MB404Render, HostileSettingsStayInRange) {
  SynthSong s(512);
  s.Note(1, 0, 255, 0xFF, 255, 255);
  s.Ch->RootNote = -2000000000;
  s.T.Song->MasterPitch = 2000000000;
  s.Ch->EffectTrack = 99;
  s.Ch->Pan = -40;
  s.Ch->Volume = 100000;
  s.P->Params[P404StepGate] = 2000000000;
  s.P->Params[P404DelayGain] = -7;
  auto out = testing::MixFrames(s.Mixer, 4);
  EXPECT_EQ(s.P->GateLength, 5511);  // the gate at most the whole step
  EXPECT_EQ(s.P->Note[1], INT16_MAX);
  for (size_t i = 1; i < out.size(); i += 2) ASSERT_EQ(out[i], 0);  // pan 0: left only
}

TEST(MB404Render, UpperBusAndEchoSend) {
  SynthSong s(512);
  s.Note(1, 0, 60);
  s.Ch->EffectTrack = 2;
  TSynthRenderHook& hook = MB404RenderHook();
  EXPECT_TRUE(hook.RenderAhead(s.Mixer, *s.T.Song));
  float sum = 0;
  for (int i = 0; i < 2 * 512; ++i) sum += std::fabs(s.Mixer.Bus(2)[i]) + std::fabs(s.Mixer.Bus(0)[i]) * 1000;
  EXPECT_GT(sum, 0.0f);
  for (int i = 0; i < 2 * 512; ++i) ASSERT_EQ(s.Mixer.Bus(0)[i], 0.0f);

  // With a delay gain the block also goes into the song echo, whose repeat
  // comes back after the echo's delay.
  for (int delay : {0, 128}) {
    SynthSong e(512);
    e.Note(1, 0, 60);
    e.P->Params[P404DelayGain] = delay;
    e.Mixer.Echo.Setup(512, 1024);
    auto first = testing::MixFrames(e.Mixer, 2);  // two blocks of the note
    e.Ch->Enabled = false;
    auto later = testing::MixFrames(e.Mixer, 2);  // the repeat, if any
    int peak = 0;
    for (int16_t v : later) peak = std::max(peak, std::abs(int(v)));
    if (delay) EXPECT_GT(peak, 100);
    else EXPECT_EQ(peak, 0);
  }
}

}  // namespace
}  // namespace vs

namespace vs {
namespace {

TEST(MB404Render, TheProgramMixerRendersSynthesizerChannels) {
  TestSong t(120);
  TChannel& ch = t.AddChannel({});
  ch.MakeMB404(false);
  TMixer& m = Mixer();
  MixerGuard lock;  // the program's mixer is mixed under its lock
  StartPattern(m, *t.Song, 1, 512);
  m.MixBlock();
  EXPECT_EQ(ch.Synth->StepLength, 5512);
  m.Playing = false;
  m.SetSong(nullptr);
}

}  // namespace
}  // namespace vs
