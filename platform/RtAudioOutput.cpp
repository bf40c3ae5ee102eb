#include "platform/RtAudioOutput.h"

#include "platform/AudioDevices.h"
#include "platform/JackAudio.h"
#include "platform/RtAudioStream.h"

namespace vs {

namespace {

class TRtAudioDevice : public TAudioDevice, public TRtStreamTarget {
public:
  explicit TRtAudioDevice(std::string name) : TAudioDevice(std::move(name)) {}

  ~TRtAudioDevice() override {
    Stream.reset();
    ReleaseStreamBuffer();
  }

  bool Start(const TAudioDeviceEntry& entry, unsigned frames, std::string* error) {
    Stream = TRtStream::Open(entry, TRtStreamDirection::Output, OutputChannels, OutputRate, frames, this, error);
    if (Stream == nullptr) return false;
    // ALSA's plug-ins (the file, mixing and PulseAudio ones) take the whole
    // buffer at a time; PulseAudio's server asks for a callback's frames at
    // a time and refills its whole buffer after a hold-up.
    if (entry.Api == TAudioApi::Pulse) {
      SetPeriodFrames(Stream->PeriodFrames());
      SetBufferFrames(Stream->BufferFrames());
    } else {
      SetPeriodFrames(Stream->BufferFrames());
    }
    return true;
  }

  void StreamFrames(void* output, const void*, unsigned frames) override {
    if (frames > PeriodFrames()) SetPeriodFrames(frames);
    Render(static_cast<int16_t*>(output), frames);
  }
  void StreamLost(const std::string& reason) override { DeviceLost(reason); }

private:
  std::unique_ptr<TRtStream> Stream;
};

}  // namespace

std::unique_ptr<TAudioDevice> TRtAudioBackend::OpenDevice(const std::string& name, std::string* error) {
  const TAudioDeviceList list = ListAudioDevices(true);
  const TAudioDeviceEntry* entry = ChooseAudioDevice(list, name, true, error);
  if (entry == nullptr) return nullptr;
  if (entry->Api == TAudioApi::Jack) return OpenJackOutput(entry->Device, error);
  auto device = std::make_unique<TRtAudioDevice>(entry->Name);
  if (!device->Start(*entry, CallbackFrames, error)) return nullptr;
  return device;
}

std::vector<std::string> TRtAudioBackend::DeviceNames() { return AudioDeviceNames(ListAudioDevices(true)); }

}  // namespace vs
