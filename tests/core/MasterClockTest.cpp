// The master clock against a play position the test sets (the manual audio
// device, stopped), and the slave's handling of incoming clock messages.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "core/MasterClock.h"
#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/MidiDevices.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "platform/ManualAudioOutput.h"
#include "platform/MidiPorts.h"
#include "platform/RecordingMidiPorts.h"

namespace vs {
namespace {

using Bytes = std::vector<uint8_t>;

class SyncRecorder : public TEngineListener {
public:
  void AsyncUpdate(int kind, int64_t value) override {
    std::lock_guard<std::mutex> hold(Lock);
    if (kind == AsyncSyncLamp) Lamps.push_back(int(value));
    AsyncUpdateHandled(kind);  // handled at once: every post arrives
  }
  void SyncStartStop(bool started) override {
    std::lock_guard<std::mutex> hold(Lock);
    StartStops.push_back(started);
  }
  void StepPosition() override { StepPositionHandled(); }
  std::vector<int> TakeLamps() {
    std::lock_guard<std::mutex> hold(Lock);
    return std::exchange(Lamps, {});
  }
  std::vector<bool> TakeStartStops() {
    std::lock_guard<std::mutex> hold(Lock);
    return std::exchange(StartStops, {});
  }

private:
  std::mutex Lock;
  std::vector<int> Lamps;
  std::vector<bool> StartStops;
};

template <class F>
bool WaitFor(F condition) {
  for (int i = 0; i < 5000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

class MasterClockTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetAudioBackend(std::make_unique<TManualAudioBackend>());
    ASSERT_TRUE(OpenOutputDevice());
    // Stream of 2 x 256 frames, 1024 bytes ahead, stopped with the play
    // cursor at 1024 while the first half is written: the play position
    // is then BufferBasePosition - 512.
    SetMixLatency(256);
    SetLatencyOffset(1024);
    TAudioOutputState& o = AudioOutput();
    o.OutputBuffer->Stop();
    o.OutputBuffer->SetCurrentPosition(1024);
    o.SecondHalf = false;
    SetPlay(0);

    Song->SetPatternLength(16);
    Song->MasterVolume = 128;
    auto ch = std::make_unique<TChannel>(Song.get());
    ch->MixTarget = 0;
    ch->RandomChoice = {0};
    ch->MidiNote = 36;
    ch->MidiChannel = 9;
    for (int s = 0; s < 16; ++s) {
      ch->Steps.SetStepOn(1, s, true);
      ch->Steps.SetStepValue(1, s, 100, PlaneVol);
      ch->Steps.SetStepValue(1, s, 60, PlaneNote);
      ch->Steps.SetStepValue(1, s, 64, PlanePan);
    }
    Song->Channels.push_back(std::move(ch));
    {
      MixerGuard hold;
      TMixer& m = Mixer();
      m.SetSong(Song.get());
      m.SongMode = 0;
      m.Playing = false;
      m.MixPosition = 0;
      m.NextStepFrame = 0;
      TPlayPosition& pos = PlayPosition();
      pos.DisplayStep = -1;
      pos.PlaylistPosition = 0;
      pos.PlayingPatterns.assign(1, 1);
      pos.MidiStepPattern = 1;
    }
    SetTempo(140);
    SetMIDIOut(&Notes);
    SetMIDIOutSync(&SyncOut);
    SetEngineListener(&Listener);
    MixSettings().UseMIDI = false;
    Sync().Mode = SyncMaster;
    Sync().Delay = 0;
    Sync().SlaveClockCount = 0;
    SetSlaveStartHook(nullptr);
  }
  void TearDown() override {
    StopMasterClock();
    Sync().Mode = SyncOff;
    SetMIDIOut(nullptr);
    SetMIDIOutSync(nullptr);
    SetEngineListener(nullptr);
    MixSettings().UseMIDI = false;
    SetTempoRebaseHook(nullptr);
    CloseOutputDevice();
    MixerGuard hold;
    Mixer().Playing = false;
    Mixer().SetSong(nullptr);
  }

  static void SetPlay(int64_t frame) { AudioOutput().BufferBasePosition = frame + 512; }
  // Sets the clock state as StartMasterClock would, without a thread.
  static void SetClock(int64_t start, int32_t framesPerStep) {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    TMasterClockState& s = MasterClockState();
    s.ClockStartFrame = start;
    s.ClockTempoBase = 0;
    s.ClockOffset = 0;
    s.LastClock = -1;
    s.FramesPerStep = framesPerStep;
  }
  static int64_t LastClock() {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    return MasterClockState().LastClock;
  }
  int CountSync(uint8_t status) {
    int n = 0;
    for (auto& m : SyncOut.Messages()) n += m[0] == status;
    return n;
  }
  int NoteOns() {
    int n = 0;
    for (auto& m : Notes.Messages()) n += (m[0] & 0xF0) == 0x90;
    return n;
  }

  std::unique_ptr<TSong> Song = std::make_unique<TSong>();
  TRecordingMidiOut Notes, SyncOut;
  SyncRecorder Listener;
};

TEST_F(MasterClockTest, At120BpmClocksCome918Or919FramesApart24ToABeat) {
  TMasterClockState s;
  s.FramesPerStep = 5512;
  s.ClockStartFrame = 1000;
  int64_t previous = 1000;
  EXPECT_EQ(ClockCountAt(s, 999), -1);
  EXPECT_EQ(ClockCountAt(s, 1000), 0);
  for (int c = 1; c <= 48; ++c) {
    // The first frame that counts clock c.
    int64_t f = previous;
    while (ClockCountAt(s, f) < c) ++f;
    EXPECT_TRUE(f - previous == 918 || f - previous == 919) << c << ": " << f - previous;
    previous = f;
  }
  EXPECT_EQ(ClockCountAt(s, 1000 + 22048), 24);  // one beat = 4 steps
  EXPECT_EQ(ClockCountAt(s, 1000 + 22047), 23);
  // Far from the start (hours of play) the count stays exact.
  EXPECT_EQ(ClockCountAt(s, 1000 + int64_t(5512) * 10000000), 60000000);
}

TEST_F(MasterClockTest, EachPassSendsEveryDueClockStepsEverySixthAndSetsTheLamp) {
  MixSettings().UseMIDI = true;
  SetClock(1000, 4725);
  SetPlay(999);
  MasterClockPass();
  EXPECT_TRUE(SyncOut.Messages().empty());
  EXPECT_EQ(LastClock(), -1);

  // Clock 0 at the start frame: a clock, the first step with its note, and
  // the lamp on the bar.
  SetPlay(1000);
  MasterClockPass();
  EXPECT_EQ(SyncOut.Messages(), (std::vector<Bytes>{{0xF8}}));
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  EXPECT_EQ(NoteOns(), 1);
  EXPECT_EQ(Listener.TakeLamps(), (std::vector<int>{2}));
  MasterClockPass();  // nothing new
  EXPECT_EQ(CountSync(0xF8), 1);

  // A late wake-up: clocks 1..12 all go out at once, steps at 6 and 12.
  auto frameOf = [](int64_t c) { return 1000 + (c * 4725 + 5) / 6; };
  SetPlay(frameOf(12));
  MasterClockPass();
  EXPECT_EQ(CountSync(0xF8), 13);
  EXPECT_EQ(PlayPosition().DisplayStep, 2);
  EXPECT_EQ(NoteOns(), 3);
  EXPECT_EQ(LastClock(), 12);
  EXPECT_EQ(Listener.TakeLamps(), (std::vector<int>{0}));  // an odd eighth
  SetPlay(frameOf(23));
  MasterClockPass();
  EXPECT_TRUE(Listener.TakeLamps().empty());  // still eighth 1
  for (int64_t c : {24, 36, 48, 96}) {
    SetPlay(frameOf(c));
    MasterClockPass();
  }
  EXPECT_EQ(Listener.TakeLamps(), (std::vector<int>{1, 0, 1, 2}));
  EXPECT_EQ(Sync().Led.load(), 2);
  EXPECT_EQ(CountSync(0xF8), 97);
  EXPECT_EQ(PlayPosition().DisplayStep, 16 % 16);  // 17 steps from step 0

  // Master mode off: no clocks go out, MIDI steps still do.
  Sync().Mode = SyncOff;
  SetPlay(frameOf(102));
  MasterClockPass();
  EXPECT_EQ(CountSync(0xF8), 97);
  EXPECT_EQ(PlayPosition().DisplayStep, 1);
  // Without MIDI output nothing steps.
  MixSettings().UseMIDI = false;
  SetPlay(frameOf(120));
  MasterClockPass();
  EXPECT_EQ(PlayPosition().DisplayStep, 1);
  EXPECT_EQ(LastClock(), 120);
}

TEST_F(MasterClockTest, SyncDelayLeadsTheAudioAndStopSendsStop) {
  Sync().Delay = 100;
  {
    MixerGuard hold;
    Mixer().MixPosition = 7000;
  }
  SetPlay(50000 - 512);  // the buffer base at 50000
  StartMasterClock();
  EXPECT_TRUE(MasterClockRunning());
  {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    EXPECT_EQ(MasterClockState().ClockStartFrame, 50000 - 4410);
    EXPECT_EQ(MasterClockState().ClockTempoBase, 7000);
    EXPECT_EQ(MasterClockState().ClockOffset, 0);
  }
  // The play position is 3898 frames past clock 0: clocks 0..4 at 140 BPM.
  ASSERT_TRUE(WaitFor([&] { return LastClock() == 4; }));
  StopMasterClock();
  EXPECT_FALSE(MasterClockRunning());
  const auto m = SyncOut.Messages();
  ASSERT_EQ(m.size(), 8u);
  EXPECT_EQ(m[0], (Bytes{0xF2, 0, 0}));  // song position 0
  EXPECT_EQ(m[1], (Bytes{0xFA}));
  for (int i = 2; i < 7; ++i) EXPECT_EQ(m[i], (Bytes{0xF8}));
  EXPECT_EQ(m[7], (Bytes{0xFC}));
  EXPECT_EQ(Sync().Led.load(), 0);
  StopMasterClock();  // once only
  EXPECT_EQ(SyncOut.Messages().size(), 8u);
}

TEST_F(MasterClockTest, StoppedWhileWaitingStillSendsStartBeforeStop) {
  SetPlay(10000);  // buffer base 10512: the clock waits 512 frames
  StartMasterClock();
  ASSERT_TRUE(WaitFor([&] { return CountSync(0xF2) == 1; }));
  StopMasterClock();
  EXPECT_EQ(SyncOut.Messages(), (std::vector<Bytes>{{0xF2, 0, 0}, {0xFA}, {0xFC}}));

  // Master mode off: no song position, no Start, no Stop.
  SyncOut.Clear();
  Sync().Mode = SyncOff;
  StartMasterClock();
  StopMasterClock();
  EXPECT_TRUE(SyncOut.Messages().empty());
}

TEST_F(MasterClockTest, TempoChangeKeepsTheClocksOfWholeStepsAndGoesOnAtTheNewTempo) {
  SetTempo(120);
  Sync().Mode = SyncOff;  // the thread waits harmlessly far before its start
  AudioOutput().BufferBasePosition = 1000000;
  StartMasterClock();
  {
    MixerGuard hold;
    Mixer().NextStepFrame = Mixer().MixPosition + 10 * 5512;
  }
  SetTempo(140);
  TMasterClockState s;
  {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    s = MasterClockState();
  }
  EXPECT_EQ(s.ClockOffset, 60);
  EXPECT_EQ(s.ClockStartFrame, 1000000 + 55120);
  EXPECT_EQ(s.ClockTempoBase, 55120);
  EXPECT_EQ(s.FramesPerStep, 4725);
  EXPECT_EQ(ClockCountAt(s, 1055120), 60);
  EXPECT_EQ(ClockCountAt(s, 1055120 + 4725), 66);
  EXPECT_EQ(ClockCountAt(s, 1055119), 59);
  StopMasterClock();
  // A stopped clock is not re-based.
  SetTempo(120);
  std::lock_guard<std::mutex> hold(MasterClockLock());
  EXPECT_EQ(MasterClockState().ClockOffset, 60);
}

TEST_F(MasterClockTest, SongPositionInStepsWithSevenBitDataBytes) {
  EXPECT_EQ(SongPositionValue(0, 16, -1), 0);
  EXPECT_EQ(SongPositionValue(2, 16, -1), 32);
  EXPECT_EQ(SongPositionValue(2, 16, 5), 38);
  EXPECT_EQ(SongPositionValue(-1, 16, 5), 6);        // pattern mode: within the pattern
  EXPECT_EQ(SongPositionValue(511, 64, 63), 16383);  // beyond 14 bits: the last position
  {
    MixerGuard hold;
    PlayPosition().PlaylistPosition = 12;
    PlayPosition().DisplayStep = 3;
  }
  SendSongPosition();  // 12 x 16 + 3 + 1 = 196 = 1 x 128 + 68
  {
    MixerGuard hold;
    PlayPosition().PlaylistPosition = -1;
  }
  SendSongPosition();
  Sync().Mode = SyncSlave;
  SendSongPosition();  // master mode only
  EXPECT_EQ(SyncOut.Messages(), (std::vector<Bytes>{{0xF2, 68, 1}, {0xF2, 4, 0}}));
}

int HookCalls = 0;

TEST_F(MasterClockTest, SlaveFollowsStartClockContinueAndStop) {
  MixSettings().UseMIDI = true;
  Sync().Mode = SyncMaster;
  HandleMidiSyncMessage(0xFA);  // not a slave: nothing
  HandleMidiSyncMessage(0xF8);
  EXPECT_FALSE(Mixer().Playing.load());
  EXPECT_EQ(Sync().SlaveClockCount.load(), 0);

  Sync().Mode = SyncSlave;
  PlayPosition().DisplayStep = 7;
  HandleMidiSyncMessage(0xFA);
  EXPECT_TRUE(Mixer().Playing.load());
  EXPECT_EQ(PlayPosition().DisplayStep, -1);
  EXPECT_EQ(Sync().SlaveClockCount.load(), 5);
  EXPECT_EQ(Listener.TakeStartStops(), (std::vector<bool>{true}));
  HandleMidiSyncMessage(0xF8);  // the first clock gives step 0
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  EXPECT_EQ(NoteOns(), 1);
  for (int i = 0; i < 5; ++i) HandleMidiSyncMessage(0xF8);
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  HandleMidiSyncMessage(0xF8);  // count 12
  EXPECT_EQ(PlayPosition().DisplayStep, 1);
  // Lamp: count 12 -> off, 24 -> beat, 96 -> bar.
  for (int i = 12; i < 96; ++i) HandleMidiSyncMessage(0xF8);
  EXPECT_EQ(Listener.TakeLamps(), (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 2}));
  EXPECT_EQ(PlayPosition().DisplayStep, (1 + 14) % 16);

