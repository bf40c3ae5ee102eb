#include "voxrender/Filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vs::vox {

FilterUnit::FilterUnit(const FilterSettings& s)
    : BaseCutoff(std::clamp(s.Cutoff, 1, 255)),
      Damping(1.4 - std::clamp(s.Resonance, 0, 255) * 0.00546875),
      DriveGain(std::max(s.Drive, 0) / 32.0),
      Drive(s.Drive > 0) {
  WB = std::clamp(s.BandWeight, 0, 255) / 255.0;
  WL = (1.0 - WB) * std::clamp(s.LowWeight, 0, 255) / 255.0;
  WH = (1.0 - WB) * std::clamp(s.HighWeight, 0, 255) / 255.0;
  SetCutoff(BaseCutoff);
}

void FilterUnit::SetCutoff(int64_t cutoff) {
  F = static_cast<double>(std::clamp<int64_t>(cutoff, 1, 255)) / 255.0;
  F2 = F * F;
}

void FilterUnit::Modulate(int32_t m) { SetCutoff(int64_t{BaseCutoff} + 2 * int64_t{m}); }

uint16_t FilterUnit::Tick(uint16_t input) {
  double x = (static_cast<int32_t>(input) - Zero) / 32768.0;
  if (Drive) x += x * DriveGain;
  Low += F2 * Band;
  High = x - Low - Damping * Band;
  Band += F * High;
  double y = Band * WB + High * WH + Low * WL;
  if (!std::isfinite(y)) {  // cannot happen with the clamped settings; never let it stick
    Low = Band = High = 0.0;
    y = 0.0;
  }
  if (Drive) return ClampSignal(std::sin(y * std::numbers::pi / 2.0) * 32767.0 + 32768.0);
  return ClampSignal(y * 32767.0 + 32768.0);
}

uint16_t SmoothingStage::Tick(uint16_t input) {
  // Worked around zero and rounded, so that silence stays exactly silent.
  int64_t x = static_cast<int64_t>(input) - Zero;
  Y = (20480 * x + (65535 - 20480) * Y + 32768) >> 16;
  return ClampSignal(Y + Zero);
}

void Amplifier::Modulate(int32_t m) { Gain = std::max<int64_t>(2 * int64_t{m}, 0); }

uint16_t Amplifier::Tick(uint16_t input) {
  return ClampSignal(((static_cast<int64_t>(input) - Zero) * Gain >> 16) + Zero);
}

}  // namespace vs::vox
