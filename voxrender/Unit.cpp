#include "voxrender/Unit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vs::vox {
namespace {

constexpr double Semitone0 = 65.40639132514966;  // Hz at index 2400

struct PitchTables {
  std::array<uint16_t, MaxPitch + 1> Increment{};
  std::array<uint32_t, MaxPitch + 1> Period{};

  PitchTables() {
    for (int32_t p = 0; p <= MaxPitch; ++p) {
      double f = PitchFrequency(p);
      double inc = std::round(65536.0 * f / SampleRate);
      Increment[p] = static_cast<uint16_t>(std::clamp(inc, 1.0, 65535.0));
      double period = std::round(SampleRate / f);
      Period[p] = static_cast<uint32_t>(std::max(period, 1.0));
    }
  }
};

const PitchTables& Tables() {
  static const PitchTables tables;
  return tables;
}

}  // namespace

int32_t ClampPitch(int64_t pitch) {
  return static_cast<int32_t>(std::clamp<int64_t>(pitch, MinPitch, MaxPitch));
}

double PitchFrequency(int32_t pitch) {
  return Semitone0 * std::exp2((pitch - 2400) / 1200.0);
}

uint32_t PitchIncrement(int32_t pitch) { return Tables().Increment[ClampPitch(pitch)]; }

uint32_t PitchPeriod(int32_t pitch) { return Tables().Period[ClampPitch(pitch)]; }

uint16_t ClampSignal(int64_t value) {
  return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 65535));
}

uint16_t ClampSignal(double value) {
  if (!(value > 0.0)) return 0;  // also NaN
  if (value >= 65535.0) return 65535;
  return static_cast<uint16_t>(value);
}

uint16_t Unit::Step(uint16_t input) {
  if (!Links.empty()) {
    // 64-bit and signed, so that negative or large depths neither wrap nor
    // overflow.
    int64_t sum = 0;
    for (const Link& link : Links) sum += int64_t{link.Source->LastOutput()} * link.Depth;
    int64_t m = sum >> 16;
    Modulate(static_cast<int32_t>(std::clamp<int64_t>(m, INT32_MIN, INT32_MAX)));
  }
  Last = Tick(input);
  return Last;
}

bool Unit::AddLink(const Unit* source, int32_t depth) {
  if (!source || Links.size() >= MaxLinks) return false;
  Links.push_back({source, depth});
  return true;
}

}  // namespace vs::vox
