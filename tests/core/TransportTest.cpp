// The transport against a host that records what the window would show and
// which devices would open, with MIDI going to recording ports.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/MasterClock.h"
#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "platform/MidiPorts.h"
#include "platform/RecordingMidiPorts.h"
#include "engine/VSTHost.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/ThreadStartLimit.h"
#include "support/TestPlugins.h"

namespace vs {
namespace {

using Bytes = std::vector<uint8_t>;

class FakeHost : public TTransportHost {
public:
  std::vector<std::string> Calls;
  std::vector<int> RepaintedBars, RepaintedColumns;
  std::vector<bool> Buttons;
  bool AudioFails = false, MidiInFails = false;
  bool MidiOutOpen = false, SyncOutOpen = false, MidiInOpen = false;
  // Window calls made while the calling thread held MixerLock.
  int CallsUnderLock = 0;

  void RepaintPlaylistBar(int bar) override {
    Seen();
    RepaintedBars.push_back(bar);
  }
  void RepaintPatternColumn(int pattern) override {
    Seen();
    RepaintedColumns.push_back(pattern);
  }
  void HidePlaySteps() override { Seen(); }
  void ShowStepPositions() override { Seen(); }
  void CurrentPatternChanged(int) override { Seen(); }
  void Seen() { CallsUnderLock += MixerLockHeldByThisThread(); }
  void StartButtonChanged(bool down) override { Buttons.push_back(down); }
  TCommandResult OpenAudio() override {
    Calls.push_back("OpenAudio");
    return AudioFails ? TCommandResult::Failed("no device") : TCommandResult::Done();
  }
  void CloseAudio() override { Calls.push_back("CloseAudio"); }
  bool MidiOutputOpen() override { return MidiOutOpen; }
  TCommandResult OpenMidiOutput() override {
    Calls.push_back("OpenMidiOutput");
    MidiOutOpen = true;
    return {};
  }
  void CloseMidiOutput() override {
    Calls.push_back("CloseMidiOutput");
    MidiOutOpen = false;
  }
  TCommandResult OpenMidiInput() override {
    Calls.push_back("OpenMidiInput");
    if (MidiInFails) return TCommandResult::Failed("Error|no input");
    MidiInOpen = true;
    return {};
  }
  void CloseMidiInput() override { MidiInOpen = false; }
  bool SyncOutputOpen() override { return SyncOutOpen; }
  TCommandResult OpenSyncOutput() override {
    Calls.push_back("OpenSyncOutput");
    SyncOutOpen = true;
    return {};
  }
  void CloseSyncOutput() override { SyncOutOpen = false; }
};

class StartStopRecorder : public TEngineListener {
public:
  void SyncStartStop(bool started) override {
    std::lock_guard<std::mutex> hold(Lock);
    StartStops.push_back(started);
  }
  void StepPosition() override { StepPositionHandled(); }
  void AsyncUpdate(int kind, int64_t) override { AsyncUpdateHandled(kind); }
  std::vector<bool> Take() {
    std::lock_guard<std::mutex> hold(Lock);
    return std::exchange(StartStops, {});
  }

private:
  std::mutex Lock;
  std::vector<bool> StartStops;
};

class TransportTest : public ::testing::Test {
protected:
  void SetUp() override {
    Song->SetPatternLength(16);
    Song->CurrentPattern = 2;
    {
      MixerGuard hold;
      TMixer& m = Mixer();
      m.SetSong(Song.get());
      m.SongMode = 0;
      m.Playing = false;
      m.MixPosition = 0;
      m.MixBar = 0;
      TPlayPosition& pos = PlayPosition();
      pos.DisplayStep = -1;
      pos.PlaylistPosition = 0;
      pos.PlayingPatterns.assign(1, 1);
    }
    Transport() = TTransportState{};
    AudioOutput().UseWAV = true;
    MixSettings().UseMIDI = false;
    Sync().Mode = SyncOff;
    Sync().SlaveClockCount = 0;
    SetTransportHost(&Host);
    SetEngineListener(&Listener);
    SetMIDIOut(&Notes);
  }
  void TearDown() override {
    StopMasterClock();
    LoopTimer().Stop();
    SetSlaveStartHook(nullptr);
    SetTransportHost(nullptr);
    SetEngineListener(nullptr);
    SetMIDIOut(nullptr);
    Sync().Mode = SyncOff;
    AudioOutput().UseWAV = true;
    MixSettings().UseMIDI = false;
    MixerGuard hold;
    Mixer().Playing = false;
    Mixer().SongMode = 0;
    Mixer().SetSong(nullptr);
  }

  void Place(int pattern, int bar) { Song->Playlist.PlaylistBars[bar].push_back(pattern); }
  void Select(int top, int bottom) {
    Song->Playlist.PlaylistSelection = {0, top, 3, bottom};
  }
  void Press(bool down, bool fromButton = true) { StartButtonClick(down, fromButton); }
  void SongMode() { LoopButtonClick(true); }

