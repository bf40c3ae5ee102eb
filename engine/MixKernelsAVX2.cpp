// The mix loops for processors with AVX2. Every function here is compiled
// for AVX2 by its own attribute (the rest of the program stays plain x86-64)
// and is only called after the processor was asked. The arithmetic is the
// plain set's, operation for operation: multiplies and adds stay separate,
// the interpolation is the same integer formula, the rounding the same.

#include "engine/MixKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define VS_AVX2 __attribute__((target("avx2")))

namespace vs {

namespace {

VS_AVX2 inline __m256 StereoGains(float gainL, float gainR) {
  return _mm256_setr_ps(gainL, gainR, gainL, gainR, gainL, gainR, gainL, gainR);
}

VS_AVX2 void AVX2MixStereo16(const int16_t* source, float* dest, int64_t count, float gainL, float gainR) {
  const __m256 gains = StereoGains(gainL, gainR);
  int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i* s = reinterpret_cast<const __m128i*>(source + 2 * i);
    const __m256 lo = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(s)));
    const __m256 hi = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(s + 1)));
    float* d = dest + 2 * i;
    _mm256_storeu_ps(d, _mm256_add_ps(_mm256_loadu_ps(d), _mm256_mul_ps(lo, gains)));
    _mm256_storeu_ps(d + 8, _mm256_add_ps(_mm256_loadu_ps(d + 8), _mm256_mul_ps(hi, gains)));
  }
  for (; i < count; ++i) {
    dest[2 * i] += source[2 * i] * gainL;
    dest[2 * i + 1] += source[2 * i + 1] * gainR;
  }
}

VS_AVX2 inline __m256 Frames4(const int16_t* source) {
  return _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source))));
}

VS_AVX2 void AVX2MixStereo16Pair(const int16_t* a, const int16_t* b, float* dest, int64_t count, const float* gains) {
  const __m256 gainsA = StereoGains(gains[0], gains[1]);
  const __m256 gainsB = StereoGains(gains[2], gains[3]);
  int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    float* d = dest + 2 * i;
    __m256 lo = _mm256_add_ps(_mm256_loadu_ps(d), _mm256_mul_ps(Frames4(a + 2 * i), gainsA));
    __m256 hi = _mm256_add_ps(_mm256_loadu_ps(d + 8), _mm256_mul_ps(Frames4(a + 2 * i + 8), gainsA));
    lo = _mm256_add_ps(lo, _mm256_mul_ps(Frames4(b + 2 * i), gainsB));
    hi = _mm256_add_ps(hi, _mm256_mul_ps(Frames4(b + 2 * i + 8), gainsB));
    _mm256_storeu_ps(d, lo);
    _mm256_storeu_ps(d + 8, hi);
  }
  if (i < count) PlainMixKernels().MixStereo16Pair(a + 2 * i, b + 2 * i, dest + 2 * i, count - i, gains);
}

// How many frames from the start of the walk read whole frames below limit
// (the last frame for blending, one past it for nearest frames): those the
// vector loops take, knowing that both neighbours lie in the source.
inline int64_t FramesBelow(const TResampleWalk& w, uint64_t limit, int64_t count) {
  if (w.PosInt >= limit) return 0;
  const uint64_t pos = (w.PosInt << 32) | w.PosFrac;
  const uint64_t step = (w.StepInt << 32) | w.StepFrac;
  if (step == 0) return count;
  const uint64_t n = ((limit << 32) - pos + step - 1) / step;
  return n < uint64_t(count) ? int64_t(n) : count;
}

// a + ((b - a) * f shr 16) for the four frames of a and b (left, right
// each), with f the upper 16 bits of each position's fraction: computed as
// (a shl 16 + (b - a) * f) shr 16, whose sum always fits 32 bits, so that
// the wrapping products give it exactly.
VS_AVX2 inline __m256i Blend(__m256i a, __m256i b, __m256i positions) {
  const __m256i f = _mm256_srli_epi32(_mm256_shuffle_epi32(positions, _MM_SHUFFLE(2, 2, 0, 0)), 16);
  return _mm256_srai_epi32(_mm256_add_epi32(_mm256_slli_epi32(a, 16), _mm256_mullo_epi32(_mm256_sub_epi32(b, a), f)),
                           16);
}

