#pragma once
// Synthesizes the sounds of the default drum kit. Every sound is made here,
// from oscillators, noise and envelopes; nothing is read from outside.

#include <cstdint>
#include <string>
#include <vector>

namespace vs::datagen {

struct DrumSound {
  std::string FileName;             // e.g. "Kick.wav"
  std::string Name;                 // channel name in the default song
  std::vector<int16_t> Frames;      // 16-bit stereo interleaved, 44100 Hz
};

// The kit, in channel order: kick, snare, clap, closed hat, open hat,
// low tom, rim, crash.
std::vector<DrumSound> SynthesizeBasicKit();

// The default style's start sound ("StartSnd.WAV"): a short rising chime of
// bell tones, under a second long.
std::vector<int16_t> SynthesizeStartSound();

}  // namespace vs::datagen