  std::unique_ptr<TSong> Song = std::make_unique<TSong>();
  FakeHost Host;
  StartStopRecorder Listener;
  // Counts what is sent while the sending thread holds MixerLock.
  class TLockCheckingMidiOut : public TRecordingMidiOut {
  public:
    int MessagesUnderLock = 0;
    int SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
      MessagesUnderLock += MixerLockHeldByThisThread();
      return TRecordingMidiOut::SendShort(status, data1, data2);
    }
  };
  TLockCheckingMidiOut Notes;
};

TEST_F(TransportTest, PanicSendsAllSoundOffOnSixteenChannelsChannelOneFirst) {
  PanicMenuClick();
  std::vector<Bytes> want;
  for (int c = 0; c < 16; ++c) want.push_back({uint8_t(0xB0 + c), 120, 0});
  EXPECT_EQ(Notes.Messages(), want);
  SetMIDIOut(nullptr);
  PanicMenuClick();  // no port: nothing sent, no crash
  EXPECT_EQ(Notes.Messages().size(), 16u);
}

TEST_F(TransportTest, LoopButtonAppliesSongAndPatternMode) {
  Place(3, 0);
  Place(4, 5);
  Place(6, 5);
  Select(5, 8);
  SongMode();
  TMixer& m = Mixer();
  EXPECT_EQ(m.SongMode, 1);
  EXPECT_TRUE(Song->SongModeOn);
  EXPECT_EQ(PlayPosition().PlaylistPosition, 5);  // the selection's top bar
  EXPECT_EQ(m.MixBar, 5);
  EXPECT_EQ(m.MixPatterns, (std::vector<int>{4, 6}));
  EXPECT_EQ(m.MixPattern, 4);
  EXPECT_EQ(m.MixStep, -1);
  EXPECT_EQ(PlayPosition().PlayingPatterns, (std::vector<int>{4, 6}));

  LoopButtonClick(false);
  EXPECT_EQ(m.SongMode, 0);
  EXPECT_EQ(PlayPosition().PlaylistPosition, -1);
  EXPECT_EQ(m.MixBar, -1);
  EXPECT_EQ(m.MixPattern, 2);
  EXPECT_EQ(m.MixPatterns, (std::vector<int>{2}));
  EXPECT_EQ(PlayPosition().PlayingPatterns, (std::vector<int>{2}));

  Select(0, -1);  // no selection: song mode starts at bar 0
  SongMode();
  EXPECT_EQ(PlayPosition().PlaylistPosition, 0);
  EXPECT_EQ(m.MixPatterns, (std::vector<int>{3}));
  EXPECT_EQ(Host.RepaintedBars, (std::vector<int>{0, 5, 5, -1, 0}));
  EXPECT_EQ(Host.CallsUnderLock, 0);
}

TEST_F(TransportTest, StopKeepsThePositionUnlessThePlayButtonStopped) {
  Place(1, 0);
  Place(2, 7);
  SongMode();
  Press(true);
  EXPECT_TRUE(Mixer().Playing.load());
  EXPECT_FALSE(MasterClockRunning());  // audio only, sync off: no clock
  MovePlaylistPosition(7);
  Press(false, false);  // a program call
  EXPECT_FALSE(Mixer().Playing.load());
  EXPECT_EQ(PlayPosition().PlaylistPosition, 7);
  EXPECT_EQ(PlayPosition().DisplayStep.load(), -1);

  Press(true);
  Press(false, true);  // the button: back to the start of the range
  EXPECT_EQ(PlayPosition().PlaylistPosition, 0);
  EXPECT_EQ(Mixer().MixBar, 0);

  Select(7, 9);
  MovePlaylistPosition(9);
  Press(true);
  Press(false, true);
  EXPECT_EQ(PlayPosition().PlaylistPosition, 7);
  EXPECT_EQ(Mixer().MixBar, 7);
}

TEST_F(TransportTest, StartRunsTheMasterClockWhenOutputsAreAlikeOrSyncIsMaster) {
  MixSettings().UseMIDI = true;  // both outputs on, sync off
  Press(true);
  EXPECT_TRUE(MasterClockRunning());
  EXPECT_EQ(Mixer().MixPatterns, (std::vector<int>{2}));
  EXPECT_EQ(Mixer().NextStepFrame, Mixer().MixPosition);
  Press(false);
  EXPECT_FALSE(MasterClockRunning());

  MixSettings().UseMIDI = false;
  Sync().Mode = SyncMaster;
  Press(true);
  EXPECT_TRUE(MasterClockRunning());
  Press(false);

  // MIDI only: the step timer steps, no clock.
  Sync().Mode = SyncOff;
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = true;
  Press(true);
  EXPECT_FALSE(MasterClockRunning());
  EXPECT_TRUE(LoopTimer().Enabled());
  Press(false);
  EXPECT_FALSE(LoopTimer().Enabled());
}

// No thread to be had: the play button says so instead of playing without
// its clock, and the master clock's failure is said while playback goes on.
TEST_F(TransportTest, ARefusedClockThreadIsSaidAndLeavesNoClockRunning) {
  TRecordingMessageBox boxes;
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = true;
  {
    testing::TThreadStartLimit none(0);
    Press(true);
  }
  EXPECT_FALSE(LoopTimer().Enabled());
  EXPECT_FALSE(Transport().StartButtonDown);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes().back().Message, "Playback could not start.\rThe system refused a new thread.");

