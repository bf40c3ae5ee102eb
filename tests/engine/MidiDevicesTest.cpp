// The MIDI output and input components and the device lists on the test
// backend: device numbers and names, the misuse texts, what a closed port
// does, and opening from the lists' selections.

#include <gtest/gtest.h>

#include <cfenv>

#include "engine/MidiDevices.h"
#include "platform/RecordingMidiPorts.h"

namespace vs {
namespace {

using Bytes = std::vector<uint8_t>;

class MidiDevicesTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto backend = std::make_unique<TRecordingMidiBackend>();
    Backend = backend.get();
    Backend->Outputs = {"Synth A", "Synth B", "Drum Box"};
    Backend->Inputs = {"Keys", "Clock Source"};
    SetMidiBackend(std::move(backend));
  }
  void TearDown() override { SetMidiBackend(nullptr); }

  std::vector<Bytes> SentOn(int device) {
    std::vector<Bytes> r;
    for (auto& s : Backend->Sent())
      if (s.Device == device) r.push_back(s.Bytes);
    return r;
  }
  template <class E, class F>
  std::string Raised(F f) {
    try {
      f();
    } catch (const E& e) {
      return e.what();
    }
    return "(nothing raised)";
  }

  TRecordingMidiBackend* Backend = nullptr;
};

TEST_F(MidiDevicesTest, OutputListHoldsTheMapperTheDevicesAndNone) {
  TPreferences prefs;
  TMidiDeviceLists lists = ListMidiDevices(prefs);
  ASSERT_EQ(lists.Output.size(), 5u);  // n + 2
  EXPECT_EQ(lists.Output[0], MidiMapperName);
  EXPECT_EQ(lists.Output[1], "Synth A");
  EXPECT_EQ(lists.Output[4], "(none)");
  EXPECT_EQ(lists.SyncOutput, lists.Output);
  EXPECT_EQ(lists.Input, (std::vector<std::string>{"Keys", "Clock Source", "(none)"}));
  // Nothing stored: "(none)" everywhere.
  EXPECT_EQ(lists.InputIndex, 2);
  EXPECT_EQ(lists.OutputIndex, 4);
  EXPECT_EQ(lists.SyncOutputIndex, 4);

  // Stored numbers: "Output Device" -1 is the mapper, 99 the last entry;
  // the sync output and the input store the list index itself.
  prefs.OutputDevice = -1;
  prefs.SyncOutputDevice = 2;
  prefs.InputDevice = 1;
  lists = ListMidiDevices(prefs);
  EXPECT_EQ(lists.OutputIndex, 0);
  EXPECT_EQ(lists.SyncOutputIndex, 2);
  EXPECT_EQ(lists.InputIndex, 1);
  prefs.OutputDevice = 99;
  prefs.SyncOutputDevice = -5;
  EXPECT_EQ(ListMidiDevices(prefs).OutputIndex, 4);
  EXPECT_EQ(ListMidiDevices(prefs).SyncOutputIndex, 0);
  // A stored name wins over the number (devices come and go).
  prefs.OutputDevice = 0;
  prefs.OutputDeviceName = "Drum Box";
  EXPECT_EQ(ListMidiDevices(prefs).OutputIndex, 3);

  // And back into the stored values.
  lists = ListMidiDevices(prefs);
  lists.OutputIndex = 0;
  lists.SyncOutputIndex = 4;
  lists.InputIndex = 1;
  StoreMidiSelections(lists, prefs);
  EXPECT_EQ(prefs.OutputDevice, -1);
  EXPECT_EQ(prefs.OutputDeviceName, MidiMapperName);
  // "(none)" is a stored choice as well: its index and its name.
  EXPECT_EQ(prefs.SyncOutputDevice, 4);
  EXPECT_EQ(prefs.SyncOutputDeviceName, "(none)");
  EXPECT_EQ(prefs.InputDevice, 1);
  EXPECT_EQ(prefs.InputDeviceName, "Clock Source");

  // No devices at all: only the mapper and "(none)".
  Backend->Outputs.clear();
  Backend->Inputs.clear();
  lists = ListMidiDevices(TPreferences{});
  EXPECT_EQ(lists.Output, (std::vector<std::string>{MidiMapperName, "(none)"}));
  EXPECT_EQ(lists.Input, (std::vector<std::string>{"(none)"}));
  EXPECT_EQ(lists.InputIndex, 0);
}

