#pragma once
// MIDI output ports: short messages (a status byte and up to two data bytes,
// the count fixed by the status) and long messages (system exclusive). The
// sound card's ports come with their own backend; tests record.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vs {

// Bytes of a short message with this status byte: 3 for note off/on, key
// pressure, controller, pitch bend and song position; 2 for program change,
// channel pressure, time code and song select; 1 for the other system
// messages; 0 for a data byte or system exclusive (not a short message).
int ShortMessageLength(uint8_t status);

class TMidiOutPort {
public:
  virtual ~TMidiOutPort() = default;
  // Sends ShortMessageLength(status) bytes; nothing for a status that is
  // not one of a short message.
  virtual void SendShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) = 0;
  virtual void SendLong(const uint8_t* bytes, size_t count) = 0;
};

// Keeps every message sent, each as its bytes.
class TRecordingMidiOut : public TMidiOutPort {
public:
  void SendShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) override;
  void SendLong(const uint8_t* bytes, size_t count) override;
  std::vector<std::vector<uint8_t>> Messages() const;
  void Clear();

private:
  mutable std::mutex Lock;
  std::vector<std::vector<uint8_t>> Sent;
};

// The port that step notes go to (MIDIOut), null when MIDI output is off.
// The owner sets it to null, under MixerLock, before it frees the port.
TMidiOutPort* MIDIOut();
void SetMIDIOut(TMidiOutPort* port);

}  // namespace vs
