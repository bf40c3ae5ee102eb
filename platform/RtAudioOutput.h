#pragma once
// The sound card through RtAudio (ALSA, PulseAudio or JACK, whichever the
// machine has): 44100 Hz, 16-bit stereo, the callback taking frames from the
// stream buffer. A machine without a usable device gives a message, never a
// crash or a hang.

#include <memory>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"

namespace vs {

class TRtAudioBackend : public TAudioBackend {
public:
  // callbackFrames: the frames the driver asks for per callback.
  explicit TRtAudioBackend(unsigned callbackFrames = 256) : CallbackFrames(callbackFrames) {}
  std::unique_ptr<TAudioDevice> OpenDevice(const std::string& name, std::string* error) override;
  std::vector<std::string> DeviceNames() override;

private:
  unsigned CallbackFrames;
};

}  // namespace vs
