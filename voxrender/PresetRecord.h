// The in-memory preset record that the reader fills and the renderer reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vs::vox {

// Byte sizes of the file's records.
inline constexpr int OscillatorBytes = 220;
inline constexpr int EnvelopeBytes = 22;
inline constexpr int OscillatorNameBytes = 200;

// Values of the filter type word.
inline constexpr int16_t FilterNone = 8787;
inline constexpr int16_t FilterPlain = 8788;
inline constexpr int16_t FilterExtraStage = 8789;

// Values of the stereo mode word.
inline constexpr int16_t StereoMono = 3097;
inline constexpr int16_t StereoAutoPan = 3098;
inline constexpr int16_t StereoChorus = 3101;
inline constexpr int16_t StereoShortDelay = 3100;
inline constexpr int16_t StereoLongDelay = 3102;
inline constexpr int16_t StereoFlanger = 3103;
inline constexpr int16_t StereoEcho = 3104;

// Oscillator types.
inline constexpr int16_t OscPulse = 0;
inline constexpr int16_t OscSaw = 1;
inline constexpr int16_t OscSine = 2;
inline constexpr int16_t OscNoise = 3;
inline constexpr int16_t OscFile = 4;

// One oscillator (the fourth is the LFO): 110 words in the file.
struct OscillatorRecord {
  int16_t LFODepth = 0;     // LFO depth on this oscillator's pitch
  int16_t Width = 50;       // pulse width / shape parameter
  int16_t Pitch = 0;        // cents; for the LFO its rate
  int16_t Level = 255;
  int16_t EnvDepth = 0;     // envelope 1 on the pitch (the LFO: on its rate)
  int16_t Off = 0;          // non-zero = off
  int16_t Option1 = 0;      // octave switch
  int16_t Option2 = 0;      // fifth switch
  int16_t Option3 = 0;      // detune / sample-and-hold switch
  int16_t Type = OscSaw;
  std::array<char, OscillatorNameBytes> Name{'N', 'A'};  // zero-terminated
};

// One envelope: five segments of a duration (ms) and an end level (low byte).
struct EnvelopeRecord {
  std::array<int16_t, 5> Duration{0, 400, 0, 0, 0};
  std::array<int16_t, 5> Level{255, 0, 0, 0, 0};
  int16_t UseEnvelope0 = 0;  // envelopes 1 and 2: non-zero = use envelope 0
};

struct PresetRecord {
  PresetRecord();

  std::array<OscillatorRecord, 4> Oscillators;  // 0..2 sound, 3 is the LFO
  std::array<EnvelopeRecord, 3> Envelopes;      // amplitude, pitch, filter
  int16_t Cutoff = 64;
  int16_t FilterEnvDepth = 64;
  int16_t Resonance = 0;
  int16_t LowHigh = -128;
  int16_t Band = -128;
  int16_t LFOCutoffDepth = 0;
  int16_t Drive = 0;
  int16_t Note = 12;
  int16_t FilterType = FilterPlain;
  int16_t Reserved = 1;
  int16_t StereoMode = StereoMono;
  int16_t Distortion = 0;
  int16_t HalfSpeed = 0;
  int16_t Normalise = 1;

  // Path of the file the record was read from: oscillator files that can't be
  // opened under their own name are looked for in its folder.
  std::string Path;
};

inline PresetRecord::PresetRecord() {
  for (int i = 1; i < 3; ++i) {
    Oscillators[i].Off = 1;
    Envelopes[i].UseEnvelope0 = 1;
  }
  Oscillators[3].Pitch = 12;
  Oscillators[3].Type = OscSine;
}

}  // namespace vs::vox
