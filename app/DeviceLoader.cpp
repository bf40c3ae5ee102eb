// The program's device backends: made by the device library (DeviceLibrary.h),
// loaded beside the executable the first time a device is asked for. When
// it can't be loaded there are no devices, and opening one says why.

#include <dlfcn.h>

#include <mutex>
#include <string>

#include "app/DeviceLibrary.h"
#include "platform/DeviceBackends.h"
#include "platform/SharedLibrary.h"

namespace vs {

namespace {

struct TDeviceLibrary {
  std::once_flag Once;
  TSharedLibrary Library;
  std::string Error;
};

TDeviceLibrary& Devices() {
  // Never unloaded: backends made by it live until the program ends.
  static TDeviceLibrary& devices = *new TDeviceLibrary;
  std::call_once(devices.Once, [] {
    const std::string path = ExecutableFolder() + VS_DEVICE_LIBRARY;
    if (!devices.Library.OpenFile(path)) {
      const char* why = dlerror();
      devices.Error = "The sound and MIDI library can't be loaded: " + std::string(why ? why : path);
    }
  });
  return devices;
}

template <class TBackend>
TBackend* Make(const char* name) {
  using TMake = TBackend*();
  auto* make = reinterpret_cast<TMake*>(Devices().Library.Symbol(name));
  return make ? make() : nullptr;
}

class TMissingAudioBackend : public TAudioBackend {
public:
  std::unique_ptr<TAudioDevice> OpenDevice(const std::string&, std::string* error) override {
    if (error) *error = Devices().Error;
    return nullptr;
  }
  std::vector<std::string> DeviceNames() override { return {}; }
};

class TMissingCaptureBackend : public TCaptureBackend {
public:
  std::unique_ptr<TCaptureDevice> OpenDefaultCapture(std::string* error) override {
    if (error) *error = Devices().Error;
    return nullptr;
  }
};

class TMissingMidiBackend : public TMidiBackend {
public:
  std::vector<std::string> OutputNames() override { return {}; }
  std::vector<std::string> InputNames() override { return {}; }
  std::unique_ptr<TMidiOutPort> OpenOutput(int, int& result, std::string& detail) override {
    result = MidiNoSystem;
    detail = Devices().Error;
    return nullptr;
  }
  std::unique_ptr<TMidiInPort> OpenInput(int, TMidiInCallback, void*, int& result, std::string& detail) override {
    result = MidiNoSystem;
    detail = Devices().Error;
    return nullptr;
  }
};

}  // namespace

std::unique_ptr<TAudioBackend> MakeAudioBackend() {
  if (TAudioBackend* backend = Make<TAudioBackend>(VS_MAKE_AUDIO_BACKEND)) return std::unique_ptr<TAudioBackend>(backend);
  return std::make_unique<TMissingAudioBackend>();
}

std::unique_ptr<TCaptureBackend> MakeCaptureBackend() {
  if (TCaptureBackend* backend = Make<TCaptureBackend>(VS_MAKE_CAPTURE_BACKEND))
    return std::unique_ptr<TCaptureBackend>(backend);
  return std::make_unique<TMissingCaptureBackend>();
}

std::unique_ptr<TMidiBackend> MakeMidiBackend() {
  if (TMidiBackend* backend = Make<TMidiBackend>(VS_MAKE_MIDI_BACKEND)) return std::unique_ptr<TMidiBackend>(backend);
  return std::make_unique<TMissingMidiBackend>();
}

}  // namespace vs
