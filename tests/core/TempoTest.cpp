// Tempo arithmetic, the shown step, the MIDI notes of a step and the
// coalesced step-position posts.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/MixSettings.h"
#include "engine/Mixer.h"
#include "platform/MidiPorts.h"

namespace vs {
namespace {

using Bytes = std::vector<uint8_t>;

class StepRecorder : public TEngineListener {
public:
  std::atomic<int> Steps{0};
  void StepPosition() override { ++Steps; }
};

class TempoTest : public ::testing::Test {
protected:
  void SetUp() override {
    Song->MasterVolume = 128;
    Song->MasterPitch = 0;
    Song->SetPatternLength(16);
    MixerGuard hold;
    Mixer().SetSong(Song.get());
    Mixer().SongMode = 0;
    Mixer().Playing = false;
    TPlayPosition& pos = PlayPosition();
    pos.DisplayStep = -1;
    pos.PlaylistPosition = 0;
    pos.PlayingPatterns.assign(1, 1);
    pos.PlayingPattern = 1;
    pos.MidiStepPattern = 1;
    SetMIDIOut(&Port);
    SetEngineListener(&Listener);
    MixSettings().UseMIDI = false;
  }
  void TearDown() override {
    LoopTimer().Stop();
    SetMIDIOut(nullptr);
    SetEngineListener(nullptr);
    SetTempoRebaseHook(nullptr);
    MixerGuard hold;
    Mixer().Playing = false;
    Mixer().SetStepAdvanceHook(nullptr);
    Mixer().SetSong(nullptr);
  }

  // A channel that sends MIDI note `note` on MIDI channel `midi`.
  TChannel& AddMidiChannel(int note, int midi) {
    auto ch = std::make_unique<TChannel>(Song.get());
    const int index = Song->ChannelCount();
    ch->MixTarget = index;
    ch->RandomChoice = {index};
    ch->MidiNote = uint8_t(note);
    ch->MidiChannel = midi;
    Song->Channels.push_back(std::move(ch));
    return *Song->Channels.back();
  }
  void SetStep(int channel, int step, int vol, int mix = 0, int note = 60, int pan = 64) {
    TStepStore& s = Song->Channels[channel]->Steps;
    s.SetStepOn(1, step, true);
    s.SetStepValue(1, step, uint8_t(vol), PlaneVol);
    s.SetStepValue(1, step, uint8_t(mix), PlaneMix);
    s.SetStepValue(1, step, uint8_t(note), PlaneNote);
    s.SetStepValue(1, step, uint8_t(pan), PlanePan);
  }
  // The note-on messages sent, as (status, key, velocity).
  std::vector<Bytes> NoteOns() {
    std::vector<Bytes> r;
    for (auto& m : Port.Messages())
      if ((m[0] & 0xF0) == 0x90) r.push_back(m);
    return r;
  }

