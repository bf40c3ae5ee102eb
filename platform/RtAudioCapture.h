#pragma once
// The machine's sound input devices (platform/AudioDevices.h), the same way
// as the output: a JACK client's ports through JACK itself, PulseAudio and
// ALSA through RtAudio; 44100 Hz, 16-bit stereo, the driver handing the
// frames to the capture buffer. A machine without an input device gives a
// message, never a crash or a hang.

#include <memory>
#include <string>

#include "platform/AudioCapture.h"

namespace vs {

class TRtAudioCaptureBackend : public TCaptureBackend {
public:
  explicit TRtAudioCaptureBackend(unsigned callbackFrames = 512) : CallbackFrames(callbackFrames) {}
  std::unique_ptr<TCaptureDevice> OpenDefaultCapture(std::string* error) override { return OpenDevice("", error); }
  std::unique_ptr<TCaptureDevice> OpenDevice(const std::string& name, std::string* error) override;
  std::vector<std::string> DeviceNames() override;

private:
  unsigned CallbackFrames;
};

}  // namespace vs
