#include "engine/Resample.h"

#include <cstring>

namespace vs {

void ResampleStereo16(const int16_t* source, int16_t* dest, int64_t sourceLength, int64_t count,
                      int64_t destStart, int64_t destLength, int interpolation) {
  if (!dest || count <= 0) return;
  if (!source || sourceLength < 1 || destLength < 1 || destStart < 0) {
    std::memset(dest, 0, static_cast<size_t>(count) * 2 * sizeof(int16_t));
    return;
  }
  using u128 = unsigned __int128;
  const bool linear = interpolation == 1;
  const uint64_t scale = static_cast<uint64_t>(linear ? sourceLength - 1 : sourceLength);
  const uint64_t len = static_cast<uint64_t>(destLength);
  // Step and first position as 32.32 fixed point, both from exact division.
  const uint64_t stepInt = scale / len;
  const uint64_t stepFrac = static_cast<uint64_t>((u128(scale % len) << 32) / len);
  const u128 first = u128(static_cast<uint64_t>(destStart)) * scale;
  uint64_t posInt = static_cast<uint64_t>(first / len);
  uint64_t posFrac = static_cast<uint64_t>((u128(first % len) << 32) / len);
  const uint64_t last = static_cast<uint64_t>(sourceLength - 1);

  for (int64_t i = 0; i < count; ++i) {
    const uint64_t at = posInt < last ? posInt : last;
    const int16_t* a = source + 2 * at;
    if (linear) {
      const int16_t* b = at < last ? a + 2 : a;
      const int64_t f = static_cast<int64_t>(posFrac >> 16);
      dest[2 * i] = static_cast<int16_t>(a[0] + (((int64_t(b[0]) - a[0]) * f) >> 16));
      dest[2 * i + 1] = static_cast<int16_t>(a[1] + (((int64_t(b[1]) - a[1]) * f) >> 16));
    } else {
      dest[2 * i] = a[0];
      dest[2 * i + 1] = a[1];
    }
    posFrac += stepFrac;
    posInt += stepInt + (posFrac >> 32);
    posFrac &= 0xFFFFFFFFu;
  }
}

}  // namespace vs
