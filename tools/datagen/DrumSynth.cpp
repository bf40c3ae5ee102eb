#include "tools/datagen/DrumSynth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vs::datagen {

namespace {

constexpr double Rate = 44100.0;
constexpr double Pi = 3.14159265358979323846;

// A small deterministic noise source, the same on every machine.
class Noise {
public:
  explicit Noise(uint32_t seed) : State(seed ? seed : 1) {}
  double Next() {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return (State / 4294967295.0) * 2.0 - 1.0;
  }

private:
  uint32_t State;
};

// One-pole high-pass and low-pass filters for shaping noise.
struct OnePole {
  double A = 0, Prev = 0, PrevIn = 0;
  static OnePole LowPass(double hz) {
    OnePole f;
    f.A = 1.0 - std::exp(-2.0 * Pi * hz / Rate);
    return f;
  }
  double Low(double x) { return Prev += A * (x - Prev); }
  double High(double x) { return x - Low(x); }
};

std::vector<int16_t> ToStereo(const std::vector<double>& mono, double gain, double pan = 0.0) {
  double peak = 1e-9;
  for (double v : mono) peak = std::max(peak, std::fabs(v));
  double scale = gain * 32767.0 / peak;
  double left = std::cos((pan + 1.0) * Pi / 4.0) * std::sqrt(2.0);
  double right = std::sin((pan + 1.0) * Pi / 4.0) * std::sqrt(2.0);
  std::vector<int16_t> out(mono.size() * 2);
  for (size_t i = 0; i < mono.size(); ++i) {
    // A short fade at the end keeps the last frame at silence.
    double fade = 1.0;
    size_t remain = mono.size() - i;
    if (remain <= 64) fade = (remain - 1) / 64.0;
    double v = mono[i] * scale * fade;
    out[2 * i] = static_cast<int16_t>(std::lround(std::clamp(v * left, -32767.0, 32767.0)));
    out[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(v * right, -32767.0, 32767.0)));
  }
  return out;
}

std::vector<double> Kick() {
  size_t n = static_cast<size_t>(Rate * 0.45);
  std::vector<double> s(n);
  double phase = 0;
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double freq = 48.0 + 110.0 * std::exp(-t * 28.0);
    phase += 2.0 * Pi * freq / Rate;
    double body = std::sin(phase) * std::exp(-t * 7.0);
    double click = (i < 220) ? std::sin(2.0 * Pi * 1800.0 * t) * (1.0 - i / 220.0) * 0.25 : 0.0;
    s[i] = std::tanh((body + click) * 1.6);
  }
  return s;
}

std::vector<double> Snare() {
  size_t n = static_cast<size_t>(Rate * 0.3);
  std::vector<double> s(n);
  Noise noise(0x5A17E);
  OnePole hp = OnePole::LowPass(1200.0);
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double tone = (std::sin(2.0 * Pi * 185.0 * t) + 0.5 * std::sin(2.0 * Pi * 330.0 * t)) * std::exp(-t * 22.0);
    double rattle = hp.High(noise.Next()) * std::exp(-t * 13.0);
    s[i] = tone * 0.7 + rattle;
  }
  return s;
}

std::vector<double> Clap() {
  size_t n = static_cast<size_t>(Rate * 0.35);
  std::vector<double> s(n);
  Noise noise(0xC1A9);
  OnePole band = OnePole::LowPass(2500.0);
  OnePole hp = OnePole::LowPass(700.0);
  const double bursts[] = {0.0, 0.011, 0.022, 0.034};
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double env = 0;
    for (double b : bursts)
      if (t >= b) env = std::max(env, std::exp(-(t - b) * 180.0));
    if (t >= bursts[3]) env = std::max(env, 0.6 * std::exp(-(t - bursts[3]) * 16.0));
    double x = hp.High(band.Low(noise.Next()));
    s[i] = x * env;
  }
  return s;
}

std::vector<double> Hat(double seconds, double decay, uint32_t seed) {
  size_t n = static_cast<size_t>(Rate * seconds);
  std::vector<double> s(n);
  Noise noise(seed);
  OnePole hp1 = OnePole::LowPass(6000.0);
  OnePole hp2 = OnePole::LowPass(5000.0);
  const double ratios[] = {2.0, 3.0, 4.16, 5.43, 6.79, 8.21};
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double metal = 0;
    for (double r : ratios) metal += (std::sin(2.0 * Pi * 40.0 * r * 7.0 * t) > 0 ? 1.0 : -1.0);
    double x = hp2.High(hp1.High(metal * 0.15 + noise.Next()));
    s[i] = x * std::exp(-t * decay);
  }
  return s;
}

