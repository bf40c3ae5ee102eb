#pragma once
// The library of the real device backends (RtAudio output and input, RtMidi
// ports), which the program loads from its own folder when a device is
// first asked for: its file name and the exports that make each backend
// (each returns a new backend the caller owns).

#define VS_DEVICE_LIBRARY "libVorbelStepsDevices.so"
#define VS_MAKE_AUDIO_BACKEND "VorbelStepsAudioBackend"
#define VS_MAKE_CAPTURE_BACKEND "VorbelStepsCaptureBackend"
#define VS_MAKE_MIDI_BACKEND "VorbelStepsMidiBackend"
