#include "model/MB404Params.h"

#include <algorithm>
#include <cstring>

namespace vs {

const std::array<int32_t, MB404ParamCount> MB404Defaults = [] {
  std::array<int32_t, MB404ParamCount> d{};
  d[P404OscMix] = 128;
  d[P404Cutoff] = 64;
  d[P404Resonance] = 64;
  d[P404EnvAmount] = 64;
  d[P404LFOTarget] = 2;
  d[P404Attack] = 25;
  d[P404StepGate] = 224;
  return d;
}();

std::unique_ptr<MB404Params> NewMB404Params() {
  auto p = std::make_unique<MB404Params>();
  ResetMB404Params(*p);
  ClearMB404Sequence(*p);
  return p;
}

void ResetMB404Params(MB404Params& p) {
  p.Params = MB404Defaults;
  std::fill_n(p.Sequence.begin(), 8, uint8_t{0});
}

void ClearMB404Sequence(MB404Params& p) {
  p.Sequence.fill(0);
  for (int k = 0; k < 2; ++k) {
    p.Cutoff[k] = 0;
    p.Note[k] = 60;
    p.On[k] = 0;
    p.Slide[k] = 0;
  }
}

MB404Block MB404ParamsToBytes(const MB404Params& p) {
  MB404Block b{};
  for (int i = 0; i < MB404ParamCount; ++i) {
    const uint32_t v = static_cast<uint32_t>(p.Params[i]);
    for (int j = 0; j < 4; ++j) b[i * 4 + j] = static_cast<uint8_t>(v >> (8 * j));
  }
  return b;
}

void MB404ParamsFromBytes(MB404Params& p, const uint8_t* data, size_t size) {
  if (!data) return;
  MB404Block b = MB404ParamsToBytes(p);
  std::memcpy(b.data(), data, std::min<size_t>(size, b.size()));
  for (int i = 0; i < MB404ParamCount; ++i) {
    uint32_t v = 0;
    for (int j = 0; j < 4; ++j) v |= static_cast<uint32_t>(b[i * 4 + j]) << (8 * j);
    p.Params[i] = static_cast<int32_t>(v);
  }
}

}  // namespace vs