TEST_F(MidiDevicesTest, PickingTheFirstEntryOpensTheMapperAndTheLastCloses) {
  TMidiOutput port;
  std::string message;
  const std::vector<std::string> out = ListMidiDevices(TPreferences{}).Output;
  ASSERT_TRUE(OpenMidiOutput(port, out, 0, message));
  EXPECT_EQ(port.DeviceID(), -1);
  EXPECT_EQ(port.ProductName(), MidiMapperName);
  EXPECT_EQ(port.State(), TMidiOutput::StateOpen);
  port.PutShort(0x90, 36, 100);
  EXPECT_EQ(SentOn(0), (std::vector<Bytes>{{0x90, 36, 100}}));  // the mapper plays on device 0
  // Another device while open: closed and reopened there.
  ASSERT_TRUE(OpenMidiOutput(port, out, 3, message)) << message;
  EXPECT_EQ(port.DeviceID(), 2);
  EXPECT_EQ(port.ProductName(), "Drum Box");
  EXPECT_EQ(Backend->OpenOutputs(), 1);
  port.PutShort(0xC2, 5, 0);
  EXPECT_EQ(SentOn(2), (std::vector<Bytes>{{0xC2, 5}}));
  ASSERT_TRUE(OpenMidiOutput(port, out, 4, message));
  EXPECT_EQ(port.State(), TMidiOutput::StateClosed);
  EXPECT_EQ(Backend->OpenOutputs(), 0);

  // A device that refuses: the message and a closed port.
  Backend->FailOutputs = {1};
  EXPECT_FALSE(OpenMidiOutput(port, out, 2, message));
  EXPECT_EQ(message.rfind("Error|", 0), 0u);
  EXPECT_NE(message.find("could not be opened"), std::string::npos);
  EXPECT_NE(message.find("Synth B"), std::string::npos);  // the system's detail
  EXPECT_EQ(port.State(), TMidiOutput::StateClosed);
  EXPECT_EQ(port.LastError(), MidiDeviceBusy);
  // A device that went away since the list was made.
  EXPECT_FALSE(OpenMidiOutput(port, {MidiMapperName, "Synth A", "Harp", "(none)"}, 2, message));
  EXPECT_EQ(message, "Error|MIDI output Device Harp not installed");
}

TEST_F(MidiDevicesTest, OutputDeviceIdAndNameRules) {
  TMidiOutput port;
  EXPECT_EQ(port.NumDevs(), 3);
  EXPECT_EQ(port.State(), TMidiOutput::StateClosed);
  EXPECT_EQ(port.DeviceID(), -1);
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.SetDeviceID(3); }), "Invalid device ID");
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.SetDeviceID(-2); }), "Invalid device ID");
  port.SetDeviceID(2);
  port.SetDeviceID(-1);
  EXPECT_EQ(port.ProductName(), MidiMapperName);
  port.SetProductName("Synth B");
  EXPECT_EQ(port.DeviceID(), 1);
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.SetProductName("Harp"); }),
            "MIDI output Device Harp not installed");
  EXPECT_EQ(port.DeviceID(), 1);
  ASSERT_TRUE(port.Open());
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.SetDeviceID(0); }),
            "Change to DeviceID while device was open");
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.SetProductName("Synth A"); }),
            "Change to ProductName while device was open");
  EXPECT_EQ(port.DeviceID(), 1);
  EXPECT_EQ(TMidiOutput::GetErrorText(-3), "Specified error number is out of range");
  EXPECT_EQ(TMidiOutput::GetErrorText(1000), "Specified error number is out of range");
}

