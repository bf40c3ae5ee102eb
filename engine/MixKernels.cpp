#include "engine/MixKernels.h"

#include <atomic>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vs {

TResampleWalk StartResampleWalk(const int16_t* source, int64_t sourceLength, int64_t destStart,
                                int64_t destLength, int interpolation) {
  using u128 = unsigned __int128;
  TResampleWalk w;
  w.Source = source;
  w.Linear = interpolation == 1;
  w.Last = static_cast<uint64_t>(sourceLength - 1);
  const uint64_t scale = static_cast<uint64_t>(w.Linear ? sourceLength - 1 : sourceLength);
  const uint64_t len = static_cast<uint64_t>(destLength);
  w.StepInt = scale / len;
  w.StepFrac = static_cast<uint64_t>((u128(scale % len) << 32) / len);
  const u128 first = u128(static_cast<uint64_t>(destStart)) * scale;
  w.PosInt = static_cast<uint64_t>(first / len);
  w.PosFrac = static_cast<uint64_t>((u128(first % len) << 32) / len);
  return w;
}

TResampleWalk AdvanceResampleWalk(const TResampleWalk& walk, int64_t n) {
  using u128 = unsigned __int128;
  // The fraction carries into the integer part exactly as frame by frame.
  const u128 pos = ((u128(walk.PosInt) << 32) | walk.PosFrac) + u128(uint64_t(n)) * ((u128(walk.StepInt) << 32) | walk.StepFrac);
  TResampleWalk w = walk;
  w.PosInt = static_cast<uint64_t>(pos >> 32);
  w.PosFrac = static_cast<uint64_t>(pos) & 0xFFFFFFFFu;
  return w;
}

namespace {

// Walks count frames, handing each frame's left and right value to out.
template <class TOut>
inline void WalkFrames(const TResampleWalk& w, int64_t count, TOut out) {
  const int16_t* source = w.Source;
  const uint64_t last = w.Last;
  uint64_t posInt = w.PosInt, posFrac = w.PosFrac;
  for (int64_t i = 0; i < count; ++i) {
    const uint64_t at = posInt < last ? posInt : last;
    const int16_t* a = source + 2 * at;
    if (w.Linear) {
      const int16_t* b = at < last ? a + 2 : a;
      const int64_t f = static_cast<int64_t>(posFrac >> 16);
      out(i, static_cast<int32_t>(a[0] + (((int64_t(b[0]) - a[0]) * f) >> 16)),
          static_cast<int32_t>(a[1] + (((int64_t(b[1]) - a[1]) * f) >> 16)));
    } else {
      out(i, a[0], a[1]);
    }
    posFrac += w.StepFrac;
    posInt += w.StepInt + (posFrac >> 32);
    posFrac &= 0xFFFFFFFFu;
  }
}

void PlainMixStereo16(const int16_t* source, float* dest, int64_t count, float gainL, float gainR) {
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

void PlainMixStereo16Pair(const int16_t* a, const int16_t* b, float* dest, int64_t count, const float* gains) {
  int64_t i = 0;
#if defined(__SSE2__)
  const __m128 gainsA = _mm_setr_ps(gains[0], gains[1], gains[0], gains[1]);
  const __m128 gainsB = _mm_setr_ps(gains[2], gains[3], gains[2], gains[3]);
  for (; i + 4 <= count; i += 4) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 2 * i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 2 * i));
    float* d = dest + 2 * i;
    __m128 lo = _mm_add_ps(_mm_loadu_ps(d), _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16)), gainsA));
    __m128 hi = _mm_add_ps(_mm_loadu_ps(d + 4), _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16)), gainsA));
    lo = _mm_add_ps(lo, _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(y, y), 16)), gainsB));
    hi = _mm_add_ps(hi, _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(y, y), 16)), gainsB));
    _mm_storeu_ps(d, lo);
    _mm_storeu_ps(d + 4, hi);
  }
#endif
  for (; i < count; ++i)
    for (int side = 0; side < 2; ++side) {
      float& d = dest[2 * i + side];
      d += a[2 * i + side] * gains[side];
      d += b[2 * i + side] * gains[2 + side];
    }
}

void PlainMixResampled16(const TResampleWalk& walk, float* dest, int64_t count, float gainL, float gainR) {
  WalkFrames(walk, count, [dest, gainL, gainR](int64_t i, int32_t l, int32_t r) {
    dest[2 * i] += static_cast<float>(l) * gainL;
    dest[2 * i + 1] += static_cast<float>(r) * gainR;
  });
}

void PlainResample16(const TResampleWalk& walk, int16_t* dest, int64_t count) {
  WalkFrames(walk, count, [dest](int64_t i, int32_t l, int32_t r) {
    dest[2 * i] = static_cast<int16_t>(l);
    dest[2 * i + 1] = static_cast<int16_t>(r);
  });
}

inline int16_t ToInt16(float x) {
  if (x >= 32767.0f) return 32767;
  if (x >= -32768.0f) return static_cast<int16_t>(std::lrint(x));  // ties to even
  return std::isnan(x) ? 0 : -32768;
}

void PlainFloatToInt16(float* bus, int16_t* dest, int64_t frames, float gainL, float gainR) {
  int64_t i = 0;
#if defined(__SSE2__)
  // Two frames at a time: NaN to 0, clamp, round to nearest even (the
  // default rounding mode), pack.
  const __m128 gains = _mm_setr_ps(gainL, gainR, gainL, gainR);
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
    dest[2 * i] = ToInt16(bus[2 * i] * gainL);
    dest[2 * i + 1] = ToInt16(bus[2 * i + 1] * gainR);
    bus[2 * i] = 0.0f;
    bus[2 * i + 1] = 0.0f;
  }
}

void PlainAddAndClear(float* to, float* from, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    to[i] += from[i];
    from[i] = 0.0f;
  }
}

const TMixKernels Plain = {"plain",         PlainMixStereo16,  PlainMixStereo16Pair, PlainMixResampled16,
                           PlainResample16, PlainFloatToInt16, PlainAddAndClear};

const TMixKernels* KernelSet(TMixKernelSet set) {
  return set == TMixKernelSet::AVX2 ? AVX2MixKernels() : &Plain;
}

bool CpuHasAVX2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

std::atomic<const TMixKernels*>& Active() {
  static std::atomic<const TMixKernels*> active{KernelSet(BestMixKernelSet())};
  return active;
}

}  // namespace

const TMixKernels& PlainMixKernels() { return Plain; }

bool MixKernelSetSupported(TMixKernelSet set) {
  if (set == TMixKernelSet::Plain) return true;
  return AVX2MixKernels() != nullptr && CpuHasAVX2();
}

TMixKernelSet BestMixKernelSet() {
  return MixKernelSetSupported(TMixKernelSet::AVX2) ? TMixKernelSet::AVX2 : TMixKernelSet::Plain;
}

bool UseMixKernelSet(TMixKernelSet set) {
  if (!MixKernelSetSupported(set)) return false;
  Active().store(KernelSet(set), std::memory_order_relaxed);
  return true;
}

TMixKernelSet MixKernelSetInUse() {
  return Active().load(std::memory_order_relaxed) == &Plain ? TMixKernelSet::Plain : TMixKernelSet::AVX2;
}

const TMixKernels& MixKernels() { return *Active().load(std::memory_order_relaxed); }

}  // namespace vs
