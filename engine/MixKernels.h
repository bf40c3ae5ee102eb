#pragma once
// The inner loops of the mix, in two sets: the plain one that every x86-64
// (or any other) processor runs, and one for processors with AVX2, chosen
// once when the program starts. Both sets do the same arithmetic in the same
// order (no fused multiply-add, the same integer interpolation, the same
// rounding), so that they give the same bus values and the same 16-bit
// output; the choice only changes the speed.

#include <cstdint>

namespace vs {

// The rate converter's walk through a source: positions in 32.32 fixed point
// from exact integer division. With Linear the scale is sourceLength - 1 and
// neighbouring frames are blended (a + ((b - a) * f shr 16), f the upper 16
// bits of the fraction); otherwise the nearest earlier frame is taken.
// Positions past the last frame read the last frame.
struct TResampleWalk {
  const int16_t* Source = nullptr;  // 16-bit stereo frames
  uint64_t Last = 0;                // index of the last source frame
  uint64_t PosInt = 0, PosFrac = 0;
  uint64_t StepInt = 0, StepFrac = 0;
  bool Linear = true;
};

// The walk for destination frame destStart of a source of sourceLength
// frames stretched to destLength frames. sourceLength, destLength >= 1 and
// destStart >= 0.
TResampleWalk StartResampleWalk(const int16_t* source, int64_t sourceLength, int64_t destStart,
                                int64_t destLength, int interpolation);

// The walk moved on by n frames: where it is after n frames of a run.
TResampleWalk AdvanceResampleWalk(const TResampleWalk& walk, int64_t n);

struct TMixKernels {
  const char* Name;
  // L += l * gainL, R += r * gainR for count 16-bit stereo frames.
  void (*MixStereo16)(const int16_t* source, float* dest, int64_t count, float gainL, float gainR);
  // Two voices of frames over the same bus frames: first a's, then b's, as
  // two MixStereo16 calls would add them.
  void (*MixStereo16Pair)(const int16_t* a, const int16_t* b, float* dest, int64_t count, const float* gains);
  // The same for count frames of a walk, interpolated straight into the bus:
  // the same values as Resample followed by MixStereo16.
  void (*MixResampled16)(const TResampleWalk& walk, float* dest, int64_t count, float gainL, float gainR);
  // count frames of a walk as 16-bit stereo frames.
  void (*Resample16)(const TResampleWalk& walk, int16_t* dest, int64_t count);
  // frames stereo bus frames to 16-bit: each value times its side's gain,
  // NaN to 0, clipped to -32768..32767, rounded to the nearest (ties to
  // even); the bus frames are zeroed.
  void (*FloatToInt16)(float* bus, int16_t* dest, int64_t frames, float gainL, float gainR);
  // to[i] += from[i]; from[i] = 0 for count values.
  void (*AddAndClear)(float* to, float* from, int64_t count);
};

enum class TMixKernelSet { Plain, AVX2 };

// The set this processor can run best.
TMixKernelSet BestMixKernelSet();
// Whether this processor can run the set.
bool MixKernelSetSupported(TMixKernelSet set);
// Chooses the set the mix uses (the best one at start); a set the processor
// can't run is refused (false). Call it while nothing mixes.
bool UseMixKernelSet(TMixKernelSet set);
TMixKernelSet MixKernelSetInUse();

// The set in use.
const TMixKernels& MixKernels();

// The sets themselves (the AVX2 one only on x86-64; null elsewhere).
const TMixKernels& PlainMixKernels();
const TMixKernels* AVX2MixKernels();

}  // namespace vs
