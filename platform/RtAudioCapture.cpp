#include "platform/RtAudioCapture.h"

#include "platform/AudioDevices.h"
#include "platform/JackAudio.h"
#include "platform/RtAudioStream.h"

namespace vs {

namespace {

class TRtAudioCaptureDevice : public TCaptureDevice, public TRtStreamTarget {
public:
  explicit TRtAudioCaptureDevice(std::string name) : TCaptureDevice(std::move(name)) {}

  ~TRtAudioCaptureDevice() override {
    Stream.reset();
    ReleaseBuffer();
  }

  bool Start(const TAudioDeviceEntry& entry, unsigned frames, std::string* error) {
    Stream = TRtStream::Open(entry, TRtStreamDirection::Input, CaptureChannels, CaptureRate, frames, this, error);
    return Stream != nullptr;
  }

  void StreamFrames(void*, const void* input, unsigned frames) override {
    if (input != nullptr) Deliver(static_cast<const int16_t*>(input), frames);
  }
  void StreamLost(const std::string&) override { DeviceLost(); }

private:
  std::unique_ptr<TRtStream> Stream;
};

}  // namespace

std::unique_ptr<TCaptureDevice> TRtAudioCaptureBackend::OpenDevice(const std::string& name, std::string* error) {
  const TAudioDeviceList list = ListAudioDevices(false);
  const TAudioDeviceEntry* entry = ChooseAudioDevice(list, name, false, error);
  if (entry == nullptr) return nullptr;
  if (entry->Api == TAudioApi::Jack) return OpenJackCapture(entry->Device, error);
  auto device = std::make_unique<TRtAudioCaptureDevice>(entry->Name);
  if (!device->Start(*entry, CallbackFrames, error)) return nullptr;
  return device;
}

std::vector<std::string> TRtAudioCaptureBackend::DeviceNames() { return AudioDeviceNames(ListAudioDevices(false)); }

}  // namespace vs
