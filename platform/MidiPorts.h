#pragma once
// MIDI ports: output ports for short messages (a status byte and up to two
// data bytes, the count fixed by the status) and long messages (system
// exclusive), input ports that hand every short message to a callback, and
// the lists of devices. The sound card's ports come from a backend (ALSA
// sequencer through RtMidi); tests record what goes out and inject what
// comes in.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vs {

// Bytes of a short message with this status byte: 3 for note off/on, key
// pressure, controller, pitch bend and song position; 2 for program change,
// channel pressure, time code and song select; 1 for the other system
// messages; 0 for a data byte or system exclusive (not a short message).
int ShortMessageLength(uint8_t status);

// A short message packed into one value: status | data1 << 8 | data2 << 16,
// bytes beyond the status's length zero. False (value untouched) when the
// bytes are no short message: empty, a data byte first, system exclusive,
// or fewer bytes than the status needs.
bool PackShortMessage(const uint8_t* bytes, size_t count, uint32_t& packed);

// Result codes of the port operations, and their texts.
enum TMidiResult : int {
  MidiNoError = 0,
  MidiUnspecified = 1,
  MidiBadDeviceID = 2,    // no such device
  MidiNoSystem = 3,       // no MIDI system (no ALSA sequencer)
  MidiDeviceBusy = 4,     // the device could not be opened
  MidiNotOpen = 5,        // the port is not open
  MidiNoMemory = 6,
  MidiInvalidParam = 7,   // a message the port cannot send
};
// The text of a code; false for a number outside the codes.
bool MidiResultText(int code, std::string& text);

// The first entry of the output lists: the port a mapper would choose (the
// first device).
extern const char* const MidiMapperName;
constexpr int MidiMapperID = -1;

class TMidiOutPort {
public:
  virtual ~TMidiOutPort() = default;
  // Sends ShortMessageLength(status) bytes; nothing for a status that is
  // not one of a short message (MidiInvalidParam). Returns a result code.
  virtual int SendShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) = 0;
  // Sends the bytes as they are; the port keeps no reference to them.
  virtual int SendLong(const uint8_t* bytes, size_t count) = 0;
};

// What an input port calls, on its own thread, for each short message
// received (clock and the other real-time bytes included).
using TMidiInCallback = void (*)(void* context, uint32_t packed);

class TMidiInPort {
public:
  virtual ~TMidiInPort() = default;  // closes the port (no callback after it returns)
  // Messages reach the callback between Start and Stop.
  virtual int Start() = 0;
  virtual int Stop() = 0;
};

class TMidiBackend {
public:
  virtual ~TMidiBackend() = default;
  virtual std::vector<std::string> OutputNames() = 0;
  virtual std::vector<std::string> InputNames() = 0;
  // Opens output device 0..n-1, or MidiMapperID (the first device). Null
  // with a result code (and the system's detail when there is one) on
  // failure.
  virtual std::unique_ptr<TMidiOutPort> OpenOutput(int device, int& result, std::string& detail) = 0;
  virtual std::unique_ptr<TMidiInPort> OpenInput(int device, TMidiInCallback callback, void* context,
                                                 int& result, std::string& detail) = 0;
};

// The backend ports are opened with; the ALSA sequencer unless set.
TMidiBackend& MidiBackend();
void SetMidiBackend(std::unique_ptr<TMidiBackend> backend);

// Keeps every message sent, each as its bytes.
class TRecordingMidiOut : public TMidiOutPort {
public:
  int SendShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) override;
  int SendLong(const uint8_t* bytes, size_t count) override;
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
// The port master sync goes out on (MIDIOutSync); the same rules.
TMidiOutPort* MIDIOutSync();
void SetMIDIOutSync(TMidiOutPort* port);

}  // namespace vs
