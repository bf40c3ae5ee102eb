// The building blocks of the preset synthesizer: the unit base class with its
// modulation links, the pitch tables and the random generator.
//
// Signals between units are unsigned 16-bit values with 32768 as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vs::vox {

inline constexpr int32_t Zero = 32768;    // the zero of unsigned signal values
inline constexpr int32_t MinPitch = 2;    // valid pitch indices, in cents
inline constexpr int32_t MaxPitch = 29996;
inline constexpr int32_t SampleRate = 44100;

int32_t ClampPitch(int64_t pitch);
// Phase increment of a 16-bit phase (65536 * frequency / 44100, at most
// 65535) and period in samples of a pitch index; indices are clamped.
uint32_t PitchIncrement(int32_t pitch);
uint32_t PitchPeriod(int32_t pitch);
// Frequency in Hz of a pitch index: index 2400 + 100 k is semitone k of an
// equal-tempered scale whose semitone 0 is 65.406 Hz.
double PitchFrequency(int32_t pitch);

uint16_t ClampSignal(int64_t value);
uint16_t ClampSignal(double value);

// A 15-bit linear congruential generator, the same on every machine.
class Random15 {
 public:
  explicit Random15(uint32_t seed = 1) : State(seed) {}
  void Seed(uint32_t seed) { State = seed; }
  int32_t Next() {
    State = State * 1103515245u + 12345u;
    return static_cast<int32_t>((State >> 16) & 0x7FFF);
  }

 private:
  uint32_t State;
};

class Unit;

struct Link {
  const Unit* Source;
  int32_t Depth;
};

class Unit {
 public:
  static constexpr size_t MaxLinks = 32;

  virtual ~Unit() = default;

  // One sample: applies the links (when there are any), then ticks.
  uint16_t Step(uint16_t input);
  // Adds a modulation link; false when the unit has no room for more.
  bool AddLink(const Unit* source, int32_t depth);

  uint16_t LastOutput() const { return Last; }
  // Scale of the output as the renderer applies it (65535 = unity).
  uint16_t Level = 65535;

 protected:
  virtual uint16_t Tick(uint16_t input) = 0;
  // m is the summed modulation: sum of source output * depth, shifted
  // right by 16. Units without a modulation target ignore it.
  virtual void Modulate(int32_t m) { (void)m; }

 private:
  std::vector<Link> Links;
  uint16_t Last = Zero;
};

// Outputs silence; stands in for units that can't be built.
class SilentUnit final : public Unit {
 protected:
  uint16_t Tick(uint16_t) override { return Zero; }
};

}  // namespace vs::vox