  HandleMidiSyncMessage(0xFC);
  EXPECT_FALSE(Mixer().Playing.load());
  EXPECT_EQ(Listener.TakeStartStops(), (std::vector<bool>{false}));
  for (int i = 0; i < 12; ++i) HandleMidiSyncMessage(0xF8);
  EXPECT_EQ(PlayPosition().DisplayStep, 15);  // stopped: counted, not stepped

  // Continue keeps the shown step; the transport's start runs first.
  HookCalls = 0;
  SetSlaveStartHook([] { ++HookCalls; });
  HandleMidiSyncMessage(0xFB);
  EXPECT_EQ(HookCalls, 1);
  EXPECT_EQ(PlayPosition().DisplayStep, 15);
  HandleMidiSyncMessage(0xF8);
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  HandleMidiSyncMessage(0xFE);  // active sensing, notes: nothing
  HandleMidiSyncMessage(0x6499);
  EXPECT_EQ(PlayPosition().DisplayStep, 0);
  EXPECT_EQ(Listener.TakeStartStops(), (std::vector<bool>{true}));
}

TEST_F(MasterClockTest, ClockBytesFromTheMidiInputStepTheSlave) {
  auto backend = std::make_unique<TRecordingMidiBackend>();
  TRecordingMidiBackend* b = backend.get();
  SetMidiBackend(std::move(backend));
  {
    TMidiInput input;
    input.SetHandler(&HandleMidiSyncMessage);
    std::string message;
    ASSERT_TRUE(OpenMidiInput(input, {"Test Keyboard", "(none)"}, 0, message));
    Sync().Mode = SyncSlave;
    MixSettings().UseMIDI = true;
    b->OpenInputPort()->Inject({0xFA});
    b->OpenInputPort()->Inject({0xF8});
    EXPECT_EQ(PlayPosition().DisplayStep, 0);
    EXPECT_EQ(NoteOns(), 1);
    b->OpenInputPort()->Inject({0xFC});
    EXPECT_FALSE(Mixer().Playing.load());
  }
  SetMidiBackend(nullptr);
}

TEST_F(MasterClockTest, StoppingTheClockUnderTheMixerLockIsRefused) {
  EXPECT_DEATH(
      {
        MixerGuard hold;
        StopMasterClock();
      },
      "StopMasterClock called while holding MixerLock");
}

}  // namespace
}  // namespace vs
