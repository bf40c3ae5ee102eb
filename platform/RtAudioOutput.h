#pragma once
// The machine's sound output devices (platform/AudioDevices.h): a JACK
// client's ports through JACK itself, PulseAudio and ALSA through RtAudio;
// 44100 Hz, 16-bit stereo, the driver taking frames from the stream buffer.
// Devices are opened by their "API: device" names. A machine without a
// usable device gives a message, never a crash or a hang.

#include <memory>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"

namespace vs {

class TRtAudioBackend : public TAudioBackend {
public:
  // callbackFrames: the frames the driver asks for per callback (RtAudio).
  explicit TRtAudioBackend(unsigned callbackFrames = 256) : CallbackFrames(callbackFrames) {}
  std::unique_ptr<TAudioDevice> OpenDevice(const std::string& name, std::string* error) override;
  std::vector<std::string> DeviceNames() override;

private:
  unsigned CallbackFrames;
};

}  // namespace vs
