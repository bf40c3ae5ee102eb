#include "engine/MidiOut.h"

#include <algorithm>

namespace vs {

std::string MidiErrorText(int code) {
  std::string text;
  if (!MidiResultText(code, text)) return "Specified error number is out of range";
  return text;
}

void MidiOpenFailed(int result, const std::string& detail, int& error, std::string& text) {
  error = result == MidiNoError ? MidiUnspecified : result;
  text = MidiErrorText(error);
  if (!detail.empty()) text += " (" + detail + ")";
}

namespace {

// The name of output device id (-1: the mapper); false when there is no
// such device now.
bool OutputName(int id, std::string& name) {
  if (id == MidiMapperID) {
    name = MidiMapperName;
    return true;
  }
  const std::vector<std::string> names = MidiBackend().OutputNames();
  if (id < 0 || id >= int(names.size())) return false;
  name = names[size_t(id)];
  return true;
}

}  // namespace

TMidiOutput::TMidiOutput() = default;

int TMidiOutput::NumDevs() const {
  if (DeviceCount < 0) DeviceCount = int(MidiBackend().OutputNames().size());
  return DeviceCount;
}

TMidiOutput::~TMidiOutput() { Close(); }

void TMidiOutput::RefreshDeviceCount() {
  DeviceCount = int(MidiBackend().OutputNames().size());
}

bool TMidiOutput::IsOpen() const {
  std::lock_guard<std::mutex> hold(Lock);
  return Port != nullptr;
}

bool TMidiOutput::Open() {
  if (IsOpen()) return true;
  int result = MidiNoError;
  std::string detail;
  std::unique_ptr<TMidiOutPort> port = MidiBackend().OpenOutput(Device, result, detail);
  std::lock_guard<std::mutex> hold(Lock);
  if (!port) {
    MidiOpenFailed(result, detail, Error, ErrorText);
    return false;
  }
  Port = std::move(port);
  Error = MidiNoError;
  return true;
}

void TMidiOutput::Close() {
  std::unique_ptr<TMidiOutPort> port;
  {
    std::lock_guard<std::mutex> hold(Lock);
    port = std::move(Port);
  }
  // The port closes here, outside the lock.
}

void TMidiOutput::PutShort(uint8_t status, uint8_t data1, uint8_t data2) {
  std::lock_guard<std::mutex> hold(Lock);
  if (Port) Error = Port->SendShort(status, data1, data2);
}

int TMidiOutput::SendShort(uint8_t status, uint8_t data1, uint8_t data2) {
  std::lock_guard<std::mutex> hold(Lock);
  if (!Port) return MidiNotOpen;
  Error = Port->SendShort(status, data1, data2);
  return Error;
}

int TMidiOutput::SendLongLocked(const uint8_t* data, size_t length) {
  if (!Port) return MidiNotOpen;
  if (data == nullptr || length == 0) return MidiInvalidParam;
  return Port->SendLong(data, length);
}

int TMidiOutput::SendLong(const uint8_t* bytes, size_t count) {
  std::lock_guard<std::mutex> hold(Lock);
  Error = SendLongLocked(bytes, count);
  return Error;
}

void TMidiOutput::PutLong(const uint8_t* data, size_t length) {
  int result;
  {
    std::lock_guard<std::mutex> hold(Lock);
    result = SendLongLocked(data, length);
    Error = result;
  }
  if (result != MidiNoError) throw EMIDIOutputError(MidiErrorText(result));
}

void TMidiOutput::PutEvent(const TMidiEvent& event) {
  if (!IsOpen()) throw EMIDIOutputError("MIDI Output device not open");
  if (!event.Sysex.empty())
    PutLong(event.Sysex.data(), event.Sysex.size());
  else
    PutShort(event.Status, event.Data1, event.Data2);
}

void TMidiOutput::SetDeviceID(int id) {
  if (IsOpen()) throw EMIDIOutputError("Change to DeviceID while device was open");
  if (id < MidiMapperID || id >= NumDevs()) throw EMIDIOutputError("Invalid device ID");
  std::string name;
  if (!OutputName(id, name)) throw EMIDIOutputError(MidiErrorText(MidiBadDeviceID));
  Device = id;
  Name = name;
}

void TMidiOutput::SetProductName(const std::string& name) {
  if (IsOpen()) throw EMIDIOutputError("Change to ProductName while device was open");
  if (name == MidiMapperName) {
    SetDeviceID(MidiMapperID);
    return;
  }
  // Taken from this one look at the devices: another could move the name.
  const std::vector<std::string> names = MidiBackend().OutputNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) {
      DeviceCount = std::max(NumDevs(), int(names.size()));
      Device = int(i);
      Name = name;
      return;
    }
  throw EMIDIOutputError("MIDI output Device " + name + " not installed");
}

}  // namespace vs
