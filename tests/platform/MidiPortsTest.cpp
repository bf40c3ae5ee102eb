#include <gtest/gtest.h>

#include "platform/MidiPorts.h"

namespace vs {
namespace {

TEST(MidiPorts, ShortMessageLengthComesFromTheStatusByte) {
  EXPECT_EQ(ShortMessageLength(0x90), 3);
  EXPECT_EQ(ShortMessageLength(0x8F), 3);
  EXPECT_EQ(ShortMessageLength(0xB3), 3);
  EXPECT_EQ(ShortMessageLength(0xE0), 3);
  EXPECT_EQ(ShortMessageLength(0xC5), 2);
  EXPECT_EQ(ShortMessageLength(0xD0), 2);
  EXPECT_EQ(ShortMessageLength(0xF2), 3);
  EXPECT_EQ(ShortMessageLength(0xF1), 2);
  EXPECT_EQ(ShortMessageLength(0xF3), 2);
  EXPECT_EQ(ShortMessageLength(0xF8), 1);
  EXPECT_EQ(ShortMessageLength(0xFA), 1);
  EXPECT_EQ(ShortMessageLength(0xFC), 1);
  EXPECT_EQ(ShortMessageLength(0xF0), 0);
  EXPECT_EQ(ShortMessageLength(0x7F), 0);
}

TEST(MidiPorts, RecordingPortKeepsTheBytesOfEachMessage) {
  TRecordingMidiOut port;
  port.SendShort(0xF8, 1, 2);
  port.SendShort(0xC1, 5, 9);
  port.SendShort(0x91, 36, 100);
  port.SendShort(0x40, 1, 1);  // a data byte is no message
  const uint8_t sysex[] = {0xF0, 0x7E, 0xF7};
  port.SendLong(sysex, 3);
  const auto m = port.Messages();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0], (std::vector<uint8_t>{0xF8}));
  EXPECT_EQ(m[1], (std::vector<uint8_t>{0xC1, 5}));
  EXPECT_EQ(m[2], (std::vector<uint8_t>{0x91, 36, 100}));
  EXPECT_EQ(m[3], (std::vector<uint8_t>{0xF0, 0x7E, 0xF7}));
}

}  // namespace
}  // namespace vs

#include <unistd.h>

#include "platform/RecordingMidiPorts.h"
#include "platform/RtMidiPorts.h"

namespace vs {
namespace {

TEST(MidiPorts, PackedShortMessagesTakeTheBytesTheStatusNeeds) {
  uint32_t v = 0xDEAD;
  const uint8_t note[] = {0x92, 60, 100};
  ASSERT_TRUE(PackShortMessage(note, 3, v));
  EXPECT_EQ(v, 0x643C92u);
  const uint8_t clock[] = {0xF8};
  ASSERT_TRUE(PackShortMessage(clock, 1, v));
  EXPECT_EQ(v, 0xF8u);
  const uint8_t program[] = {0xC3, 7, 99};  // a stray third byte is not taken
  ASSERT_TRUE(PackShortMessage(program, 3, v));
  EXPECT_EQ(v, 0x07C3u);
  const uint8_t song[] = {0xF2, 0x10, 0x01};
  ASSERT_TRUE(PackShortMessage(song, 3, v));
  EXPECT_EQ(v, 0x0110F2u);
  v = 77;
  const uint8_t shortNote[] = {0x90, 60};
  const uint8_t sysex[] = {0xF0, 0x7E, 0xF7};
  const uint8_t data[] = {0x40};
  EXPECT_FALSE(PackShortMessage(shortNote, 2, v));
  EXPECT_FALSE(PackShortMessage(sysex, 3, v));
  EXPECT_FALSE(PackShortMessage(data, 1, v));
  EXPECT_FALSE(PackShortMessage(nullptr, 3, v));
  EXPECT_EQ(v, 77u);
  std::string text;
  EXPECT_TRUE(MidiResultText(MidiNoSystem, text));
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(MidiResultText(-1, text));
  EXPECT_FALSE(MidiResultText(8, text));
}

TEST(MidiPorts, InjectedInputReachesTheCallbackOnlyWhileStarted) {
  TRecordingMidiBackend backend;
  std::vector<uint32_t> got;
  int result = -1;
  std::string detail;
  auto port = backend.OpenInput(
      0, [](void* c, uint32_t m) { static_cast<std::vector<uint32_t>*>(c)->push_back(m); }, &got,
      result, detail);
  ASSERT_TRUE(port);
  EXPECT_EQ(result, MidiNoError);
  TInjectingMidiIn* in = backend.OpenInputPort();
  ASSERT_EQ(in, port.get());
  EXPECT_FALSE(in->Inject({0xF8}));
  port->Start();
  for (uint8_t b : {0xF8, 0xFA, 0xFB, 0xFC, 0xFE}) EXPECT_TRUE(in->Inject({b}));
  EXPECT_TRUE(in->Inject({0x90, 36, 1}));
  EXPECT_FALSE(in->Inject({0xF0, 1, 0xF7}));
  port->Stop();
  EXPECT_FALSE(in->Inject({0xF8}));
  EXPECT_EQ(got, (std::vector<uint32_t>{0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0x012490}));
  port.reset();
  EXPECT_EQ(backend.OpenInputPort(), nullptr);
  EXPECT_FALSE(backend.OpenInput(1, nullptr, nullptr, result, detail));
  EXPECT_EQ(result, MidiBadDeviceID);
}

// The ALSA backend on a machine without a sequencer has no devices and
// refuses to open, without crashing; with one, what it lists opens.
TEST(MidiPorts, SequencerBackendWithoutSequencerHasNoDevices) {
  const bool noSequencer = access("/dev/snd/seq", F_OK) != 0;
  for (bool probe : {true, false}) {
    TRtMidiBackend backend(probe);
    const auto outputs = backend.OutputNames();
    const auto inputs = backend.InputNames();
    int result = -1;
    std::string detail;
    auto out = backend.OpenOutput(MidiMapperID, result, detail);
    if (noSequencer) {
      EXPECT_TRUE(outputs.empty());
      EXPECT_TRUE(inputs.empty());
      EXPECT_FALSE(out);
      EXPECT_EQ(result, MidiNoSystem) << probe;
    }
    if (out) {
      EXPECT_FALSE(outputs.empty());
      EXPECT_EQ(out->SendShort(0xF8), MidiNoError);
      EXPECT_EQ(out->SendShort(0x40), MidiInvalidParam);
    } else {
      EXPECT_NE(result, MidiNoError);
    }
    auto in = backend.OpenInput(int(inputs.size()), nullptr, nullptr, result, detail);
    EXPECT_FALSE(in);
    EXPECT_NE(result, MidiNoError);
  }
}

}  // namespace
}  // namespace vs
