// Render speed: a busy song (16 channels, 64 bars of 16 steps at 120 BPM,
// pitched and panned hits on most steps, 4 patterns through the playlist)
// and a heavy one (64 channels, 64 bars, a third of the voices pitched,
// every channel on every step, 4 patterns) rendered into a WAV file on disk,
// the heavy one on 1, 2, 4 and 8 threads (-1: the lanes of the threaded
// render, run on the render thread alone). The "x_realtime" counter is
// seconds of audio rendered per second of wall time; the CPU column is the
// whole process's processor time (every thread's), and "cpu_per_audio_s"
// the processor seconds spent per second of audio (the workers sleep while
// they wait, so what more threads cost beyond one is their share of the
// mixing and their wake-ups). BM_CoresAtHand splits
// a fixed sum over 1, 2, 4 and 8 threads: on a shared machine it shows how
// many cores the other benchmarks really had.

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/MixerLock.h"
#include "model/Song.h"
#include "engine/MixWorkers.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"

namespace {

constexpr int Bars = 64;

// channels channels; pitched: which channels play pitched steps.
std::unique_ptr<vs::TSong> BusySong(int channels, bool everyStep, bool (*pitched)(int channel)) {
  auto song = std::make_unique<vs::TSong>();
  song->BPM = 120;
  song->SetPatternLength(16);
  for (int c = 0; c < channels; ++c) {
    auto ch = std::make_unique<vs::TChannel>(song.get());
    ch->MixTarget = c;
    ch->RandomChoice = {c};
    ch->Pan = 16 + c * 6;
    // A decaying tone of a quarter to half a second.
    const int frames = 11025 + c * 700;
    std::vector<int16_t> data(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
      const double env = std::exp(-4.0 * i / frames);
      const double v = 9000.0 * env * std::sin(i * (0.02 + 0.01 * c));
      data[2 * i] = static_cast<int16_t>(v);
      data[2 * i + 1] = static_cast<int16_t>(v * 0.8);
    }
    ch->Sample.SetFrames(std::move(data));
    ch->Sample.PlayLength = ch->Sample.Length;
    ch->Sample.NominalLength = ch->Sample.Length;
    for (int pattern = 1; pattern <= 4; ++pattern)
      for (int step = 0; step < 16; ++step) {
        if (!everyStep && (step + c + pattern) % 4 == 3) continue;  // three steps of four
        ch->Steps.SetStepOn(pattern, step, true);
        ch->Steps.SetStepValue(pattern, step, static_cast<uint8_t>(60 + (step * 7 + c) % 60), vs::PlaneVol);
        if (pitched(c)) ch->Steps.SetStepValue(pattern, step, static_cast<uint8_t>(110 + (step + c) % 20), vs::PlanePitch);
        ch->Steps.SetStepValue(pattern, step, static_cast<uint8_t>((step * 9 + c * 5) % 128), vs::PlanePan);
      }
    song->Channels.push_back(std::move(ch));
  }
  for (int bar = 0; bar < Bars; ++bar) song->Playlist.SetPlaylistCell(bar % 4 + 1, bar + 1, true);
  return song;
}

// Holds MixerLock for the render and leaves the program's side alone.
struct BenchHost : vs::TRenderHost {
  void SuspendOutput() override { vs::LockMixer(); }
  void ResumeOutput() override { vs::UnlockMixer(); }
  void StopPlayback() override {}
  void SilenceAll() override {}
};

double ProcessCPUSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void RenderSong(benchmark::State& state, vs::TSong& song, vs::TMixWorkers* workers) {
  vs::TMixer mixer;
  mixer.SetSong(&song);
  mixer.FramesPerStep = vs::FramesPerStepForBPM(120);
  BenchHost host;
  std::string dir = (std::filesystem::temp_directory_path() / "vs-bench-XXXXXX").string();
  if (!mkdtemp(dir.data())) {
    state.SkipWithError("no temp folder");
    return;
  }
  const int bars = vs::RenderBarCount(song, true);
  double audioSeconds = 0;
  const double cpuStart = ProcessCPUSeconds();
  for (auto _ : state) {
    vs::TRenderJob job;
    job.Mixer = &mixer;
    job.Host = &host;
    job.Bars = bars;
    job.SongMode = true;
    job.GaugeMax = 1000;
    job.InfoItems = vs::RenderInfoItems("Busy", "");
    job.Writer = std::make_unique<vs::TRenderWriter>();
    job.Writer->ReserveInfo(job.InfoItems.size());
    job.Writer->Open(dir + "/busy.wav", 2);
    job.Workers = workers;
    const vs::TRenderResult r = vs::RenderToWAVFile(job);
    if (!r.Ok) state.SkipWithError(r.Error.c_str());
    audioSeconds += double(r.Frames) / vs::SampleRate;
  }
  const double cpu = ProcessCPUSeconds() - cpuStart;
  state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
  state.counters["cpu_per_audio_s"] = audioSeconds > 0 ? cpu / audioSeconds : 0;
  state.counters["bars"] = bars;
  std::filesystem::remove_all(dir);
}

void BM_RenderBusySong(benchmark::State& state) {
  auto song = BusySong(16, false, [](int c) { return c % 2 == 1; });
  RenderSong(state, *song, nullptr);
}
BENCHMARK(BM_RenderBusySong)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_RenderHeavySong(benchmark::State& state) {
  auto song = BusySong(64, true, [](int c) { return c % 3 == 0; });
  const int threads = static_cast<int>(state.range(0));
  std::unique_ptr<vs::TMixWorkers> workers;
  if (threads != 1) workers = std::make_unique<vs::TMixWorkers>(std::abs(threads));
  RenderSong(state, *song, workers.get());
}
BENCHMARK(BM_RenderHeavySong)->Arg(-1)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_CoresAtHand(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  constexpr long Steps = 1L << 27;
  for (auto _ : state) {
    std::vector<std::thread> pool;
    std::vector<double> sums(size_t(threads) * 8);
    for (int t = 0; t < threads; ++t)
      pool.emplace_back([t, threads, &sums] {
        double x = 0;
        for (long i = t; i < Steps; i += threads) x += double(i) * 1e-9;
        sums[size_t(t) * 8] = x;
      });
    for (std::thread& t : pool) t.join();
    benchmark::DoNotOptimize(sums.data());
  }
}
BENCHMARK(BM_CoresAtHand)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->ArgName("threads")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