  std::unique_ptr<TSong> Song = std::make_unique<TSong>();
  TRecordingMidiOut Port;
  StepRecorder Listener;
};

TEST_F(TempoTest, TempoGivesFramesPerStepTimerIntervalAndEchoDelay) {
  struct Case {
    int bpm, frames, ms;
  };
  for (Case c : {Case{140, 4725, 107}, Case{999, 662, 15}, Case{30, 22050, 500},
                 Case{0, 22050, 500}, Case{-7, 22050, 500}, Case{5000, 662, 15}}) {
    SetTempo(c.bpm);
    EXPECT_EQ(Mixer().FramesPerStep, c.frames) << c.bpm;
    EXPECT_EQ(LoopTimer().Interval(), uint32_t(c.ms)) << c.bpm;
    EXPECT_EQ(StepMilliseconds(c.bpm), c.ms);
    EXPECT_EQ(Song->BPM, ClampBPM(c.bpm));
  }
  SetTempo(140);
  EchoLine().Time = 48;
  UpdateEchoDelay();
  EXPECT_EQ(EchoLine().DelayFrames(), (4725 * 48) >> 4);
  EchoLine().Time = 8;
  SetTempo(120);
  EXPECT_EQ(EchoLine().DelayFrames(), 2756);
  EchoLine().Time = 48;
}

int32_t RebaseOld = 0, RebaseNew = 0;

TEST_F(TempoTest, TempoChangeRebasesTheClockUnderTheMixerLock) {
  SetTempo(140);
  SetTempoRebaseHook([](int32_t oldFrames, int32_t newFrames) {
    EXPECT_TRUE(MixerLockHeldByThisThread());
    RebaseOld = oldFrames;
    RebaseNew = newFrames;
  });
  SetTempo(120);
  EXPECT_EQ(RebaseOld, 4725);
  EXPECT_EQ(RebaseNew, 5512);
}

TEST_F(TempoTest, SongModeMovesToTheNextBarAfterTheLastStep) {
  Song->Playlist.PlaylistBars[0] = {1};
  Song->Playlist.PlaylistBars[1] = {2, 3};
  AddMidiChannel(36, 0);
  Song->Channels[0]->Steps.SetStepOn(2, 0, true);
  {
    MixerGuard hold;
    Mixer().SongMode = 1;
  }
  TPlayPosition& pos = PlayPosition();
  pos.DisplayStep = 14;
  AdvanceStep(false);
  EXPECT_EQ(pos.DisplayStep, 15);
  EXPECT_EQ(pos.PlaylistPosition, 0);
  AdvanceStep(false);
  EXPECT_EQ(pos.DisplayStep, 0);
  EXPECT_EQ(pos.PlaylistPosition, 1);
  EXPECT_EQ(pos.PlayingPatterns, (std::vector<int>{2, 3}));
  EXPECT_EQ(pos.PlayingPattern, 2);

  // Pattern mode wraps to step 0 in place; from -1 the first step is 0.
  {
    MixerGuard hold;
    Mixer().SongMode = 0;
  }
  pos.DisplayStep = 15;
  AdvanceStep(false);
  EXPECT_EQ(pos.DisplayStep, 0);
  EXPECT_EQ(pos.PlaylistPosition, 1);
  pos.DisplayStep = -1;
  AdvanceStep(false);
  EXPECT_EQ(pos.DisplayStep, 0);
  // A pattern length of 0 cannot reach the step arithmetic.
  Song->StepContext.PatternLength = 0;
  AdvanceStep(false);
  EXPECT_EQ(pos.DisplayStep, 0);
  EXPECT_TRUE(Port.Messages().empty());  // without MIDI nothing is sent
}

TEST_F(TempoTest, MixSplitsTheVelocityBetweenTargetAndChannel) {
  AddMidiChannel(36, 0);
  AddMidiChannel(38, 1);
  Song->Channels[0]->MixTarget = 1;
  SetStep(0, 0, 100, 127);
  SetStep(0, 1, 100, 64);
  AdvanceStep(true);
  auto on = NoteOns();
  ASSERT_EQ(on.size(), 1u);
  EXPECT_EQ(on[0], (Bytes{0x91, 38, 100}));  // all to the target
  Port.Clear();
  AdvanceStep(true);
  on = NoteOns();
  ASSERT_EQ(on.size(), 2u);
  EXPECT_EQ(on[0], (Bytes{0x91, 38, 50}));  // 100 x 64 div 127 = 50
  EXPECT_EQ(on[1], (Bytes{0x90, 36, 50}));  // the rest
}

TEST_F(TempoTest, VelocityNoteOffPanAndLamps) {
  TChannel& ch = AddMidiChannel(36, 2);
  SetStep(0, 0, 100, 0, 60, 80);
  SetStep(0, 1, 127, 0, 62, 0);
  AdvanceStep(true);
  auto m = Port.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], (Bytes{0xB2, 10, 80}));   // pan 80 + 64 - 64
  EXPECT_EQ(m[1], (Bytes{0x92, 36, 100}));  // 100 x 100 x 128 div 12800
  EXPECT_EQ(ch.StepLamps[0].load(), 256);
  EXPECT_EQ(ch.TriggerLamp.load(), 256);
  Port.Clear();
  ch.Pan = 30;
  AdvanceStep(true);
  m = Port.Messages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0], (Bytes{0x82, 36, 127}));  // the last note ends
  EXPECT_EQ(m[1], (Bytes{0xB2, 10, 0}));    // 0 + 30 - 64 clamped
  EXPECT_EQ(m[2], (Bytes{0x92, 38, 127}));  // 127 stays 127
  EXPECT_EQ(ch.LastMidiNote, 38);
  EXPECT_EQ(ch.StepLamps[1].load(), 256);
}

TEST_F(TempoTest, MasterPitchMovesPitchableNotesByWholeSemitones) {
  TChannel& ch = AddMidiChannel(36, 0);
  SetStep(0, 0, 100, 0, 72);
  SetStep(0, 1, 100, 0, 72);
  SetStep(0, 2, 100, 0, 72);
  Song->MasterPitch = -1200;
  AdvanceStep(true);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0][1], 36);
  Port.Clear();
  ch.Pitchable = false;
  AdvanceStep(true);
  EXPECT_EQ(NoteOns()[0][1], 48);  // 72 + 36 - 60
  Port.Clear();
  Song->MasterPitch = -150;  // truncates toward zero: -1
  ch.Pitchable = true;
  AdvanceStep(true);
  EXPECT_EQ(NoteOns()[0][1], 47);
}

