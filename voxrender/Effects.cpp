#include "voxrender/Effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "voxrender/PresetRecord.h"
#include "voxrender/Unit.h"

namespace vs::vox {
namespace {

constexpr double Pi = std::numbers::pi;

// The value at a fractional position, linearly interpolated; silence past
// the end.
double ReadAt(const Channel& c, double pos) {
  if (pos < 0.0) return Zero;
  size_t i = static_cast<size_t>(pos);
  if (i >= c.size()) return Zero;
  double frac = pos - static_cast<double>(i);
  double a = c[i];
  double b = i + 1 < c.size() ? c[i + 1] : Zero;
  return a + (b - a) * frac;
}

// A speed that swings between two bounds by a step each frame.
struct Sweep {
  double Speed, Low, High, Step;
  void Advance() {
    Speed += Step;
    if (Speed > High) {
      Speed = High;
      Step = -Step;
    } else if (Speed < Low) {
      Speed = Low;
      Step = -Step;
    }
  }
};

void AutoPan(Channel& left, Channel& right) {
  const size_t n = left.size();
  // s crosses from 0 to 1 once over the sound: 2 / (number of values) per frame.
  double step = n ? 2.0 / (2.0 * static_cast<double>(n)) : 0.0;
  double s = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double v = static_cast<double>(left[i]) - Zero;
    left[i] = ClampSignal(s * v + Zero);
    right[i] = ClampSignal((1.0 - s) * v + Zero);
    s += step;
    if (s > 1.0) {
      s = 2.0 - s;
      step = -step;
    } else if (s < 0.0) {
      s = -s;
      step = -step;
    }
  }
}

void Chorus(const Channel& left, Channel& right) {
  Sweep sweep{1.0, 0.99, 1.01, 1e-6};
  double pos = 0.0;
  for (size_t i = 0; i < left.size(); ++i) {
    right[i] = ClampSignal(ReadAt(left, pos));
    pos += sweep.Speed;
    sweep.Advance();
  }
}

void Flanger(Channel& left, Channel& right) {
  constexpr size_t Start = 44;
  Sweep sweep{1.0, 0.995, 1.0025, -1.5e-7};
  double pos = 0.0;
  for (size_t i = Start; i < left.size(); ++i) {
    // The swept copy reads the processed signal (feedback) and always lags.
    pos = std::min(pos, static_cast<double>(i - 1));
    double delayed = ReadAt(left, pos) - Zero;
    double v = 0.5 * (static_cast<double>(left[i]) - Zero) - 0.6 * delayed;
    if (v > 32767.0 || v < -32767.0) v = std::sin(v * Pi / 65536.0) * 32767.0;
    left[i] = ClampSignal(v + Zero);
    pos += sweep.Speed;
    sweep.Advance();
  }
  right = Delayed(left, 132);
}

// v[i] := v[i - d] / 4 + v[i] - v[i] / 4 from the start, so the echo repeats.
void Echo(Channel& c, size_t distance) {
  for (size_t i = distance; i < c.size(); ++i)
    c[i] = static_cast<uint16_t>(c[i - distance] / 4 + c[i] - c[i] / 4);
}

}  // namespace

Channel Delayed(const Channel& in, int64_t frames) {
  Channel out(in.size(), Zero);
  for (size_t i = static_cast<size_t>(frames); i < in.size(); ++i) out[i] = in[i - frames];
  return out;
}

void ApplyStereoMode(int mode, Channel& left, Channel& right) {
  right = left;
  switch (mode) {
    case StereoAutoPan:
      AutoPan(left, right);
      break;
    case StereoShortDelay:
      right = Delayed(left, 176);
      break;
    case StereoLongDelay:
      right = Delayed(left, 1323);
      break;
    case StereoChorus:
      Chorus(left, right);
      break;
    case StereoFlanger:
      Flanger(left, right);
      break;
    case StereoEcho:
      // Distances in interleaved values: 22050 (left) and 22402 (right).
      if (left.size() * 2 >= 22051) {
        Echo(left, 22050 / 2);
        Echo(right, 22402 / 2);
      }
      break;
    default:
      break;  // StereoMono and unknown modes: the mono copy
  }
}

void Distort(Channel& values) {
  for (uint16_t& v : values)
    v = ClampSignal(std::sin((static_cast<double>(v) - Zero) * 1.5 * Pi / 32768.0) * 32767.0 + 32768.0);
}

void Normalise(Channel& left, Channel& right) {
  int32_t lo = 65535, hi = 0;
  for (const Channel* c : {&left, &right})
    for (uint16_t v : *c) {
      lo = std::min<int32_t>(lo, v);
      hi = std::max<int32_t>(hi, v);
    }
  int32_t peak = std::max(hi - Zero, Zero - lo);
  if (peak <= 0) return;
  double factor = 32512.0 / peak;
  if (factor < 1.1) return;
  for (Channel* c : {&left, &right})
    for (uint16_t& v : *c) v = ClampSignal(std::floor(factor * (static_cast<double>(v) - Zero) + 0.5) + Zero);
}

Channel HalfSpeed(const Channel& in) {
  if (in.size() < 2) return {};
  Channel out(2 * (in.size() - 1));
  for (size_t i = 0; i + 1 < in.size(); ++i) {
    out[2 * i] = in[i];
    out[2 * i + 1] = static_cast<uint16_t>((uint32_t{in[i]} + in[i + 1]) / 2);
  }
  return out;
}

}  // namespace vs::vox
