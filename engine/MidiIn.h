#pragma once
// The MIDI input component: one input port of the backend. Every short
// message received (the clock and the other real-time bytes included) goes,
// packed as status | data1 << 8 | data2 << 16, to the handler, on the port's
// own thread; the program's handler is the sync handler of the transport.
//
// Close waits for a message being handled: never close the input while
// holding MixerLock (the handler may be waiting for it).

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/MidiPorts.h"

namespace vs {

class EMidiInputError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using TMidiMessageHandler = void (*)(uint32_t packed);

class TMidiInput {
public:
  enum : int { StateOpen = 0, StateClosed = 1 };

  // Closed; NumDevs is the number of input devices and ProductName the
  // first one's name (when there is one) when first asked; DeviceID 0;
  // Capacity 1024, SysexBufferSize 4096, SysexBufferCount 16.
  TMidiInput();
  ~TMidiInput();  // Close
  TMidiInput(const TMidiInput&) = delete;
  TMidiInput& operator=(const TMidiInput&) = delete;

  // Opens DeviceID. False (closed, LastErrorText set) on failure.
  bool Open();
  // When open: messages start to reach the handler. Raises EMidiInputError
  // with the system's text on failure.
  void Start();
  // When open: stops and closes the port. Raises EMidiInputError with the
  // system's text when stopping fails (the port is closed all the same).
  void Close();
  bool IsOpen() const;
  int State() const { return IsOpen() ? StateOpen : StateClosed; }

  int DeviceID() const { return Device; }
  // Raises "Change to DeviceID while device was open" while open, "Invalid
  // device ID" outside 0..NumDevs-1, the system's text when the device has
  // gone.
  void SetDeviceID(int id);
  const std::string& ProductName() const;
  // Raises "Change to ProductName while device was open", or "MIDI Input
  // Device <name> not installed " when no device has the name.
  void SetProductName(const std::string& name);

  // The devices are first counted when asked for (or when one is chosen):
  // a run that never uses MIDI input never asks the sequencer.
  int NumDevs() const;
  void RefreshDeviceCount();
  int LastError() const { return Error; }
  const std::string& LastErrorText() const { return ErrorText; }
  static std::string GetErrorText(int code);

  int Capacity() const { return EventCapacity; }
  int SysexBufferSize() const { return SysexSize; }
  // Raises "Change to SysexBufferSize while device was open".
  void SetSysexBufferSize(int size);
  int SysexBufferCount() const { return SysexCount; }
  // Raises "Change to SysexBuffercount while device was open".
  void SetSysexBufferCount(int count);
  bool SysexOnly() const { return false; }
  void SetSysexOnly(bool) {}  // system exclusive input is not taken

  // The handler messages go to (null: they are dropped).
  void SetHandler(TMidiMessageHandler handler) { Handler.store(handler); }

private:
  static void Received(void* context, uint32_t packed);
  // Counts the devices and names the first, once.
  void List() const;
  mutable std::mutex Lock;  // guards Port
  std::unique_ptr<TMidiInPort> Port;
  std::atomic<TMidiMessageHandler> Handler{nullptr};
  int Device = 0;
  mutable std::string Name;
  int Error = MidiNoError;
  std::string ErrorText;
  mutable bool Listed = false;
  mutable int DeviceCount = 0;
  int EventCapacity = 1024;
  int SysexSize = 4096;
  int SysexCount = 16;
};

}  // namespace vs
