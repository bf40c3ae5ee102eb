#include "engine/MidiIn.h"

#include <algorithm>
#include <vector>

#include "engine/MidiOut.h"

namespace vs {

TMidiInput::TMidiInput() = default;

void TMidiInput::List() const {
  if (Listed) return;
  Listed = true;
  const std::vector<std::string> names = MidiBackend().InputNames();
  DeviceCount = int(names.size());
  if (!names.empty()) Name = names[0];
}

const std::string& TMidiInput::ProductName() const {
  List();
  return Name;
}

int TMidiInput::NumDevs() const {
  List();
  return DeviceCount;
}

TMidiInput::~TMidiInput() {
  try {
    Close();
  } catch (const EMidiInputError&) {
  }
}

std::string TMidiInput::GetErrorText(int code) { return MidiErrorText(code); }

void TMidiInput::RefreshDeviceCount() {
  List();
  DeviceCount = int(MidiBackend().InputNames().size());
}

bool TMidiInput::IsOpen() const {
  std::lock_guard<std::mutex> hold(Lock);
  return Port != nullptr;
}

void TMidiInput::Received(void* context, uint32_t packed) {
  auto* self = static_cast<TMidiInput*>(context);
  if (TMidiMessageHandler handler = self->Handler.load()) handler(packed);
}

bool TMidiInput::Open() {
  if (IsOpen()) return true;
  int result = MidiNoError;
  std::string detail;
  std::unique_ptr<TMidiInPort> port =
      MidiBackend().OpenInput(Device, &TMidiInput::Received, this, result, detail);
  std::lock_guard<std::mutex> hold(Lock);
  if (!port) {
    MidiOpenFailed(result, detail, Error, ErrorText);
    return false;
  }
  Port = std::move(port);
  Error = MidiNoError;
  return true;
}

void TMidiInput::Start() {
  int result = MidiNoError;
  {
    std::lock_guard<std::mutex> hold(Lock);
    if (!Port) return;
    result = Port->Start();
    Error = result;
  }
  if (result != MidiNoError) throw EMidiInputError(MidiErrorText(result));
}

void TMidiInput::Close() {
  std::unique_ptr<TMidiInPort> port;
  {
    std::lock_guard<std::mutex> hold(Lock);
    port = std::move(Port);
  }
  if (!port) return;
  const int result = port->Stop();
  port.reset();  // waits for a message being handled
  Error = result;
  if (result != MidiNoError) throw EMidiInputError(MidiErrorText(result));
}

void TMidiInput::SetDeviceID(int id) {
  if (IsOpen()) throw EMidiInputError("Change to DeviceID while device was open");
  List();
  if (id < 0 || id >= DeviceCount) throw EMidiInputError("Invalid device ID");
  const std::vector<std::string> names = MidiBackend().InputNames();
  if (id >= int(names.size())) throw EMidiInputError(MidiErrorText(MidiBadDeviceID));
  Device = id;
  Name = names[size_t(id)];
}

void TMidiInput::SetProductName(const std::string& name) {
  if (IsOpen()) throw EMidiInputError("Change to ProductName while device was open");
  List();
  // Taken from this one look at the devices: another could move the name.
  const std::vector<std::string> names = MidiBackend().InputNames();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) {
      DeviceCount = std::max(DeviceCount, int(names.size()));
      Device = int(i);
      Name = name;
      return;
    }
  throw EMidiInputError("MIDI Input Device " + name + " not installed ");
}

void TMidiInput::SetSysexBufferSize(int size) {
  if (IsOpen()) throw EMidiInputError("Change to SysexBufferSize while device was open");
  SysexSize = size;
}

void TMidiInput::SetSysexBufferCount(int count) {
  if (IsOpen()) throw EMidiInputError("Change to SysexBuffercount while device was open");
  SysexCount = count;
}

}  // namespace vs
