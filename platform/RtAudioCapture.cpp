#include "platform/RtAudioCapture.h"

#include <exception>

#include "platform/RtAudioStream.h"

namespace vs {

namespace {

class TRtAudioCaptureDevice : public TCaptureDevice {
public:
  TRtAudioCaptureDevice(std::string name, std::unique_ptr<RtAudio> audio)
      : TCaptureDevice(std::move(name)), Audio(std::move(audio)) {}

  ~TRtAudioCaptureDevice() override { CloseRtAudioStream(*Audio); }

  bool Start(unsigned deviceId, unsigned frames, std::string* error) {
    return StartRtAudioStream(*Audio, TRtStreamDirection::Input, deviceId, CaptureChannels, CaptureRate, frames,
                              &Callback, this, error);
  }

private:
  static int Callback(void*, void* input, unsigned frames, double, RtAudioStreamStatus, void* user) {
    if (input != nullptr)
      static_cast<TRtAudioCaptureDevice*>(user)->Deliver(static_cast<const int16_t*>(input), frames);
    return 0;
  }

  std::unique_ptr<RtAudio> Audio;
};

}  // namespace

std::unique_ptr<TCaptureDevice> TRtAudioCaptureBackend::OpenDefaultCapture(std::string* error) {
  std::unique_ptr<RtAudio> audio = MakeRtAudio(error);
  if (!audio) return nullptr;
  unsigned id = 0;
  std::string name;
  bool found = false;
  try {
    const unsigned count = audio->getDeviceCount();
    const unsigned def = count > 0 ? audio->getDefaultInputDevice() : 0;
    for (unsigned i = 0; i < count; ++i) {
      RtAudio::DeviceInfo info = audio->getDeviceInfo(i);
      if (!info.probed || info.inputChannels < unsigned(CaptureChannels)) continue;
      if (!found || i == def) {
        id = i;
        name = info.name;
        found = true;
      }
    }
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
    return nullptr;
  }
  if (!found) {
    if (error != nullptr) *error = "No audio capture device found";
    return nullptr;
  }
  auto device = std::make_unique<TRtAudioCaptureDevice>(name, std::move(audio));
  if (!device->Start(id, CallbackFrames, error)) return nullptr;
  return device;
}

}  // namespace vs
