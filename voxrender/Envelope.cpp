#include "voxrender/Envelope.h"

#include <algorithm>

namespace vs::vox {

int64_t SegmentSamples(int16_t durationMs) {
  return durationMs > 0 ? int64_t{durationMs} * 441 / 10 : 0;
}

int64_t EnvelopeLength(const EnvelopeRecord& env) {
  int last = 4;  // no segment ends above 0: the whole envelope counts
  for (int i = 4; i >= 0; --i)
    if ((env.Level[i] & 0xFF) != 0) {
      last = i < 4 ? i + 1 : 4;
      break;
    }
  int64_t total = 0;
  for (int i = 0; i <= last; ++i) total += SegmentSamples(env.Duration[i]);
  total = std::min<int64_t>(total, 4294967040LL);
  return (total + 16) & ~int64_t{15};
}

EnvelopeUnit::EnvelopeUnit(const EnvelopeRecord& env) {
  for (int i = 0; i < 5; ++i) {
    Samples[i] = SegmentSamples(env.Duration[i]);
    Target[i] = int64_t{env.Level[i] & 0xFF} * 256 * 65536;
  }
  Value = 0;
  EnterSegment(0);
}

// Starts a segment at the level where the one before it ended; empty
// segments are passed at once.
void EnvelopeUnit::EnterSegment(int segment) {
  Segment = segment;
  while (Segment < 5 && Samples[Segment] == 0) {
    Value = Target[Segment];
    ++Segment;
  }
  if (Segment < 5) {
    Remaining = Samples[Segment];
    Increment = (Target[Segment] - Value) / Remaining;
  } else {
    Increment = 0;
  }
}

uint16_t EnvelopeUnit::Tick(uint16_t) {
  uint64_t level = static_cast<uint64_t>(std::clamp<int64_t>(Value >> 16, 0, 65535));
  uint16_t out = static_cast<uint16_t>((level * level) >> 16);
  if (Segment < 5) {
    Value += Increment;
    if (--Remaining == 0) {
      Value = Target[Segment];
      EnterSegment(Segment + 1);
    }
  }
  return out;
}

}  // namespace vs::vox
