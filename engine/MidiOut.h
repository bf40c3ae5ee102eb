#pragma once
// The MIDI output component: one port of the backend, opened on a device
// chosen by number or product name, sending short messages (notes,
// controllers, programs, clock) and system-exclusive blocks. The note
// output and the sync output are two of these (engine/MidiDevices.h).
//
// PutShort may come from any thread (the main thread, the master clock,
// the step timer) while another opens or closes the port: the port is used
// under the component's own lock, so a message goes out on the open port
// or not at all.

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MidiPorts.h"

namespace vs {

class EMIDIOutputError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One event of PutEvent: a short message, or system exclusive when Sysex
// holds bytes.
struct TMidiEvent {
  uint8_t Status = 0;
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;
  std::vector<uint8_t> Sysex;
};

// The system's text for a result code, or "Specified error number is out
// of range".
std::string MidiErrorText(int code);

// The error of a port that failed to open: the backend's result (never "no
// error") into error, its text with the backend's detail into text.
void MidiOpenFailed(int result, const std::string& detail, int& error, std::string& text);

class TMidiOutput : public TMidiOutPort {
public:
  enum : int { StateOpen = 0, StateClosed = 1 };

  // Closed; NumDevs is the number of output devices when first asked.
  TMidiOutput();
  ~TMidiOutput() override;  // Close
  TMidiOutput(const TMidiOutput&) = delete;
  TMidiOutput& operator=(const TMidiOutput&) = delete;

  // Opens DeviceID. False (closed, LastErrorText set) on failure.
  bool Open();
  void Close();
  bool IsOpen() const;
  int State() const { return IsOpen() ? StateOpen : StateClosed; }

  // When open: sends status | data1 << 8 | data2 << 16 as one short
  // message and keeps the result code; when closed nothing at all.
  void PutShort(uint8_t status, uint8_t data1, uint8_t data2);
  // Sends a copy of the bytes as a long message. Raises EMIDIOutputError
  // with the system's text when that fails (also when closed).
  void PutLong(const uint8_t* data, size_t length);
  // Raises "MIDI Output device not open" when closed; system exclusive by
  // PutLong, else PutShort.
  void PutEvent(const TMidiEvent& event);

  int DeviceID() const { return Device; }
  // Raises "Change to DeviceID while device was open" while open, "Invalid
  // device ID" outside -1..NumDevs-1 (-1 is the MIDI mapper), the system's
  // text when the device has gone; otherwise stores the id and its name.
  void SetDeviceID(int id);
  const std::string& ProductName() const { return Name; }
  // Searches the devices from -1 upwards for the name; raises "MIDI output
  // Device <name> not installed" when none has it.
  void SetProductName(const std::string& name);

  // The devices are first counted when asked for (or when one is chosen):
  // a run that never uses MIDI output never asks the sequencer.
  int NumDevs() const;
  // Counts the devices again (when the device lists are made again).
  void RefreshDeviceCount();
  int LastError() const { return Error; }
  const std::string& LastErrorText() const { return ErrorText; }
  static std::string GetErrorText(int code) { return MidiErrorText(code); }

  // The port interface: PutShort / PutLong that return the result code and
  // never raise.
  int SendShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) override;
  int SendLong(const uint8_t* bytes, size_t count) override;

private:
  int SendLongLocked(const uint8_t* data, size_t length);
  mutable std::mutex Lock;  // guards Port and Error
  std::unique_ptr<TMidiOutPort> Port;
  int Device = MidiMapperID;
  std::string Name = MidiMapperName;
  int Error = MidiNoError;
  std::string ErrorText;
  mutable int DeviceCount = -1;  // not counted yet
};

}  // namespace vs