  AudioOutput().UseWAV = true;  // both on: the clock steps
  {
    testing::TThreadStartLimit none(0);
    Press(true);
  }
  EXPECT_FALSE(MasterClockRunning());
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes.Boxes().back().Message,
            "The MIDI clock could not start.\rThe system refused a new thread (Resource temporarily unavailable).");
  Press(false);
  Press(true);  // with threads again it runs
  EXPECT_TRUE(MasterClockRunning());
  Press(false);
}

TEST_F(TransportTest, OneOutputOffTurnsTheOtherOn) {
  // MIDI only, MIDI turned off: audio comes on.
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = true;
  Host.MidiOutOpen = true;
  MidiOnlyClick();
  EXPECT_TRUE(AudioOutput().UseWAV.load());
  EXPECT_FALSE(MixSettings().UseMIDI.load());
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"CloseMidiOutput", "OpenAudio"}));
  EXPECT_EQ(Transport().SyncCaption, "S&ync as master");

  // Audio only, audio turned off: MIDI comes on.
  Host.Calls.clear();
  WAVonlyClick();
  EXPECT_FALSE(AudioOutput().UseWAV.load());
  EXPECT_TRUE(MixSettings().UseMIDI.load());
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"CloseAudio", "OpenMidiOutput"}));
  EXPECT_EQ(Transport().SyncCaption, "S&ync as slave");

  // Neither on: each item turns its own output on.
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = false;
  WAVonlyClick();
  EXPECT_TRUE(AudioOutput().UseWAV.load());
  EXPECT_FALSE(MixSettings().UseMIDI.load());
  AudioOutput().UseWAV = false;
  MidiOnlyClick();
  EXPECT_FALSE(AudioOutput().UseWAV.load());
  EXPECT_TRUE(MixSettings().UseMIDI.load());
}

TEST_F(TransportTest, AFailedOutputOrPortIsReportedWithItsReason) {
  AudioOutput().UseWAV = false;
  Host.AudioFails = true;
  TCommandResult result = SetOutputModes(true, false);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.Message, "no device");
  Host.AudioFails = false;
  result = SetOutputModes(true, false);
  EXPECT_TRUE(result);
  EXPECT_EQ(result.Message, "");

  // Sync as slave needs the MIDI input: the toggle says why it is deaf, and
  // so does an output switch that brings sync back in that mode.
  Host.MidiInFails = true;
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = true;
  result = SyncOptionClick();
  EXPECT_FALSE(result);
  EXPECT_EQ(result.Message, "Error|no input");
  EXPECT_TRUE(Transport().SyncChecked);
  result = SetOutputModes(false, true);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.Message, "Error|no input");
  EXPECT_EQ(Sync().Mode.load(), SyncSlave);
}

TEST_F(TransportTest, SyncFollowsTheOutputsAndTheLamp) {
  RefreshSyncLed();
  EXPECT_FALSE(Transport().SyncLedVisible);  // audio only, sync off
  SyncOptionClick();
  EXPECT_EQ(Sync().Mode.load(), SyncMaster);
  EXPECT_TRUE(Host.SyncOutOpen);
  EXPECT_FALSE(Host.MidiInOpen);
  EXPECT_TRUE(Transport().SyncLedVisible);
  EXPECT_EQ(Transport().SyncLedTag, 0);

  // Audio turned off while sync is on: sync comes back as slave.
  WAVonlyClick();
  EXPECT_TRUE(Transport().SyncChecked);
  EXPECT_EQ(Sync().Mode.load(), SyncSlave);
  EXPECT_TRUE(Host.MidiInOpen);
  EXPECT_FALSE(Host.SyncOutOpen);

  SyncOptionClick();
  EXPECT_EQ(Sync().Mode.load(), SyncOff);
  EXPECT_FALSE(Host.MidiInOpen);
  EXPECT_FALSE(Transport().SyncLedVisible);  // MIDI only, sync off

  SetOutputModes(true, true);  // both: the clock runs, the lamp shows
  EXPECT_TRUE(Transport().SyncLedVisible);
}

