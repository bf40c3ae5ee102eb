#pragma once
// The backends of the real devices: the sound card's output and input
// through RtAudio, the MIDI ports through RtMidi. The program itself takes
// them from a library of their own, loaded on first use, so that a run that
// never opens a device never loads the sound systems' libraries.

#include <memory>

#include "platform/AudioCapture.h"
#include "platform/AudioOutput.h"
#include "platform/MidiPorts.h"

namespace vs {

std::unique_ptr<TAudioBackend> MakeAudioBackend();
std::unique_ptr<TCaptureBackend> MakeCaptureBackend();
std::unique_ptr<TMidiBackend> MakeMidiBackend();

}  // namespace vs