TEST_F(TempoTest, OutOfRangeNotesChannelsAndTargetsAreSafe) {
  TChannel& ch = AddMidiChannel(36, 17);  // MIDI channel masked to 1
  SetStep(0, 0, 100, 0, 60);
  SetStep(0, 1, 100, 0, 0);    // 0 + 36 - 60 = -24: no such key
  SetStep(0, 2, 100, 0, 127);  // 127 + 36 - 60 = 103
  AdvanceStep(true);
  EXPECT_EQ(NoteOns()[0], (Bytes{0x91, 36, 100}));
  Port.Clear();
  AdvanceStep(true);
  auto m = Port.Messages();
  ASSERT_EQ(m.size(), 1u);  // only the old note ends
  EXPECT_EQ(m[0], (Bytes{0x81, 36, 100}));
  EXPECT_EQ(ch.LastMidiNote, MidiNone);
  Port.Clear();
  ch.MidiNote = 127;
  Song->MasterPitch = 2400;  // 127 + 127 - 60 + 24 = 218: not sent
  AdvanceStep(true);
  EXPECT_TRUE(NoteOns().empty());
  Song->MasterPitch = 0;

  // A mix target and random choices outside the channel list fall back to
  // the channel itself.
  Port.Clear();
  ch.MidiNote = 36;
  ch.MixTarget = 7;
  ch.RandomChoice = {5, 9};
  PlayPosition().DisplayStep = -1;
  AdvanceStep(true);
  ASSERT_EQ(NoteOns().size(), 1u);
  EXPECT_EQ(NoteOns()[0], (Bytes{0x91, 36, 100}));
}

TEST_F(TempoTest, DisabledOrSilentChannelsSendNothing) {
  TChannel& a = AddMidiChannel(36, 0);
  TChannel& b = AddMidiChannel(40, 0);
  b.MidiNote = MidiNone;
  SetStep(0, 0, 100);
  SetStep(1, 0, 100);
  a.Enabled = false;
  AdvanceStep(true);
  EXPECT_TRUE(Port.Messages().empty());
  // Without a port, nothing is sent and nothing breaks.
  a.Enabled = true;
  SetMIDIOut(nullptr);
  PlayPosition().DisplayStep = -1;
  AdvanceStep(true);
  EXPECT_TRUE(Port.Messages().empty());
}

TEST_F(TempoTest, NoteGridNotesUseTheChannelVolume) {
  TChannel& ch = AddMidiChannel(36, 3);
  ch.Volume = 90;
  MidiNoteOn(ch, 64);
  MidiNoteOff(ch, 64);
  MidiNoteOn(ch, 128);
  auto m = Port.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0], (Bytes{0x93, 64, 90}));
  EXPECT_EQ(m[1], (Bytes{0x83, 64, 90}));
}

TEST_F(TempoTest, PendingStepPostSuppressesFurtherPosts) {
  AdvanceStep(false);
  AdvanceStep(false);
  AdvanceStep(false);
  EXPECT_EQ(Listener.Steps.load(), 1);
  EXPECT_EQ(PlayPosition().DisplayStep, 2);  // the handler shows the latest
  StepPositionHandled();
  AdvanceStep(false);
  EXPECT_EQ(Listener.Steps.load(), 2);
  // Async updates: one flag per kind.
  EXPECT_FALSE(AsyncUpdateArmed[3].load() == false);
  PostAsyncUpdate(AsyncSyncLamp, 0);
  EXPECT_FALSE(AsyncUpdateArmed[AsyncSyncLamp].load());
  EXPECT_TRUE(AsyncUpdateArmed[AsyncScope].load());
  AsyncUpdateHandled(AsyncSyncLamp);
  EXPECT_TRUE(AsyncUpdateArmed[AsyncSyncLamp].load());
  PostAsyncUpdate(9, 0);  // no such kind: nothing
}

TEST_F(TempoTest, MixerStepsTheDisplayUnlessMidiIsOn) {
  ConnectStepAdvance();
  AddMidiChannel(36, 0);
  SetStep(0, 0, 100);
  TMixer& m = Mixer();
  {
    MixerGuard hold;
    m.SetBlockFrames(4725);
    SetTempo(140);
    m.MixPatterns.assign(1, 1);
    m.MixStep = -1;
    m.NextStepFrame = m.MixPosition;
    m.Playing = true;
    m.MixBlock();  // one step begins in the block
  }
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  EXPECT_TRUE(Port.Messages().empty());  // the mixer steps without MIDI
  MixSettings().UseMIDI = true;
  {
    MixerGuard hold;
    m.MixBlock();
  }
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  MixSettings().UseMIDI = false;
}

TEST_F(TempoTest, StepTimerAdvancesWithMidi) {
  AddMidiChannel(36, 0);
  for (int s = 0; s < 16; ++s) SetStep(0, s, 100);
  SetTempo(999);
  LoopTimer().Start();
  EXPECT_TRUE([&] {
    for (int i = 0; i < 5000 && NoteOns().size() < 2; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return NoteOns().size() >= 2;
  }());
  LoopTimer().Stop();
  EXPECT_GE(PlayPosition().DisplayStep, 0);
}

}  // namespace
}  // namespace vs