TEST_F(MidiDevicesTest, ClosedPortsSendNothingAndLongMessagesAreCopied) {
  TMidiOutput port;
  port.PutShort(0x90, 60, 100);  // nothing, no exception
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.PutEvent(TMidiEvent{0x90, 60, 100, {}}); }),
            "MIDI Output device not open");
  const uint8_t sysex[] = {0xF0, 0x43, 0x10, 0xF7};
  EXPECT_NE(Raised<EMIDIOutputError>([&] { port.PutLong(sysex, 4); }), "(nothing raised)");
  EXPECT_EQ(port.SendShort(0xF8), MidiNotOpen);
  EXPECT_TRUE(Backend->Sent().empty());

  port.SetDeviceID(0);
  ASSERT_TRUE(port.Open());
  std::vector<uint8_t> block(sysex, sysex + 4);
  port.PutLong(block.data(), block.size());
  block[1] = 0;  // the port keeps its own copy
  port.PutEvent(TMidiEvent{0, 0, 0, {0xF0, 0x7D, 0xF7}});
  port.PutEvent(TMidiEvent{0xB1, 120, 0, {}});
  port.PutShort(0xF8, 0, 0);
  port.PutShort(0x30, 1, 2);  // a data byte first: nothing goes out
  EXPECT_EQ(port.LastError(), MidiInvalidParam);
  EXPECT_EQ(Raised<EMIDIOutputError>([&] { port.PutLong(sysex, 0); }),
            MidiErrorText(MidiInvalidParam));
  EXPECT_EQ(SentOn(0), (std::vector<Bytes>{{0xF0, 0x43, 0x10, 0xF7}, {0xF0, 0x7D, 0xF7},
                                           {0xB1, 120, 0}, {0xF8}}));
  port.Close();
  port.PutShort(0xF8, 0, 0);
  EXPECT_EQ(SentOn(0).size(), 4u);
}

void RecordMessage(uint32_t packed);
std::vector<uint32_t> Received;
void RecordMessage(uint32_t packed) { Received.push_back(packed); }

TEST_F(MidiDevicesTest, InputHandsEveryShortMessageIncludingClockToTheHandler) {
  Received.clear();
  TMidiInput input;
  EXPECT_EQ(input.NumDevs(), 2);
  EXPECT_EQ(input.DeviceID(), 0);
  EXPECT_EQ(input.ProductName(), "Keys");
  EXPECT_EQ(input.Capacity(), 1024);
  EXPECT_EQ(input.SysexBufferSize(), 4096);
  EXPECT_EQ(input.SysexBufferCount(), 16);
  input.SetHandler(&RecordMessage);
  std::string message;
  const std::vector<std::string> in = ListMidiDevices(TPreferences{}).Input;
  ASSERT_TRUE(OpenMidiInput(input, in, 1, message)) << message;
  EXPECT_EQ(input.ProductName(), "Clock Source");
  TInjectingMidiIn* port = Backend->OpenInputPort();
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->Device, 1);
  for (uint8_t b : {0xFA, 0xF8, 0xF8, 0xFC}) port->Inject({b});
  port->Inject({0x99, 38, 127});
  EXPECT_EQ(Received, (std::vector<uint32_t>{0xFA, 0xF8, 0xF8, 0xFC, 0x7F2699}));

  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetDeviceID(0); }),
            "Change to DeviceID while device was open");
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetProductName("Keys"); }),
            "Change to ProductName while device was open");
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetSysexBufferSize(1); }),
            "Change to SysexBufferSize while device was open");
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetSysexBufferCount(1); }),
            "Change to SysexBuffercount while device was open");

  // "(none)" closes; nothing arrives afterwards.
  ASSERT_TRUE(OpenMidiInput(input, in, 2, message));
  EXPECT_EQ(input.State(), TMidiInput::StateClosed);
  EXPECT_EQ(Backend->OpenInputPort(), nullptr);
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetDeviceID(2); }), "Invalid device ID");
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.SetProductName("Harp"); }),
            "MIDI Input Device Harp not installed ");
  input.SetProductName("Keys");
  EXPECT_EQ(input.DeviceID(), 0);
}

