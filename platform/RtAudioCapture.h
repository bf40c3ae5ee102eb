#pragma once
// The sound card's input through RtAudio (ALSA, PulseAudio or JACK): the
// default input device at 44100 Hz, 16-bit stereo, the callback handing the
// frames to the capture buffer. A machine without an input device gives a
// message, never a crash or a hang.

#include <memory>
#include <string>

#include "platform/AudioCapture.h"

namespace vs {

class TRtAudioCaptureBackend : public TCaptureBackend {
public:
  explicit TRtAudioCaptureBackend(unsigned callbackFrames = 512) : CallbackFrames(callbackFrames) {}
  std::unique_ptr<TCaptureDevice> OpenDefaultCapture(std::string* error) override;

private:
  unsigned CallbackFrames;
};

}  // namespace vs
