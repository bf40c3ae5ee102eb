#pragma once
// The mixing primitives: adding 16-bit frames into float buses, the two-pole
// filter of voices and of the master bus, conversion of the main bus to
// 16-bit output, peak levels and the pitch and pan arithmetic of voices.
// Bus values are floats in which 1.0 is full scale; the gains given to the
// 16-bit primitives carry the factor 1/32768.

#include <cstdint>

namespace vs {

// State of one filter: velocity v and position q per side. For each input x:
// v += (x - q) * Cutoff; q += v; output q; v *= Reso. Cutoff 1.0 with Reso 0
// means no filter runs. The states keep extended precision through a block.
struct TMixFilter {
  float Cutoff = 1.0f;
  float Reso = 0.0f;
  long double PosL = 0, PosR = 0, VelL = 0, VelR = 0;

  bool Active() const { return !(Cutoff == 1.0f && Reso == 0.0f); }
  // All four states are zero: silence in gives silence out.
  bool AtRest() const { return PosL == 0 && PosR == 0 && VelL == 0 && VelR == 0; }
};

// Zeroes the four states.
void ClearFilterState(TMixFilter& filter);
// End of a block: each state is rounded to a multiple of about 2^-24 so that
// denormal values never build up, and pending floating-point exceptions are
// cleared.
void SettleFilterState(TMixFilter& filter);

// L += l * gainL, R += r * gainR for count 16-bit stereo frames.
void MixStereo16(const int16_t* source, float* dest, int64_t count, float gainL, float gainR);
// The same through the filter: the raw 16-bit value goes in, the filter
// output times the gain is added.
void MixStereo16Filtered(const int16_t* source, float* dest, int64_t count, float gainL, float gainR,
                         TMixFilter& filter);
// 16-bit mono into a float stereo bus with a left and a right gain.
void MixMono16ToStereo(const int16_t* source, float* dest, int64_t count, float gainL, float gainR);
// 16-bit mono into a float mono line with one gain.
void MixMono16(const int16_t* source, float* dest, int64_t count, float gain);
// The master filter in place over float stereo frames.
void FilterStereoFloat(float* frames, int64_t count, TMixFilter& filter);

// Converts float stereo frames to 16-bit stereo for the output: gain is
// masterVolume * 256 (128 maps 1.0 to 32768), rounded to the nearest integer
// with ties to even and clipped to -32768..32767; NaN gives 0. With surround
// the right side is inverted. Each bus frame read is set to 0. The byte count
// is that of the destination (4 bytes a frame).
void FloatToInt16(float* bus, int16_t* dest, int64_t byteCount, int masterVolume, bool surround);

// Every one of count values is zero.
bool AllZero(const float* values, int64_t count);
bool AllZero(const int16_t* values, int64_t count);

// The largest magnitudes of the left and right values of 16-bit stereo frames.
void GetPeaks16(const int16_t* frames, int64_t count, int& left, int& right);

// left = cos(p * pi / 254) * gain, right = sin(p * pi / 254) * gain, for p
// clamped to 0..127.
void PanGains(int pan, double gain, float& left, float& right);

// length / 2^(cents / 1200), rounded to the nearest integer (ties to even)
// and kept within 0..2147483647; 0 cents gives the length unchanged.
int32_t PitchedLength(int64_t length, int cents);

// Filter values of a step's "Reso" (0..127) and "Cutoff" (0..127) values.
float StepResonance(int reso);  // cos((128 - r) * pi / 256), 0 for r = 0
float StepCutoff(int cutoff);   // 1 - cos((128 - c) * pi / 256), 1.0 for c = 0

}  // namespace vs
