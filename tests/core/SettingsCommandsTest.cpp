// The settings window's commands without the window: MIDI choices reopen
// only the port the sync mode or output mode uses, and the texts and
// choices the window shows.

#include "core/SettingsCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MasterClock.h"
#include "core/Transport.h"
#include "engine/MixSettings.h"
#include "model/Song.h"

namespace vs {
namespace {

// Records which ports the transport was asked to close and open.
class TPortRecorder : public TTransportHost {
public:
  std::vector<std::string> Calls;
  TCommandResult OpenMidiOutput() override { return Log("open out"); }
  void CloseMidiOutput() override { Calls.push_back("close out"); }
  TCommandResult OpenMidiInput() override { return Log("open in"); }
  void CloseMidiInput() override { Calls.push_back("close in"); }
  TCommandResult OpenSyncOutput() override { return Log("open sync"); }
  void CloseSyncOutput() override { Calls.push_back("close sync"); }
  std::string Failure;

private:
  TCommandResult Log(const char* call) {
    Calls.push_back(call);
    return Failure.empty() ? TCommandResult::Done() : TCommandResult::Failed(Failure);
  }
};

TEST(SettingsCommands, MidiChoicesReopenOnlyThePortInUseAndAreKept) {
  TPortRecorder ports;
  SetTransportHost(&ports);
  TProgram program;
  program.MidiLists.Input = {"ALSA: Keys", "(none)"};
  program.MidiLists.Output = {"MIDI mapper", "ALSA: Synth", "(none)"};
  program.MidiLists.SyncOutput = program.MidiLists.Output;
  program.MidiLists.InputIndex = 1;
  program.MidiLists.OutputIndex = 2;
  program.MidiLists.SyncOutputIndex = 2;

  // Sync off, MIDI output off: kept, nothing opened.
  Sync().Mode.store(SyncOff);
  MixSettings().UseMIDI.store(false);
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::Output, 1));
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::Input, 0));
  EXPECT_TRUE(ports.Calls.empty());
  EXPECT_EQ(program.Prefs.OutputDeviceName, "ALSA: Synth");
  EXPECT_EQ(program.Prefs.OutputDevice, 0);  // the mapper is -1
  EXPECT_EQ(program.Prefs.InputDeviceName, "ALSA: Keys");
  EXPECT_FALSE(NoOutputChosen(program.Prefs));

  // MIDI output on: the note output is reopened; a failure comes back.
  MixSettings().UseMIDI.store(true);
  ports.Failure = "Error|The port is busy";
  const TCommandResult failed = ChooseMidiDevice(program, TMidiList::Output, 0);
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.Message, "Error|The port is busy");
  ports.Failure.clear();
  // Slave sync reopens the input, master sync the sync output.
  Sync().Mode.store(SyncSlave);
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::Input, 1));
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::SyncOutput, 1));
  Sync().Mode.store(SyncMaster);
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::SyncOutput, 0));
  EXPECT_TRUE(ChooseMidiDevice(program, TMidiList::Output, 9));  // no such entry: nothing
  EXPECT_EQ(ports.Calls, (std::vector<std::string>{"close out", "open out", "close in", "open in", "close sync",
                                                   "open sync"}));
  EXPECT_EQ(program.MidiLists.SyncOutputIndex, 0);
  Sync().Mode.store(SyncOff);
  MixSettings().UseMIDI.store(false);
  SetTransportHost(nullptr);

  // Nothing chosen at all: "(none)" or no name.
  TPreferences fresh;
  EXPECT_TRUE(NoOutputChosen(fresh));
  fresh.DSDriverName = "(none)";
  fresh.OutputDeviceName = "(none)";
  EXPECT_TRUE(NoOutputChosen(fresh));
  fresh.DSDriverName = "ALSA: default";
  EXPECT_FALSE(NoOutputChosen(fresh));
}

TEST(SettingsCommands, SliderRulesTextsAndThePatternLength) {
  // The buffer never shorter than the distance ahead.
  EXPECT_EQ(BufferLengthMoved({200, 200}, 150), (TBufferSliders{150, 150}));
  EXPECT_EQ(BufferLengthMoved({200, 100}, 150), (TBufferSliders{150, 100}));
  EXPECT_EQ(AheadMoved({200, 100}, 300), (TBufferSliders{300, 300}));
  EXPECT_EQ(AheadMoved({200, 100}, 700), (TBufferSliders{500, 500}));
  EXPECT_EQ(CPUUsageText(7, false, 3), "07%");
  EXPECT_EQ(CPUUsageText(123, true, 12), "123% (12 samples)");
  EXPECT_EQ(CPUUsageText(-1, false, 0), "--%");
  EXPECT_EQ(EchoDelayNotes(48), "3.00");
  EXPECT_EQ(EchoDelayNotes(49), "3.06");
  EXPECT_EQ(EchoDelayNotes(0), "0.00");

  // Length and block: modified only when one changed; out-of-range values
  // are brought in.
  TSong song;
  song.SetModified(false);
  ChangePatternLength(song, 16, 4);
  EXPECT_FALSE(song.Modified());
  ChangePatternLength(song, 99, 0);
  EXPECT_EQ(song.PatternLength(), 64);
  EXPECT_EQ(song.StepsPerBlock, 1);
  EXPECT_TRUE(song.Modified());
}

}  // namespace
}  // namespace vs
