#include "platform/DeviceBackends.h"

#include "platform/RtAudioCapture.h"
#include "platform/RtAudioOutput.h"
#include "platform/RtMidiPorts.h"

namespace vs {

std::unique_ptr<TAudioBackend> MakeAudioBackend() { return std::make_unique<TRtAudioBackend>(); }
std::unique_ptr<TCaptureBackend> MakeCaptureBackend() { return std::make_unique<TRtAudioCaptureBackend>(); }
std::unique_ptr<TMidiBackend> MakeMidiBackend() { return std::make_unique<TRtMidiBackend>(); }

}  // namespace vs
