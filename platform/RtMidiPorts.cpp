#include "platform/RtMidiPorts.h"

#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <atomic>

namespace vs {

namespace {

const char* const ClientName = "VorbelSteps";

// Errors the library reports after construction go here instead of being
// printed or thrown.
void KeepError(RtMidiError::Type type, const std::string& text, void* user) {
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  *static_cast<std::string*>(user) = text;
}

template <class TPort>
std::vector<std::string> PortNames(TPort& port) {
  std::vector<std::string> names;
  const unsigned count = port.getPortCount();
  for (unsigned i = 0; i < count; ++i) names.push_back(port.getPortName(i));
  return names;
}

// The port names of one direction, from a throw-away client; none when the
// sequencer can't be reached.
template <class TPort>
std::vector<std::string> ListPortNames(const std::string& clientName) {
  try {
    TPort port(RtMidi::LINUX_ALSA, clientName);
    std::string error;
    port.setErrorCallback(&KeepError, &error);
    return PortNames(port);
  } catch (...) {
    return {};
  }
}

class TRtOutPort : public TMidiOutPort {
public:
  explicit TRtOutPort(std::unique_ptr<RtMidiOut> port) : Port(std::move(port)) {
    Port->setErrorCallback(&KeepError, &Error);
  }
  ~TRtOutPort() override {
    try {
      Port->closePort();
    } catch (...) {
    }
  }
  int SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    const int n = ShortMessageLength(status);
    if (n == 0) return MidiInvalidParam;
    const unsigned char bytes[3] = {status, data1, data2};
    return Send(bytes, size_t(n));
  }
  int SendLong(const uint8_t* bytes, size_t count) override {
    if (bytes == nullptr || count == 0) return MidiInvalidParam;
    return Send(bytes, count);
  }

private:
  int Send(const unsigned char* bytes, size_t count) {
    Error.clear();
    try {
      Port->sendMessage(bytes, count);
    } catch (const RtMidiError&) {
      return MidiUnspecified;
    } catch (const std::bad_alloc&) {
      return MidiNoMemory;
    }
    return Error.empty() ? MidiNoError : MidiUnspecified;
  }

  std::string Error;
  std::unique_ptr<RtMidiOut> Port;
};

class TRtInPort : public TMidiInPort {
public:
  TRtInPort(TMidiInCallback callback, void* context) : Callback(callback), Context(context) {}
  ~TRtInPort() override {
    Running.store(false);
    if (!Port) return;
    try {
      Port->cancelCallback();
      Port->closePort();
    } catch (...) {
    }
  }
  int Start() override {
    Running.store(true);
    return MidiNoError;
  }
  int Stop() override {
    Running.store(false);
    return MidiNoError;
  }

  static void Received(double, std::vector<unsigned char>* message, void* user) {
    auto* self = static_cast<TRtInPort*>(user);
    uint32_t packed = 0;
    if (message == nullptr || !self->Running.load()) return;
    if (PackShortMessage(message->data(), message->size(), packed) && self->Callback != nullptr)
      self->Callback(self->Context, packed);
  }

  std::unique_ptr<RtMidiIn> Port;
  std::string Error;

private:
  TMidiInCallback Callback;
  void* Context;
  std::atomic<bool> Running{false};
};

}  // namespace

bool TRtMidiBackend::SequencerMissing() const {
  return Probe && access("/dev/snd/seq", F_OK) != 0;
}

std::vector<std::string> TRtMidiBackend::OutputNames() {
  if (SequencerMissing()) return {};
  return ListPortNames<RtMidiOut>(ClientName);
}

std::vector<std::string> TRtMidiBackend::InputNames() {
  if (SequencerMissing()) return {};
  return ListPortNames<RtMidiIn>(ClientName);
}

std::unique_ptr<TMidiOutPort> TRtMidiBackend::OpenOutput(int device, int& result, std::string& detail) {
  detail.clear();
  if (SequencerMissing()) {
    result = MidiNoSystem;
    return nullptr;
  }
  try {
    auto port = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, ClientName);
    std::string error;
    port->setErrorCallback(&KeepError, &error);
    const unsigned count = port->getPortCount();
    if (device == MidiMapperID) device = 0;
    if (device < 0 || unsigned(device) >= count) {
      result = MidiBadDeviceID;
      return nullptr;
    }
    port->openPort(unsigned(device), std::string(ClientName) + " Output");
    if (!port->isPortOpen()) {
      result = MidiDeviceBusy;
      detail = error;
      return nullptr;
    }
    auto out = std::make_unique<TRtOutPort>(std::move(port));
    result = MidiNoError;
    return out;
  } catch (const RtMidiError& e) {
    result = e.getType() == RtMidiError::DRIVER_ERROR ? MidiNoSystem : MidiDeviceBusy;
    detail = e.getMessage();
  } catch (const std::bad_alloc&) {
    result = MidiNoMemory;
  }
  return nullptr;
}

std::unique_ptr<TMidiInPort> TRtMidiBackend::OpenInput(int device, TMidiInCallback callback,
                                                       void* context, int& result, std::string& detail) {
  detail.clear();
  if (SequencerMissing()) {
    result = MidiNoSystem;
    return nullptr;
  }
  try {
    auto in = std::make_unique<TRtInPort>(callback, context);
    in->Port = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, ClientName);
    RtMidiIn& port = *in->Port;
    port.setErrorCallback(&KeepError, &in->Error);
    const unsigned count = port.getPortCount();
    if (device < 0 || unsigned(device) >= count) {
      in->Port.reset();
      result = MidiBadDeviceID;
      return nullptr;
    }
    // Clock, start, stop and the other timing bytes must come through;
    // system exclusive input is not taken.
    port.ignoreTypes(true, false, false);
    port.setCallback(&TRtInPort::Received, in.get());
    port.openPort(unsigned(device), std::string(ClientName) + " Input");
    if (!port.isPortOpen()) {
      detail = in->Error;
      in->Port->cancelCallback();
      in->Port.reset();
      result = MidiDeviceBusy;
      return nullptr;
    }
    result = MidiNoError;
    return in;
  } catch (const RtMidiError& e) {
    result = e.getType() == RtMidiError::DRIVER_ERROR ? MidiNoSystem : MidiDeviceBusy;
    detail = e.getMessage();
  } catch (const std::bad_alloc&) {
    result = MidiNoMemory;
  }
  return nullptr;
}

}  // namespace vs