std::vector<double> Tom() {
  size_t n = static_cast<size_t>(Rate * 0.5);
  std::vector<double> s(n);
  double phase = 0;
  Noise noise(0x7031);
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double freq = 95.0 + 60.0 * std::exp(-t * 18.0);
    phase += 2.0 * Pi * freq / Rate;
    s[i] = std::sin(phase) * std::exp(-t * 6.5) + noise.Next() * 0.08 * std::exp(-t * 60.0);
  }
  return s;
}

std::vector<double> Rim() {
  size_t n = static_cast<size_t>(Rate * 0.08);
  std::vector<double> s(n);
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    s[i] = (std::sin(2.0 * Pi * 1650.0 * t) + 0.6 * std::sin(2.0 * Pi * 520.0 * t)) * std::exp(-t * 70.0);
  }
  return s;
}

std::vector<double> Crash() {
  size_t n = static_cast<size_t>(Rate * 1.6);
  std::vector<double> s(n);
  Noise noise(0xC3A5);
  OnePole hp = OnePole::LowPass(3500.0);
  OnePole lp = OnePole::LowPass(12000.0);
  for (size_t i = 0; i < n; ++i) {
    double t = i / Rate;
    double env = (1.0 - std::exp(-t * 800.0)) * std::exp(-t * 2.6);
    s[i] = lp.Low(hp.High(noise.Next())) * env;
  }
  return s;
}

}  // namespace

std::vector<DrumSound> SynthesizeBasicKit() {
  std::vector<DrumSound> kit;
  kit.push_back({"Kick.wav", "Kick", ToStereo(Kick(), 0.95)});
  kit.push_back({"Snare.wav", "Snare", ToStereo(Snare(), 0.85)});
  kit.push_back({"Clap.wav", "Clap", ToStereo(Clap(), 0.8, 0.1)});
  kit.push_back({"ClosedHat.wav", "Closed Hat", ToStereo(Hat(0.09, 45.0, 0x4A7), 0.55, -0.2)});
  kit.push_back({"OpenHat.wav", "Open Hat", ToStereo(Hat(0.5, 6.0, 0x4A8), 0.5, -0.2)});
  kit.push_back({"Tom.wav", "Tom", ToStereo(Tom(), 0.85, 0.25)});
  kit.push_back({"Rim.wav", "Rim", ToStereo(Rim(), 0.6, 0.3)});
  kit.push_back({"Crash.wav", "Crash", ToStereo(Crash(), 0.5, 0.15)});
  return kit;
}

std::vector<int16_t> SynthesizeStartSound() {
  constexpr double Rate = 44100.0;
  constexpr double Pi = 3.14159265358979323846;
  const int frames = static_cast<int>(Rate * 0.95);
  std::vector<double> left(frames), right(frames);
  // Three notes a fifth and a fourth apart, each a bell of two partials
  // (frequency modulated for the metallic edge), panned apart.
  struct Note {
    double Start, Freq, Pan, Gain;
  };
  const Note notes[] = {{0.0, 523.25, 0.35, 0.55}, {0.09, 783.99, 0.65, 0.45}, {0.18, 1046.5, 0.5, 0.40}};
  for (const Note& n : notes) {
    const int first = static_cast<int>(n.Start * Rate);
    for (int i = first; i < frames; ++i) {
      const double t = (i - first) / Rate;
      const double attack = std::min(1.0, t / 0.004);
      const double env = attack * std::exp(-t * 5.5);
      const double modEnv = std::exp(-t * 14.0);
      const double mod = 1.6 * modEnv * std::sin(2 * Pi * n.Freq * 3.5 * t);
      const double v = n.Gain * env * (std::sin(2 * Pi * n.Freq * t + mod) + 0.25 * std::sin(2 * Pi * n.Freq * 2.01 * t));
      left[i] += v * std::cos(n.Pan * Pi / 2);
      right[i] += v * std::sin(n.Pan * Pi / 2);
    }
  }
  // A soft echo on the other side widens it; the tail fades to silence.
  const int echo = static_cast<int>(0.11 * Rate);
  for (int i = frames - 1; i >= echo; --i) {
    left[i] += 0.22 * right[i - echo];
    right[i] += 0.22 * left[i - echo];
  }
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double fade = i > frames - 2000 ? (frames - i) / 2000.0 : 1.0;
    out[2 * i] = static_cast<int16_t>(std::clamp(left[i] * fade * 0.8, -1.0, 1.0) * 32767);
    out[2 * i + 1] = static_cast<int16_t>(std::clamp(right[i] * fade * 0.8, -1.0, 1.0) * 32767);
  }
  return out;
}

}  // namespace vs::datagen
