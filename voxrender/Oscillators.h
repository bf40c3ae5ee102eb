// Sound sources of the preset synthesizer: table oscillators (wave shapes and
// harmonic files), the LFO and the noise unit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "voxrender/Unit.h"

namespace vs::vox {

inline constexpr int WaveTableSize = 4096;
using WaveTable = std::array<uint16_t, WaveTableSize>;

// Table of shape 0 pulse, 1 saw, 2 sine/triangle, 3 noise (from random);
// other shapes give a silent table. width is 0..100.
WaveTable MakeShapeTable(int shape, int width, Random15& random);
// Table summed from 16 harmonic levels (level n weights the n-th harmonic).
WaveTable MakeHarmonicTable(const std::array<uint16_t, 16>& levels);
// The octave switch (average with the table played twice as fast) and the
// fifth switch (three times as fast).
void ApplyOctaveAndFifth(WaveTable& table, bool octave, bool fifth);

// Harmonic levels of an ".OSC" file: 36 bytes that begin with "OSC", levels
// at bytes 4..35. A missing or malformed file gives 1, 0, 0, ...
std::array<uint16_t, 16> ReadHarmonicFile(const std::string& path);

// A table read by a 16-bit phase, optionally with a second phase 20 cents
// higher (detune). The pitch is modulated around the base pitch.
class TableOscillator final : public Unit {
 public:
  TableOscillator(const WaveTable& table, int32_t pitch, bool detune);

 protected:
  uint16_t Tick(uint16_t input) override;
  void Modulate(int32_t m) override;

 private:
  void SetPitch(int32_t pitch);

  WaveTable Table;
  int32_t BasePitch;
  bool Detune;
  uint16_t Phase = 0, Phase2 = 0;
  uint16_t Increment = 0, Increment2 = 0;
};

// The low-frequency oscillator: a shape table stepped at a rate.
class LFOUnit final : public Unit {
 public:
  LFOUnit(const WaveTable& table, int32_t rate);

 protected:
  uint16_t Tick(uint16_t input) override;
  void Modulate(int32_t m) override;

 private:
  WaveTable Table;
  int32_t Rate;
  uint32_t Increment = 0;
  uint16_t Phase = 0;
};

// Random values every N samples (N from the pitch's period), held or joined
// by straight lines.
class NoiseUnit final : public Unit {
 public:
  // option1/option2 each halve N once more; hold = sample and hold.
  NoiseUnit(Random15& random, int32_t pitch, bool option1, bool option2, bool hold);

 protected:
  uint16_t Tick(uint16_t input) override;
  void Modulate(int32_t m) override;

 private:
  uint32_t SpanOf(int32_t pitch) const;

  Random15& Random;
  int32_t BasePitch;
  int Shift;
  bool Hold;
  uint32_t Span;         // N in effect for the current value
  uint32_t NextSpan;     // N to use from the next value on
  uint32_t Position = 0;
  int32_t Previous = Zero, Current = Zero;
  bool Started = false;
};

}  // namespace vs::vox
