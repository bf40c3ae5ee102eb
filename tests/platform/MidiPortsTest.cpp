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
