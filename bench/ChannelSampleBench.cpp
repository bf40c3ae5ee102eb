// Rebuilding a channel's playable sample from a 10 s sample: the frames
// handed over unchanged, the whole effect chain, the chain with reverb; and
// reading a 10 s 16-bit Extended Instrument image.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/ChannelSample.h"
#include "files/XIFiles.h"

namespace {

constexpr int Frames = 441000;

std::vector<int16_t> Source() {
  std::vector<int16_t> f(size_t(Frames) * 2);
  for (int i = 0; i < Frames; ++i) {
    f[2 * i] = static_cast<int16_t>(std::lround(std::sin(i * 0.031) * 20000));
    f[2 * i + 1] = static_cast<int16_t>(std::lround(std::sin(i * 0.017) * 20000));
  }
  return f;
}

// Each iteration copies the source (counted in the time) and rebuilds it.
void Rebuild(benchmark::State& state, void (*setup)(vs::TChannel&)) {
  vs::TChannel channel{nullptr};
  setup(channel);
  const std::vector<int16_t> source = Source();
  vs::TWAVSample s;
  for (auto _ : state) {
    s.SetFrames(std::vector<int16_t>(source));
    vs::BuildChannelSample(channel, s);
    benchmark::DoNotOptimize(s.Data.data());
  }
  state.SetItemsProcessed(state.iterations() * Frames);
}

void BM_RebuildDefaults(benchmark::State& state) {
  Rebuild(state, [](vs::TChannel&) {});
}
void BM_RebuildEffectChain(benchmark::State& state) {
  Rebuild(state, [](vs::TChannel& c) {
    c.Cutoff = 600;
    c.Resonance = 500;
    c.FirstEffect = 160;
    c.SecondEffectMix = 100;
    c.PreAmp = 4;
    c.Attack = 20;
    c.Decay = 300;
    c.Phaser = 300;
    c.FadeLeftToRight = true;
    c.StereoDelay = 2100;
  });
}
void BM_RebuildWithReverb(benchmark::State& state) {
  Rebuild(state, [](vs::TChannel& c) {
    c.Decay = 300;
    c.Reverb = 128;
  });
}

void BM_ReadXI(benchmark::State& state) {
  std::string image(298, '\0');
  std::memcpy(image.data(), "Extended Instrument:", 20);
  image[296] = 1;
  std::string header(40, '\0');
  const uint32_t bytes = Frames * 2;
  for (int i = 0; i < 4; ++i) header[i] = static_cast<char>(bytes >> (8 * i));
  header[14] = 0x10;
  image += header;
  for (int i = 0; i < Frames; ++i) {
    image += static_cast<char>(i * 7);
    image += static_cast<char>(i % 3 - 1);
  }
  vs::TWAVSample s;
  for (auto _ : state) {
    vs::ReadXIImage(reinterpret_cast<const uint8_t*>(image.data()), image.size(), s);
    benchmark::DoNotOptimize(s.Data.data());
  }
  state.SetItemsProcessed(state.iterations() * Frames);
}

}  // namespace

BENCHMARK(BM_RebuildDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildEffectChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildWithReverb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXI)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
