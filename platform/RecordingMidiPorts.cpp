#include "platform/RecordingMidiPorts.h"

namespace vs {

namespace {

class TRecordingBackendOut : public TMidiOutPort {
public:
  TRecordingBackendOut(std::shared_ptr<TRecordingMidiBackend::TShared> shared, int device)
      : Shared(std::move(shared)), Device(device) {
    std::lock_guard<std::mutex> hold(Shared->Lock);
    ++Shared->OpenOutputs;
  }
  ~TRecordingBackendOut() override {
    std::lock_guard<std::mutex> hold(Shared->Lock);
    --Shared->OpenOutputs;
  }
  int SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    const int n = ShortMessageLength(status);
    if (n == 0) return MidiInvalidParam;
    std::vector<uint8_t> m{status, data1, data2};
    m.resize(size_t(n));
    return Keep(std::move(m));
  }
  int SendLong(const uint8_t* bytes, size_t count) override {
    if (bytes == nullptr || count == 0) return MidiInvalidParam;
    return Keep(std::vector<uint8_t>(bytes, bytes + count));
  }

private:
  int Keep(std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> hold(Shared->Lock);
    Shared->Sent.push_back({Device, std::move(bytes)});
    return MidiNoError;
  }
  std::shared_ptr<TRecordingMidiBackend::TShared> Shared;
  int Device;
};

}  // namespace

std::unique_ptr<TMidiOutPort> TRecordingMidiBackend::OpenOutput(int device, int& result,
                                                                std::string& detail) {
  detail.clear();
  if (device == MidiMapperID) device = 0;
  if (device < 0 || device >= int(Outputs.size())) {
    result = MidiBadDeviceID;
    return nullptr;
  }
  if (FailOutputs.count(device) != 0) {
    result = MidiDeviceBusy;
    detail = "test device " + Outputs[size_t(device)] + " refused";
    return nullptr;
  }
  result = MidiNoError;
  return std::make_unique<TRecordingBackendOut>(Shared, device);
}

std::unique_ptr<TMidiInPort> TRecordingMidiBackend::OpenInput(int device, TMidiInCallback callback,
                                                              void* context, int& result,
                                                              std::string& detail) {
  detail.clear();
  if (device < 0 || device >= int(Inputs.size())) {
    result = MidiBadDeviceID;
    return nullptr;
  }
  if (FailInputs.count(device) != 0) {
    result = MidiDeviceBusy;
    return nullptr;
  }
  result = MidiNoError;
  return std::make_unique<TInjectingMidiIn>(Shared, device, callback, context, StartResult,
                                            StopResult);
}

std::vector<TRecordingMidiBackend::TSent> TRecordingMidiBackend::Sent() const {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  return Shared->Sent;
}

void TRecordingMidiBackend::ClearSent() {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  Shared->Sent.clear();
}

int TRecordingMidiBackend::OpenOutputs() const {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  return Shared->OpenOutputs;
}

TInjectingMidiIn* TRecordingMidiBackend::OpenInputPort() const {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  return Shared->Input;
}

TInjectingMidiIn::TInjectingMidiIn(std::shared_ptr<TRecordingMidiBackend::TShared> shared,
                                   int device, TMidiInCallback callback, void* context,
                                   int startResult, int stopResult)
    : Device(device),
      Shared(std::move(shared)),
      Callback(callback),
      Context(context),
      StartResult(startResult),
      StopResult(stopResult) {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  Shared->Input = this;
}

TInjectingMidiIn::~TInjectingMidiIn() {
  std::lock_guard<std::mutex> hold(Shared->Lock);
  if (Shared->Input == this) Shared->Input = nullptr;
}

int TInjectingMidiIn::Start() {
  if (StartResult == MidiNoError) Running = true;
  return StartResult;
}

int TInjectingMidiIn::Stop() {
  Running = false;
  return StopResult;
}

bool TInjectingMidiIn::Inject(const std::vector<uint8_t>& bytes) {
  uint32_t packed = 0;
  if (!Running || !PackShortMessage(bytes.data(), bytes.size(), packed)) return false;
  if (Callback != nullptr) Callback(Context, packed);
  return true;
}

}  // namespace vs