TEST_F(MidiDevicesTest, InputFailuresLeaveItClosedWithTheSystemText) {
  TMidiInput input;
  std::string message;
  const std::vector<std::string> in = ListMidiDevices(TPreferences{}).Input;
  Backend->FailInputs = {0};
  EXPECT_FALSE(OpenMidiInput(input, in, 0, message));
  EXPECT_EQ(message, "Error|" + MidiErrorText(MidiDeviceBusy));
  EXPECT_EQ(input.LastError(), MidiDeviceBusy);
  EXPECT_FALSE(input.IsOpen());
  // Start fails: raised by Start, reported, and the port closed again.
  Backend->FailInputs.clear();
  Backend->StartResult = MidiUnspecified;
  EXPECT_FALSE(OpenMidiInput(input, in, 0, message));
  EXPECT_EQ(message, "Error|" + MidiErrorText(MidiUnspecified));
  EXPECT_FALSE(input.IsOpen());
  // A failing stop raises from Close, but the port is closed.
  Backend->StartResult = MidiNoError;
  Backend->StopResult = MidiUnspecified;
  ASSERT_TRUE(OpenMidiInput(input, in, 0, message));
  EXPECT_EQ(Raised<EMidiInputError>([&] { input.Close(); }), MidiErrorText(MidiUnspecified));
  EXPECT_FALSE(input.IsOpen());
  EXPECT_EQ(Backend->OpenInputPort(), nullptr);
}

TEST_F(MidiDevicesTest, DevicesPluggedInLaterCanBeChosenAfterTheListsAreMadeAgain) {
  TMidiOutput port;
  EXPECT_EQ(port.NumDevs(), 3);
  Backend->Outputs.push_back("New Synth");
  std::string message;
  const TMidiDeviceLists lists = ListMidiDevices(TPreferences{});
  ASSERT_EQ(lists.Output.size(), 6u);
  ASSERT_TRUE(OpenMidiOutput(port, lists.Output, 4, message)) << message;
  EXPECT_EQ(port.ProductName(), "New Synth");
}

// A port that comes or goes between the list the user sees and the click
// moves the others; the choice opens the port of its name all the same.
TEST_F(MidiDevicesTest, AChoiceOpensThePortOfItsNameThoughOthersCameAndWentSinceTheList) {
  const TMidiDeviceLists lists = ListMidiDevices(TPreferences{});
  Backend->Outputs = {"Early Synth", "Late Synth", "Synth B", "Drum Box"};  // "Synth A" gone
  Backend->Inputs = {"Pads", "Keys", "Clock Source"};
  TMidiOutput port;
  std::string message;
  ASSERT_TRUE(OpenMidiOutput(port, lists.Output, 3, message)) << message;
  EXPECT_EQ(port.ProductName(), "Drum Box");
  port.PutShort(0x90, 36, 100);
  EXPECT_EQ(SentOn(3), (std::vector<Bytes>{{0x90, 36, 100}}));
  EXPECT_FALSE(OpenMidiOutput(port, lists.Output, 1, message));
  EXPECT_EQ(message, "Error|MIDI output Device Synth A not installed");
  EXPECT_FALSE(port.IsOpen());
  TMidiInput input;
  ASSERT_TRUE(OpenMidiInput(input, lists.Input, 1, message)) << message;
  EXPECT_EQ(input.ProductName(), "Clock Source");
  EXPECT_EQ(Backend->OpenInputPort()->Device, 2);
  input.Close();
}

TEST(MidiDevicesFPU, PendingFloatingPointExceptionsAreCleared) {
  std::feraiseexcept(FE_DIVBYZERO | FE_INEXACT);
  ASSERT_NE(std::fetestexcept(FE_ALL_EXCEPT), 0);
  ResetFPUExceptions();
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

TEST(MidiDevicesNoSystem, WithoutASequencerNothingOpensAndNothingCrashes) {
  SetMidiBackend(nullptr);  // the real backend
  if (!MidiBackend().OutputNames().empty()) GTEST_SKIP() << "this machine has MIDI devices";
  TMidiOutput port;
  TMidiInput input;
  EXPECT_EQ(port.NumDevs(), 0);
  EXPECT_EQ(input.NumDevs(), 0);
  std::string message;
  EXPECT_FALSE(OpenMidiOutput(port, {MidiMapperName, "(none)"}, 0, message));  // the mapper has nothing to map to
  EXPECT_EQ(message.rfind("Error|", 0), 0u);
  EXPECT_FALSE(port.IsOpen());
  port.PutShort(0x90, 1, 1);
  EXPECT_TRUE(OpenMidiInput(input, {"(none)"}, 0, message));  // "(none)"
  EXPECT_FALSE(input.IsOpen());
}

}  // namespace
}  // namespace vs
