// The exports of the device library (DeviceLibrary.h).

#include "app/DeviceLibrary.h"
#include "platform/RtAudioCapture.h"
#include "platform/RtAudioOutput.h"
#include "platform/RtMidiPorts.h"

#define VS_EXPORT extern "C" __attribute__((visibility("default")))

VS_EXPORT vs::TAudioBackend* VorbelStepsAudioBackend() { return new vs::TRtAudioBackend(); }
VS_EXPORT vs::TCaptureBackend* VorbelStepsCaptureBackend() { return new vs::TRtAudioCaptureBackend(); }
VS_EXPORT vs::TMidiBackend* VorbelStepsMidiBackend() { return new vs::TRtMidiBackend(); }
