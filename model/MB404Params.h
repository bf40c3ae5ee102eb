#pragma once
// A synthesizer channel's record for the bass synthesizer. The 140-byte
// parameter block (35 signed 32-bit values) is the part songs and ".404"
// files store; the rest is render position, per-step arrays and the
// renderer's own state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vs {

constexpr int MB404ParamCount = 35;
constexpr int MB404ParamBytes = MB404ParamCount * 4;
constexpr int MB404Slots = 64;

// Parameter indexes into Params (the control tag minus 3).
enum MB404Param : int {
  P404Osc1Coarse = 0, P404Osc2Coarse, P404Osc1Fine, P404Osc2Fine,
  P404Osc1PW, P404Osc2PW, P404OscSync, P404Reserved10,
  P404Osc1Shape, P404Osc2Shape, P404FilterType, P404OscMix,
  P404DistType, P404DistAmount, P404DistThreshold, P404Cutoff,
  P404Resonance, P404EnvAmount, P404LFOAmount, P404LFOSpeed,
  P404LFOTarget, P404LFOShape, P404Reserved25, P404Reserved26,
  P404Reserved27, P404Reserved28, P404FMAmount, P404RingMod,
  P404Attack, P404Decay, P404Release, P404Sustain,
  P404SustainLevel, P404StepGate, P404DelayGain
};
static_assert(P404DelayGain == MB404ParamCount - 1);

struct MB404Params {
  int32_t StepLength = 0;     // frames per step, set before each render
  int32_t StepPosition = 0;   // frames of the current step played at block start
  int32_t GateLength = 0;     // (step length - 1) * step gate shr 8
  std::array<int32_t, MB404ParamCount> Params{};
  std::array<uint8_t, 128> RendererArea{};   // renderer's own state
  std::array<uint8_t, MB404Slots> Cutoff{};  // per-step slots
  std::array<int16_t, MB404Slots> Note{};
  std::array<uint8_t, MB404Slots> Slide{};
  std::array<uint8_t, MB404Slots> On{};
  std::array<uint8_t, 68> Sequence{};        // sequence state
};

// The parameter defaults of a new record, by parameter index.
extern const std::array<int32_t, MB404ParamCount> MB404Defaults;

// A new record with default parameters and a cleared sequence.
std::unique_ptr<MB404Params> NewMB404Params();
// Parameters to their defaults; the first eight bytes of the sequence state
// are zeroed too.
void ResetMB404Params(MB404Params& p);
// Sequence state zeroed; slots 0 and 1 become cutoff 0, note 60, on 0,
// slide 0.
void ClearMB404Sequence(MB404Params& p);

// The 140-byte parameter block as stored in songs and ".404" files: 35
// signed 32-bit little-endian values in parameter order.
using MB404Block = std::array<uint8_t, MB404ParamBytes>;
MB404Block MB404ParamsToBytes(const MB404Params& p);
// Overwrites the parameter bytes with the first min(size, 140) bytes given
// (a shorter payload changes only the bytes it holds).
void MB404ParamsFromBytes(MB404Params& p, const uint8_t* data, size_t size);

}  // namespace vs
