#include "engine/Resample.h"

#include <cstring>

#include "engine/MixKernels.h"

namespace vs {

void ResampleStereo16(const int16_t* source, int16_t* dest, int64_t sourceLength, int64_t count,
                      int64_t destStart, int64_t destLength, int interpolation) {
  if (!dest || count <= 0) return;
  if (!source || sourceLength < 1 || destLength < 1 || destStart < 0) {
    std::memset(dest, 0, static_cast<size_t>(count) * 2 * sizeof(int16_t));
    return;
  }
  MixKernels().Resample16(StartResampleWalk(source, sourceLength, destStart, destLength, interpolation), dest, count);
}

}  // namespace vs
