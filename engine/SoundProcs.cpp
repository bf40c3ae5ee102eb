#include "engine/SoundProcs.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>

#include "engine/MixKernels.h"

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
  MixKernels().MixStereo16(source, dest, count, gainL, gainR);
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

void FloatToInt16(float* bus, int16_t* dest, int64_t byteCount, int masterVolume, bool surround) {
  const float gain = static_cast<float>(masterVolume) * 256.0f;
  if (byteCount >= 4) MixKernels().FloatToInt16(bus, dest, byteCount / 4, gain, surround ? -gain : gain);
}

namespace {

template <class T>
bool AllZeroValues(const T* values, int64_t count) {
  // Branch-free in runs of 64 so that the loop vectorises.
  int64_t i = 0;
  for (; i + 64 <= count; i += 64) {
    bool any = false;
    for (int k = 0; k < 64; ++k) any |= values[i + k] != T(0);
    if (any) return false;
  }
  for (; i < count; ++i)
    if (values[i] != T(0)) return false;
  return true;
}

}  // namespace

bool AllZero(const float* values, int64_t count) { return AllZeroValues(values, count); }
bool AllZero(const int16_t* values, int64_t count) { return AllZeroValues(values, count); }

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