TEST_F(TransportTest, ThePlayButtonInSlaveModeActsAsStartAndStop) {
  AudioOutput().UseWAV = false;
  MixSettings().UseMIDI = true;
  SyncOptionClick();
  ASSERT_EQ(Sync().Mode.load(), SyncSlave);
  PlayPosition().DisplayStep = 5;
  Press(true);
  EXPECT_TRUE(Mixer().Playing.load());
  EXPECT_FALSE(LoopTimer().Enabled());  // the clocks step a slave
  EXPECT_EQ(Sync().SlaveClockCount.load(), 5);
  EXPECT_EQ(PlayPosition().DisplayStep.load(), -1);
  EXPECT_EQ(Listener.Take(), (std::vector<bool>{true}));

  HandleMidiSyncMessage(248);  // the first clock gives step 0
  EXPECT_EQ(PlayPosition().DisplayStep.load(), 0);
  EXPECT_FALSE(MasterClockRunning());

  Press(false);
  EXPECT_FALSE(Mixer().Playing.load());
  EXPECT_EQ(Listener.Take(), (std::vector<bool>{false}));

  // The window's handling of a received start and stop.
  SyncStartStopReceived(true);
  EXPECT_TRUE(Transport().StartButtonDown);
  Mixer().Playing = true;
  PlayPosition().DisplayStep = 3;
  SyncStartStopReceived(false);
  EXPECT_FALSE(Transport().StartButtonDown);
  EXPECT_FALSE(Mixer().Playing.load());
  EXPECT_EQ(PlayPosition().DisplayStep.load(), -1);
  EXPECT_EQ(Host.Buttons, (std::vector<bool>{true, false}));
}

TEST_F(TransportTest, ASlaveWithBothOutputsOffRunsNoClockOfItsOwn) {
  AudioOutput().UseWAV = false;
  SyncOptionClick();
  ASSERT_EQ(Sync().Mode.load(), SyncSlave);
  Press(true);
  EXPECT_TRUE(Mixer().Playing.load());
  EXPECT_FALSE(MasterClockRunning());
  Press(false);
}

TEST_F(TransportTest, PatternSelectionAndJumps) {
  EXPECT_TRUE(IsPatternEmpty(2));  // no channels
  SetCurrentPattern(5);
  EXPECT_EQ(Song->CurrentPattern, 5);
  EXPECT_EQ(Host.RepaintedColumns, (std::vector<int>{2, 5}));
  EXPECT_EQ(Mixer().MixPatterns, (std::vector<int>{5}));
  EXPECT_EQ(PlayPosition().PlayingPatterns, (std::vector<int>{5}));
  EXPECT_EQ(PlayPosition().PlayingPattern, 5);

  Place(7, 0);
  Place(8, 3);
  Place(9, 3);
  SongMode();
  SetCurrentPattern(6);  // song mode: the playing patterns stay
  EXPECT_EQ(PlayPosition().PlayingPatterns, (std::vector<int>{7}));

  Host.RepaintedBars.clear();
  Mixer().MixStep = 4;
  JumpToPlaylistPosition(3);
  EXPECT_EQ(Notes.Messages().size(), 16u);  // the panic
  EXPECT_EQ(PlayPosition().PlaylistPosition, 3);
  EXPECT_EQ(Host.RepaintedBars, (std::vector<int>{0, 3}));
  EXPECT_EQ(Mixer().MixBar, 3);
  EXPECT_EQ(Mixer().MixPattern, 8);
  EXPECT_EQ(Mixer().MixPatterns, (std::vector<int>{8, 9}));
  EXPECT_EQ(Mixer().MixStep, -1);

  JumpToPlaylistPosition(200);  // nothing from there on: the marker (0)
  EXPECT_EQ(PlayPosition().PlaylistPosition, 0);
  // The window heard of every change, and the port got the panic, only
  // after the mixer lock was left.
  EXPECT_EQ(Host.CallsUnderLock, 0);
  EXPECT_EQ(Notes.MessagesUnderLock, 0);
}

TEST(TransportSilence, ActivePluginsAreSwitchedOffAndOn) {
  TTestDir tmp;
  std::filesystem::create_directories(tmp / "VST");
  std::filesystem::copy_file(test::PluginPath("TestGain"), tmp / "VST/TestGain.so");
  const std::string folder = tmp / "VST/";
  ASSERT_TRUE(PluginSlot(2, 1).LoadPlugin(folder, "TestGain"));
  test::TPluginLog log(tmp / "VST/TestGain.so");
  ASSERT_TRUE(log.Ok());
  SilenceAll();
  using C = std::pair<int32_t, intptr_t>;
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effMainsChanged, 1}}));
  PluginHost().UnloadAll();
}

}  // namespace
}  // namespace vs
