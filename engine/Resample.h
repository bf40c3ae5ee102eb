#pragma once
// The rate converter for 16-bit stereo frames: sample-rate conversion of
// loaded files and the mixer's pitch and stretch engine.

#include <cstdint>

namespace vs {

// Writes count frames of a source of sourceLength frames stretched to
// destLength frames, starting at frame destStart of the stretched result.
// The position walks in 32.32 fixed point; with interpolation = 1 the scale is
// sourceLength - 1 and neighbouring frames are blended linearly, otherwise
// the nearest earlier frame is copied. Lengths below 1 give silence; positions
// never read outside the source.
void ResampleStereo16(const int16_t* source, int16_t* dest, int64_t sourceLength, int64_t count,
                      int64_t destStart, int64_t destLength, int interpolation);

}  // namespace vs
