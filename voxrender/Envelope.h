// The five-segment envelope unit.
#pragma once

#include <array>
#include <cstdint>

#include "voxrender/PresetRecord.h"
#include "voxrender/Unit.h"

namespace vs::vox {

// Samples of a segment: trunc(duration * 44.1); negative durations count 0.
int64_t SegmentSamples(int16_t durationMs);

// Length of the sound that an amplitude envelope makes, in frames: up to
// and including the segment after the last one that ends above 0 (all five
// when none does), rounded as (total + 16) with the low four bits cleared.
int64_t EnvelopeLength(const EnvelopeRecord& env);

class EnvelopeUnit final : public Unit {
 public:
  explicit EnvelopeUnit(const EnvelopeRecord& env);

 protected:
  uint16_t Tick(uint16_t input) override;

 private:
  void EnterSegment(int segment);

  std::array<int64_t, 5> Samples{};
  std::array<int64_t, 5> Target{};  // 16.16 fixed point
  int Segment = 0;                  // 5 once the last segment is over
  int64_t Remaining = 0;
  int64_t Value = 0;                // 16.16 fixed point
  int64_t Increment = 0;
};

}  // namespace vs::vox
