#pragma once
// The bass synthesizer of the synthesizer channels: one monophonic voice of
// two oscillators, a resonant low-pass filter with its own envelope, an LFO
// and a distortion stage, played from the per-step arrays of its record.
//
// What the parameters mean here (ranges as the synthesizer page sets them;
// stored values outside them are clamped):
// - coarse -12..12 semitones, fine -128..128 (128 = one semitone);
// - pulse width 0..256: 0 is a square, 256 a 5% pulse;
// - sync: oscillator 2 restarts with oscillator 1;
// - shape 0 saw, 1 pulse, 2 triangle, 3 sine, 4 noise;
// - filter type 0 four-pole, 1 two-pole low-pass;
// - oscillator mix 0..256 (0 only oscillator 1, 256 only oscillator 2);
// - distortion type 0 soft, 1 hard, 2 fold; amount 0..128 (0 = off);
//   threshold 0..10 lowers the clip level;
// - cutoff 0..128 (40 Hz to about 15 kHz), resonance stored 0..128 (0 the
//   strongest), envelope amount 0..128 (up to five octaves);
// - LFO amount 0..256, speed 0..100 (0.1 to 18 Hz), target 0 pitch,
//   1 pulse width, 2 cutoff, 3 volume; shape 0 sine, 1 triangle, 2 square,
//   3 saw;
// - FM amount 0..256 (oscillator 1 bends oscillator 2), ring modulation
//   0..256;
// - attack 0..100 (of both envelopes), decay 0..100 (of the filter
//   envelope), release 0..100, sustain 0..100 (time the level takes to fall
//   to the sustain level while the gate is open; 0 holds full level),
//   sustain level 0..100.
// A step that is on starts a note at its pitch (note 60 sounds C two octaves
// below middle C); its gate closes after the record's gate length unless
// the step slides into a following step that is on: then the note is held
// and glides to the next pitch without a new attack.

#include <cstdint>
#include <string>

#include "model/MB404Params.h"

namespace vs {

constexpr int MB404Rate = 44100;

// The synthesizer's data folder (called once at start-up).
void PassPath(const char* folder);
const std::string& MB404Path();

// Fills buffer with exactly frames 16-bit mono frames of the channel's next
// sound. StepLength, StepPosition and GateLength must be set; slot 1 is the
// step sounding at the buffer's start. The voice keeps its state in the
// record's renderer area and sequence state; a cleared sequence (all zero)
// starts silent. Allocates nothing.
void Render404(int16_t* buffer, int frames, MB404Params* params);

}  // namespace vs
