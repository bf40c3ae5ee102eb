// Speed of the bass synthesizer: frames rendered per second (44100 a second
// is real time for one channel).

#include <benchmark/benchmark.h>

#include <vector>

#include "outside/mb404/MB404.h"

namespace {

void BM_Render404(benchmark::State& state) {
  auto rec = vs::NewMB404Params();
  rec->Params[vs::P404Resonance] = 10;
  rec->Params[vs::P404DistAmount] = state.range(1);
  for (int k = 0; k < vs::MB404Slots; ++k) {
    rec->Note[k] = static_cast<int16_t>(48 + (k * 7) % 24);
    rec->On[k] = k % 5 != 3;
    rec->Slide[k] = k % 4 == 2;
  }
  const int frames = static_cast<int>(state.range(0));
  std::vector<int16_t> buf(frames);
  rec->StepLength = 4725;
  rec->GateLength = 4134;
  int32_t position = 0;
  for (auto _ : state) {
    rec->StepPosition = position;
    vs::Render404(buf.data(), frames, rec.get());
    position = (position + frames) % rec->StepLength;
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
  state.counters["realtime_x"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * frames / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Render404)->Args({512, 0})->Args({8820, 0})->Args({8820, 64});

}  // namespace

BENCHMARK_MAIN();
