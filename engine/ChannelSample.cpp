#include "engine/ChannelSample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <vector>

#include "model/MixerLock.h"
#include "engine/Mixer.h"
#include "engine/SampleReverb.h"
#include "toolbox/AllTools.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

constexpr int64_t MaxFrames = std::numeric_limits<int32_t>::max();
// The filter's state is held within this bound: only a filter without
// damping driven at its resonance gets there, where 32-bit state would wrap.
constexpr int64_t FilterStateLimit = int64_t(1) << 40;

// Settings as the effect chain reads them, each within its control's range.
struct TEffectSettings {
  int32_t Cutoff, Resonance, FirstEffect, SecondMix, SecondSine, PreAmp, Attack, Decay, Phaser;
  bool Fade;
};

TEffectSettings EffectSettingsOf(const TChannel& c) {
  return {std::clamp(c.Cutoff, 0, 1020),      std::clamp(c.Resonance, 0, 1020),
          std::clamp(c.FirstEffect, 0, 256),  std::clamp(c.SecondEffectMix, 0, 256),
          std::clamp(c.SecondEffectSine, 0, 256), std::clamp(c.PreAmp, 0, 256),
          std::clamp(c.Attack, 0, 1024),      std::clamp(c.Decay, 0, 1024),
          std::clamp(c.Phaser, 0, 512),       c.FadeLeftToRight};
}

bool AnyEffect(const TEffectSettings& e) {
  return e.Cutoff > 0 || e.Resonance > 0 || e.FirstEffect != 128 || e.SecondMix != 0 || e.PreAmp > 0 ||
         e.Attack > 0 || e.Decay > 0 || e.Fade || e.Phaser != 256;
}

inline int32_t RoundHalfEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

// The loop's frames inserted mirrored after the loop end: the loop becomes a
// forwards-backwards loop twice as long. Loop points outside the sample are
// not trusted (nothing happens).
void UnrollPingPong(TWAVSample& s) {
  if (s.LoopStart < 0 || s.LoopEnd < s.LoopStart || s.LoopEnd >= s.Length) return;
  const int64_t length = s.Length;
  const int64_t loopEnd = s.LoopEnd;
  const int64_t loopLength = loopEnd - s.LoopStart + 1;
  if (length + loopLength > MaxFrames) return;
  const int16_t* in = s.Frames();
  TFrames out(size_t(length + loopLength) * 2);
  std::copy(in, in + 2 * (loopEnd + 1), out.begin());
  for (int64_t k = 0; k < loopLength; ++k) {
    out[2 * (loopEnd + 1 + k)] = in[2 * (loopEnd - k)];
    out[2 * (loopEnd + 1 + k) + 1] = in[2 * (loopEnd - k) + 1];
  }
  std::copy(in + 2 * (loopEnd + 1), in + 2 * length, out.begin() + 2 * (loopEnd + 1 + loopLength));
  const int32_t start = s.LoopStart;
  s.SetFrames(std::move(out));
  s.SetLoop(start, static_cast<int32_t>(loopEnd + loopLength));
}

// value s of the stereo delay: |s - 2048| frames of silence are added and the
// right side (s < 2048) or the left side (s > 2048) is delayed by them.
void ApplyStereoDelay(TWAVSample& s, int32_t setting) {
  setting = std::clamp(setting, 0, 4096);
  if (setting == 2048) return;
  const int64_t d = std::abs(setting - 2048);
  const int64_t length = s.Length;
  if (length + d > MaxFrames) return;
  const int delayed = setting < 2048 ? 1 : 0;
  const int other = 1 - delayed;
  const int16_t* in = s.Frames();
  TFrames out(size_t(length + d) * 2, 0);
  for (int64_t i = 0; i < length; ++i) {
    out[2 * i + other] = in[2 * i + other];
    out[2 * (i + d) + delayed] = in[2 * i + delayed];
  }
  s.SetFrames(std::move(out));
}

void ReverseFrames(TWAVSample& s) {
  int16_t* f = s.Frames();
  for (int64_t i = 0, j = int64_t(s.Length) - 1; i < j; ++i, --j) {
    std::swap(f[2 * i], f[2 * j]);
    std::swap(f[2 * i + 1], f[2 * j + 1]);
  }
}

void SwapSides(TWAVSample& s) {
  int16_t* f = s.Frames();
  for (int64_t i = 0; i < s.Length; ++i) std::swap(f[2 * i], f[2 * i + 1]);
}

