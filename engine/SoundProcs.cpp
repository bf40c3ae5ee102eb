#include "engine/SoundProcs.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vs {

void ClearFilterState(TMixFilter& filter) {
  filter.PosL = filter.PosR = filter.VelL = filter.VelR = 0;
}

namespace {

// The single-precision number one unit in the last place above 2^-24.
const long double SettleUnit = static_cast<long double>(std::nextafter(0x1p-24f, 1.0f));

inline long double Settle(long double s) { return std::nearbyint(s * 16777215.0L) * SettleUnit; }

}  // namespace

void SettleFilterState(TMixFilter& filter) {
  filter.PosL = Settle(filter.PosL);
  filter.PosR = Settle(filter.PosR);
  filter.VelL = Settle(filter.VelL);
  filter.VelR = Settle(filter.VelR);
  std::feclearexcept(FE_ALL_EXCEPT);
}

void MixStereo16(const int16_t* source, float* dest, int64_t count, float gainL, float gainR) {
  int64_t i = 0;
#if defined(__SSE2__)
  // Four frames at a time; the same products and sums as the plain loop.
  const __m128 gains = _mm_setr_ps(gainL, gainR, gainL, gainR);
  for (; i + 4 <= count; i += 4) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * i));
    const __m128 lo = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16));
    const __m128 hi = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16));
    float* d = dest + 2 * i;
    _mm_storeu_ps(d, _mm_add_ps(_mm_loadu_ps(d), _mm_mul_ps(lo, gains)));
    _mm_storeu_ps(d + 4, _mm_add_ps(_mm_loadu_ps(d + 4), _mm_mul_ps(hi, gains)));
  }
#endif
  for (; i < count; ++i) {
    dest[2 * i] += source[2 * i] * gainL;
    dest[2 * i + 1] += source[2 * i + 1] * gainR;
  }
}

namespace {

// The resonant low-pass over count stereo frames, both sides with the same
// coefficients: in(k) gives value k (2 * frame + side) as it enters, out(k, y)
// takes the filter's output for it.
template <class TIn, class TOut>
inline void RunFilter(TMixFilter& filter, int64_t count, TIn in, TOut out) {
  const long double cutoff = filter.Cutoff;
  const long double reso = filter.Reso;
  long double qL = filter.PosL, qR = filter.PosR, vL = filter.VelL, vR = filter.VelR;
  for (int64_t i = 0; i < count; ++i) {
    vL += (in(2 * i) - qL) * cutoff;
    qL += vL;
    out(2 * i, qL);
    vL *= reso;
    vR += (in(2 * i + 1) - qR) * cutoff;
    qR += vR;
    out(2 * i + 1, qR);
    vR *= reso;
  }
  filter.PosL = qL;
  filter.PosR = qR;
  filter.VelL = vL;
  filter.VelR = vR;
}

}  // namespace

void MixStereo16Filtered(const int16_t* source, float* dest, int64_t count, float gainL, float gainR,
                         TMixFilter& filter) {
  RunFilter(
      filter, count, [source](int64_t k) { return static_cast<long double>(source[k]); },
      [dest, gainL, gainR](int64_t k, long double y) { dest[k] += static_cast<float>(y * ((k & 1) ? gainR : gainL)); });
}

void MixMono16ToStereo(const int16_t* source, float* dest, int64_t count, float gainL, float gainR) {
  for (int64_t i = 0; i < count; ++i) {
    const float x = source[i];
    dest[2 * i] += x * gainL;
    dest[2 * i + 1] += x * gainR;
  }
}

void MixMono16(const int16_t* source, float* dest, int64_t count, float gain) {
  for (int64_t i = 0; i < count; ++i) dest[i] += source[i] * gain;
}

void FilterStereoFloat(float* frames, int64_t count, TMixFilter& filter) {
  RunFilter(
      filter, count, [frames](int64_t k) { return static_cast<long double>(frames[k]); },
      [frames](int64_t k, long double y) { frames[k] = static_cast<float>(y); });
}

namespace {

inline int16_t ToInt16(float x) {
  if (x >= 32767.0f) return 32767;
  if (x >= -32768.0f) return static_cast<int16_t>(std::lrint(x));  // ties to even
  return std::isnan(x) ? 0 : -32768;
}

}  // namespace

void FloatToInt16(float* bus, int16_t* dest, int64_t byteCount, int masterVolume, bool surround) {
  const int64_t frames = byteCount / 4;
  const float gain = static_cast<float>(masterVolume) * 256.0f;
  const float gainR = surround ? -gain : gain;
  int64_t i = 0;
#if defined(__SSE2__)
  // Two frames at a time: NaN to 0, clamp, round to nearest even (the
  // default rounding mode), pack.
  const __m128 gains = _mm_setr_ps(gain, gainR, gain, gainR);
  const __m128 low = _mm_set1_ps(-32768.0f), high = _mm_set1_ps(32767.0f);
  for (; i + 2 <= frames; i += 2) {
    __m128 v = _mm_mul_ps(_mm_loadu_ps(bus + 2 * i), gains);
    v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
    v = _mm_min_ps(_mm_max_ps(v, low), high);
    const __m128i n = _mm_cvtps_epi32(v);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dest + 2 * i), _mm_packs_epi32(n, n));
    _mm_storeu_ps(bus + 2 * i, _mm_setzero_ps());
  }
#endif
  for (; i < frames; ++i) {
    dest[2 * i] = ToInt16(bus[2 * i] * gain);
    dest[2 * i + 1] = ToInt16(bus[2 * i + 1] * gainR);
    bus[2 * i] = 0.0f;
    bus[2 * i + 1] = 0.0f;
  }
}

void GetPeaks16(const int16_t* frames, int64_t count, int& left, int& right) {
  int l = 0, r = 0;
  for (int64_t i = 0; i < count; ++i) {
    l = std::max(l, std::abs(int(frames[2 * i])));
    r = std::max(r, std::abs(int(frames[2 * i + 1])));
  }
  left = l;
  right = r;
}

void PanGains(int pan, double gain, float& left, float& right) {
  const double angle = std::clamp(pan, 0, 127) * std::numbers::pi / 254.0;
  left = static_cast<float>(std::cos(angle) * gain);
  right = static_cast<float>(std::sin(angle) * gain);
}

int32_t PitchedLength(int64_t length, int cents) {
  constexpr int64_t Max = std::numeric_limits<int32_t>::max();
  if (cents == 0) return static_cast<int32_t>(std::clamp<int64_t>(length, 0, Max));
  const double v = std::nearbyint(static_cast<double>(length) / std::exp2(cents / 1200.0));
  if (!(v >= 0)) return 0;
  if (v >= static_cast<double>(Max)) return static_cast<int32_t>(Max);
  return static_cast<int32_t>(v);
}

float StepResonance(int reso) {
  if (reso == 0) return 0.0f;
  return static_cast<float>(std::cos((128 - reso) * std::numbers::pi / 256.0));
}

float StepCutoff(int cutoff) {
  if (cutoff == 0) return 1.0f;
  return static_cast<float>(1.0 - std::cos((128 - cutoff) * std::numbers::pi / 256.0));
}

}  // namespace vs
