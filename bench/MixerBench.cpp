// Mixer speed: voice-frames mixed per second (and the time of one) for 1,
// 64 and 512 voices of each kind (plain, pitched, filtered, looped) with the
// plain and the processor's best set of mix loops, and the real-time factor
// of a playing song for blocks of 8820, 256 and 64 frames.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "model/MixerLock.h"
#include "model/Song.h"
#include "engine/MixKernels.h"
#include "engine/MixSettings.h"
#include "engine/Mixer.h"

namespace {

using namespace vs;

enum VoiceKind { Plain = 0, Pitched, Filtered, Looped };
const char* const KindNames[] = {"plain", "pitched", "filtered", "looped"};

constexpr int SampleFrames = 441000;  // 10 s

void FillNoise(TWAVSample& s, int frames, uint32_t seed) {
  std::vector<int16_t> data(size_t(frames) * 2);
  for (auto& v : data) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<int16_t>(seed >> 16);
  }
  s.SetFrames(std::move(data));
  s.PlayLength = s.Length;
  s.NominalLength = s.Length;
}

void BM_MixVoices(benchmark::State& state) {
  const auto kind = static_cast<VoiceKind>(state.range(0));
  const int voices = static_cast<int>(state.range(1));
  if (!UseMixKernelSet(state.range(2) ? BestMixKernelSet() : TMixKernelSet::Plain)) state.SkipWithError("no set");
  MixSettings().Interpolation = 1;
  TSong song;
  TWAVSample sample;
  FillNoise(sample, SampleFrames, 7);
  if (kind == Looped) {
    sample.SetLoop(1000, 1999);  // a short loop: pieces every 1000 frames
    sample.Looped = true;
  }
  MixerGuard lock;
  auto mixer = std::make_unique<TMixer>();
  mixer->SetSong(&song);
  mixer->SetBlockFrames(8820);
  for (int i = 0; i < voices; ++i) {
    const int64_t length = kind == Pitched ? PitchedLength(SampleFrames, 100 + i % 200) : SampleFrames;
    const float cutoff = kind == Filtered ? 0.3f : 1.0f;
    const float reso = kind == Filtered ? 0.6f : 0.0f;
    mixer->AddVoiceUnlocked(&sample, 0, i % 128, 0, cutoff, reso, length, 0, 0, MasterGain / 64);
  }
  std::vector<int16_t> out(size_t(mixer->BlockFrames) * 2);
  for (auto _ : state) {
    mixer->MixBlock();
    mixer->FloatToInt16(out.data(), int64_t(mixer->BlockFrames) * 4);
    if (mixer->MixPosition + mixer->BlockFrames > SampleFrames / 2) mixer->MixPosition = 0;
  }
  benchmark::DoNotOptimize(out.data());
  if (mixer->VoiceCount != voices) state.SkipWithError("voices ended");
  const double frames = double(state.iterations()) * mixer->BlockFrames;
  state.counters["voice_frames"] = benchmark::Counter(frames * voices, benchmark::Counter::kIsRate);
  state.counters["s_per_voice_frame"] =
      benchmark::Counter(frames * voices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] = benchmark::Counter(frames / SampleRate, benchmark::Counter::kIsRate);
  state.SetLabel(std::string(KindNames[kind]) + ", " + MixKernels().Name);
  UseMixKernelSet(BestMixKernelSet());
}
BENCHMARK(BM_MixVoices)
    ->ArgsProduct({{Plain, Pitched, Filtered, Looped}, {1, 64, 512}, {0, 1}})
    ->ArgNames({"kind", "voices", "best"})
    ->Unit(benchmark::kMicrosecond);

// A drum pattern of 16 channels at 140 BPM with pitches, filters, echo
// repeats, a looped pad, the song echo and the master filter.
void BM_PlaySong(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  TSong song;
  song.BPM = 140;
  for (int c = 0; c < 16; ++c) {
    auto ch = std::make_unique<TChannel>(&song);
    ch->MixTarget = c;
    ch->RandomChoice = {c};
    FillNoise(ch->Sample, 8000 + c * 3000, 100 + c);
    if (c == 15) {
      ch->Sample.SetLoop(2000, 20000);
      ch->Sample.Looped = true;
    }
    ch->EchoFeedback = c % 4 == 0 ? 80 : 0;
    ch->EchoCount = 3;
    ch->EchoTime = 12;
    ch->Sample.CutGroup = c < 3 ? 1 : 0;
    ch->Sample.CutByGroup = c < 3 ? 1 : 0;
    for (int s = 0; s < 16; ++s) {
      if ((s + c) % (1 + c % 4) != 0) continue;
      ch->Steps.SetStepOn(1, s, true);
      ch->Steps.SetStepValue(1, s, static_cast<uint8_t>(80 + s), PlaneVol);
      ch->Steps.SetStepValue(1, s, static_cast<uint8_t>(100 + (s * 5) % 40), PlanePitch);
      if (c % 3 == 0) ch->Steps.SetStepValue(1, s, static_cast<uint8_t>(40 + s), PlaneCutoff);
    }
    song.Channels.push_back(std::move(ch));
  }
  MixerGuard lock;
  auto mixer = std::make_unique<TMixer>();
  TMixer& m = *mixer;
  m.SetSong(&song);
  m.SetBlockFrames(block);
  m.FramesPerStep = FramesPerStepForBPM(song.BPM);
  m.Echo.Setup(m.BlockFrames, m.FramesPerStep * 3);
  m.MasterFilter.Cutoff = 0.5f;
  m.MasterFilter.Reso = 0.3f;
  m.MixPatterns.assign(1, 1);
  m.MixStep = -1;
  m.NextStepFrame = 0;
  m.Playing = true;
  std::vector<int16_t> out(size_t(m.BlockFrames) * 2);
  int64_t voices = 0;
  for (auto _ : state) {
    m.MixBlock();
    m.FloatToInt16(out.data(), int64_t(m.BlockFrames) * 4);
    voices += m.VoiceCount;
  }
  benchmark::DoNotOptimize(out.data());
  const double frames = double(state.iterations()) * m.BlockFrames;
  state.counters["x_realtime"] = benchmark::Counter(frames / SampleRate, benchmark::Counter::kIsRate);
  state.counters["voices"] = double(voices) / double(state.iterations());
}
BENCHMARK(BM_PlaySong)->Arg(8820)->Arg(256)->Arg(64)->ArgName("block")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