// The effect chain, per side and frame: time warp, ring modulation,
// resonant low-pass, attack, decay, pre-amp, feedback, fade left to right.
// A sample of fewer than two frames has no span to shape and is left alone.
void ApplyEffects(const TEffectSettings& e, TWAVSample& s) {
  const int64_t len = s.Length;
  if (len < 2) return;
  const int64_t L = len - 1;
  const int64_t a = std::abs(e.Phaser - 256);
  const int64_t k = ((int64_t(e.FirstEffect) * 192) >> 8) - 96;
  const int64_t step = (e.SecondSine >> 2) + 2;
  const int64_t k1 = 1024 - RoundHalfEven(std::cos((1024 - e.Cutoff) * 2 * std::numbers::pi / 4096) * 1024);
  const int64_t k2 = RoundHalfEven(std::cos((1024 - e.Resonance) * 2 * std::numbers::pi / 4096) * 1024);
  const bool warp = e.Phaser != 256;
  const bool filter = e.Cutoff > 0 || e.Resonance > 0;
  const std::array<int32_t, 360>& sine = SineTable();
  TFrames copy;
  if (warp) copy = s.Data;
  int16_t* f = s.Frames();

  for (int c = 0; c < 2; ++c) {
    int64_t y = 0, v = 0, previous = 0;
    for (int64_t i = 0; i < len; ++i) {
      int64_t x = f[2 * i + c];
      if (warp) {
        int64_t j;
        if (e.Phaser < 256)
          j = L + RoundHalfEven(std::asin(double(i) / double(L) - 1.0) * double(L) * 2.0 / std::numbers::pi);
        else
          j = RoundHalfEven(std::sin(double(i) / double(L) * std::numbers::pi / 2.0) * double(L));
        j = std::clamp<int64_t>(j, 0, L);
        const int64_t at = ((256 - a) * i + a * j) / 256;
        x = copy[2 * at + c];
      }
      if (e.SecondMix > 0) {
        const int64_t sv = sine[(((i * step) >> 2) + 90 * c) % 360];
        x = (((sv * x) / 16384) * e.SecondMix + (256 - e.SecondMix) * x) / 256;
      }
      if (filter) {
        v = std::clamp(v + MulDiv64(x - y, k1, 1024), -FilterStateLimit, FilterStateLimit);
        y = std::clamp(y + v, -FilterStateLimit, FilterStateLimit);
        v = MulDiv64(v, k2, 1024);
        x = y;
      }
      if (e.Attack > 0) x = (std::max<int64_t>(0, 256 - MulDiv64(L - i, e.Attack, L)) * x) / 256;
      if (e.Decay > 0) x = (std::max<int64_t>(0, 256 - MulDiv64(i, e.Decay, L)) * x) / 256;
      if (e.PreAmp > 0) x = x + (x * e.PreAmp) / 16;
      int64_t out = x + (previous * k) / 128;
      if (e.Fade) out = c == 0 ? MulDiv64(out, L - i, L) : MulDiv64(out, i, L);
      out = std::clamp<int64_t>(out, -32768, 32767);
      f[2 * i + c] = static_cast<int16_t>(out);
      previous = out;
    }
  }
}

// Play length := the length less its trailing silent frames, but the loop
// stays whole: never below the loop end + 1 when there is a loop.
void TrimPlayLength(TWAVSample& s) {
  int64_t limit = 0;
  if (s.LoopStart >= 0) limit = std::min<int64_t>(int64_t(s.LoopEnd) + 1, s.Length);
  int64_t play = s.Length;
  const int16_t* f = s.Frames();
  while (play > limit && f[2 * (play - 1)] == 0 && f[2 * (play - 1) + 1] == 0) --play;
  s.PlayLength = static_cast<int32_t>(play);
}

}  // namespace

const std::array<int32_t, 360>& SineTable() {
  static const std::array<int32_t, 360> table = [] {
    std::array<int32_t, 360> t{};
    for (int i = 0; i < 360; ++i) t[i] = RoundHalfEven(std::sin(i * std::numbers::pi / 180.0) * 16384.0);
    return t;
  }();
  return table;
}

bool ChannelEffectsOn(const TChannel& channel) { return AnyEffect(EffectSettingsOf(channel)); }

void BuildChannelSample(const TChannel& channel, TWAVSample& s) {
  if (s.Empty()) return;
  if (static_cast<int64_t>(s.Data.size()) < int64_t(s.Length) * 2) s.Length = static_cast<int32_t>(s.Data.size() / 2);
  if (channel.Sample.PingPong != 0) UnrollPingPong(s);
  const int32_t nominal = s.Length;
  ApplyStereoDelay(s, channel.StereoDelay);
  if (channel.Reversed) ReverseFrames(s);
  const TEffectSettings effects = EffectSettingsOf(channel);
  if (AnyEffect(effects)) ApplyEffects(effects, s);
  const int32_t reverb = std::clamp(channel.Reverb, 0, 256);
  if (reverb > 0) {
    ReverbType = channel.ReverbType;
    ApplyReverb(s, reverb / 256.0);
  }
  if (channel.ReverseStereo) SwapSides(s);
  TrimPlayLength(s);
  s.NominalLength = nominal;
}

void HandOverSample(TChannel& channel, TWAVSample& built) {
  MixerGuard lock;
  TWAVSample& target = channel.Sample;
  if (target.PlayLength != built.PlayLength || target.Looped) StopSampleVoices(&target);
  const int32_t nominal = built.NominalLength;
  target.AssignData(built);
  target.NominalLength = nominal;
  built.Clear();
  if (target.LoopStart < 0) target.Looped = false;
}

void ProcessSample(TChannel& channel, TWAVSample& loaded) {
  if (loaded.Empty()) return;
  ClearFPUExceptions();
  BuildChannelSample(channel, loaded);
  HandOverSample(channel, loaded);
}

}  // namespace vs
