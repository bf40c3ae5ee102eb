#include "voxrender/Oscillators.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace vs::vox {
namespace {

constexpr double Pi = std::numbers::pi;

WaveTable SineTable() {
  WaveTable t;
  for (int i = 0; i < WaveTableSize; ++i)
    t[i] = ClampSignal(std::sin(i * 2.0 * Pi / WaveTableSize) * 32767.0 + 32768.0);
  return t;
}

// Triangle in phase with the sine: 0 at 0, 1 at a quarter, -1 at three quarters.
double Triangle(int i) {
  if (i <= 1024) return i / 1024.0;
  if (i <= 3072) return 2.0 - i / 1024.0;
  return i / 1024.0 - 4.0;
}

}  // namespace

WaveTable MakeShapeTable(int shape, int width, Random15& random) {
  WaveTable t;
  t.fill(Zero);
  width = std::clamp(width, 0, 100);
  switch (shape) {
    case 0: {
      double edge = width * 0.01 * WaveTableSize;
      for (int i = 0; i < WaveTableSize; ++i) t[i] = i < edge ? 0 : 65535;
      break;
    }
    case 1: {
      const double step = 65535.0 / WaveTableSize;
      bool falling = width < 50;
      for (int i = 0; i < WaveTableSize; ++i) {
        int64_t delta = static_cast<int64_t>(i * step);
        int64_t v = falling ? Zero - delta : Zero + delta;
        t[i] = static_cast<uint16_t>(v & 0xFFFF);  // wraps at the ends
      }
      break;
    }
    case 2:
      for (int i = 0; i < WaveTableSize; ++i) {
        double tri = Triangle(i);
        double s = std::sin(i * 2.0 * Pi / WaveTableSize);
        double v;
        if (width >= 50) {
          double e = (width - 49) * 0.02;
          v = e * s + (1.0 - e) * tri;
        } else {
          double f = width * 0.02;
          v = (1.0 - f) * (2.0 * tri - s) + f * tri;
        }
        t[i] = ClampSignal(v * 32767.0 + 32768.0);
      }
      break;
    case 3:
      for (int i = 0; i < WaveTableSize; ++i) t[i] = static_cast<uint16_t>(random.Next() * 2);
      break;
    default:
      break;  // unknown shape: silent
  }
  return t;
}

WaveTable MakeHarmonicTable(const std::array<uint16_t, 16>& levels) {
  static const WaveTable sine = SineTable();
  int64_t sum = 0;
  for (uint16_t l : levels) sum += l;
  sum = std::max<int64_t>(sum, 1);
  WaveTable t;
  for (int i = 0; i < WaveTableSize; ++i) {
    double v = 0.0;
    for (int n = 1; n <= 16; ++n) {
      if (levels[n - 1] == 0) continue;
      int index = static_cast<int>((int64_t{i} * n) % WaveTableSize);
      v += static_cast<double>(levels[n - 1]) / sum * (sine[index] - Zero);
    }
    t[i] = ClampSignal(v + Zero);
  }
  return t;
}

void ApplyOctaveAndFifth(WaveTable& table, bool octave, bool fifth) {
  auto blend = [&table](int factor) {
    WaveTable src = table;
    for (int i = 0; i < WaveTableSize; ++i)
      table[i] = static_cast<uint16_t>((src[i] + src[(i * factor) % WaveTableSize]) / 2);
  };
  if (octave) blend(2);
  if (fifth) blend(3);
}

std::array<uint16_t, 16> ReadHarmonicFile(const std::string& path) {
  std::array<uint16_t, 16> levels{};
  levels[0] = 1;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return levels;
  unsigned char b[36];
  bool ok = std::fread(b, 1, sizeof b, f) == sizeof b && std::memcmp(b, "OSC", 3) == 0;
  std::fclose(f);
  if (ok)
    for (int n = 0; n < 16; ++n) levels[n] = static_cast<uint16_t>(b[4 + 2 * n] | (b[5 + 2 * n] << 8));
  return levels;
}

// --- TableOscillator ---

TableOscillator::TableOscillator(const WaveTable& table, int32_t pitch, bool detune)
    : Table(table), BasePitch(ClampPitch(pitch)), Detune(detune) {
  SetPitch(BasePitch);
}

void TableOscillator::SetPitch(int32_t pitch) {
  pitch = ClampPitch(pitch);
  Increment = static_cast<uint16_t>(PitchIncrement(pitch));
  Increment2 = static_cast<uint16_t>(PitchIncrement(pitch + 20));
}

void TableOscillator::Modulate(int32_t m) { SetPitch(ClampPitch(int64_t{BasePitch} + m)); }

uint16_t TableOscillator::Tick(uint16_t) {
  Phase = static_cast<uint16_t>(Phase + Increment);
  if (!Detune) return Table[Phase >> 4];
  Phase2 = static_cast<uint16_t>(Phase2 + Increment2);
  return static_cast<uint16_t>((Table[Phase >> 4] + Table[Phase2 >> 4]) / 2);
}

// --- LFOUnit ---

LFOUnit::LFOUnit(const WaveTable& table, int32_t rate) : Table(table), Rate(rate) { Modulate(0); }

void LFOUnit::Modulate(int32_t m) {
  // The rate works in half-cents: doubled and taken as a 16-bit value.
  int16_t r = static_cast<int16_t>(static_cast<uint16_t>((int64_t{Rate} + m) * 2));
  if (r < 0)
    Increment = PitchIncrement(ClampPitch(-int32_t{r})) << 3;
  else
    Increment = PitchIncrement(ClampPitch(r)) >> 2;
}

uint16_t LFOUnit::Tick(uint16_t) {
  Phase = static_cast<uint16_t>(Phase + Increment);
  return Table[Phase >> 4];
}

// --- NoiseUnit ---

NoiseUnit::NoiseUnit(Random15& random, int32_t pitch, bool option1, bool option2, bool hold)
    : Random(random), BasePitch(ClampPitch(pitch)), Shift(2 + option1 + option2), Hold(hold) {
  Span = NextSpan = SpanOf(BasePitch);
}

uint32_t NoiseUnit::SpanOf(int32_t pitch) const {
  return std::max<uint32_t>(PitchPeriod(pitch) >> Shift, 1);
}

void NoiseUnit::Modulate(int32_t m) {
  NextSpan = SpanOf(ClampPitch(int64_t{BasePitch} + m));
  if (Hold) Span = NextSpan;
}

uint16_t NoiseUnit::Tick(uint16_t) {
  if (!Started || Position >= Span) {
    Started = true;
    Previous = Current;
    Current = Random.Next() * 2;
    Span = NextSpan;
    Position = 0;
  }
  ++Position;
  if (Hold) return static_cast<uint16_t>(Current);
  int64_t v = Previous + (int64_t{Current} - Previous) * Position / Span;
  return static_cast<uint16_t>(v);
}

}  // namespace vs::vox
