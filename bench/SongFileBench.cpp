// Building and reading the image of a large song: 32 channels, 100 patterns
// of 64 steps with every step on and every plane set.

#include <benchmark/benchmark.h>

#include <memory>

#include "model/Channels.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "files/SongFile.h"
#include "files/SongReader.h"

namespace {

std::unique_ptr<vs::TSong> BigSong() {
  auto song = std::make_unique<vs::TSong>();
  vs::ResetSongModel(*song);
  song->SetPatternLength(64);
  while (song->ChannelCount() < 32) vs::AddChannel(*song);
  for (auto& c : song->Channels)
    for (int pattern = 1; pattern <= 100; ++pattern)
      for (int step = 0; step < 64; ++step) {
        c->Steps.SetStepOn(pattern, step, true);
        for (int plane = 0; plane < 8; ++plane)
          c->Steps.SetStepValue(pattern, step, static_cast<uint8_t>((step + plane + pattern) % 100 + 1), plane);
      }
  return song;
}

void BM_BuildSongImage(benchmark::State& state) {
  auto song = BigSong();
  size_t bytes = 0;
  for (auto _ : state) {
    auto image = vs::BuildSongImage(*song);
    bytes = image.size();
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["image_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildSongImage)->Unit(benchmark::kMillisecond);

void BM_ReadSongImage(benchmark::State& state) {
  const auto image = vs::BuildSongImage(*BigSong());
  for (auto _ : state) {
    vs::TSongFileContent content;
    benchmark::DoNotOptimize(vs::ReadSongImage(image.data(), image.size(), content));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_ReadSongImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
