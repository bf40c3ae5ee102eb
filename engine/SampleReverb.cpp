#include "engine/SampleReverb.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vs {

int ReverbType = 1;

namespace reverb {

int32_t Nearest(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(std::nearbyint(v));
}

TDelayLine::TDelayLine(int length) : Ring(size_t(std::max(1, length - 1))) {}

TPair TDelayLine::Push(TPair p) {
  TPair out = Ring[Pos];
  Ring[Pos] = p;
  if (++Pos == Ring.size()) Pos = 0;
  return out;
}

TPair TFilterLine::Comb(TPair x) {
  const TPair y = {Nearest(x.L + Feedback * Last.L), Nearest(x.R + Feedback * Last.R)};
  Last = Push(y);
  return y;
}

TPair TFilterLine::Allpass(TPair x) {
  const TPair w = {Nearest(x.L + Feedback * Last.L), Nearest(x.R + Feedback * Last.R)};
  const TPair out = {Nearest(Last.L - Feedback * w.L), Nearest(Last.R - Feedback * w.R)};
  Last = Push(w);
  return out;
}

double CombFeedback(int length, double time) {
  if (!(time > 0)) return 0;
  const double fb = std::pow(10.0, -3.0 * length / (time * SampleRate));
  return std::min(fb, 0.9999);
}

}  // namespace reverb

namespace {

using reverb::Nearest;
using reverb::TFilterLine;
using reverb::TPair;

constexpr double AllpassGain = 0.7;

// Appends the silent tail; false when the sample can't grow.
bool ExtendForTail(TWAVSample& s) {
  const int64_t length = std::min<int64_t>(std::max(s.Length, 0), int64_t(s.Data.size() / 2));
  if (length + ReverbTailFrames > std::numeric_limits<int32_t>::max()) return false;
  s.Data.resize(size_t(length + ReverbTailFrames) * 2, 0);
  s.Length = int32_t(length + ReverbTailFrames);
  return true;
}

int16_t Clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }

std::vector<TFilterLine> Combs(std::initializer_list<int> lengths, double time) {
  std::vector<TFilterLine> v;
  for (int n : lengths) v.emplace_back(n, reverb::CombFeedback(n, time));
  return v;
}

}  // namespace

void ReverbProc1(TWAVSample& s, double time) {
  if (!ExtendForTail(s)) return;
  TFilterLine ap389(389, AllpassGain), ap127(127, AllpassGain), ap43(43, AllpassGain);
  std::vector<TFilterLine> combs = Combs({1777, 1847, 1993, 2137}, time);
  int64_t h1[2] = {0, 0}, h2[2] = {0, 0};
  int16_t* d = s.Data.data();
  for (int32_t i = 0; i < s.Length; ++i, d += 2) {
    const TPair dry = {d[0], d[1]};
    const TPair x = ap43.Allpass(ap127.Allpass(ap389.Allpass(dry)));
    int64_t sum[2] = {0, 0};
    for (TFilterLine& c : combs) {
      const TPair y = c.Comb(x);
      sum[0] += y.L;
      sum[1] += y.R;
    }
    for (int c = 0; c < 2; ++c) {
      const int32_t m = Nearest(0.5 * double(h1[c]) + 0.25 * (double(sum[c]) + double(h2[c])));
      h2[c] = h1[c];
      h1[c] = sum[c];
      d[c] = Clamp16(Nearest(0.3 * m + 0.7 * (c == 0 ? dry.L : dry.R)));
    }
  }
}

void ReverbProc2(TWAVSample& s, double time) {
  if (!ExtendForTail(s)) return;
  std::vector<TFilterLine> combs = Combs({2467, 2767, 3217, 3533, 3877, 4127}, time);
  TFilterLine ap599(599, AllpassGain), ap197(197, AllpassGain), ap67(67, AllpassGain), ap101(101, AllpassGain);
  TFilterLine ap97(97, AllpassGain), ap79(79, AllpassGain);  // one channel each (left, right)
  int32_t q[2] = {0, 0};
  int16_t* d = s.Data.data();
  for (int32_t i = 0; i < s.Length; ++i, d += 2) {
    const TPair dry = {d[0], d[1]};
    int64_t sum[2] = {0, 0};
    for (TFilterLine& c : combs) {
      const TPair y = c.Comb(dry);
      sum[0] += y.L;
      sum[1] += y.R;
    }
    const TPair s3 = ap67.Allpass(ap197.Allpass(ap599.Allpass({Nearest(double(sum[0])), Nearest(double(sum[1]))})));
    q[0] = Nearest(0.7 * q[0] + 0.3 * s3.L);
    q[1] = Nearest(0.7 * q[1] + 0.3 * s3.R);
    const TPair a = ap101.Allpass({q[0], q[1]});
    const int32_t l = ap97.Allpass({a.L, 0}).L;
    const int32_t r = ap79.Allpass({a.R, 0}).L;
    d[0] = Clamp16(Nearest(0.3 * Nearest(0.3 * l) + 0.7 * dry.L));
    d[1] = Clamp16(Nearest(0.3 * Nearest(0.3 * r) + 0.7 * dry.R));
  }
}

void TrimReverbTail(TWAVSample& s) {
  int64_t length = std::min<int64_t>(std::max(s.Length, 0), int64_t(s.Data.size() / 2));
  const int64_t limit = s.LoopStart >= 0 ? int64_t(s.LoopEnd) + 1 : 0;
  while (length > limit) {
    const int16_t* last = s.Data.data() + 2 * (length - 1);
    if (std::abs(int(last[0])) >= 128 || std::abs(int(last[1])) >= 128) break;
    --length;
  }
  s.Data.resize(size_t(length) * 2);
  s.Data.shrink_to_fit();
  s.Length = int32_t(length);
  if (s.PlayLength > s.Length) s.PlayLength = s.Length;
}

void ApplyReverb(TWAVSample& sample, double time, int type) {
  if (type == 0)
    ReverbProc1(sample, time);
  else
    ReverbProc2(sample, time);
  TrimReverbTail(sample);
}

void ApplyReverb(TWAVSample& sample, double time) { ApplyReverb(sample, time, ReverbType); }

}  // namespace vs