// Runs the walk four frames at a time while whole frames lie below the
// limit; emit(i, v) takes the eight 32-bit values (left, right of four
// frames) of frames i..i+3. Returns the frames done.
template <class TEmit>
VS_AVX2 inline int64_t WalkVector(const TResampleWalk& w, int64_t count, TEmit emit) {
  // Steps below two frames: the four frames and their neighbours lie in the
  // eight source frames from the first one's, read in one load and picked
  // out by index. Larger steps gather each frame.
  const bool window = w.StepInt <= 1 && w.Last >= 7;
  const uint64_t limit = window ? w.Last - 6 : w.Linear ? w.Last : w.Last + 1;
  const int64_t n = FramesBelow(w, limit, count) & ~int64_t(3);
  if (n == 0) return 0;
  const uint64_t step = (w.StepInt << 32) | w.StepFrac;
  uint64_t pos = (w.PosInt << 32) | w.PosFrac;
  __m256i p = _mm256_setr_epi64x(int64_t(pos), int64_t(pos + step), int64_t(pos + 2 * step),
                                 int64_t(pos + 3 * step));
  const __m256i step4 = _mm256_set1_epi64x(int64_t(4 * step));
  const __m256i upper = _mm256_setr_epi32(1, 3, 5, 7, 1, 3, 5, 7);
  const __m256i one = _mm256_set1_epi32(1);
  const int* frames = reinterpret_cast<const int*>(w.Source);
  for (int64_t i = 0; i < n; i += 4) {
    const __m256i at = _mm256_permutevar8x32_epi32(p, upper);
    __m256i a, b;
    if (window) {
      const int32_t first = static_cast<int32_t>(pos >> 32);
      const __m256i frames8 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(frames + first));
      const __m256i rel = _mm256_sub_epi32(at, _mm256_set1_epi32(first));
      a = _mm256_permutevar8x32_epi32(frames8, rel);
      if (w.Linear) b = _mm256_permutevar8x32_epi32(frames8, _mm256_add_epi32(rel, one));
    } else {
      a = _mm256_castsi128_si256(_mm_i32gather_epi32(frames, _mm256_castsi256_si128(at), 4));
      if (w.Linear) b = _mm256_castsi128_si256(_mm_i32gather_epi32(frames + 1, _mm256_castsi256_si128(at), 4));
    }
    a = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(a));
    emit(i, w.Linear ? Blend(a, _mm256_cvtepi16_epi32(_mm256_castsi256_si128(b)), p) : a);
    p = _mm256_add_epi64(p, step4);
    pos += 4 * step;
  }
  return n;
}

VS_AVX2 void AVX2MixResampled16(const TResampleWalk& walk, float* dest, int64_t count, float gainL, float gainR) {
  const __m256 gains = StereoGains(gainL, gainR);
  const int64_t done = WalkVector(walk, count, [dest, gains](int64_t i, __m256i v) VS_AVX2 {
    float* d = dest + 2 * i;
    _mm256_storeu_ps(d, _mm256_add_ps(_mm256_loadu_ps(d), _mm256_mul_ps(_mm256_cvtepi32_ps(v), gains)));
  });
  if (done < count) PlainMixKernels().MixResampled16(AdvanceResampleWalk(walk, done), dest + 2 * done, count - done, gainL, gainR);
}

VS_AVX2 void AVX2Resample16(const TResampleWalk& walk, int16_t* dest, int64_t count) {
  const int64_t done = WalkVector(walk, count, [dest](int64_t i, __m256i v) VS_AVX2 {
    const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 2 * i), packed);
  });
  if (done < count) PlainMixKernels().Resample16(AdvanceResampleWalk(walk, done), dest + 2 * done, count - done);
}

VS_AVX2 void AVX2FloatToInt16(float* bus, int16_t* dest, int64_t frames, float gainL, float gainR) {
  const __m256 gains = StereoGains(gainL, gainR);
  const __m256 low = _mm256_set1_ps(-32768.0f), high = _mm256_set1_ps(32767.0f);
  int64_t i = 0;
  for (; i + 4 <= frames; i += 4) {
    __m256 v = _mm256_mul_ps(_mm256_loadu_ps(bus + 2 * i), gains);
    v = _mm256_and_ps(v, _mm256_cmp_ps(v, v, _CMP_ORD_Q));
    v = _mm256_min_ps(_mm256_max_ps(v, low), high);
    const __m256i n = _mm256_cvtps_epi32(v);
    const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(n), _mm256_extracti128_si256(n, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 2 * i), packed);
    _mm256_storeu_ps(bus + 2 * i, _mm256_setzero_ps());
  }
  if (i < frames) PlainMixKernels().FloatToInt16(bus + 2 * i, dest + 2 * i, frames - i, gainL, gainR);
}

VS_AVX2 void AVX2AddAndClear(float* to, float* from, int64_t count) {
  int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    _mm256_storeu_ps(to + i, _mm256_add_ps(_mm256_loadu_ps(to + i), _mm256_loadu_ps(from + i)));
    _mm256_storeu_ps(from + i, _mm256_setzero_ps());
  }
  for (; i < count; ++i) {
    to[i] += from[i];
    from[i] = 0.0f;
  }
}

const TMixKernels AVX2 = {"avx2",         AVX2MixStereo16,  AVX2MixStereo16Pair, AVX2MixResampled16,
                          AVX2Resample16, AVX2FloatToInt16, AVX2AddAndClear};

}  // namespace

const TMixKernels* AVX2MixKernels() { return &AVX2; }

}  // namespace vs

#else

namespace vs {

const TMixKernels* AVX2MixKernels() { return nullptr; }

}  // namespace vs

#endif
