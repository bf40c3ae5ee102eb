// Processors of the preset synthesizer: the state-variable filter with its
// drive, the smoothing stage after it and the final amplifier.
#pragma once

#include <cstdint>

#include "voxrender/Unit.h"

namespace vs::vox {

struct FilterSettings {
  int32_t Cutoff = 64;     // 1..255
  int32_t Resonance = 0;   // 0..255
  int32_t LowWeight = 255; // 0..255 each
  int32_t BandWeight = 0;
  int32_t HighWeight = 0;
  int32_t Drive = 0;       // 0 = off
};

class FilterUnit final : public Unit {
 public:
  explicit FilterUnit(const FilterSettings& settings);

 protected:
  uint16_t Tick(uint16_t input) override;
  // cutoff := base cutoff + 2 m, clamped to 1..255.
  void Modulate(int32_t m) override;

 private:
  void SetCutoff(int64_t cutoff);

  int32_t BaseCutoff;
  double F = 0.0, F2 = 0.0;
  double Damping;
  double WB, WL, WH;
  double DriveGain;
  bool Drive;
  double Low = 0.0, Band = 0.0, High = 0.0;
};

// One-pole smoother: y := (20480 x + 45055 y) >> 16, starting at zero.
class SmoothingStage final : public Unit {
 protected:
  uint16_t Tick(uint16_t input) override;

 private:
  int64_t Y = 0;  // relative to zero
};

// Scales the signal around zero by a gain (65536 = unity). With a link the
// gain follows the modulation (gain := 2 m), so that an envelope at 0 gives
// silence and at its peak (65025 -> m = 32511) a gain of 65022, just below
// the unmodulated gain of 65024.
class Amplifier final : public Unit {
 public:
  explicit Amplifier(int32_t gain) : Gain(gain) {}

 protected:
  uint16_t Tick(uint16_t input) override;
  void Modulate(int32_t m) override;

 private:
  int64_t Gain;
};

}  // namespace vs::vox
